#include "wizard/binding/size_format.h"

#include <gtest/gtest.h>

#include <limits>

namespace qel::wizard::binding {
namespace {

TEST(SizeFormat, UnitsAndGrouping) {
  const SizeUnits units{"bytes", "KB", "MB"};
  const std::pair<int64_t, const char*> cases[] = {
      {0, "0 bytes"},
      {999, "999 bytes"},
      {1000, "1,000 bytes"},
      {1048575, "1,048,575 bytes"},
      {1048576, "1,024 KB"},
      {1572864, "1,536 KB"},
      {1073741823, "1,048,575 KB"},
      {1073741824, "1,024 MB"},
      {5LL * 1024 * 1024 * 1024 * 1024, "5,242,880 MB"},
      {-1, "-1 bytes"},
      {-1572864, "-1,536 KB"},
      {std::numeric_limits<int64_t>::min(), "-8,796,093,022,208 MB"},
      {std::numeric_limits<int64_t>::max(), "8,796,093,022,207 MB"},
  };
  for (auto [bytes, text] : cases) EXPECT_EQ(FormatSize(bytes, units), text) << bytes;
}

TEST(SizeFormat, GroupDigitsEveryThreeFromTheRight) {
  EXPECT_EQ(GroupDigits(1), "1");
  EXPECT_EQ(GroupDigits(123), "123");
  EXPECT_EQ(GroupDigits(1234), "1,234");
  EXPECT_EQ(GroupDigits(123456), "123,456");
  EXPECT_EQ(GroupDigits(1234567), "1,234,567");
}

}  // namespace
}  // namespace qel::wizard::binding
