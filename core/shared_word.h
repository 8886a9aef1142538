// Fields of a shared record (the item's descriptor) that one thread writes while others read
// them: each is one aligned word, loaded and stored whole, never torn.
#pragma once

#include <atomic>
#include <cstdint>

inline int32_t LoadSharedWord(const int32_t& field) {
  // The records are never const objects: the cast only lets readers hold a const view.
  return std::atomic_ref<int32_t>(const_cast<int32_t&>(field)).load(std::memory_order_relaxed);
}

inline void StoreSharedWord(int32_t& field, int32_t value) {
  std::atomic_ref<int32_t>(field).store(value, std::memory_order_relaxed);
}
