#include "common/hresult.h"

#include <gtest/gtest.h>

namespace mirvot {
namespace {

TEST(HResultFromWin32Code, MatchesThePlatformMacro) {
  for (DWORD code : {0ul, 2ul, 5ul, 126ul, 193ul, 0xFFFFul, 0x12345ul, 0x7FFFFFFFul, 0x80004005ul}) {
    EXPECT_EQ(HResultFromWin32Code(code), HRESULT_FROM_WIN32(code)) << code;
  }
  EXPECT_EQ(HResultFromWin32Code(2), static_cast<HRESULT>(0x80070002));
  EXPECT_EQ(HResultFromWin32Code(0x80004005u), static_cast<HRESULT>(0x80004005)) << "already an HRESULT";
}

TEST(LastErrorAsHResult, ReadsTheThreadsLastError) {
  ::SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(LastErrorAsHResult(), static_cast<HRESULT>(0x80070005));
  ::SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(LastErrorAsHResult(), S_OK);
  ::SetLastError(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(HResultFromBool(FALSE), static_cast<HRESULT>(0x80070002));
  EXPECT_EQ(HResultFromBool(TRUE), S_OK);
}

}  // namespace
}  // namespace mirvot
