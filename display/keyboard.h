// The keyboard state: one entry per Windows virtual-key code, 1 while the key is down
// and 0 otherwise. The window procedure writes it on the main thread; the game tick reads
// it on the timer's thread. Entries are atomics used with relaxed order (plain 32-bit
// moves on x86), so the sharing is race-free without a lock; each entry stands alone.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

using KeyTable = std::array<std::atomic<std::int32_t>, 256>;
extern KeyTable keyTable;

// True when the entry of virtual-key code vk equals 1; codes outside the table are up.
inline bool isKeyDown(int vk) {
  if (vk < 0 || vk >= static_cast<int>(keyTable.size())) return false;
  return keyTable[static_cast<std::size_t>(vk)].load(std::memory_order_relaxed) == 1;
}

// Stores value in the entry of vk; codes outside the table are ignored.
inline void setKeyEntry(std::uintptr_t vk, std::int32_t value) {
  if (vk >= keyTable.size()) return;
  keyTable[vk].store(value, std::memory_order_relaxed);
}

// Sets every entry to 0.
void clearKeyTable();
