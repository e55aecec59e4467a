#pragma once
// The engine configuration handed to the runtime when the browser environment is created: our
// own options object, read by the loader (Edge-view flag, channel settings) and by the engine
// (browser arguments, language, everything else).
#include <windows.h>
#include <inspectable.h>
#include <objidl.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "common/com_object.h"
#include "webview2/webview2_interfaces.h"

namespace mirvot {

// Turns off the engine's own out-of-process UI for the web and PDF views and its SmartScreen
// check; 62 characters.
inline constexpr wchar_t kDisabledBrowserFeatures[] =
    L"--disable-features=msWebOOUI,msPdfOOUI,msSmartScreenProtection";
// Media may play without a user gesture; 43 characters, with its leading space.
inline constexpr wchar_t kAutoplaySwitch[] = L" --autoplay-policy=no-user-gesture-required";
inline constexpr wchar_t kTargetCompatibleBrowserVersion[] = L"145.0.3800.47";

// The browser arguments: the disabled features, then the autoplay switch. No proxy is
// configured, so no proxy switch is ever added.
[[nodiscard]] std::wstring browser_arguments();

// The locale name of a UI language ("en-US"), or empty when it has none or the name needs more
// than 31 characters.
[[nodiscard]] std::wstring locale_name_for_language(LANGID language);

// The locale name of the user's UI language.
[[nodiscard]] std::wstring user_ui_locale_name();

// The accessors of a property of the options interfaces: the getter hands out the field, the
// setter stores what it is given. Text is handed out as a new CoTaskMemAlloc copy and stored as
// a copy of its own, a null text as the empty one. `type` is a type, which parentheses would
// break.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define MIRVOT_OPTIONS_VALUE(name, type, field)                         \
  HRESULT STDMETHODCALLTYPE get_##name(type* value) noexcept override { \
    return read(field, value);                                          \
  }                                                                     \
  HRESULT STDMETHODCALLTYPE put_##name(type value) noexcept override { return write(field, value); }
#define MIRVOT_OPTIONS_TEXT(name, field)                                  \
  HRESULT STDMETHODCALLTYPE get_##name(LPWSTR* value) noexcept override { \
    return read_text(field, value);                                       \
  }                                                                       \
  HRESULT STDMETHODCALLTYPE put_##name(LPCWSTR value) noexcept override { \
    return write_text(field, value);                                      \
  }
// NOLINTEND(bugprone-macro-parentheses)

