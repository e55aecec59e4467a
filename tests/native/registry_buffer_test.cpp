#include "loader/core/registry_buffer.h"

#include <memory>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace mirvot {
namespace {

// Buffers are allocated at exactly their capacity, so a read past the end is caught by the
// address sanitizer.
std::unique_ptr<char16_t[]> ZeroedBuffer(std::size_t units, std::u16string_view text) {
  auto buffer = std::make_unique<char16_t[]>(units);
  text.copy(buffer.get(), text.size());
  return buffer;
}

TEST(TextInRegistryBufferTest, TextEndsAtTheFirstNul) {
  const auto buffer = ZeroedBuffer(kRegistryValueBufferUnits, uR"(C:\rt\120.0.1.2)");
  EXPECT_EQ(TextInRegistryBuffer(buffer.get(), kRegistryValueBufferUnits), uR"(C:\rt\120.0.1.2)");
}

TEST(TextInRegistryBufferTest, MultiStringValueGivesItsFirstString) {
  const auto buffer = ZeroedBuffer(16, std::u16string_view(u"ab\0cd", 5));
  EXPECT_EQ(TextInRegistryBuffer(buffer.get(), 16), u"ab");
}

TEST(TextInRegistryBufferTest, EmptyValueIsEmptyText) {
  const auto buffer = ZeroedBuffer(8, u"");
  EXPECT_EQ(TextInRegistryBuffer(buffer.get(), 8), u"");
}

TEST(TextInRegistryBufferTest, LongestValueThatFitsWithItsTerminatorIsKept) {
  const std::u16string text(kRegistryValueBufferUnits - 1, u'a');
  const auto buffer = ZeroedBuffer(kRegistryValueBufferUnits, text);
  const auto found = TextInRegistryBuffer(buffer.get(), kRegistryValueBufferUnits);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->size(), kRegistryValueBufferUnits - 1);
}

TEST(TextInRegistryBufferTest, ValueFillingTheBufferWithoutNulIsAbsent) {
  const std::u16string text(kRegistryValueBufferUnits, u'a');
  const auto buffer = ZeroedBuffer(kRegistryValueBufferUnits, text);
  EXPECT_FALSE(TextInRegistryBuffer(buffer.get(), kRegistryValueBufferUnits).has_value());
}

TEST(TextInRegistryBufferTest, SearchNeverGoesPastTheCapacity) {
  // A NUL beyond the stated capacity does not count.
  const auto buffer = ZeroedBuffer(6, u"abcd");
  EXPECT_FALSE(TextInRegistryBuffer(buffer.get(), 4).has_value());
  EXPECT_EQ(TextInRegistryBuffer(buffer.get(), 5), u"abcd");
}

TEST(TextInRegistryBufferTest, MissingBufferIsAbsent) {
  EXPECT_FALSE(TextInRegistryBuffer(nullptr, kRegistryValueBufferUnits).has_value());
  const auto buffer = ZeroedBuffer(1, u"");
  EXPECT_FALSE(TextInRegistryBuffer(buffer.get(), 0).has_value());
}

}  // namespace
}  // namespace mirvot
