#pragma once
// Shared set-up of the discovery and settings tests: a clean slate of registrations, policies
// and WebView2 variables for each test, runtime folders laid out on disk, and the expected
// debugger lines.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/owners.h"
#include "harness/clean_webview2_state.h"
#include "harness/debug_capture.h"
#include "harness/environment.h"
#include "harness/registry_seed.h"
#include "harness/temp_folder.h"
#include "loader/core/channel_list.h"

namespace mirvot::test {

inline constexpr wchar_t kEdgeUpdateKey[] = L"Software\\Microsoft\\EdgeUpdate";
inline constexpr wchar_t kEdgeStableClientKey[] =
    L"Software\\Microsoft\\EdgeUpdate\\Clients\\{56EB18F8-B008-4CBD-B6D2-8C97FE7E9062}";
inline constexpr wchar_t kPolicyRoot[] = L"Software\\Policies\\Microsoft\\Edge\\WebView2";
inline constexpr wchar_t kExeFileName[] = L"loader_discovery_test.exe";

inline constexpr char kNoInstalledRuntimeLine[] =
    "WebView2: Failed to find an installed WebView2 runtime or non-stable Microsoft Edge "
    "installation.\n";

// The updater's registration key of a channel.
std::wstring RegistrationKey(ReleaseChannel channel);
// Writes a channel's "EBWebView" registration (32-bit view).
void RegisterRuntime(HKEY hive, ReleaseChannel channel, const std::wstring& folder);
// The policy key of one policy.
std::wstring PolicyKey(const std::wstring& policyName);

// folder + "\EBWebView\x64\EmbeddedBrowserWebView.dll".
std::wstring ClientDllIn(const std::wstring& folder);
// Lays out a runtime folder holding the engine library; returns the folder.
std::wstring MakeRuntimeFolder(const std::wstring& folder);
// A file held open without sharing, so that nobody else can open it.
class ExclusiveFileLock {
 public:
  explicit ExclusiveFileLock(const std::wstring& path);
  ExclusiveFileLock(const ExclusiveFileLock&) = delete;
  ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;
  [[nodiscard]] bool locked() const { return file_.valid(); }

 private:
  UniqueFileHandle file_;
};

// The folder of this test program, with its trailing backslash.
std::wstring TestProgramFolder();
// A folder beside the test program, removed when the scope ends.
class FolderBesideTestProgram {
 public:
  explicit FolderBesideTestProgram(const std::wstring& name);
  ~FolderBesideTestProgram();
  FolderBesideTestProgram(const FolderBesideTestProgram&) = delete;
  FolderBesideTestProgram& operator=(const FolderBesideTestProgram&) = delete;
  [[nodiscard]] const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

std::string Utf8(const std::wstring& text);

// A debugger line made of a fixed text, a path and the line feed.
std::string Line(const char* text, const std::wstring& path);

// Every test starts without registrations, policies or WebView2 variables, leaves none behind,
// and captures the debugger output of the code under test.
class LoaderRegistryTest : public ::testing::Test {
 protected:
  CleanWebView2State clean_;
  TempFolder temp_;
  DebugOutputCapture debug_;

  [[nodiscard]] std::vector<std::string> Lines() const { return debug_.lines(); }
};

}  // namespace mirvot::test