// The options object. It is agile: it answers IAgileObject and hands out the free-threaded
// marshaler as its IMarshal, so the engine may read it from any thread. Setters store what
// they are given; getters give it back (strings as new CoTaskMemAlloc copies).
class EnvironmentOptions final
    : public ComObject<ICoreWebView2EnvironmentOptions, ICoreWebView2EnvironmentOptions2,
                       ICoreWebView2EnvironmentOptions3, ICoreWebView2EnvironmentOptions4,
                       ICoreWebView2EnvironmentOptions5, ICoreWebView2EnvironmentOptions6,
                       ICoreWebView2EnvironmentOptions7, ICoreWebView2EnvironmentOptions8,
                       IInspectable, IAgileObject> {
 public:
  // The object with this program's values: the browser arguments, the user's UI language,
  // target version 145.0.3800.47, tracking prevention on, the four public release channels
  // searched most stable first, everything else off. Null when memory or the marshaler cannot
  // be had.
  [[nodiscard]] static Microsoft::WRL::ComPtr<EnvironmentOptions>
  create_for_browser_view() noexcept;

  // ICoreWebView2EnvironmentOptions
  MIRVOT_OPTIONS_TEXT(AdditionalBrowserArguments, additional_browser_arguments_)
  MIRVOT_OPTIONS_TEXT(Language, language_)
  MIRVOT_OPTIONS_TEXT(TargetCompatibleBrowserVersion, target_compatible_browser_version_)
  MIRVOT_OPTIONS_VALUE(AllowSingleSignOnUsingOSPrimaryAccount, BOOL,
                       allow_single_sign_on_using_os_primary_account_)
  // ICoreWebView2EnvironmentOptions2
  MIRVOT_OPTIONS_VALUE(ExclusiveUserDataFolderAccess, BOOL, exclusive_user_data_folder_access_)
  // ICoreWebView2EnvironmentOptions3
  MIRVOT_OPTIONS_VALUE(IsCustomCrashReportingEnabled, BOOL, is_custom_crash_reporting_enabled_)
  // ICoreWebView2EnvironmentOptions4: this program registers no custom schemes, so the list
  // starts empty. A list that is set is kept with a reference to each registration; the
  // getter hands out a CoTaskMemAlloc array with a new reference to each (null when empty).
  HRESULT STDMETHODCALLTYPE GetCustomSchemeRegistrations(
      UINT32* count,
      ICoreWebView2CustomSchemeRegistration*** schemeRegistrations) noexcept override;
  HRESULT STDMETHODCALLTYPE SetCustomSchemeRegistrations(
      UINT32 count, ICoreWebView2CustomSchemeRegistration** schemeRegistrations) noexcept override;
  // ICoreWebView2EnvironmentOptions5
  MIRVOT_OPTIONS_VALUE(EnableTrackingPrevention, BOOL, enable_tracking_prevention_)
  // ICoreWebView2EnvironmentOptions6
  MIRVOT_OPTIONS_VALUE(AreBrowserExtensionsEnabled, BOOL, are_browser_extensions_enabled_)
  // ICoreWebView2EnvironmentOptions7
  MIRVOT_OPTIONS_VALUE(ChannelSearchKind, COREWEBVIEW2_CHANNEL_SEARCH_KIND, channel_search_kind_)
  MIRVOT_OPTIONS_VALUE(ReleaseChannels, COREWEBVIEW2_RELEASE_CHANNELS, release_channels_)
  // ICoreWebView2EnvironmentOptions8
  MIRVOT_OPTIONS_VALUE(ScrollBarStyle, COREWEBVIEW2_SCROLLBAR_STYLE, scroll_bar_style_)
  // IInspectable: the object is not a Windows Runtime class. It names no runtime interfaces
  // and no class name, and claims only base trust.
  HRESULT STDMETHODCALLTYPE GetIids(ULONG* iidCount, IID** iids) noexcept override;
  HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING* className) noexcept override;
  HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel* trustLevel) noexcept override {
    return read(BaseTrust, trustLevel);
  }

 protected:
  // IMarshal comes from the aggregated free-threaded marshaler.
  HRESULT QueryExtraInterface(REFIID riid, void** object) noexcept override;

 private:
  ~EnvironmentOptions() override = default;

  // A getter's answer: the stored value, or E_POINTER for a null out-pointer.
  template <typename T>
  [[nodiscard]] static HRESULT read(T stored, T* value) noexcept {
    if (value == nullptr) {
      return E_POINTER;
    }
    *value = stored;
    return S_OK;
  }
  template <typename T>
  [[nodiscard]] static HRESULT write(T& field, T value) noexcept {
    field = value;
    return S_OK;
  }
  // A new CoTaskMemAlloc copy of the text.
  [[nodiscard]] static HRESULT read_text(const std::wstring& text, LPWSTR* value) noexcept;
  // Stores a copy of a caller's string; a null string stores the empty one.
  [[nodiscard]] static HRESULT write_text(std::wstring& field, LPCWSTR value) noexcept;

  std::wstring additional_browser_arguments_;
  std::wstring language_;
  std::wstring target_compatible_browser_version_;
  std::vector<Microsoft::WRL::ComPtr<ICoreWebView2CustomSchemeRegistration>>
      custom_scheme_registrations_;
  BOOL allow_single_sign_on_using_os_primary_account_ = FALSE;
  BOOL exclusive_user_data_folder_access_ = FALSE;
  BOOL is_custom_crash_reporting_enabled_ = FALSE;
  BOOL enable_tracking_prevention_ = TRUE;
  BOOL are_browser_extensions_enabled_ = FALSE;
  COREWEBVIEW2_CHANNEL_SEARCH_KIND channel_search_kind_ =
      COREWEBVIEW2_CHANNEL_SEARCH_KIND_MOST_STABLE;
  COREWEBVIEW2_RELEASE_CHANNELS release_channels_ =
      COREWEBVIEW2_RELEASE_CHANNELS_STABLE | COREWEBVIEW2_RELEASE_CHANNELS_BETA |
      COREWEBVIEW2_RELEASE_CHANNELS_DEV | COREWEBVIEW2_RELEASE_CHANNELS_CANARY;
  COREWEBVIEW2_SCROLLBAR_STYLE scroll_bar_style_ = COREWEBVIEW2_SCROLLBAR_STYLE_DEFAULT;
  // The free-threaded marshaler's own (inner) unknown, aggregated with this object as outer.
  Microsoft::WRL::ComPtr<IUnknown> marshaler_;
};

}  // namespace mirvot
