#include "object_table.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct Record {
  int64_t handle = 0;
  int64_t payload = 0;
};

// A table whose release routine logs what it releases and what the record held then.
struct LoggedTable {
  std::vector<int64_t> released;
  std::vector<int64_t> payloadAtRelease;
  ObjectTable<Record> table{50, [this](int64_t value) {
                              payloadAtRelease.push_back(table.Get(value)->payload);
                              released.push_back(value);
                              table.Release(value);
                            }};
  Record* Make(int64_t number, int64_t payload) {
    Record* record = table.Reserve(number);
    if (record) *record = Record{payload + 1000, payload};
    return record;
  }
};

TEST(ObjectTable, GrowsPastItsSlotsAndKeepsEarlierNumbers) {
  LoggedTable t;
  t.Make(10, 10);
  ASSERT_NE(t.Make(100, 100), nullptr);
  EXPECT_EQ(t.table.SlotCount(), 150);
  ASSERT_NE(t.table.Get(10), nullptr);
  EXPECT_EQ(t.table.Get(10)->payload, 10);
  EXPECT_EQ(t.table.Get(100)->payload, 100);
  EXPECT_EQ(t.table.Get(120), nullptr);  // inside the array, never reserved
  EXPECT_EQ(t.table.Get(5000), nullptr);  // beyond the array
}

TEST(ObjectTable, ReusingANumberReleasesTheOldObjectBeforeTheNewIsFilled) {
  LoggedTable t;
  Record* first = t.Make(0, 1);
  Record* second = t.table.Reserve(0);
  ASSERT_EQ(t.released, std::vector<int64_t>{0});
  EXPECT_EQ(t.payloadAtRelease, std::vector<int64_t>{1});
  EXPECT_EQ(second, first);  // the record is reused in place, zero-filled
  EXPECT_EQ(second->handle, 0);
  EXPECT_EQ(second->payload, 0);
  EXPECT_EQ(t.table.Get(0), nullptr);  // free until the service fills it
}

TEST(ObjectTable, ReleasedNumberIsNoneAndFreeSlotIsReusedWithoutRelease) {
  LoggedTable t;
  t.Make(3, 3);
  t.table.Release(3);
  EXPECT_EQ(t.table.Get(3), nullptr);
  EXPECT_EQ(t.table.IsValid(3), nullptr);
  t.Make(3, 4);
  EXPECT_TRUE(t.released.empty());  // a free slot holds no object to release
  EXPECT_EQ(t.table.Get(3)->payload, 4);
}

TEST(ObjectTable, DynamicHandlesAreIndependent) {
  LoggedTable t;
  Record* a = t.Make(kDynamicNumber, 1);
  Record* b = t.Make(kDynamicNumber, 2);
  int64_t ha = ObjectTable<Record>::HandleOf(a);
  int64_t hb = ObjectTable<Record>::HandleOf(b);
  ASSERT_NE(ha, hb);
  EXPECT_GE(ha, t.table.SlotCount());  // never mistaken for a slot number
  t.table.Release(ha);
  EXPECT_EQ(t.table.IsValid(ha), nullptr);
  EXPECT_EQ(t.table.Get(ha), nullptr);
  ASSERT_EQ(t.table.IsValid(hb), b);
  EXPECT_EQ(b->payload, 2);
}

TEST(ObjectTable, ReleaseAllGoesNumbersUpThenDynamicNewestFirst) {
  LoggedTable t;
  t.Make(7, 7);
  Record* oldest = t.Make(kDynamicNumber, 1);
  t.Make(2, 2);
  Record* newest = t.Make(kDynamicNumber, 2);
  t.Make(60, 60);
  t.table.Release(7);
  t.table.ReleaseAll();
  std::vector<int64_t> expected{2, 60, ObjectTable<Record>::HandleOf(newest),
                                ObjectTable<Record>::HandleOf(oldest)};
  EXPECT_EQ(t.released, expected);
  for (int64_t value : expected) EXPECT_EQ(t.table.Get(value), nullptr);
}

TEST(ObjectTable, ForEachVisitsLiveObjectsNumbersUpThenDynamicOldestFirst) {
  LoggedTable t;
  Record* oldest = t.Make(kDynamicNumber, 1);
  t.Make(4, 4);
  Record* newest = t.Make(kDynamicNumber, 2);
  t.Make(1, 1);
  t.Make(9, 9);
  t.table.Release(9);
  std::vector<int64_t> visited;
  t.table.ForEach([&](int64_t value, Record&) { visited.push_back(value); });
  EXPECT_EQ(visited, (std::vector<int64_t>{1, 4, ObjectTable<Record>::HandleOf(oldest),
                                           ObjectTable<Record>::HandleOf(newest)}));
}

// Release routines destroy platform objects, whose goodbyes take the event lock; with
// the table's lock held as well, the two locks would be taken in both orders.
TEST(ObjectTable, ReleaseRoutinesRunWithoutTheTableLock) {
  std::vector<bool> lockFree;
  ObjectTable<Record> table{4, [&](int64_t) {
                              std::thread([&] {
                                const bool free = table.Mutex().try_lock();
                                if (free) table.Mutex().unlock();
                                lockFree.push_back(free);
                              }).join();
                            }};
  table.Reserve(1)->handle = 1;
  table.Reserve(1)->handle = 1;  // reusing the number releases the old object
  table.Reserve(kDynamicNumber)->handle = 1;
  table.ReleaseAll();
  EXPECT_EQ(lockFree, (std::vector<bool>{true, true, true}));
}

TEST(ObjectTable, RejectsNumbersOutsideTheModel) {
  LoggedTable t;
  EXPECT_EQ(t.table.Reserve(-2), nullptr);
  EXPECT_EQ(t.table.Reserve(INT64_MIN), nullptr);
  EXPECT_EQ(t.table.Reserve(kMaxObjectNumber + 1), nullptr);
  EXPECT_EQ(t.table.Reserve(INT64_MAX), nullptr);
  EXPECT_EQ(t.table.SlotCount(), 50);
  EXPECT_NE(t.table.Reserve(kMaxObjectNumber), nullptr);
}

}  // namespace
