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
  // The object with this program's values: the browser arguments, the
  // user's UI language, target version 145.0.3800.47, tracking prevention on, the four
  // public release channels searched most stable first, everything else off. Null when memory
  // or the marshaler cannot be had.
  [[nodiscard]] static Microsoft::WRL::ComPtr<EnvironmentOptions>
  create_for_browser_view() noexcept;

  // ICoreWebView2EnvironmentOptions
  HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) noexcept override {
    return read_text(additional_browser_arguments_, value);
  }
  HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR value) noexcept override {
    return write_text(additional_browser_arguments_, value);
  }
  HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) noexcept override {
    return read_text(language_, value);
  }
  HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR value) noexcept override {
    return write_text(language_, value);
  }
  HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR* value) noexcept override {
    return read_text(target_compatible_browser_version_, value);
  }
  HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR value) noexcept override {
    return write_text(target_compatible_browser_version_, value);
  }
  HRESULT STDMETHODCALLTYPE
  get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) noexcept override {
    return read(allow_single_sign_on_using_os_primary_account_, allow);
  }
  HRESULT STDMETHODCALLTYPE
  put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) noexcept override {
    return write(allow_single_sign_on_using_os_primary_account_, allow);
  }
  // ICoreWebView2EnvironmentOptions2
  HRESULT STDMETHODCALLTYPE get_ExclusiveUserDataFolderAccess(BOOL* value) noexcept override {
    return read(exclusive_user_data_folder_access_, value);
  }
  HRESULT STDMETHODCALLTYPE put_ExclusiveUserDataFolderAccess(BOOL value) noexcept override {
    return write(exclusive_user_data_folder_access_, value);
  }
  // ICoreWebView2EnvironmentOptions3
  HRESULT STDMETHODCALLTYPE get_IsCustomCrashReportingEnabled(BOOL* value) noexcept override {
    return read(is_custom_crash_reporting_enabled_, value);
  }
  HRESULT STDMETHODCALLTYPE put_IsCustomCrashReportingEnabled(BOOL value) noexcept override {
    return write(is_custom_crash_reporting_enabled_, value);
  }
  // ICoreWebView2EnvironmentOptions4: this program registers no custom schemes, so the list
  // starts empty. A list that is set is kept with a reference to each registration; the
  // getter hands out a CoTaskMemAlloc array with a new reference to each (null when empty).
  HRESULT STDMETHODCALLTYPE GetCustomSchemeRegistrations(
      UINT32* count,
      ICoreWebView2CustomSchemeRegistration*** schemeRegistrations) noexcept override;
  HRESULT STDMETHODCALLTYPE SetCustomSchemeRegistrations(
      UINT32 count, ICoreWebView2CustomSchemeRegistration** schemeRegistrations) noexcept override;
  // ICoreWebView2EnvironmentOptions5
  HRESULT STDMETHODCALLTYPE get_EnableTrackingPrevention(BOOL* value) noexcept override {
    return read(enable_tracking_prevention_, value);
  }
  HRESULT STDMETHODCALLTYPE put_EnableTrackingPrevention(BOOL value) noexcept override {
    return write(enable_tracking_prevention_, value);
  }
  // ICoreWebView2EnvironmentOptions6
  HRESULT STDMETHODCALLTYPE get_AreBrowserExtensionsEnabled(BOOL* value) noexcept override {
    return read(are_browser_extensions_enabled_, value);
  }
  HRESULT STDMETHODCALLTYPE put_AreBrowserExtensionsEnabled(BOOL value) noexcept override {
    return write(are_browser_extensions_enabled_, value);
  }
  // ICoreWebView2EnvironmentOptions7
  HRESULT STDMETHODCALLTYPE
  get_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND* value) noexcept override {
    return read(channel_search_kind_, value);
  }
  HRESULT STDMETHODCALLTYPE
  put_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND value) noexcept override {
    return write(channel_search_kind_, value);
  }
  HRESULT STDMETHODCALLTYPE
  get_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS* value) noexcept override {
    return read(release_channels_, value);
  }
  HRESULT STDMETHODCALLTYPE
  put_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS value) noexcept override {
    return write(release_channels_, value);
  }
  // ICoreWebView2EnvironmentOptions8
  HRESULT STDMETHODCALLTYPE
  get_ScrollBarStyle(COREWEBVIEW2_SCROLLBAR_STYLE* value) noexcept override {
    return read(scroll_bar_style_, value);
  }
  HRESULT STDMETHODCALLTYPE
  put_ScrollBarStyle(COREWEBVIEW2_SCROLLBAR_STYLE value) noexcept override {
    return write(scroll_bar_style_, value);
  }
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
