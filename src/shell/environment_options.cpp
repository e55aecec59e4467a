#include "shell/environment_options.h"

#include "common/com_object.h"

#include <combaseapi.h>

#include <array>
#include <cstring>
#include <new>
#include <utility>

namespace mirvot {
namespace {

// A locale name fits 31 characters and its terminator; a longer one counts as none.
constexpr int kLocaleNameBufferUnits = 32;

// A new CoTaskMemAlloc copy of a string, as the getters hand out.
HRESULT CopyToTaskMemory(const std::wstring& text, LPWSTR* value) noexcept {
  if (value == nullptr) {
    return E_POINTER;
  }
  *value = nullptr;
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  auto* copy = static_cast<wchar_t*>(::CoTaskMemAlloc(bytes));
  if (copy == nullptr) {
    return E_OUTOFMEMORY;
  }
  std::memcpy(copy, text.c_str(), bytes);
  *value = copy;
  return S_OK;
}

template <typename T>
HRESULT GetValue(T stored, T* value) noexcept {
  if (value == nullptr) {
    return E_POINTER;
  }
  *value = stored;
  return S_OK;
}

}  // namespace

std::wstring BuildBrowserArguments(bool autoplay) {
  std::wstring arguments = kDisabledBrowserFeatures;
  if (autoplay) {
    arguments += kAutoplaySwitch;
  }
  return arguments;
}

std::wstring LocaleNameForLanguage(LANGID language) {
  std::array<wchar_t, kLocaleNameBufferUnits> name{};
  if (::LCIDToLocaleName(language, name.data(), kLocaleNameBufferUnits,
                         LOCALE_ALLOW_NEUTRAL_NAMES) == 0) {
    return {};
  }
  // Up to the first NUL; the zero-filled buffer guarantees there is one.
  name.back() = L'\0';
  return std::wstring(name.data());
}

std::wstring UserUiLocaleName() { return LocaleNameForLanguage(::GetUserDefaultUILanguage()); }

Microsoft::WRL::ComPtr<EnvironmentOptions> EnvironmentOptions::CreateForBrowserView() noexcept {
  Microsoft::WRL::ComPtr<EnvironmentOptions> options =
      AdoptComReference(new (std::nothrow) EnvironmentOptions());
  if (!options) {
    return nullptr;
  }
  try {
    options->additionalBrowserArguments_ = BuildBrowserArguments(/*autoplay=*/true);
    options->language_ = UserUiLocaleName();
    options->targetCompatibleBrowserVersion_ = kTargetCompatibleBrowserVersion;
  } catch (...) {
    return nullptr;
  }
  if (FAILED(::CoCreateFreeThreadedMarshaler(options->AsUnknown(),
                                             options->marshaler_.GetAddressOf()))) {
    return nullptr;
  }
  return options;
}

HRESULT EnvironmentOptions::Store(std::wstring& field, LPCWSTR value) noexcept {
  try {
    field = value != nullptr ? value : L"";
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT EnvironmentOptions::get_AdditionalBrowserArguments(LPWSTR* value) noexcept {
  return CopyToTaskMemory(additionalBrowserArguments_, value);
}

HRESULT EnvironmentOptions::put_AdditionalBrowserArguments(LPCWSTR value) noexcept {
  return Store(additionalBrowserArguments_, value);
}

HRESULT EnvironmentOptions::get_Language(LPWSTR* value) noexcept {
  return CopyToTaskMemory(language_, value);
}

HRESULT EnvironmentOptions::put_Language(LPCWSTR value) noexcept { return Store(language_, value); }

HRESULT EnvironmentOptions::get_TargetCompatibleBrowserVersion(LPWSTR* value) noexcept {
  return CopyToTaskMemory(targetCompatibleBrowserVersion_, value);
}

HRESULT EnvironmentOptions::put_TargetCompatibleBrowserVersion(LPCWSTR value) noexcept {
  return Store(targetCompatibleBrowserVersion_, value);
}

HRESULT EnvironmentOptions::get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) noexcept {
  return GetValue(allowSingleSignOnUsingOSPrimaryAccount_, allow);
}

HRESULT EnvironmentOptions::put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) noexcept {
  allowSingleSignOnUsingOSPrimaryAccount_ = allow;
  return S_OK;
}

HRESULT EnvironmentOptions::get_ExclusiveUserDataFolderAccess(BOOL* value) noexcept {
  return GetValue(exclusiveUserDataFolderAccess_, value);
}

HRESULT EnvironmentOptions::put_ExclusiveUserDataFolderAccess(BOOL value) noexcept {
  exclusiveUserDataFolderAccess_ = value;
  return S_OK;
}

HRESULT EnvironmentOptions::get_IsCustomCrashReportingEnabled(BOOL* value) noexcept {
  return GetValue(isCustomCrashReportingEnabled_, value);
}

HRESULT EnvironmentOptions::put_IsCustomCrashReportingEnabled(BOOL value) noexcept {
  isCustomCrashReportingEnabled_ = value;
  return S_OK;
}

HRESULT EnvironmentOptions::GetCustomSchemeRegistrations(
    UINT32* count, ICoreWebView2CustomSchemeRegistration*** schemeRegistrations) noexcept {
  if (count == nullptr || schemeRegistrations == nullptr) {
    return E_POINTER;
  }
  *count = 0;
  *schemeRegistrations = nullptr;
  if (customSchemeRegistrations_.empty()) {
    return S_OK;
  }
  auto* array = static_cast<ICoreWebView2CustomSchemeRegistration**>(::CoTaskMemAlloc(
      customSchemeRegistrations_.size() * sizeof(ICoreWebView2CustomSchemeRegistration*)));
  if (array == nullptr) {
    return E_OUTOFMEMORY;
  }
  for (size_t i = 0; i < customSchemeRegistrations_.size(); ++i) {
    // Each element carries its own reference, which the receiver releases.
    Microsoft::WRL::ComPtr<ICoreWebView2CustomSchemeRegistration> copy =
        customSchemeRegistrations_[i];
    array[i] = copy.Detach();
  }
  *count = static_cast<UINT32>(customSchemeRegistrations_.size());
  *schemeRegistrations = array;
  return S_OK;
}

HRESULT EnvironmentOptions::SetCustomSchemeRegistrations(
    UINT32 count, ICoreWebView2CustomSchemeRegistration** schemeRegistrations) noexcept {
  if (count > 0 && schemeRegistrations == nullptr) {
    return E_POINTER;
  }
  try {
    std::vector<Microsoft::WRL::ComPtr<ICoreWebView2CustomSchemeRegistration>> stored(
        schemeRegistrations, schemeRegistrations + count);
    customSchemeRegistrations_ = std::move(stored);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT EnvironmentOptions::get_EnableTrackingPrevention(BOOL* value) noexcept {
  return GetValue(enableTrackingPrevention_, value);
}

HRESULT EnvironmentOptions::put_EnableTrackingPrevention(BOOL value) noexcept {
  enableTrackingPrevention_ = value;
  return S_OK;
}

HRESULT EnvironmentOptions::get_AreBrowserExtensionsEnabled(BOOL* value) noexcept {
  return GetValue(areBrowserExtensionsEnabled_, value);
}

HRESULT EnvironmentOptions::put_AreBrowserExtensionsEnabled(BOOL value) noexcept {
  areBrowserExtensionsEnabled_ = value;
  return S_OK;
}

HRESULT EnvironmentOptions::get_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND* value) noexcept {
  return GetValue(channelSearchKind_, value);
}

HRESULT EnvironmentOptions::put_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND value) noexcept {
  channelSearchKind_ = value;
  return S_OK;
}

HRESULT EnvironmentOptions::get_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS* value) noexcept {
  return GetValue(releaseChannels_, value);
}

