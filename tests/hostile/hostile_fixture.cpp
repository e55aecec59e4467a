#include "hostile/hostile_fixture.h"

#include "common/owners.h"
#include "common/wide_text.h"
#include "loader/environment_creation.h"

namespace mirvot::test {

std::string Utf8(const std::wstring& text) { return WideToUtf8(text); }

std::string Line(const char* text, const std::wstring& path) {
  return std::string(text) + Utf8(path) + "\n";
}

std::wstring ClientDllIn(const std::wstring& folder) {
  return folder + L"\\" + kClientDllRelativePath;
}

std::wstring RegistrationKey(ReleaseChannel channel) {
  return kClientStatePrefix +
         std::wstring(AsWide(kChannelRegistrationKeyNames[ChannelIndex(channel)]));
}

std::wstring PolicyKey(const std::wstring& policyName) { return kPolicyRoot + policyName; }

std::wstring ExtendedLengthPath(const std::wstring& path) {
  return path.rfind(L"\\\\?\\", 0) == 0 ? path : L"\\\\?\\" + path;
}

bool CreateFoldersOfAnyLength(const std::wstring& path) {
  const std::wstring full = ExtendedLengthPath(path);
  // Past "\\?\C:\", every backslash ends a folder to make.
  for (std::size_t slash = full.find(L'\\', 7); slash != std::wstring::npos;
       slash = full.find(L'\\', slash + 1)) {
    ::CreateDirectoryW(full.substr(0, slash).c_str(), nullptr);
  }
  ::CreateDirectoryW(full.c_str(), nullptr);
  const DWORD attributes = ::GetFileAttributesW(full.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CopyFileOfAnyLength(const std::wstring& from, const std::wstring& to) {
  const std::size_t slash = to.rfind(L'\\');
  if (slash == std::wstring::npos || !CreateFoldersOfAnyLength(to.substr(0, slash))) {
    return false;
  }
  return ::CopyFileW(ExtendedLengthPath(from).c_str(), ExtendedLengthPath(to).c_str(), FALSE) !=
         FALSE;
}

bool WriteFileOfAnyLength(const std::wstring& path, const std::string& bytes) {
  const std::size_t slash = path.rfind(L'\\');
  if (slash == std::wstring::npos || !CreateFoldersOfAnyLength(path.substr(0, slash))) {
    return false;
  }
  const UniqueFileHandle file(::CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_WRITE, 0,
                                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
  if (!file) {
    return false;
  }
  DWORD written = 0;
  return bytes.empty() || (::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                       &written, nullptr) &&
                           written == bytes.size());
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
  const UniqueFileHandle file(::CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return std::nullopt;
  }
  std::string bytes;
  char chunk[65536];
  DWORD read = 0;
  while (::ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0) {
    bytes.append(chunk, read);
  }
  return bytes;
}

void DeleteTreeOfAnyLength(const std::wstring& path) {
  const std::wstring full = ExtendedLengthPath(path);
  WIN32_FIND_DATAW entry{};
  const HANDLE search = ::FindFirstFileW((full + L"\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") {
        continue;
      }
      const std::wstring child = full + L"\\" + name;
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        DeleteTreeOfAnyLength(child);
      } else {
        ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(child.c_str());
      }
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
  }
  ::RemoveDirectoryW(full.c_str());
}

HRESULT STDMETHODCALLTYPE RecordingHandler::Invoke(HRESULT errorCode,
                                                   ICoreWebView2Environment* environment) noexcept {
  CompletionCall call;
  call.errorCode = errorCode;
  call.environment = environment;
  calls.push_back(call);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE InertEnvironment::QueryInterface(REFIID riid, void** object) noexcept {
  if (queryFailsWithPointer && object != nullptr) {
    *object = static_cast<ICoreWebView2Environment*>(this);
    return E_NOINTERFACE;
  }
  return ComObject::QueryInterface(riid, object);
}

HRESULT STDMETHODCALLTYPE InertEnvironment::CreateCoreWebView2Controller(
    HWND, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler*) {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE InertEnvironment::CreateWebResourceResponse(
    IStream*, int, LPCWSTR, LPCWSTR, ICoreWebView2WebResourceResponse**) {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE InertEnvironment::get_BrowserVersionString(LPWSTR*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE InertEnvironment::add_NewBrowserVersionAvailable(
    ICoreWebView2NewBrowserVersionAvailableEventHandler*, EventRegistrationToken*) {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE
InertEnvironment::remove_NewBrowserVersionAvailable(EventRegistrationToken) {
  return E_NOTIMPL;
}

HostileTest::HostileTest() = default;

HRESULT HostileTest::Create(const wchar_t* folder, const wchar_t* userDataFolder,
                            ICoreWebView2EnvironmentOptions* options) {
  return CreateCoreWebView2EnvironmentWithOptions(folder, userDataFolder, options, caller_.Get());
}

LoaderSettings HostileTest::Resolve(const wchar_t* folder, const wchar_t* userDataFolder,
                                    ICoreWebView2EnvironmentOptions* options) {
  LoaderSettings settings;
  settings.browserExecutableFolder = folder;
  settings.userDataFolder = userDataFolder;
  settings.environmentOptions = options;
  ResolveLoaderSettings(settings, storage_);
  return settings;
}

void HostileTest::LayOutRuntime(const std::wstring& folder, const std::wstring& library) {
  ASSERT_TRUE(CopyFileOfAnyLength(library, ClientDllIn(folder))) << Utf8(folder);
}

void HostileTest::RegisterRaw(HKEY hive, ReleaseChannel channel, DWORD type, const void* data,
                              DWORD size) {
  ASSERT_EQ(SetRegistryRaw(hive, RegistrationKey(channel), L"EBWebView", type, data, size,
                           RegistryView::Wow64_32),
            ERROR_SUCCESS);
}

void HostileTest::RegisterText(HKEY hive, ReleaseChannel channel, const std::wstring& folder) {
  ASSERT_EQ(SetRegistryString(hive, RegistrationKey(channel), L"EBWebView", folder,
                              RegistryView::Wow64_32),
            ERROR_SUCCESS);
}

}  // namespace mirvot::test
