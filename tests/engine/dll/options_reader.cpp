#include "options_reader.h"

#include <wrl/client.h>

#include <string>

#include "common/com_object.h"
#include "engine_log.h"

namespace mirvot::test_engine {
namespace {

using Microsoft::WRL::ComPtr;

template <typename Interface>
ComPtr<Interface> Query(IUnknown* options, const char* name) {
  ComPtr<Interface> found;
  if (FAILED(options->QueryInterface(__uuidof(Interface),
                                     reinterpret_cast<void**>(found.GetAddressOf()))) ||
      !found) {
    WriteLogLine(std::string("options.") + name + " missing");
    return nullptr;
  }
  return found;
}

void LogResult(const char* getter, HRESULT hr, const std::string& value) {
  std::string line = std::string("options.") + getter + " hr=" + HexCode(hr);
  if (SUCCEEDED(hr)) {
    line += " " + value;
  }
  WriteLogLine(line);
}

template <typename Getter>
void LogText(const char* getter, Getter get) {
  LPWSTR value = nullptr;
  const HRESULT hr = get(&value);
  LogResult(getter, hr, "value=" + QuotedText(value));
  ::CoTaskMemFree(value);
}

template <typename Value, typename Getter>
void LogNumber(const char* getter, Getter get) {
  Value value{};
  const HRESULT hr = get(&value);
  LogResult(getter, hr, "value=" + std::to_string(static_cast<long long>(value)));
}

void LogCustomSchemes(ICoreWebView2EnvironmentOptions4* options) {
  UINT32 count = 0;
  ICoreWebView2CustomSchemeRegistration** registrations = nullptr;
  const HRESULT hr = options->GetCustomSchemeRegistrations(&count, &registrations);
  LogResult("GetCustomSchemeRegistrations", hr, "count=" + std::to_string(count));
  if (registrations != nullptr) {
    for (UINT32 i = 0; i < count; ++i) {
      // The array and the references in it are the caller's gift to us.
      const ComPtr<ICoreWebView2CustomSchemeRegistration> owned =
          AdoptComReference(registrations[i]);
    }
    ::CoTaskMemFree(registrations);
  }
}

}  // namespace

void LogEnvironmentOptions(ICoreWebView2EnvironmentOptions* options) {
  if (options == nullptr) {
    return;
  }
  if (auto o = Query<ICoreWebView2EnvironmentOptions>(options, "ICoreWebView2EnvironmentOptions")) {
    LogText("get_AdditionalBrowserArguments",
            [&](LPWSTR* v) { return o->get_AdditionalBrowserArguments(v); });
    LogText("get_Language", [&](LPWSTR* v) { return o->get_Language(v); });
    LogText("get_TargetCompatibleBrowserVersion",
            [&](LPWSTR* v) { return o->get_TargetCompatibleBrowserVersion(v); });
    LogNumber<BOOL>("get_AllowSingleSignOnUsingOSPrimaryAccount",
                    [&](BOOL* v) { return o->get_AllowSingleSignOnUsingOSPrimaryAccount(v); });
  }
  if (auto o =
          Query<ICoreWebView2EnvironmentOptions2>(options, "ICoreWebView2EnvironmentOptions2")) {
    LogNumber<BOOL>("get_ExclusiveUserDataFolderAccess",
                    [&](BOOL* v) { return o->get_ExclusiveUserDataFolderAccess(v); });
  }
  if (auto o =
          Query<ICoreWebView2EnvironmentOptions3>(options, "ICoreWebView2EnvironmentOptions3")) {
    LogNumber<BOOL>("get_IsCustomCrashReportingEnabled",
                    [&](BOOL* v) { return o->get_IsCustomCrashReportingEnabled(v); });
  }
  if (auto o =
          Query<ICoreWebView2EnvironmentOptions4>(options, "ICoreWebView2EnvironmentOptions4")) {
    LogCustomSchemes(o.Get());
  }
  if (auto o =
          Query<ICoreWebView2EnvironmentOptions5>(options, "ICoreWebView2EnvironmentOptions5")) {
    LogNumber<BOOL>("get_EnableTrackingPrevention",
                    [&](BOOL* v) { return o->get_EnableTrackingPrevention(v); });
  }
  if (auto o =
          Query<ICoreWebView2EnvironmentOptions6>(options, "ICoreWebView2EnvironmentOptions6")) {
    LogNumber<BOOL>("get_AreBrowserExtensionsEnabled",
                    [&](BOOL* v) { return o->get_AreBrowserExtensionsEnabled(v); });
  }
  if (auto o =
          Query<ICoreWebView2EnvironmentOptions7>(options, "ICoreWebView2EnvironmentOptions7")) {
    LogNumber<COREWEBVIEW2_CHANNEL_SEARCH_KIND>(
        "get_ChannelSearchKind",
        [&](COREWEBVIEW2_CHANNEL_SEARCH_KIND* v) { return o->get_ChannelSearchKind(v); });
    LogNumber<COREWEBVIEW2_RELEASE_CHANNELS>(
        "get_ReleaseChannels",
        [&](COREWEBVIEW2_RELEASE_CHANNELS* v) { return o->get_ReleaseChannels(v); });
  }
  if (auto o =
          Query<ICoreWebView2EnvironmentOptions8>(options, "ICoreWebView2EnvironmentOptions8")) {
    LogNumber<COREWEBVIEW2_SCROLLBAR_STYLE>(
        "get_ScrollBarStyle",
        [&](COREWEBVIEW2_SCROLLBAR_STYLE* v) { return o->get_ScrollBarStyle(v); });
  }
}

}  // namespace mirvot::test_engine
