// The argument record: copies carry the configured texts, never what a factory worked
// out from them.
#include <gtest/gtest.h>

#include "CValuePointer.h"
#include "beans/SArgument.h"

namespace {

TEST(ArgumentTest, CopiesLeaveTheResolvedValueBehindMovesTakeIt) {
  Ostrel::SArgument original("int", "7");
  auto resolved = std::make_shared<Ostrel::CValuePointer<int>>(7);
  original.kind = Ostrel::SArgument::eLiteral;
  original.literal = resolved;

  Ostrel::SArgument copy(original);
  EXPECT_EQ(copy.kind, Ostrel::SArgument::eUnbound);
  EXPECT_EQ(copy.literal, nullptr);
  Ostrel::SArgument assigned("bean", "x");
  assigned.kind = Ostrel::SArgument::eBean;
  assigned.reference = "x";
  assigned = original;
  EXPECT_EQ(assigned.kind, Ostrel::SArgument::eUnbound);
  EXPECT_EQ(assigned.reference, "");
  EXPECT_EQ(assigned.literal, nullptr);
  EXPECT_EQ(assigned.type, "int");
  EXPECT_EQ(original.literal, resolved);

  Ostrel::SArgument moved(std::move(original));
  Ostrel::SArgument target;
  target = std::move(moved);
  EXPECT_EQ(target.literal, resolved);
}

}  // namespace
