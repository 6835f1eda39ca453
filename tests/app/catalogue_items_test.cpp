// The records behind the rows, as workers reach them from their own threads.
#include "catalogue_items.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(CatalogueItemsTest, SelectingHandsOverTheRecordItSelectedWhateverOtherThreadsSelect) {
  CatalogueItemsClear();
  CatalogueItemsAdd(u"first", u"http://127.0.0.1/first");
  CatalogueItemsAdd(u"second", u"http://127.0.0.1/second");
  std::atomic<int> wrong{0};
  auto reader = [&wrong](int64_t handle, const Text& name) {
    for (int i = 0; i < 50000; ++i) {
      CatalogueItem item;
      if (CatalogueItemsSelect(handle, &item) != 1 || item.name != name) ++wrong;
    }
  };
  std::thread first(reader, 1, u"first");
  std::thread second(reader, 2, u"second");
  first.join();
  second.join();
  EXPECT_EQ(wrong, 0);

  CatalogueItem untouched{u"kept", u""};
  EXPECT_EQ(CatalogueItemsSelect(3, &untouched), 0);
  EXPECT_EQ(untouched.name, u"kept");
  CatalogueItemsClear();
}

}  // namespace
