// One owner per handle: given back exactly once, moves leave the source empty.
#include "base/unique_handle.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace rqx340 {
namespace {

std::vector<std::string> g_closed;

struct NameTraits {
  using Value = std::string;
  static Value Invalid() { return {}; }
  static void Close(const Value& name) noexcept { g_closed.push_back(name); }
};
using UniqueName = UniqueHandle<NameTraits>;

TEST(UniqueHandleTest, GivesEachHandleBackOnce) {
  g_closed.clear();
  {
    UniqueName a("a");
    UniqueName b(std::move(a));
    EXPECT_FALSE(a.Valid());
    EXPECT_EQ(b.Get(), "a");
    UniqueName c("c");
    c = std::move(b);  // "c" goes back now
    EXPECT_EQ(g_closed, std::vector<std::string>{"c"});
    c.Reset("d");  // and "a" here
    EXPECT_EQ(c.Get(), "d");
  }
  EXPECT_EQ(g_closed, (std::vector<std::string>{"c", "a", "d"}));
}

TEST(UniqueHandleTest, ReleaseHandsTheHandleOver) {
  g_closed.clear();
  std::string kept;
  {
    UniqueName name("kept");
    kept = name.Release();
    EXPECT_FALSE(name.Valid());
  }
  EXPECT_EQ(kept, "kept");
  EXPECT_TRUE(g_closed.empty());
}

}  // namespace
}  // namespace rqx340
