#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace Pinyin {

// Toneless pinyin syllables, each with the code page 936 code at which its run
// of GB2312 level-1 characters begins. Entries keep their insertion order, and
// keys and items come as two arrays with the same 0-based indexing.
class SyllableTable {
 public:
  // Throws std::invalid_argument when the key is already present.
  void Add(std::string key, std::int16_t item);

  std::size_t Count() const { return keys_.size(); }
  const std::vector<std::string>& Keys() const { return keys_; }
  const std::vector<std::int16_t>& Items() const { return items_; }

 private:
  std::vector<std::string> keys_;
  std::vector<std::int16_t> items_;
  std::unordered_set<std::string> keySet_;  // for the duplicate check
};

// The process-wide table of 396 syllables in GB2312 order. Built on first use,
// once and thread-safely; read-only afterwards.
const SyllableTable& PinyinTable();

// Makes sure PinyinTable exists. The window calls it first thing at load.
void BuildPinyinTable();

}  // namespace Pinyin
