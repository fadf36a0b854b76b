#include "display/keyboard.h"

KeyTable keyTable{};

void clearKeyTable() {
  for (auto& entry : keyTable) entry.store(0, std::memory_order_relaxed);
}
