#include "platform/string_list.h"

#include <gtest/gtest.h>

namespace zk {
namespace {

using Items = std::vector<std::string>;

TEST(StringListTest, UnsortedAppendsAndKeepsDuplicates) {
  StringList list;
  EXPECT_EQ(list.Add("Forms"), 0);
  EXPECT_EQ(list.Add("classes"), 1);
  EXPECT_EQ(list.Add("FORMS"), 2);
  EXPECT_EQ(list.items(), (Items{"Forms", "classes", "FORMS"}));
  EXPECT_EQ(list.IndexOf("forms"), 0);
  EXPECT_EQ(list.IndexOf("CLASSES"), 1);
  EXPECT_EQ(list.IndexOf("Class"), -1);
  EXPECT_FALSE(list.Contains(""));
}

TEST(StringListTest, SortedInsertsInOrderAndIgnoresDuplicates) {
  StringList list;
  list.SetSorted(true);
  EXPECT_EQ(list.Add("SysUtils"), 0);
  EXPECT_EQ(list.Add("classes"), 0);
  EXPECT_EQ(list.Add("Windows"), 2);
  EXPECT_EQ(list.Add("SYSUTILS"), 1);
  EXPECT_EQ(list.Add("Sys_Utils"), 2);  // `_` sorts after the letters
  EXPECT_EQ(list.items(), (Items{"classes", "SysUtils", "Sys_Utils", "Windows"}));
  EXPECT_EQ(list.IndexOf("windows"), 3);
  EXPECT_EQ(list.IndexOf("Win"), -1);
  EXPECT_EQ(list.IndexOf("zzz"), -1);
}

TEST(StringListTest, SetSortedSortsStablyKeepingDuplicatesAndBack) {
  StringList list;
  list.Assign({"b", "A", "a", "B"});
  list.SetSorted(true);
  EXPECT_EQ(list.items(), (Items{"A", "a", "b", "B"}));
  EXPECT_EQ(list.IndexOf("B"), 2);
  list.SetSorted(false);
  EXPECT_EQ(list.Add("c"), 4);
  EXPECT_EQ(list.IndexOf("C"), 4);
  EXPECT_EQ(list.IndexOf("b"), 2);
}

TEST(StringListTest, AssignAndClearKeepTheIndexInStep) {
  StringList list;
  list.Add("old");
  list.Assign({"x", "Y", "x"});
  EXPECT_EQ(list.IndexOf("old"), -1);
  EXPECT_EQ(list.IndexOf("X"), 0);
  EXPECT_EQ(list.IndexOf("y"), 1);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.IndexOf("x"), -1);
  list.SetSorted(true);
  list.Assign({"b", "a", "B"});
  EXPECT_EQ(list.items(), (Items{"a", "b"}));
}

TEST(StringListTest, LongUnsortedListLooksUpEveryItem) {
  StringList list;
  for (int i = 0; i < 5000; ++i) list.Add("Unit" + std::to_string(i));
  for (int i = 0; i < 5000; i += 499) EXPECT_EQ(list.IndexOf("UNIT" + std::to_string(i)), i);
  EXPECT_EQ(list.IndexOf("UNIT5000"), -1);
}

}  // namespace
}  // namespace zk
