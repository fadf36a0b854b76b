#include "platform/bass/module_music.h"

#include <libopenmpt/libopenmpt.h>

openmpt_module* loadModule(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty()) return nullptr;
  int error = 0;
  const char* message = nullptr;
  openmpt_module* module =
      openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
                                         openmpt_error_func_ignore, nullptr, &error, &message, nullptr);
  if (message != nullptr) openmpt_free_string(message);
  if (module == nullptr) return nullptr;
  // Background music: round and round until the program stops it.
  openmpt_module_set_repeat_count(module, -1);
  return module;
}

void destroyModule(openmpt_module* module) {
  if (module != nullptr) openmpt_module_destroy(module);
}

int moduleOrders(openmpt_module* module) { return openmpt_module_get_num_orders(module); }

bool rewindModule(openmpt_module* module, int order, int row) {
  if (order < 0 || order >= moduleOrders(module) || row < 0) return false;
  openmpt_module_set_position_order_row(module, order, row);
  return true;
}
