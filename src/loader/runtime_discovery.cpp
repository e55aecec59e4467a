#include "loader/runtime_discovery.h"

#include <optional>

#include "common/core/hresult_codes.h"
#include "common/debug_output.h"
#include "common/out_of_memory.h"
#include "common/owners.h"
#include "common/wide_text.h"
#include "loader/app_exe_path.h"
#include "loader/core/folder_rules.h"
#include "loader/core/registry_buffer.h"
#include "loader/package_runtime.h"
#include "loader/runtime_folder.h"

namespace mirvot {
namespace {

constexpr HRESULT kFileNotFound = HResultFromWin32Code(ERROR_FILE_NOT_FOUND);  // 0x80070002

// A registration value, read the same way for every name: into a zero-filled buffer of
// 260 units, whatever its type. It counts when the read succeeds with at least 3 bytes and
// the text ends inside the buffer; a value that fills the buffer without a terminator is
// taken as absent rather than read past the buffer's end.
std::optional<std::wstring> ReadRegistrationValue(HKEY key, const wchar_t* name) {
  wchar_t buffer[kRegistryValueBufferUnits] = {};
  DWORD size = sizeof(buffer);
  const LSTATUS status =
      ::RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  if (status != ERROR_SUCCESS || size < 3) {
    return std::nullopt;
  }
  const std::optional<std::u16string_view> text =
      TextInRegistryBuffer(reinterpret_cast<const char16_t*>(buffer), kRegistryValueBufferUnits);
  return text ? std::optional<std::wstring>(ToWideString(*text)) : std::nullopt;
}

// The runtime folder a registration names: the channel's "EBWebView" value, or, for the
// stable Edge browser, its "location" and "pv" (version) joined by a backslash.
std::optional<std::wstring> ReadRegisteredFolder(HKEY hive, ReleaseChannel channel,
                                                 bool edgeStable) {
  std::wstring keyName;
  if (edgeStable) {
    keyName = kEdgeStableClientKey;
  } else {
    keyName = kClientStateKeyPrefix;
    keyName += AsWide(kChannelRegistrationKeyNames[ChannelIndex(channel)]);
  }
  UniqueRegistryKey key;
  if (::RegOpenKeyExW(hive, keyName.c_str(), 0, kRegistrationKeyAccess, key.put()) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::optional<std::wstring> folder =
      ReadRegistrationValue(key.get(), edgeStable ? L"location" : L"EBWebView");
  if (!folder || !edgeStable) {
    return folder;
  }
  const std::optional<std::wstring> version = ReadRegistrationValue(key.get(), L"pv");
  if (!version) {
    return std::nullopt;
  }
  folder->push_back(L'\\');
  folder->append(*version);
  return folder;
}

}  // namespace

bool ReadRegisteredRuntime(HKEY hive, ReleaseChannel channel, bool edgeStable,
                           std::wstring& clientDllPath) noexcept {
  return CatchOutOfMemory(false, [&] {
    const std::optional<std::wstring> folder = ReadRegisteredFolder(hive, channel, edgeStable);
    if (!folder) {
      return false;
    }
    const std::optional<std::u16string_view> versionText = RuntimeVersionText(AsUtf16(*folder));
    RuntimeVersion version;
    if (!versionText || !ParseRuntimeVersion(*versionText, version)) {
      return false;
    }
    return AcceptRuntimeFolder(version, *folder, clientDllPath);
  });
}

std::vector<ReleaseChannel> BuildChannelSearchOrder(const LoaderSettings& settings) {
  return BuildChannelSearchOrder(settings.releaseChannels, settings.releaseChannelsSet,
                                 settings.channelSearchKind);
}

HRESULT FindClientDllInFolder(const wchar_t* folder, std::wstring& clientDllPath) noexcept {
  return CatchOutOfMemory(E_OUTOFMEMORY, [&] {
    std::wstring workingFolder = folder != nullptr ? folder : L"";
    if (!IsAbsoluteFolder(AsUtf16(workingFolder))) {
      // Relative to the executable, not to the current directory, which the process does not
      // control.
      std::wstring exePath;
      const HRESULT hr = GetAppExePath(exePath);
      if (FAILED(hr)) {
        WriteDebugMessage({Narrow("WebView2: Failed to find the app exe path.\n")});
        return hr;
      }
      const std::optional<std::u16string> resolved =
          ResolveFolderAgainstExe(AsUtf16(exePath), AsUtf16(workingFolder));
      if (!resolved) {
        return E_FAIL;
      }
      workingFolder = ToWideString(*resolved);
    }
    if (LocateClientDll(workingFolder, clientDllPath)) {
      return S_OK;
    }
    WriteDebugMessage({Narrow("WebView2: Failed to find the WebView2 client dll at: "),
                       Wide(clientDllPath.c_str()), Narrow("\n")});
    return kFileNotFound;
  });
}

HRESULT FindInstalledRuntime(const LoaderSettings& settings, std::wstring& clientDllPath) noexcept {
  return CatchOutOfMemory(E_OUTOFMEMORY, [&] {
    for (const ReleaseChannel channel : BuildChannelSearchOrder(settings)) {
      const bool edgeStable = channel == ReleaseChannel::Stable && settings.useEdgeView;
      if (ReadRegisteredRuntime(HKEY_LOCAL_MACHINE, channel, edgeStable, clientDllPath) ||
          ReadRegisteredRuntime(HKEY_CURRENT_USER, channel, edgeStable, clientDllPath) ||
          FindPackagedRuntime(channel, clientDllPath)) {
        return S_OK;
      }
    }
    clientDllPath.clear();
    WriteDebugMessage(
        {Narrow("WebView2: Failed to find an installed WebView2 runtime or "
                "non-stable Microsoft Edge installation.\n")});
    return kFileNotFound;
  });
}

}  // namespace mirvot
