// The records behind the rows, as workers reach them from their own threads.
#include "catalogue_items.h"

#include <gtest/gtest.h>

#include <atomic>
#include <iterator>
#include <thread>
#include <utility>

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

// Records are packed into one store; every text must come back exactly, whatever it
// holds, while a worker reads records as more are added.
TEST(CatalogueItemsTest, RecordsKeepTheirTextsExactlyWhileAWorkerReadsThem) {
  const Text names[] = {
      u"", u"plain.jpg", u"caf\u00e9 \u65e5\u672c.png", u"\U0001F600 face",
      Text(u"lone \xD800 high") , Text(u"lone \xDC00 low"), Text(u"end \xDBFF"),
      Text(1, u'\0') + u"nul", u"\u07FF\u0800\uFFFF",
  };
  CatalogueItemsClear();
  for (const Text& name : names) CatalogueItemsAdd(name, u"http://127.0.0.1/" + name);
  ASSERT_EQ(CatalogueItemsCount(), std::ssize(names));
  for (size_t i = 0; i < std::size(names); ++i) {
    const CatalogueItem item = CatalogueItemsGet(static_cast<int64_t>(i) + 1);
    EXPECT_EQ(item.name, names[i]) << i;
    EXPECT_EQ(item.address, u"http://127.0.0.1/" + names[i]) << i;
  }
  EXPECT_EQ(CatalogueItemsCurrentItem().name, names[std::size(names) - 1]);
  // Records made apart (as a query makes them) join after the others, in their order.
  CatalogueRecords found;
  for (const Text& name : names) found.Add(u"found " + name, name);
  EXPECT_EQ(CatalogueItemsAppend(std::move(found)), std::ssize(names) + 1);
  EXPECT_EQ(found.Count(), 0);
  ASSERT_EQ(CatalogueItemsCount(), 2 * std::ssize(names));
  EXPECT_EQ(CatalogueItemsCurrent(), 2 * std::ssize(names));
  for (size_t i = 0; i < std::size(names); ++i) {
    const CatalogueItem item = CatalogueItemsGet(std::ssize(names) + static_cast<int64_t>(i) + 1);
    EXPECT_EQ(item.name, u"found " + names[i]) << i;
    EXPECT_EQ(item.address, names[i]) << i;
  }
  EXPECT_EQ(CatalogueItemsGet(2).address, u"http://127.0.0.1/" + names[1]);

  std::atomic<bool> adding{true};
  std::atomic<int> wrong{0};
  std::thread worker([&] {
    while (adding)
      for (size_t i = 0; i < std::size(names); ++i)
        if (CatalogueItemsGet(static_cast<int64_t>(i) + 1).name != names[i]) ++wrong;
  });
  for (int i = 0; i < 20000; ++i) CatalogueItemsAdd(u"more " + TextFromInt(i), u"x");
  adding = false;
  worker.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(CatalogueItemsGet(CatalogueItemsCount()).name, u"more 19999");
  EXPECT_EQ(CatalogueItemsGet(CatalogueItemsCount() + 1).name, u"");
  CatalogueItemsClear();
  EXPECT_EQ(CatalogueItemsCount(), 0);
  EXPECT_EQ(CatalogueItemsCurrent(), 0);
}

// A name is kept as the part before the end it shares with its address, once for a run
// of records alike; each must still come back whole, whatever the runs.
TEST(CatalogueItemsTest, NamesSharingTheirAddressesEndsAndTheirGroupsComeBackWhole) {
  const std::pair<Text, Text> entries[] = {
      {u"Album 1 - a.jpg", u"http://h/album-1/a.jpg"},
      {u"Album 1 - b.jpg", u"http://h/album-1/b.jpg"},
      {u"Album 2 - b.jpg", u"http://h/album-2/b.jpg"},
      {u"Album 2 - x", u"http://h/y"},
      {u"Album 1 - a.jpg", u"http://h/album-1/a.jpg"},
      {u"", u""},
      {u"same", u"same"},
      {u"longer than its address", u"address"},
      {u"Album 1 - a.jpg", u""},
  };
  CatalogueRecords first, second;
  for (const auto& [name, address] : entries) first.Add(name, address);
  for (const auto& [name, address] : entries) second.Add(name, address);
  first.Append(std::move(second));
  ASSERT_EQ(first.Count(), 2 * std::ssize(entries));
  for (int64_t i = 0; i < first.Count(); ++i) {
    const auto& [name, address] = entries[static_cast<size_t>(i) % std::size(entries)];
    const CatalogueItem item = first.Get(i);
    EXPECT_EQ(item.name, name) << i;
    EXPECT_EQ(item.address, address) << i;
  }
}

}  // namespace
