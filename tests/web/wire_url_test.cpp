#include "web/wire_url.h"

#include <gtest/gtest.h>

namespace {

using Inets::EncodeUrlForWire;

TEST(EncodeUrlForWire, EncodesSpacesControlsAndNonAscii) {
  EXPECT_EQ(EncodeUrlForWire(u"http://h/jinan/xianlu/K55lu/"), "http://h/jinan/xianlu/K55lu/");
  EXPECT_EQ(EncodeUrlForWire(u"http://h/a b/"), "http://h/a%20b/");
  EXPECT_EQ(EncodeUrlForWire(u"http://h/旅游1lu/"), "http://h/%E6%97%85%E6%B8%B81lu/");
  EXPECT_EQ(EncodeUrlForWire(u"http://h/\r\nX-Evil: 1"), "http://h/%0D%0AX-Evil:%201");
  EXPECT_EQ(EncodeUrlForWire(u"http://h/\u007f\t"), "http://h/%7F%09");
  EXPECT_EQ(EncodeUrlForWire(u"http://h/" + std::u16string(1, char16_t{0xD800})),
            "http://h/%EF%BF%BD");
}

TEST(EncodeUrlForWire, LeavesOtherAsciiAsTyped) {
  EXPECT_EQ(EncodeUrlForWire(u"http://h/a%20b?c=d&e#f"), "http://h/a%20b?c=d&e#f");
  EXPECT_EQ(EncodeUrlForWire(u""), "");
}

}  // namespace
