#include "plugin/host/memory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "korvan/memory_stats.h"
#include "plugin/host/array.h"

namespace {
std::atomic<int64_t> g_live_blocks{0};
}  // namespace

int64_t korvan_live_blocks() { return g_live_blocks.load(); }

void* my_malloc(size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block != nullptr) ++g_live_blocks;
  return block;
}

void my_free(void* block) {
  if (block == nullptr) return;
  --g_live_blocks;
  std::free(block);
}

char* my_strdup(const char* text) {
  if (text == nullptr) return nullptr;
  size_t size = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(my_malloc(size));
  if (copy != nullptr) std::memcpy(copy, text, size);
  return copy;
}

bool korvan_grow_array(void** data, int64_t* capacity, size_t item_size, int64_t min_capacity) {
  if (min_capacity <= *capacity) return true;
  int64_t wanted = *capacity < 16 ? 16 : *capacity + *capacity / 2;
  if (wanted < min_capacity) wanted = min_capacity;
  if (wanted > INT64_MAX / static_cast<int64_t>(item_size)) return false;
  // realloc moves large blocks by remapping their pages, not by copying.
  void* grown = std::realloc(*data, static_cast<size_t>(wanted) * item_size);
  if (grown == nullptr) return false;
  if (*data == nullptr) ++g_live_blocks;
  *data = grown;
  *capacity = wanted;
  return true;
}

void korvan_free_array(void* data) {
  if (data == nullptr) return;
  --g_live_blocks;
  std::free(data);
}
