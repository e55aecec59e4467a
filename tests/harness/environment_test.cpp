#include "harness/environment.h"

#include <gtest/gtest.h>

namespace mirvot::test {
namespace {

TEST(ScopedEnvironment, SetsAndRestoresAnAbsentVariable) {
  const std::wstring name = L"MIRVOT_HARNESS_VAR";
  SetEnvironment(name, std::nullopt);
  {
    ScopedEnvironment set(name, L"value");
    EXPECT_EQ(GetEnvironment(name), std::optional<std::wstring>(L"value"));
  }
  EXPECT_EQ(GetEnvironment(name), std::nullopt);
}

TEST(ScopedEnvironment, DistinguishesEmptyFromAbsentAndRestoresThePreviousValue) {
  const std::wstring name = L"MIRVOT_HARNESS_VAR2";
  SetEnvironment(name, L"before");
  {
    ScopedEnvironment empty(name, L"");
    EXPECT_EQ(GetEnvironment(name), std::optional<std::wstring>(L""));
    {
      ScopedEnvironment removed(name, std::nullopt);
      EXPECT_EQ(GetEnvironment(name), std::nullopt);
    }
    EXPECT_EQ(GetEnvironment(name), std::optional<std::wstring>(L""));
  }
  EXPECT_EQ(GetEnvironment(name), std::optional<std::wstring>(L"before"));
  SetEnvironment(name, std::nullopt);
}

}  // namespace
}  // namespace mirvot::test
