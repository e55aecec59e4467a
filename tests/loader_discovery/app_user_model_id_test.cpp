// The application user model ID. Wine has no packaged ID function and a stub for the explicit
// one, so the real call takes the fallback path; the rest runs against fakes.
#include "loader/app_user_model_id.h"

#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <cwchar>
#include <optional>

#include <gtest/gtest.h>

namespace mirvot::test {
namespace {

TEST(AppUserModelId, ProcessWithoutAnIdGetsAFailureAndEmptyText) {
  std::wstring id = L"stale";
  EXPECT_TRUE(FAILED(GetAppUserModelId(id)));
  EXPECT_TRUE(id.empty());
}

struct FakeIds {
  LONG packagedResult = ERROR_SUCCESS;
  std::wstring packagedId;
  std::optional<UINT32> reportedLength;  // default: the ID's length with its terminator
  UINT32 offeredLength = 0;
  int packagedCalls = 0;
  HRESULT explicitResult = S_OK;
  const wchar_t* explicitId = nullptr;
  int explicitCalls = 0;
};
FakeIds* ids = nullptr;

LONG WINAPI FakePackagedId(UINT32* length, PWSTR buffer) {
  ++ids->packagedCalls;
  ids->offeredLength = *length;
  if (ids->packagedResult == ERROR_SUCCESS) {
    std::wmemcpy(buffer, ids->packagedId.c_str(), ids->packagedId.size() + 1);
    *length = ids->reportedLength.value_or(static_cast<UINT32>(ids->packagedId.size() + 1));
  }
  return ids->packagedResult;
}

HRESULT WINAPI FakeExplicitId(PWSTR* id) {
  ++ids->explicitCalls;
  if (ids->explicitId != nullptr) {
    const std::size_t bytes = (std::wcslen(ids->explicitId) + 1) * sizeof(wchar_t);
    *id = static_cast<PWSTR>(::CoTaskMemAlloc(bytes));
    std::memcpy(*id, ids->explicitId, bytes);
  }
  return ids->explicitResult;
}

constexpr AppUserModelIdFunctions kBoth{&FakePackagedId, &FakeExplicitId};
constexpr AppUserModelIdFunctions kExplicitOnly{nullptr, &FakeExplicitId};
constexpr AppUserModelIdFunctions kNeither{nullptr, nullptr};

class AppUserModelIdFakes : public ::testing::Test {
 protected:
  AppUserModelIdFakes() { ids = &fakes_; }
  ~AppUserModelIdFakes() override { ids = nullptr; }
  FakeIds fakes_;
  std::wstring id_;
};

TEST_F(AppUserModelIdFakes, PackagedIdIsReadInto131Units) {
  fakes_.packagedId = L"Contoso.App_8wekyb3d8bbwe!App";
  EXPECT_EQ(GetAppUserModelId(id_, kBoth), S_OK);
  EXPECT_EQ(id_, L"Contoso.App_8wekyb3d8bbwe!App");
  EXPECT_EQ(fakes_.offeredLength, 131u);
  EXPECT_EQ(fakes_.explicitCalls, 0);
}

TEST_F(AppUserModelIdFakes, PackagedLengthBeyondTheBufferIsUnexpected) {
  fakes_.packagedId = L"id";
  for (UINT32 length : {132u, 0u, 0xFFFFFFFFu}) {
    fakes_.reportedLength = length;
    id_ = L"stale";
    EXPECT_EQ(GetAppUserModelId(id_, kBoth), E_UNEXPECTED);
    EXPECT_TRUE(id_.empty());
  }
  EXPECT_EQ(fakes_.explicitCalls, 0);
}

TEST_F(AppUserModelIdFakes, UnpackagedProcessFallsBackToTheExplicitId) {
  fakes_.packagedResult = 15703;  // the process has no application identity
  fakes_.explicitId = L"Mirvot.Explicit";
  EXPECT_EQ(GetAppUserModelId(id_, kBoth), S_OK);
  EXPECT_EQ(id_, L"Mirvot.Explicit");
  EXPECT_EQ(fakes_.packagedCalls, 1);
  EXPECT_EQ(fakes_.explicitCalls, 1);
}

TEST_F(AppUserModelIdFakes, MissingPackagedFunctionFallsBackToTheExplicitId) {
  fakes_.explicitId = L"Mirvot.Explicit";
  EXPECT_EQ(GetAppUserModelId(id_, kExplicitOnly), S_OK);
  EXPECT_EQ(id_, L"Mirvot.Explicit");
}

TEST_F(AppUserModelIdFakes, ExplicitIdFailureIsPassedOnWithEmptyText) {
  fakes_.explicitResult = E_NOTIMPL;
  EXPECT_EQ(GetAppUserModelId(id_, kExplicitOnly), E_NOTIMPL);
  EXPECT_TRUE(id_.empty());
}

TEST_F(AppUserModelIdFakes, NoFunctionAtAllIsNotFound) {
  id_ = L"stale";
  EXPECT_EQ(GetAppUserModelId(id_, kNeither), static_cast<HRESULT>(0x80070490));
  EXPECT_TRUE(id_.empty());
}

}  // namespace
}  // namespace mirvot::test
