// Counts every allocation a program makes through operator new, so a benchmark can check
// that its loop allocates nothing. Linking allocation_count.cpp replaces operator new.
#pragma once

long allocationCount();
