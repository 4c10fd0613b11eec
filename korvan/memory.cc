#include "plugin/host/memory.h"

#include <sys/mman.h>

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

namespace {

// Mesh arrays carry a header before their items. Small ones live on the C
// heap; from 2 MiB on they are mappings of their own, advised for
// transparent huge pages (a fresh page costs a fault per 4 KiB otherwise)
// and grown with mremap, which moves pages instead of copying bytes.
struct ArrayHeader {
  size_t bytes;  // usable bytes after the header
  bool mapped;
  char pad[64 - sizeof(size_t) - sizeof(bool)];
};
static_assert(sizeof(ArrayHeader) == 64);

constexpr size_t kHugePage = size_t{2} << 20;

ArrayHeader* HeaderOf(void* data) { return static_cast<ArrayHeader*>(data) - 1; }

size_t RoundUp(size_t n, size_t to) { return (n + to - 1) / to * to; }

ArrayHeader* MapBlock(ArrayHeader* old, size_t bytes) {
  const size_t total = RoundUp(bytes + sizeof(ArrayHeader), kHugePage);
  // Read before mremap: the old mapping may move.
  const bool old_mapped = old != nullptr && old->mapped;
  const size_t old_bytes = old != nullptr ? old->bytes : 0;
  void* block;
  if (old_mapped) {
    block = mremap(old, old_bytes + sizeof(ArrayHeader), total, MREMAP_MAYMOVE);
  } else {
    block = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  }
  if (block == MAP_FAILED) return nullptr;
  madvise(block, total, MADV_HUGEPAGE);
  auto* header = static_cast<ArrayHeader*>(block);
  if (old != nullptr && !old_mapped) {
    std::memcpy(header + 1, old + 1, old_bytes);
    std::free(old);
  }
  header->bytes = total - sizeof(ArrayHeader);
  header->mapped = true;
  return header;
}

}  // namespace

bool korvan_grow_array(void** data, int64_t* capacity, size_t item_size, int64_t min_capacity) {
  if (min_capacity <= *capacity) return true;
  int64_t wanted = *capacity < 16 ? 16 : *capacity * 2;
  if (wanted < min_capacity) wanted = min_capacity;
  if (wanted > INT64_MAX / 2 / static_cast<int64_t>(item_size)) return false;
  const size_t bytes = static_cast<size_t>(wanted) * item_size;
  ArrayHeader* old = *data != nullptr ? HeaderOf(*data) : nullptr;
  ArrayHeader* header;
  if (bytes + sizeof(ArrayHeader) >= kHugePage) {
    header = MapBlock(old, bytes);
  } else {
    header = static_cast<ArrayHeader*>(std::realloc(old, bytes + sizeof(ArrayHeader)));
    if (header != nullptr) {
      header->bytes = bytes;
      header->mapped = false;
    }
  }
  if (header == nullptr) return false;
  if (old == nullptr) ++g_live_blocks;
  *data = header + 1;
  *capacity = static_cast<int64_t>(header->bytes / item_size);
  return true;
}

void korvan_free_array(void* data) {
  if (data == nullptr) return;
  --g_live_blocks;
  ArrayHeader* header = HeaderOf(data);
  if (header->mapped) {
    munmap(header, header->bytes + sizeof(ArrayHeader));
  } else {
    std::free(header);
  }
}
