// The main of the comparison benchmarks. Each benchmark is named "<work>/<who>", where
// "<who>" is "kestrix" for this library's version of the work and, for example, "sdl" or
// "memcpy" for the others. After the usual output, a summary gives each piece of work's
// median CPU time per iteration (over the repetitions, or the single run) and how many
// times Kestrix's own version is as fast as each other one measured in the same run.
// Unless told otherwise, it runs 15 repetitions of each benchmark in random order.
#pragma once

#include <benchmark/benchmark.h>

int runComparisonBenchmarks(int argc, char** argv);

// Runs the registered benchmarks through `reporter` with the defaults for a shared, noisy
// machine (`repetitions` in random order, medians); flags given override them. Returns the
// exit code: 1 for a flag Google Benchmark does not know.
int runBenchmarksOnASharedMachine(int argc, char** argv, int repetitions, benchmark::BenchmarkReporter& reporter);
