// NameIndex: a hash index of the names in an MList, kept beside the list by
// its owner (a mesh's material names, a scene's materials) so that look-ups
// by name are O(1) even with 100,000 entries. Anyone may append to the list
// directly; the index catches up from the nodes it has not seen yet and
// rebuilds itself when the list changed in any other way. It recognises the
// nodes it has indexed by the stamp it writes into their `tag` (a new node
// has tag 0), so a freed node whose memory comes back is never mistaken for
// one it knows. Not thread-safe.
#pragma once

#include <string>
#include <unordered_map>

#include "plugin/host/mlist.h"

class NameIndex {
 public:
  using NameOf = const char* (*)(const void* item);

  NameIndex();

  struct Entry {
    int32_t position;  // -1: not in the list
    MListNode* node;   // null: not in the list
  };

  // The first item of `list` whose name is `name`. Does not move the
  // list's cursor.
  Entry Find(MList& list, NameOf name_of, const char* name);

 private:
  bool StillPrefixOf(const MList& list) const;
  void Rebuild(MList& list, NameOf name_of);
  void IndexFrom(MListNode* node, int32_t position, NameOf name_of);

  std::unordered_map<std::string, Entry> entries_;
  int32_t stamp_;                    // non-zero, written into indexed nodes
  const MListNode* last_ = nullptr;  // last node indexed
  int32_t indexed_ = 0;              // nodes indexed, from the head
};
