#include "plugin/host/mlist.h"

#include "plugin/host/memory.h"

void MList_Init(MList* list, int32_t own_mode, void (*deleter)(void*)) {
  list->head = list->tail = list->mark = list->cursor = nullptr;
  list->cursor_index = list->mark_index = -1;
  list->count = 0;
  list->own_mode = own_mode;
  list->deleter = deleter;
}

void MList_Clear(MList* list) {
  while (list->head != nullptr) list->Remove(0);
}

void MList::Reset_Cursor(int where) {
  switch (where) {
    case 1:
      cursor = mark = head;
      cursor_index = mark_index = 0;
      break;
    case 2:
      cursor = mark = tail;
      cursor_index = mark_index = count;
      break;
    default:
      cursor = mark = nullptr;
      cursor_index = mark_index = -1;
      break;
  }
}

void MList::Add(void* item) {
  auto* node = static_cast<MListNode*>(my_malloc(sizeof(MListNode)));
  if (node == nullptr) return;
  node->tag = 0;
  node->item = item;
  node->next = nullptr;
  node->prev = nullptr;
  if (head == nullptr) {
    head = tail = node;
    Reset_Cursor(1);
  } else {
    tail->next = node;
    node->prev = tail;
    tail = node;
    Reset_Cursor(2);  // while count is the old number: the new node's index
  }
  ++count;
}

int MList::Seek(int32_t offset) {
  if (cursor_index < 0) return 1;
  for (; offset > 0; --offset) {
    if (cursor->next == nullptr) return 1;
    cursor = cursor->next;
    ++cursor_index;
  }
  for (; offset < 0; ++offset) {
    if (cursor->prev == nullptr) return 1;
    cursor = cursor->prev;
    --cursor_index;
  }
  return 0;
}

void* MList::Get_Current() { return cursor_index < 0 ? nullptr : cursor->item; }

void* MList::Get(int32_t index) {
  // 64-bit difference: index and cursor_index may lie far apart.
  int64_t offset = int64_t{index} - cursor_index;
  if (offset > INT32_MAX) offset = INT32_MAX;
  if (offset < INT32_MIN) offset = INT32_MIN;
  Seek(static_cast<int32_t>(offset));
  return Get_Current();
}

void MList::Unlink(int32_t position) {
  MListNode* node;
  bool at_end = true;
  if (position == 0) {
    node = head;
    head = node->next;
    if (head != nullptr) head->prev = nullptr;
  } else if (position == count - 1) {
    node = tail;
    tail = node->prev;
    tail->next = nullptr;
  } else {
    at_end = false;
    MListNode* before = head;
    for (int32_t i = 0; i < position - 1; ++i) before = before->next;
    node = before->next;
    before->next = node->next;
    if (node->next != nullptr) node->next->prev = before;
    if (before->next == nullptr) tail = before;
  }
  --count;
  // Disposal is skipped for a null item at either end only.
  if (!at_end || node->item != nullptr) {
    if (own_mode == kMListFreeItems) {
      my_free(node->item);
    } else if (own_mode == kMListDeleteItems && deleter != nullptr) {
      deleter(node->item);
    }
  }
  my_free(node);
}

void MList::Remove(int32_t index) {
  if (head != nullptr) {
    if (index == -1 || index >= count) {
      Unlink(count - 1);
    } else if (index >= 0) {
      Unlink(index);
    }
  }
  Reset_Cursor(count == 0 ? 0 : 1);
}
