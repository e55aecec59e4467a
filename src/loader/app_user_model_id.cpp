#include "loader/app_user_model_id.h"

#include <objbase.h>

#include "common/core/hresult_codes.h"
#include "common/once_value.h"
#include "common/optional_function.h"
#include "common/out_of_memory.h"
#include "common/owners.h"

namespace mirvot {
namespace {

constexpr HRESULT kNotFound = HResultFromWin32Code(ERROR_NOT_FOUND);  // 0x80070490

// shell32's GetCurrentProcessExplicitAppUserModelID.
GetCurrentProcessExplicitAppUserModelIdFunction FindExplicitIdFunction() noexcept {
  return FindFunction<GetCurrentProcessExplicitAppUserModelIdFunction>(
      LoadSystemLibrary(L"shell32.dll"), "GetCurrentProcessExplicitAppUserModelID");
}

// Through the function found the first time it is called.
HRESULT WINAPI GetExplicitIdFromShell32(PWSTR* id) {
  const auto function =
      OnceValue<GetCurrentProcessExplicitAppUserModelIdFunction, &FindExplicitIdFunction>();
  return function != nullptr ? function(id) : kNotFound;
}

// The packaged application's ID. False when the system cannot give one (no such function, or
// the process is not packaged), so that the explicit ID is asked for instead; true with the
// result otherwise.
bool TryPackagedId(GetCurrentApplicationUserModelIdFunction function, std::wstring& id,
                   HRESULT& result) {
  if (function == nullptr) {
    return false;
  }
  wchar_t buffer[kAppUserModelIdCapacity] = {};
  UINT32 length = kAppUserModelIdCapacity;
  if (function(&length, buffer) != ERROR_SUCCESS) {
    return false;
  }
  // The length includes the terminator.
  if (length == 0 || length > kAppUserModelIdCapacity) {
    result = E_UNEXPECTED;
    return true;
  }
  id.assign(buffer, length - 1);
  result = S_OK;
  return true;
}

AppUserModelIdFunctions FindAppUserModelIdFunctions() noexcept {
  return AppUserModelIdFunctions{FindLoadedFunction<GetCurrentApplicationUserModelIdFunction>(
                                     L"Kernel32.dll", "GetCurrentApplicationUserModelId"),
                                 &GetExplicitIdFromShell32};
}

}  // namespace

const AppUserModelIdFunctions& SystemAppUserModelIdFunctions() noexcept {
  return OnceValue<AppUserModelIdFunctions, &FindAppUserModelIdFunctions>();
}

HRESULT GetAppUserModelId(std::wstring& id, const AppUserModelIdFunctions& functions) noexcept {
  // Cleared first, so that the ID stays empty when memory runs out (a string that cannot grow
  // keeps what it had).
  id.clear();
  return CatchOutOfMemory(E_OUTOFMEMORY, [&] {
    HRESULT result = E_FAIL;
    if (TryPackagedId(functions.getCurrentApplicationUserModelId, id, result)) {
      return result;
    }
    const auto explicitIdFunction = functions.getCurrentProcessExplicitAppUserModelId;
    if (explicitIdFunction == nullptr) {
      return kNotFound;
    }
    wchar_t* rawId = nullptr;
    result = explicitIdFunction(&rawId);
    const UniqueTaskMemoryString explicitId(rawId);
    if (SUCCEEDED(result) && explicitId.valid()) {
      id.assign(explicitId.get());
    }
    return result;
  });
}

HRESULT GetAppUserModelId(std::wstring& id) noexcept {
  return GetAppUserModelId(id, SystemAppUserModelIdFunctions());
}

}  // namespace mirvot