HRESULT EnvironmentOptions::put_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS value) noexcept {
  releaseChannels_ = value;
  return S_OK;
}

HRESULT EnvironmentOptions::get_ScrollBarStyle(COREWEBVIEW2_SCROLLBAR_STYLE* value) noexcept {
  return GetValue(scrollBarStyle_, value);
}

HRESULT EnvironmentOptions::put_ScrollBarStyle(COREWEBVIEW2_SCROLLBAR_STYLE value) noexcept {
  scrollBarStyle_ = value;
  return S_OK;
}

HRESULT EnvironmentOptions::GetIids(ULONG* iidCount, IID** iids) noexcept {
  if (iidCount == nullptr || iids == nullptr) {
    return E_POINTER;
  }
  *iidCount = 0;
  *iids = nullptr;
  return S_OK;
}

HRESULT EnvironmentOptions::GetRuntimeClassName(HSTRING* className) noexcept {
  if (className == nullptr) {
    return E_POINTER;
  }
  *className = nullptr;
  return E_NOTIMPL;
}

HRESULT EnvironmentOptions::GetTrustLevel(TrustLevel* trustLevel) noexcept {
  return GetValue(BaseTrust, trustLevel);
}

HRESULT EnvironmentOptions::QueryExtraInterface(REFIID riid, void** object) noexcept {
  if (riid == __uuidof(IMarshal) && marshaler_) {
    // The aggregated marshaler's interfaces count their references on this object.
    return marshaler_->QueryInterface(riid, object);
  }
  return E_NOINTERFACE;
}

}  // namespace mirvot
