#include "pinyin/place_names.h"

#include <algorithm>
#include <array>
#include <utility>

#include "pinyin/pinyin.h"

namespace Pinyin {

namespace {

// County-level and higher divisions (Hong Kong's districts and Macau's
// parishes among them) whose established spelling is not what their characters
// usually read. No Debian package holds these readings; they are the spellings
// of the Ministry of Civil Affairs' list of administrative divisions (GB/T 2260
// with its pinyin names), as in 《中华人民共和国行政区划简册》.
// Sorted by name.
constexpr auto kEstablished = [] {
  std::array<std::pair<std::u16string_view, std::u16string_view>, 38> names{{
      {u"东阿", u"donge"},    {u"乐亭", u"laoting"},   {u"乐清", u"yueqing"},
      {u"乐陵", u"laoling"},  {u"什邡", u"shifang"},   {u"六合", u"luhe"},
      {u"六安", u"luan"},     {u"单县", u"shanxian"},  {u"吴堡", u"wubu"},
      {u"大埔", u"dabu"},     {u"宕昌", u"tanchang"},  {u"尉犁", u"yuli"},
      {u"枞阳", u"zongyang"}, {u"柞水", u"zhashui"},   {u"氹仔", u"dangzai"},
      {u"泌阳", u"biyang"},   {u"洪洞", u"hongtong"},  {u"浚县", u"xunxian"},
      {u"涡阳", u"guoyang"},  {u"湾仔", u"wanzai"},    {u"牟平", u"muping"},
      {u"犍为", u"qianwei"},  {u"珲春", u"hunchun"},   {u"瑷珲", u"aihui"},
      {u"番禺", u"panyu"},    {u"称多", u"chenduo"},   {u"筠连", u"junlian"},
      {u"繁峙", u"fanshi"},   {u"荥经", u"yingjing"},  {u"荥阳", u"xingyang"},
      {u"莘县", u"shenxian"}, {u"蔚县", u"yuxian"},    {u"蚌埠", u"bengbu"},
      {u"蚌山", u"bengshan"}, {u"重庆", u"chongqing"}, {u"铅山", u"yanshan"},
      {u"长子", u"zhangzi"},  {u"黄陂", u"huangpi"},
  }};
  std::ranges::sort(names);
  return names;
}();

// Suffixes a user may type after a division's name, longest first.
constexpr std::array<std::u16string_view, 9> kSuffixes = {
    u"特别行政区", u"自治州", u"自治县", u"市", u"省", u"县", u"区", u"州", u"盟"};
// Of those, the ones that are never part of the spelling of a name of two
// characters or more (a county of one character keeps its 县: 单县 is shanxian).
constexpr std::array<std::u16string_view, 5> kDropped = {u"特别行政区", u"市", u"省", u"县", u"盟"};

const std::u16string_view* Established(std::u16string_view name) {
  const auto found = std::ranges::lower_bound(
      kEstablished, name, {}, &std::pair<std::u16string_view, std::u16string_view>::first);
  return found != kEstablished.end() && found->first == name ? &found->second : nullptr;
}

// The suffix a name ends with, leaving at least two characters before it; the
// longest decides (峨边彝族自治县 ends with 自治县, not with 县).
std::u16string_view SuffixOf(std::u16string_view name) {
  for (const std::u16string_view suffix : kSuffixes)
    if (name.ends_with(suffix) && name.size() >= suffix.size() + 2) return suffix;
  return {};
}

// Of a simplified name; one of kDropped, so it outlives the name.
std::u16string_view DroppedSuffixOf(std::u16string_view name) {
  const std::u16string_view suffix = SuffixOf(name);
  return std::ranges::find(kDropped, suffix) != kDropped.end() ? suffix : std::u16string_view();
}

std::u16string WithoutDroppedSuffix(std::u16string name) {
  name.resize(name.size() - DroppedSuffixOf(name).size());
  return name;
}

}  // namespace

std::u16string_view DroppedSuffix(std::u16string_view name) {
  return DroppedSuffixOf(Simplified(name));
}

std::u16string PlaceName(std::u16string_view typed) {
  return WithoutDroppedSuffix(Simplified(typed));
}

std::u16string PlaceToPinyin(std::u16string_view typed) {
  const std::u16string name = Simplified(typed);
  const std::u16string_view stem =
      std::u16string_view(name).substr(0, name.size() - SuffixOf(name).size());
  for (const std::u16string_view known : {std::u16string_view(name), stem})
    if (const auto* spelling = Established(known)) return std::u16string(*spelling);
  return TextToPinyin(WithoutDroppedSuffix(name));
}

}  // namespace Pinyin
