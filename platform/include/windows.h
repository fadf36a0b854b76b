// Stand-in for the Windows SDK's <windows.h> on other systems: the same names, types,
// structure layouts and constant values, for the part of Windows that Kestrix uses.
// Built against the real SDK, this folder is not on the include path.
#pragma once

#include "windef.h"
#include "winerror.h"
#include "winbase.h"
#include "wingdi.h"
#include "winuser.h"
