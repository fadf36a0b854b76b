// Kernel-side calls of Windows that Kestrix uses.
#pragma once

#include "windef.h"
