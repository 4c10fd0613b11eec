#include "plugin/host/mlist.h"

#include <gtest/gtest.h>

#include <vector>

#include "korvan/memory_stats.h"
#include "plugin/host/memory.h"

namespace {

int g_item[8];

// A list in own_mode 0 holding &g_item[0 .. n-1].
MList MakeList(int n) {
  MList list;
  MList_Init(&list, kMListLeaveItems, nullptr);
  for (int i = 0; i < n; ++i) list.Add(&g_item[i]);
  return list;
}

// Checks the links both ways and the count against the nodes.
void ExpectConsistent(const MList& list) {
  int n = 0;
  const MListNode* prev = nullptr;
  for (const MListNode* node = list.head; node != nullptr; node = node->next, ++n) {
    EXPECT_EQ(node->prev, prev);
    prev = node;
  }
  EXPECT_EQ(n, list.count);
  if (n > 0) {
    EXPECT_EQ(list.tail, prev);
  }
}

TEST(MList, AddMovesCursorAndMarkToTheNewTail) {
  MList list = MakeList(3);
  list.Get(0);
  list.Add(&g_item[3]);
  EXPECT_EQ(list.cursor, list.tail);
  EXPECT_EQ(list.mark, list.tail);
  EXPECT_EQ(list.cursor_index, 3);
  EXPECT_EQ(list.mark_index, 3);
  EXPECT_EQ(list.Get_Current(), &g_item[3]);
  ExpectConsistent(list);
  MList_Clear(&list);
}

TEST(MList, GetClampsToTheEnds) {
  MList list = MakeList(3);
  EXPECT_EQ(list.Get(5), &g_item[2]);
  EXPECT_EQ(list.cursor_index, 2);
  EXPECT_EQ(list.Get(-1), &g_item[0]);
  EXPECT_EQ(list.cursor_index, 0);
  EXPECT_EQ(list.Get(1), &g_item[1]);
  EXPECT_EQ(list.mark_index, 2) << "Seek never moves the mark";
  MList_Clear(&list);
}

TEST(MList, SeekStopsAtTheEndsKeepingItsSteps) {
  MList list = MakeList(2);  // cursor at the tail after Add
  EXPECT_EQ(list.Seek(1), 1);
  EXPECT_EQ(list.cursor_index, 1);
  list.Get(0);
  EXPECT_EQ(list.Seek(3), 1);
  EXPECT_EQ(list.cursor_index, 1);
  EXPECT_EQ(list.Seek(-1), 0);
  EXPECT_EQ(list.cursor_index, 0);
  EXPECT_EQ(list.Seek(0), 0);
  MList_Clear(&list);
}

struct RemoveCase {
  int index;
  std::vector<int> left;  // items left, by g_item position
};

TEST(MList, RemoveByIndex) {
  const RemoveCase cases[] = {
      {0, {1, 2, 3}},  {1, {0, 2, 3}}, {2, {0, 1, 3}},  {3, {0, 1, 2}},
      {-1, {0, 1, 2}}, {4, {0, 1, 2}}, {99, {0, 1, 2}}, {-2, {0, 1, 2, 3}},
  };
  for (const auto& c : cases) {
    MList list = MakeList(4);
    list.Remove(c.index);
    std::vector<int> left;
    for (MListNode* n = list.head; n != nullptr; n = n->next) {
      left.push_back(static_cast<int>(static_cast<int*>(n->item) - g_item));
    }
    EXPECT_EQ(left, c.left) << "Remove(" << c.index << ")";
    EXPECT_EQ(list.cursor, list.head) << "Remove(" << c.index << ")";
    EXPECT_EQ(list.cursor_index, 0);
    ExpectConsistent(list);
    MList_Clear(&list);
  }
}

TEST(MList, RemovingTheOnlyNodeEmptiesTheList) {
  MList list = MakeList(1);
  list.Remove(0);
  EXPECT_EQ(list.head, nullptr);
  EXPECT_EQ(list.count, 0);
  EXPECT_EQ(list.cursor_index, -1);
  EXPECT_EQ(list.mark_index, -1);
  list.Add(&g_item[5]);
  EXPECT_EQ(list.head, list.tail);
  EXPECT_EQ(list.cursor_index, 0);
  EXPECT_EQ(list.Get(0), &g_item[5]);
  MList_Clear(&list);
}

int g_deleted = 0;
void CountDeletion(void* item) {
  ++g_deleted;
  my_free(item);
}

TEST(MList, RemoveDisposesByOwnMode) {
  const int64_t before = korvan_live_blocks();
  MList freeing;
  MList_Init(&freeing, kMListFreeItems, nullptr);
  freeing.Add(my_malloc(8));
  freeing.Add(my_malloc(8));
  freeing.Remove(0);
  freeing.Remove(0);
  EXPECT_EQ(korvan_live_blocks(), before) << "own_mode 1 frees items and nodes";

  MList deleting;
  MList_Init(&deleting, kMListDeleteItems, CountDeletion);
  g_deleted = 0;
  deleting.Add(my_malloc(8));
  deleting.Add(nullptr);  // a null item at an end is not handed over
  deleting.Remove(-1);
  deleting.Remove(0);
  EXPECT_EQ(g_deleted, 1);
  EXPECT_EQ(korvan_live_blocks(), before);

  MList leaving = MakeList(2);
  leaving.Remove(1);
  EXPECT_EQ(leaving.count, 1);
  EXPECT_EQ(korvan_live_blocks(), before + 1) << "own_mode 0 frees only the node";
  MList_Clear(&leaving);
  EXPECT_EQ(korvan_live_blocks(), before);
}

}  // namespace
