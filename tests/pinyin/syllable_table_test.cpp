#include "pinyin/syllable_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

namespace {

using Pinyin::PinyinTable;

TEST(SyllableTable, HoldsTheSyllablesInGb2312Order) {
  Pinyin::BuildPinyinTable();
  const auto& table = PinyinTable();
  ASSERT_EQ(table.Count(), 396u);
  ASSERT_EQ(table.Keys().size(), table.Items().size());

  EXPECT_EQ(table.Keys()[0], "a");
  EXPECT_EQ(table.Items()[0], -20319);
  EXPECT_EQ(table.Keys()[395], "zuo");
  EXPECT_EQ(table.Items()[395], -10254);

  // ü is written v, and pinyin order puts lv and nv before luan and nuan.
  EXPECT_EQ(table.Keys()[176], "lv");
  EXPECT_EQ(table.Items()[176], -15681);
  EXPECT_EQ(table.Keys()[177], "luan");
  EXPECT_EQ(table.Items()[177], -15667);
  EXPECT_EQ(table.Keys()[219], "nv");
  EXPECT_EQ(table.Items()[219], -14930);
  EXPECT_EQ(table.Keys()[220], "nuan");
  EXPECT_EQ(table.Items()[220], -14929);
}

TEST(SyllableTable, StartCodesIncreaseAndKeysAreDistinctLowerCaseSyllables) {
  const auto& table = PinyinTable();
  EXPECT_TRUE(std::is_sorted(table.Items().begin(), table.Items().end(),
                             [](auto a, auto b) { return a <= b; }));
  EXPECT_EQ(std::set<std::string>(table.Keys().begin(), table.Keys().end()).size(), table.Count());
  for (const auto& key : table.Keys()) {
    EXPECT_GE(key.size(), 1u);
    EXPECT_LE(key.size(), 6u);
    EXPECT_TRUE(std::all_of(key.begin(), key.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
        << key;
  }
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
