#include "common/hresult.h"

#include <gtest/gtest.h>

namespace mirvot {
namespace {

TEST(HResultFromWin32Code, MatchesThePlatformMacro) {
  for (DWORD code :
       {0ul, 2ul, 5ul, 126ul, 193ul, 0xFFFFul, 0x12345ul, 0x7FFFFFFFul, 0x80004005ul}) {
    EXPECT_EQ(HResultFromWin32Code(code), HRESULT_FROM_WIN32(code)) << code;
  }
  EXPECT_EQ(HResultFromWin32Code(2), static_cast<HRESULT>(0x80070002));
  EXPECT_EQ(HResultFromWin32Code(0x80004005u), static_cast<HRESULT>(0x80004005))
      << "already an HRESULT";
}

// A failed call always reads as a failure: a call that failed without setting an error must not
// reach its caller as S_OK.
TEST(LastErrorAsFailure, IsTheLastErrorOrEFail) {
  const struct {
    DWORD lastError;
    HRESULT expected;
  } cases[] = {
      {ERROR_ACCESS_DENIED, static_cast<HRESULT>(0x80070005)},
      {ERROR_FILE_NOT_FOUND, static_cast<HRESULT>(0x80070002)},
      {ERROR_SUCCESS, E_FAIL},
      {0x80004003u, E_POINTER},  // already an HRESULT
  };
  for (const auto& c : cases) {
    ::SetLastError(c.lastError);
    EXPECT_EQ(LastErrorAsFailure(), c.expected) << c.lastError;
    ::SetLastError(c.lastError);
    EXPECT_TRUE(FAILED(LastErrorAsFailure())) << c.lastError;
  }
}

}  // namespace
}  // namespace mirvot
