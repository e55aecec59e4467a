#include "loader/runtime_folder.h"

#include "common/debug_output.h"
#include "common/out_of_memory.h"
#include "common/owners.h"
#include "common/wide_text.h"
#include "loader/core/folder_rules.h"

namespace mirvot {

bool LocateClientDll(const std::wstring& folder, std::wstring& clientDllPath) noexcept {
  const bool formed = CatchOutOfMemory(false, [&] {
    clientDllPath = ToWideString(ClientDllPathIn(AsUtf16(folder)));
    return true;
  });
  if (!formed || ::GetFileAttributesW(clientDllPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return false;
  }
  const UniqueFileHandle file(::CreateFileW(clientDllPath.c_str(), kClientDllOpenAccess,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
  if (!file) {
    WriteDebugMessage(
        {Narrow("WebView2: skipped inaccessible "), Wide(clientDllPath.c_str()), Narrow("\n")});
    return false;
  }
  return true;
}

bool AcceptRuntimeFolder(const RuntimeVersion& version, const std::wstring& folder,
                         std::wstring& clientDllPath) noexcept {
  if (!IsSupportedRuntimeVersion(version)) {
    WriteDebugMessage(
        {Narrow("WebView2: skipped an incompatible version "), Wide(folder.c_str()), Narrow("\n")});
    return false;
  }
  return LocateClientDll(folder, clientDllPath);
}

}  // namespace mirvot
