#pragma once
// Shared set-up of the hostile-input tests: every WebView2 variable, policy and updater
// registration cleared before and after each test, the debugger output captured, a temporary
// folder, a recording completion handler, and helpers that lay out runtime folders (also past
// MAX_PATH) and read the loader's debugger lines.
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/com_object.h"
#include "harness/clean_webview2_state.h"
#include "harness/com_references.h"
#include "harness/debug_capture.h"
#include "harness/environment.h"
#include "harness/registry_seed.h"
#include "harness/temp_folder.h"
#include "loader/core/channel_list.h"
#include "loader/loader_settings.h"
#include "loader/settings_resolution.h"
#include "webview2/webview2_interfaces.h"

namespace mirvot::test {

inline constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002);
inline constexpr wchar_t kExeFileName[] = L"hostile_input_test.exe";
inline constexpr wchar_t kClientDllRelativePath[] = L"EBWebView\\x64\\EmbeddedBrowserWebView.dll";
inline constexpr wchar_t kPolicyRoot[] = L"Software\\Policies\\Microsoft\\Edge\\WebView2\\";
inline constexpr wchar_t kClientStatePrefix[] = L"Software\\Microsoft\\EdgeUpdate\\ClientState\\";
inline constexpr char kNoInstalledRuntimeLine[] =
    "WebView2: Failed to find an installed WebView2 runtime or non-stable Microsoft Edge "
    "installation.\n";
inline constexpr char kClientDllNotFound[] =
    "WebView2: Failed to find the WebView2 client dll at: ";
inline constexpr char kIncompatible[] = "WebView2: skipped an incompatible version ";
inline constexpr char kInaccessible[] = "WebView2: skipped inaccessible ";
inline constexpr char kLoadLibraryFailed[] =
    "WebView2: CoreWebView2Environment failed when trying to LoadLibrary: hr=0x";
inline constexpr char kArchitectureHint[] =
    "WebView2: This error (0x8007007E) typically indicates missing binaries or an architecture "
    "mismatch.";

// The largest value an environment variable can hold: 32,767 units with its terminator. (The
// system keeps a variable's text in a counted string of at most 0xFFFC bytes; Wine cuts a longer
// value to this length when it is set.)
inline constexpr std::size_t kLongestVariable = 32766;
// The longest string the debugger receives from one OutputDebugStringW call, for the same
// reason; the rest of a longer one is cut off by the system (measured under Wine).
inline constexpr std::size_t kLongestDebugString = 32766;

std::string Utf8(const std::wstring& text);
std::string Line(const char* text, const std::wstring& path);
// folder + "\EBWebView\x64\EmbeddedBrowserWebView.dll".
std::wstring ClientDllIn(const std::wstring& folder);
// The updater's registration key of a channel.
std::wstring RegistrationKey(ReleaseChannel channel);
std::wstring PolicyKey(const std::wstring& policyName);

// Paths of any length: folders and files are made through the "\\?\" form, which is not bound
// to MAX_PATH. `path` must be absolute with a drive letter.
std::wstring ExtendedLengthPath(const std::wstring& path);
bool CreateFoldersOfAnyLength(const std::wstring& path);
bool CopyFileOfAnyLength(const std::wstring& from, const std::wstring& to);
bool WriteFileOfAnyLength(const std::wstring& path, const std::string& bytes);
std::optional<std::string> ReadWholeFile(const std::wstring& path);
// Deletes a tree made through the "\\?\" form.
void DeleteTreeOfAnyLength(const std::wstring& path);

// The caller's completion handler: records every call and the reference it was handed.
struct CompletionCall {
  HRESULT errorCode = S_OK;
  Microsoft::WRL::ComPtr<ICoreWebView2Environment> environment;
};
class RecordingHandler final
    : public ComObject<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode,
                                   ICoreWebView2Environment* environment) noexcept override;
  std::vector<CompletionCall> calls;
  [[nodiscard]] LONG References() const { return ::mirvot::test::ReferencesOf(*this); }
};

// An environment whose methods are never called by the loader; it only has to be one object
// that answers ICoreWebView2Environment and counts its references. With
// `queryFailsWithPointer`, its QueryInterface breaks COM's rules: it fails, yet writes itself to
// the out-pointer without adding a reference.
class InertEnvironment final : public ComObject<ICoreWebView2Environment> {
 public:
  bool queryFailsWithPointer = false;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override;
  HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
      HWND, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler*) override;
  HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(IStream*, int, LPCWSTR, LPCWSTR,
                                                      ICoreWebView2WebResourceResponse**) override;
  HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR*) override;
  HRESULT STDMETHODCALLTYPE add_NewBrowserVersionAvailable(
      ICoreWebView2NewBrowserVersionAvailableEventHandler*, EventRegistrationToken*) override;
  HRESULT STDMETHODCALLTYPE remove_NewBrowserVersionAvailable(EventRegistrationToken) override;
  [[nodiscard]] LONG References() const { return ::mirvot::test::ReferencesOf(*this); }
};

template <typename T>
Microsoft::WRL::ComPtr<T> MakeObject() {
  Microsoft::WRL::ComPtr<T> object;
  *object.ReleaseAndGetAddressOf() = new T();  // adopts the reference the object is born with
  return object;
}

// Every test starts and ends without WebView2 variables, policies or registrations.
class HostileTest : public ::testing::Test {
 protected:
  HostileTest();

  // The entry with the recording handler.
  HRESULT Create(const wchar_t* folder, const wchar_t* userDataFolder = nullptr,
                 ICoreWebView2EnvironmentOptions* options = nullptr);
  // ResolveLoaderSettings over the given arguments; texts live in storage_.
  LoaderSettings Resolve(const wchar_t* folder = nullptr, const wchar_t* userDataFolder = nullptr,
                         ICoreWebView2EnvironmentOptions* options = nullptr);
  // A runtime folder at `folder` whose engine library is a copy of `library`.
  void LayOutRuntime(const std::wstring& folder, const std::wstring& library);
  // Writes a channel's "EBWebView" registration (32-bit view) as raw bytes of a type.
  void RegisterRaw(HKEY hive, ReleaseChannel channel, DWORD type, const void* data, DWORD size);
  void RegisterText(HKEY hive, ReleaseChannel channel, const std::wstring& folder);
  [[nodiscard]] std::vector<std::string> Lines() const { return output_.lines(); }

  CleanWebView2State clean_;
  TempFolder temp_;
  ResolvedTextStorage storage_;
  DebugOutputCapture output_;
  Microsoft::WRL::ComPtr<RecordingHandler> caller_ = MakeObject<RecordingHandler>();
};

}  // namespace mirvot::test
