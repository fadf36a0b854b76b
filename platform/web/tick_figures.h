// How the page's timer has kept time: for the page's measurements.
#pragma once

namespace platform::web {

struct TickFigures {
  long long ticks = 0;  // timer callbacks run
  double firstMs = 0;   // when the first and the last ran (steady clock, ms)
  double lastMs = 0;
};

TickFigures tickFigures();

}  // namespace platform::web
