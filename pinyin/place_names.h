#pragma once

#include <string>
#include <string_view>

namespace Pinyin {

// The romanisation of a Chinese place name as the place is spelled: in either
// script (a traditional character reads as its simplified form), with the
// established spelling of the names whose readings differ from their
// characters' usual ones (重庆 chongqing, 六安 luan), found with or without
// the suffix a user may type (洪洞县, 重庆市); a trailing 市, 省, 县, 盟 or
// 特别行政区 after a name of two characters or more is dropped (济南市 jinan,
// 尉氏县 weishi). Anything else is TextToPinyin's.
std::u16string PlaceToPinyin(std::u16string_view name);

// The name by which two spellings of a place are one place: simplified, with
// the suffix PlaceToPinyin drops dropped (臺北市 and 台北 are 台北).
std::u16string PlaceName(std::u16string_view name);

// The suffix PlaceName drops from `name` (市, 省, 县, 盟, 特别行政区), or
// nothing: what tells 长沙县 from 长沙市, which share a PlaceName.
std::u16string_view DroppedSuffix(std::u16string_view name);

}  // namespace Pinyin
