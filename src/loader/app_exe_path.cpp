#include "loader/app_exe_path.h"

#include <vector>

#include "common/hresult.h"
#include "common/out_of_memory.h"
#include "loader/core/folder_rules.h"

namespace mirvot {

HRESULT GetAppExePath(std::wstring& path, const AppExePathFunctions& functions) noexcept {
  constexpr auto kFirstCapacity = static_cast<DWORD>(kExePathFirstCapacityUnits);
  constexpr auto kSecondCapacity = static_cast<DWORD>(kExePathSecondCapacityUnits);
  return CatchOutOfMemory(E_OUTOFMEMORY, [&] {
    wchar_t first[kFirstCapacity] = {};
    DWORD length = functions.getModuleFileName(nullptr, first, kFirstCapacity);
    if (length > 0 && length < kFirstCapacity) {
      path.assign(first, length);
      return S_OK;
    }
    if (length != kFirstCapacity || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
      return LastErrorAsFailure();
    }
    std::vector<wchar_t> second(kSecondCapacity, L'\0');
    length = functions.getModuleFileName(nullptr, second.data(), kSecondCapacity);
    if (length > 0 && length < kSecondCapacity) {
      path.assign(second.data(), length);
      return S_OK;
    }
    return LastErrorAsFailure();
  });
}

HRESULT GetAppExePath(std::wstring& path) noexcept {
  return GetAppExePath(path, AppExePathFunctions{&::GetModuleFileNameW});
}

}  // namespace mirvot
