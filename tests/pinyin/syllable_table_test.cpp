#include "pinyin/syllable_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

namespace {

struct Entry {
  std::size_t index;
  const char* key;
  std::int16_t item;
};

TEST(SyllableTable, HoldsTheSyllablesInGb2312Order) {
  Pinyin::BuildPinyinTable();
  const auto& table = Pinyin::PinyinTable();
  ASSERT_EQ(table.Count(), 396u);
  ASSERT_EQ(table.Keys().size(), table.Items().size());

  // First and last, and ü (written v) before the syllables it sorts ahead of.
  for (const Entry& entry : {Entry{0, "a", -20319}, Entry{395, "zuo", -10254},
                             Entry{176, "lv", -15681}, Entry{177, "luan", -15667},
                             Entry{219, "nv", -14930}, Entry{220, "nuan", -14929}}) {
    EXPECT_EQ(table.Keys()[entry.index], entry.key);
    EXPECT_EQ(table.Items()[entry.index], entry.item) << entry.key;
  }
  EXPECT_TRUE(std::adjacent_find(table.Items().begin(), table.Items().end(),
                                 std::greater_equal<>()) == table.Items().end());
  EXPECT_EQ(std::set<std::string>(table.Keys().begin(), table.Keys().end()).size(), table.Count());
}

TEST(SyllableTable, RefusesADuplicateKeyAndKeepsInsertionOrder) {
  Pinyin::SyllableTable table;
  table.Add("zuo", -10254);
  table.Add("a", -20319);
  EXPECT_THROW(table.Add("a", 1), std::invalid_argument);
  ASSERT_EQ(table.Count(), 2u);
  EXPECT_EQ(table.Keys()[0], "zuo");
  EXPECT_EQ(table.Items()[1], -20319);
}

}  // namespace
