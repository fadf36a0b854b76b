// Stand-in for the Windows SDK's <windowsx.h>: the coordinates of a mouse message's lParam.
#pragma once

#include "windef.h"

#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
