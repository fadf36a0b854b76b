// "cagadon.it", the game's music: a cheerful looping chip tune in six channels (lead,
// echo, plucked chords, bass, drums, hi-hat) made of the synthesised samples.
#pragma once

#include "tools/music/it_writer.h"

ItModule composeCagadon();
