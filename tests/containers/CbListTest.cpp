// CbList: order at both ends, removal anywhere, value lifetimes and the node pool.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Counted.h"
#include "support/CbList.h"

namespace {

// The values from the head, or from the tail when `backward`.
template <class T>
std::vector<T> Values(const CbList<T>& list, bool backward = false) {
  std::vector<T> values;
  for (auto* node = backward ? list.GetTail() : list.GetHead(); node != nullptr;
       node = backward ? node->previous : node->next) {
    values.push_back(node->value);
  }
  return values;
}

TEST(CbListTest, AddsAtBothEndsAndRemovesAnywhere) {
  CbList<std::string> list;
  list.AddTail(std::string("b"));
  list.AddHead("a");
  list.AddTail("c");
  list.AddTail("d");
  EXPECT_EQ(Values(list), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(Values(list, true), (std::vector<std::string>{"d", "c", "b", "a"}));
  EXPECT_EQ(list.GetAt(2)->value, "c");
  EXPECT_EQ(list.GetAt(4), nullptr);

  list.Remove(list.GetAt(1));
  EXPECT_EQ(Values(list, true), (std::vector<std::string>{"d", "c", "a"}));
  list.Remove(list.GetHead());
  list.Remove(list.GetTail());
  EXPECT_EQ(Values(list), (std::vector<std::string>{"c"}));
  EXPECT_EQ(list.GetHead(), list.GetTail());
  list.Remove(list.GetHead());
  EXPECT_EQ(list.GetCount(), 0u);
  list.AddHead("e");
  EXPECT_EQ(Values(list, true), (std::vector<std::string>{"e"}));
}

TEST(CbListTest, DestroysEveryValueOnce) {
  SCounted::live = 0;
  {
    CbList<SCounted> list;
    for (int i = 0; i < 25; ++i) list.AddTail(SCounted(i));
    EXPECT_EQ(SCounted::live, 25);
    list.Remove(list.GetAt(12));
    list.RemoveAll();
    EXPECT_EQ(SCounted::live, 0);
    EXPECT_EQ(list.GetCount(), 0u);
    for (int i = 0; i < 5; ++i) list.AddHead(SCounted(i));
  }
  EXPECT_EQ(SCounted::live, 0);
}

TEST(CbListTest, NodesComeFromBlocksOfTenAndAreReused) {
  CbList<long> list;
  std::vector<char*> values;
  for (int i = 0; i < 11; ++i) values.push_back(reinterpret_cast<char*>(&list.AddTail(i)));
  const std::ptrdiff_t stride = values[0] - values[1];
  for (int i = 1; i < 10; ++i) EXPECT_EQ(values[i - 1] - values[i], stride) << i;
  EXPECT_NE(values[9] - values[10], stride);  // the eleventh opens a second block

  list.Remove(list.GetAt(4));
  EXPECT_EQ(reinterpret_cast<char*>(&list.AddHead(99L)), values[4]);
  EXPECT_EQ(Values(list), (std::vector<long>{99, 0, 1, 2, 3, 5, 6, 7, 8, 9, 10}));
}

TEST(CbListTest, MovedListsKeepTheirNodesAndStayUsable) {
  CbList<std::string> a;
  a.AddTail("x");
  a.AddTail("y");
  CbList<std::string> b(std::move(a));
  EXPECT_EQ(Values(b), (std::vector<std::string>{"x", "y"}));
  EXPECT_TRUE(a.IsEmpty());
  a.AddTail("z");  // a moved-from list takes new values
  EXPECT_EQ(Values(a), (std::vector<std::string>{"z"}));
  a = std::move(b);
  EXPECT_EQ(Values(a, true), (std::vector<std::string>{"y", "x"}));
  std::vector<std::string> iterated(a.begin(), a.end());
  EXPECT_EQ(iterated, (std::vector<std::string>{"x", "y"}));
}

}  // namespace
