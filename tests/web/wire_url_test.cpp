#include "web/wire_url.h"

#include <gtest/gtest.h>

namespace {

using Web::EncodeUrlForWire;

TEST(EncodeUrlForWire, EncodesSpacesControlsAndNonAscii) {
  EXPECT_EQ(EncodeUrlForWire(u"http://h/jinan/xianlu/K55lu/"), "http://h/jinan/xianlu/K55lu/");
  EXPECT_EQ(EncodeUrlForWire(u"http://h/a b/"), "http://h/a%20b/");
  EXPECT_EQ(EncodeUrlForWire(u"http://h/旅游1lu/"), "http://h/%E6%97%85%E6%B8%B81lu/");
  EXPECT_EQ(EncodeUrlForWire(u"http://h/\r\nX-Evil: 1"), "http://h/%0D%0AX-Evil:%201");
  EXPECT_EQ(EncodeUrlForWire(u"http://h/\u007f\t~"), "http://h/%7F%09~");
  EXPECT_EQ(EncodeUrlForWire(u""), "");
}

// What the user typed is data: it cannot end the path or start a query.
TEST(EncodeUrlForWire, EncodesUrlSyntaxInThePathOnly) {
  EXPECT_EQ(EncodeUrlForWire(u"http://h:8/jinan/xianlu/K55#x?y=1%41lu/"),
            "http://h:8/jinan/xianlu/K55%23x%3Fy=1%2541lu/");
  EXPECT_EQ(EncodeUrlForWire(u"http://h/../a/./b/"), "http://h/../a/./b/");
  EXPECT_EQ(EncodeUrlForWire(u"http://[::1]:8/a#"), "http://[::1]:8/a%23");
  EXPECT_EQ(EncodeUrlForWire(u"no-scheme#?"), "no-scheme%23%3F");
}

}  // namespace
