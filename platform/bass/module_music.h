// Tracker modules through libopenmpt: loading a file's bytes into a module object that
// renders stereo and loops forever. The owner keeps every use of one object on one thread
// at a time (once a module is in the mixer, only the output touches it).
#pragma once

#include <cstdint>
#include <vector>

typedef struct openmpt_module openmpt_module;

// A module object, or null when libopenmpt rejects the bytes. Prints nothing.
openmpt_module* loadModule(const std::vector<std::uint8_t>& bytes);
void destroyModule(openmpt_module* module);

// How many orders the module has: the positions a play may start from.
int moduleOrders(openmpt_module* module);
// Moves the module to order `order`, row `row`, with its playing state reset; false when
// the order does not exist (the position is then left alone).
bool rewindModule(openmpt_module* module, int order, int row);
