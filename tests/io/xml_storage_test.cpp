// The XML storage: a document's arena of strings, and the node pool documents share.
#include "xml_storage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

namespace {

TEST(XmlArena, StringsUpToTheLimitShareBlocksAndLargerOnesGetTheirOwn) {
  XmlArena arena(64);
  const Text small(100, u'a');  // 200 bytes: more than the first block holds
  const XmlString first = arena.Store(small);
  EXPECT_EQ(arena.ArenaBlockCount(), 2u) << "a later block was added";
  for (int i = 0; i < 100; ++i) arena.Store(small);
  const Text atLimit(XmlArena::kArenaLimit / 2, u'b'), aboveLimit(XmlArena::kArenaLimit / 2 + 1, u'c');
  EXPECT_EQ(arena.Store(atLimit).View(), atLimit);
  EXPECT_EQ(arena.ArenaBlockCount(), 2u) << "all of it fits into the later block";
  EXPECT_EQ(arena.SeparateBlockCount(), 0u);
  EXPECT_EQ(arena.Store(aboveLimit).View(), aboveLimit);
  EXPECT_EQ(arena.SeparateBlockCount(), 1u);
  EXPECT_EQ(arena.Store(Text()).length, 0u);
  EXPECT_EQ(first.View(), small) << "earlier strings stay where they are";
  for (size_t bytes : {1, 3, 8, 13})
    EXPECT_EQ(reinterpret_cast<uintptr_t>(arena.Allocate(bytes)) % 8, 0u) << bytes;
}

TEST(XmlNodePool, NodesComeClearedAndThreadsGivingThemBackKeepTheCount) {
  XmlNodePool& pool = XmlNodePool::Shared();
  const size_t before = pool.LiveCount();
  XmlNode* used = pool.Take();
  used->kind = 3;
  used->documentId = 9;
  pool.GiveChain(used, used, 1);
  XmlNode* fresh = pool.Take();
  EXPECT_EQ(fresh->kind, 0);
  EXPECT_EQ(fresh->documentId, 0);
  EXPECT_EQ(pool.LiveCount(), before + 1);
  pool.GiveChain(fresh, fresh, 1);

  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&pool] {
      for (int round = 0; round < 200; ++round) {
        std::vector<XmlNode*> taken;
        for (int i = 0; i < 50; ++i) taken.push_back(pool.Take());
        for (size_t i = 0; i + 1 < taken.size(); ++i) taken[i]->next = taken[i + 1];
        pool.GiveChain(taken.front(), taken.back(), taken.size());
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(pool.LiveCount(), before);
}

}  // namespace
