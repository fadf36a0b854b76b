// "cagadon.it", the game's music: a cheerful looping chip tune in six channels (lead,
// echo, plucked chords, bass, drums, hi-hat) made of the synthesised samples.
#pragma once

#include "tools/music/it_writer.h"

ItModule composeCagadon();

// A note in tracker notation: "C5", "F#4", "Bb3" (C-5 is middle C); itNoNote otherwise.
std::int16_t parseNote(const std::string& name);
