#include "korvan/name_index.h"

#include <atomic>

namespace {
std::atomic<int32_t> g_next_stamp{0x4e490000};
}  // namespace

NameIndex::NameIndex() : stamp_(++g_next_stamp) {}

bool NameIndex::StillPrefixOf(const MList& list) const {
  // Walk back from the tail over the nodes appended since the last look-up
  // (cheap: look-ups follow appends closely) to the last stamped one. That
  // node is alive; it must be the last one indexed, at its old position.
  const MListNode* node = list.head != nullptr ? list.tail : nullptr;
  int32_t position = list.count - 1;
  while (node != nullptr && node->tag != stamp_) {
    node = node->prev;
    --position;
  }
  if (indexed_ == 0) return node == nullptr;
  return node == last_ && position == indexed_ - 1;
}

void NameIndex::IndexFrom(MListNode* node, int32_t position, NameOf name_of) {
  for (; node != nullptr; node = node->next, ++position) {
    const char* name = name_of(node->item);
    if (name != nullptr) entries_.emplace(name, Entry{position, node});  // the first one wins
    node->tag = stamp_;
    last_ = node;
    indexed_ = position + 1;
  }
}

void NameIndex::Rebuild(MList& list, NameOf name_of) {
  entries_.clear();
  stamp_ = ++g_next_stamp;  // nodes stamped before are not ours any more
  if (stamp_ == 0) stamp_ = ++g_next_stamp;
  last_ = nullptr;
  indexed_ = 0;
  IndexFrom(list.head, 0, name_of);
}

NameIndex::Entry NameIndex::Find(MList& list, NameOf name_of, const char* name) {
  if (name == nullptr) return {-1, nullptr};
  if (!StillPrefixOf(list)) {
    Rebuild(list, name_of);
  } else if (list.count > indexed_) {
    MListNode* next = indexed_ == 0 ? list.head : const_cast<MListNode*>(last_)->next;
    IndexFrom(next, indexed_, name_of);
  }
  auto it = entries_.find(name);
  return it == entries_.end() ? Entry{-1, nullptr} : it->second;
}
