#include "shell/environment_options.h"

#include <combaseapi.h>

#include <array>
#include <cstring>

#include "common/com_object.h"
#include "common/out_of_memory.h"

namespace mirvot {
namespace {

// A locale name fits 31 characters and its terminator; a longer one counts as none.
constexpr int kLocaleNameBufferUnits = 32;

}  // namespace

std::wstring browser_arguments() {
  return std::wstring(kDisabledBrowserFeatures) + kAutoplaySwitch;
}

std::wstring locale_name_for_language(LANGID language) {
  std::array<wchar_t, kLocaleNameBufferUnits> name{};
  if (::LCIDToLocaleName(language, name.data(), kLocaleNameBufferUnits,
                         LOCALE_ALLOW_NEUTRAL_NAMES) == 0) {
    return {};
  }
  // Up to the first NUL; the zero-filled buffer guarantees there is one.
  name.back() = L'\0';
  return std::wstring(name.data());
}

std::wstring user_ui_locale_name() {
  return locale_name_for_language(::GetUserDefaultUILanguage());
}

Microsoft::WRL::ComPtr<EnvironmentOptions> EnvironmentOptions::create_for_browser_view() noexcept {
  Microsoft::WRL::ComPtr<EnvironmentOptions> options =
      AdoptComReference(MakeComObject<EnvironmentOptions>());
  if (!options) {
    return nullptr;
  }
  const bool filled = CatchOutOfMemory(false, [&] {
    options->additional_browser_arguments_ = browser_arguments();
    options->language_ = user_ui_locale_name();
    options->target_compatible_browser_version_ = kTargetCompatibleBrowserVersion;
    return true;
  });
  if (!filled || FAILED(::CoCreateFreeThreadedMarshaler(options->AsUnknown(),
                                                        options->marshaler_.GetAddressOf()))) {
    return nullptr;
  }
  return options;
}

HRESULT EnvironmentOptions::read_text(const std::wstring& text, LPWSTR* value) noexcept {
  if (value == nullptr) {
    return E_POINTER;
  }
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  *value = static_cast<wchar_t*>(::CoTaskMemAlloc(bytes));
  if (*value == nullptr) {
    return E_OUTOFMEMORY;
  }
  std::memcpy(*value, text.c_str(), bytes);
  return S_OK;
}

HRESULT EnvironmentOptions::write_text(std::wstring& field, LPCWSTR value) noexcept {
  return CatchOutOfMemory(E_OUTOFMEMORY, [&] {
    field = value != nullptr ? value : L"";
    return S_OK;
  });
}

HRESULT EnvironmentOptions::GetCustomSchemeRegistrations(
    UINT32* count, ICoreWebView2CustomSchemeRegistration*** schemeRegistrations) noexcept {
  if (count == nullptr || schemeRegistrations == nullptr) {
    return E_POINTER;
  }
  *count = 0;
  *schemeRegistrations = nullptr;
  if (custom_scheme_registrations_.empty()) {
    return S_OK;
  }
  // An array of interface pointers: the size of one pointer per element is meant.
  const std::size_t bytes =
      // NOLINTNEXTLINE(bugprone-sizeof-expression)
      custom_scheme_registrations_.size() * sizeof(ICoreWebView2CustomSchemeRegistration*);
  auto* array = static_cast<ICoreWebView2CustomSchemeRegistration**>(::CoTaskMemAlloc(bytes));
  if (array == nullptr) {
    return E_OUTOFMEMORY;
  }
  for (size_t i = 0; i < custom_scheme_registrations_.size(); ++i) {
    // Each element carries its own reference, which the receiver releases.
    Microsoft::WRL::ComPtr<ICoreWebView2CustomSchemeRegistration> copy =
        custom_scheme_registrations_[i];
    array[i] = copy.Detach();
  }
  *count = static_cast<UINT32>(custom_scheme_registrations_.size());
  *schemeRegistrations = array;
  return S_OK;
}

HRESULT EnvironmentOptions::SetCustomSchemeRegistrations(
    UINT32 count, ICoreWebView2CustomSchemeRegistration** schemeRegistrations) noexcept {
  if (count > 0 && schemeRegistrations == nullptr) {
    return E_POINTER;
  }
  return CatchOutOfMemory(E_OUTOFMEMORY, [&] {
    custom_scheme_registrations_.assign(schemeRegistrations, schemeRegistrations + count);
    return S_OK;
  });
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

HRESULT EnvironmentOptions::QueryExtraInterface(REFIID riid, void** object) noexcept {
  if (riid == __uuidof(IMarshal) && marshaler_) {
    // The aggregated marshaler's interfaces count their references on this object.
    return marshaler_->QueryInterface(riid, object);
  }
  return E_NOINTERFACE;
}

}  // namespace mirvot
