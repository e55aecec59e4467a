#include "loader_discovery/discovery_fixture.h"

#include "common/wide_text.h"
#include "harness/host_paths.h"

namespace mirvot::test {
namespace {

// The updater's key names, written out here rather than taken from the code under test.
constexpr const wchar_t* kRegistrationKeyNames[] = {
    L"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}",  // Stable
    L"{2CD8A007-E189-409D-A2C8-9AF4EF3C72AA}",  // Beta
    L"{0D50BFEC-CD6A-4F9A-964C-C7416E3ACB10}",  // Dev
    L"{65C35B14-6C1D-4122-AC46-7148CC9D6497}",  // Canary
    L"{BE59E8FD-089A-411B-A3B0-051D9E417818}",  // Internal
};

// The test engine when the build has laid it out; discovery only opens the file, so any file
// serves when it has not.
std::wstring EngineLibrary() {
  return WindowsPathFromHost(MIRVOT_TEST_RUNTIME_ROOT) +
         L"\\fixed\\EBWebView\\x64\\EmbeddedBrowserWebView.dll";
}

}  // namespace

std::wstring RegistrationKey(ReleaseChannel channel) {
  return std::wstring(kEdgeUpdateKey) + L"\\ClientState\\" +
         kRegistrationKeyNames[static_cast<int>(channel)];
}

void RegisterRuntime(HKEY hive, ReleaseChannel channel, const std::wstring& folder) {
  ASSERT_EQ(SetRegistryString(hive, RegistrationKey(channel), L"EBWebView", folder,
                              RegistryView::Wow64_32),
            ERROR_SUCCESS);
}

std::wstring PolicyKey(const std::wstring& policyName) {
  return std::wstring(kPolicyRoot) + L"\\" + policyName;
}

std::wstring ClientDllIn(const std::wstring& folder) {
  return folder + L"\\EBWebView\\x64\\EmbeddedBrowserWebView.dll";
}

std::wstring MakeRuntimeFolder(const std::wstring& folder) {
  const std::wstring library = ClientDllIn(folder);
  const std::wstring engine = EngineLibrary();
  if (::GetFileAttributesW(engine.c_str()) != INVALID_FILE_ATTRIBUTES) {
    EXPECT_TRUE(CopyFileTo(engine, library));
  } else {
    const std::size_t slash = library.rfind(L'\\');
    EXPECT_TRUE(CreateFolders(library.substr(0, slash)));
    const UniqueFileHandle file(::CreateFileW(library.c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(file.valid());
  }
  return folder;
}

ExclusiveFileLock::ExclusiveFileLock(const std::wstring& path)
    : file_(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {}

std::wstring TestProgramFolder() {
  std::wstring path(32768, L'\0');
  path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path.substr(0, path.rfind(L'\\') + 1);
}

FolderBesideTestProgram::FolderBesideTestProgram(const std::wstring& name)
    : path_(TestProgramFolder() + name) {
  DeleteFolderTree(path_);
}

FolderBesideTestProgram::~FolderBesideTestProgram() { DeleteFolderTree(path_); }

std::string Utf8(const std::wstring& text) { return WideToUtf8(text); }

std::string Line(const char* text, const std::wstring& path) {
  return std::string(text) + Utf8(path) + "\n";
}

}  // namespace mirvot::test
