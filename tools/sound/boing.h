// The game's jump sound before encoding: a rising, springy "boing" of a quarter second,
// mono 16-bit PCM. Deterministic: same samples on every run.
#pragma once

#include <cstdint>
#include <vector>

constexpr int boingRate = 44100;
constexpr int boingFrames = boingRate / 4;

std::vector<std::int16_t> synthesiseBoing();
