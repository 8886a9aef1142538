// Fields of a shared record (the item's descriptor, the player's settings) that one thread
// writes while others read them: each is one aligned byte or word, loaded and stored whole.
#pragma once

#include <atomic>
#include <cstdint>

template <typename T>
T LoadSharedWord(const T& field) {
  // The records are never const objects: the cast only lets readers hold a const view.
  return std::atomic_ref<T>(const_cast<T&>(field)).load(std::memory_order_relaxed);
}

template <typename T>
void StoreSharedWord(T& field, T value) {
  std::atomic_ref<T>(field).store(value, std::memory_order_relaxed);
}
