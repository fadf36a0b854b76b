// The synthesised instruments of the game's music: looped single-cycle waves tuned to C-5
// and one-shot drums, all as 16-bit IT samples. Deterministic: same bytes on every run.
#pragma once

#include "tools/music/it_writer.h"

// A looped pulse wave whose high part lasts duty (0..1) of each cycle.
ItSample pulseWave(const std::string& name, double duty, double amplitude);
// A looped triangle wave.
ItSample triangleWave(const std::string& name, double amplitude);
// A pulse wave that dies away over about `seconds` when played at C-5: a plucked tone.
ItSample pluckedPulse(const std::string& name, double duty, double amplitude, double seconds);
// Drums, played at C-5 at their own rate.
ItSample kickDrum(const std::string& name);
ItSample snareDrum(const std::string& name);
ItSample hiHat(const std::string& name);
