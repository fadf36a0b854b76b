// Counts every allocation a program makes through operator new, so a test or a benchmark
// can check that a loop allocates nothing: take allocationCount() before and after.
// Linking allocation_count.cpp replaces the program's operator new.
#pragma once

long allocationCount();
