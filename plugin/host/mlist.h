// MList: the doubly linked list of untyped item pointers in which the host
// keeps a scene's objects, cameras, lights and materials and each object's
// material names. Host and plug-in both work on this exact layout, so every
// node comes from my_malloc and either side may free it. Not thread-safe.
//
// Invariants between operations: `count` nodes are reachable from `head`
// through `next`; the head's `prev` and the tail's `next` are null; `tail` is
// meaningful only while `head` is not null. A cursor is either none (node
// null, index -1) or a node together with its true 0-based position; the
// same holds for the mark. A new list is all zeros but for the two indexes,
// which are -1 (see MList_Init).
#pragma once

#include <cstdint>

#include "plugin/host/api.h"

struct MListNode {
  int32_t tag;  // 0 when made; not read by the list operations (the host's)
  void* item;   // null is stored like any other value
  MListNode* next;
  MListNode* prev;
};

// What Remove does with an item.
enum MListOwnMode : int32_t {
  kMListLeaveItems = 0,   // the item's owner disposes of it
  kMListFreeItems = 1,    // my_free(item)
  kMListDeleteItems = 2,  // deleter(item), when a deleter is set
};

struct KORVAN_API MList {
  MListNode* head;
  MListNode* tail;
  MListNode* mark;    // second cursor; moves only with Reset_Cursor
  MListNode* cursor;  // node of Seek, Get_Current and Get
  int32_t cursor_index;
  int32_t mark_index;
  int32_t count;
  int32_t own_mode;  // an MListOwnMode value
  void (*deleter)(void* item);

  // Appends `item` at the tail; the cursor and the mark move to it. When no
  // node can be allocated the list is left unchanged.
  void Add(void* item);
  // The item at `index`, walking from the cursor; an index past the end gives
  // the last item, a negative one the first; null for an empty list.
  void* Get(int32_t index);
  // Moves the cursor by `offset`: 0 when it moved the whole way, 1 when it
  // has no cursor or an end of the list stopped it (steps made are kept).
  int Seek(int32_t offset);
  void* Get_Current();
  // Removes the node at `index` (-1 or >= count: the last one; below -1:
  // none), disposing of its item by `own_mode`; the cursor returns to the head.
  void Remove(int32_t index);
  int32_t Get_Count() const { return count; }
  int IsEmpty() const { return count == 0 ? 1 : 0; }
  // 0: no cursor; 1: cursor and mark at the head; 2: at the tail, with the
  // index `count` as it stands at the call.
  void Reset_Cursor(int where);

 private:
  void Unlink(int32_t position);
};

// Puts `list` in the empty state with the given ownership.
KORVAN_API void MList_Init(MList* list, int32_t own_mode, void (*deleter)(void*));
// Removes every node (disposing of the items by the list's own_mode).
KORVAN_API void MList_Clear(MList* list);
