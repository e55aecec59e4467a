#include "lives.h"

#include <optional>
#include <string_view>

#include "common/wide_text.h"
#include "engine/test_engine_client.h"
#include "harness/clean_webview2_state.h"

namespace mirvot::sweep {
namespace {

using test::RegistryView;
using test::SetRegistryDword;
using test::SetRegistryString;

constexpr wchar_t kPolicies[] = L"Software\\Policies\\Microsoft\\Edge\\WebView2\\";
constexpr wchar_t kRegistrations[] = L"Software\\Microsoft\\EdgeUpdate\\ClientState\\";
constexpr wchar_t kStable[] = L"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";
constexpr wchar_t kBeta[] = L"{2CD8A007-E189-409D-A2C8-9AF4EF3C72AA}";
constexpr wchar_t kCanary[] = L"{65C35B14-6C1D-4122-AC46-7148CC9D6497}";
constexpr char kNoRuntimeLine[] =
    "WebView2: Failed to find an installed WebView2 runtime or non-stable Microsoft Edge "
    "installation.";

void register_runtime(HKEY hive, const wchar_t* channel, const std::wstring& folder) {
  SetRegistryString(hive, kRegistrations + std::wstring(channel), L"EBWebView", folder,
                    RegistryView::Wow64_32);
}

void set_policy(HKEY hive, const wchar_t* policy, const wchar_t* name, const std::wstring& value) {
  SetRegistryString(hive, kPolicies + std::wstring(policy), name, value);
}

}  // namespace

const LifeKind* life_named(const std::string& name) {
  for (const LifeKind& life : kLives) {
    if (name == life.name) {
      return &life;
    }
  }
  return nullptr;
}

struct LifeStage::Parts {
  test::CleanWebView2State clean;
  test::TempFolder folder;
  std::vector<std::unique_ptr<test::ScopedEnvironment>> variables;

  void set(const wchar_t* name, const std::wstring& value) {
    variables.push_back(std::make_unique<test::ScopedEnvironment>(name, value));
  }
};

LifeStage::LifeStage(const LifeKind& life, LifeSetup& setup) : parts_(std::make_unique<Parts>()) {
  Parts& parts = *parts_;
  parts.set(L"MIRVOT_TEST_ENGINE_LOG", setup.engineLog);
  const std::string_view name = life.name;
  const std::wstring fixed = test::TestRuntimeFolder(L"fixed");
  if (name == "no-runtime") {
    setup.expectedFatal =
        ExpectedFatalEnd{"WebView2Error(WindowsError(Error { code: HRESULT(0x80070002)",
                         {kNoRuntimeLine, kNoRuntimeLine}};
    return;
  }
  if (name != "policies") {
    parts.set(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", fixed);
  }
  if (name == "refused") {
    // Refused at once by both of the entry's attempts: E_ABORT, a code nothing else gives.
    parts.set(L"MIRVOT_TEST_ENGINE_SCRIPT", L"refuse_create=80004004");
    setup.expectedFatal =
        ExpectedFatalEnd{"WebView2Error(WindowsError(Error { code: HRESULT(0x80004004)", {}};
  } else if (name == "drop") {
    setup.droppedFile = parts.folder.WriteFile(L"report.txt", "dropped\n");
  } else if (name == "policies") {
    // Policies: the machine's "*" names an empty runtime folder, so the installed runtimes are
    // searched (the user's "*" loses to it); the profile folder comes from the user's value
    // named after the executable (the machine's "*" is never used for it); ChannelSearchKind
    // has values for other programs only, in both hives, so the preference variable decides.
    const std::wstring profile = parts.folder.MakeFolder(L"profile");
    set_policy(HKEY_LOCAL_MACHINE, L"BrowserExecutableFolder", L"*", L"");
    set_policy(HKEY_CURRENT_USER, L"BrowserExecutableFolder", L"*", fixed);
    set_policy(HKEY_LOCAL_MACHINE, L"UserDataFolder", L"*", parts.folder.Join(L"not-used"));
    set_policy(HKEY_CURRENT_USER, L"UserDataFolder", L"Mirvot.exe", profile);
    SetRegistryDword(HKEY_LOCAL_MACHINE, kPolicies + std::wstring(L"ChannelSearchKind"),
                     L"Other.exe", 1);
    set_policy(HKEY_CURRENT_USER, L"ChannelSearchKind", L"Other.exe", L"1");
    // Canary, Beta and Stable with an empty item between, least stable first.
    parts.set(L"WEBVIEW2_USE_EDGE_VIEW", L"0");
    parts.set(L"WEBVIEW2_RELEASE_CHANNELS", L"3,1,,0");
    parts.set(L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", L"1");
    // Registrations: Canary too old for the machine and without its library for the user,
    // Beta without a version for the machine and usable for the user; Stable, usable, is never
    // reached.
    const std::wstring root = test::TestRuntimeFolder(L"Application");
    register_runtime(HKEY_LOCAL_MACHINE, kCanary, root + L"\\85.0.564.70");
    register_runtime(HKEY_CURRENT_USER, kCanary, parts.folder.Join(L"121.0.0.0"));
    register_runtime(HKEY_LOCAL_MACHINE, kBeta, root);
    register_runtime(HKEY_CURRENT_USER, kBeta, root + L"\\120.0.2210.91");
    register_runtime(HKEY_LOCAL_MACHINE, kStable, root + L"\\120.0.2210.91");
    setup.engineCreation = "unknown=1 kind=0 userDataFolder=\"" + WideToUtf8(profile) + "\"";
  }
}

LifeStage::~LifeStage() = default;

}  // namespace mirvot::sweep
