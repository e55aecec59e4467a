#pragma once
// Host-side probe objects for the engine's tests: an options object with known values, and
// handlers that count their calls and answer the way a test tells them to.
#include <windows.h>
#include <wrl/client.h>

#include <cwchar>
#include <string>
#include <vector>

#include "common/com_object.h"
#include "harness/com_references.h"
#include "webview2/webview2_interfaces.h"

namespace mirvot::test {

inline HRESULT CopyOut(const std::wstring& text, LPWSTR* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = static_cast<LPWSTR>(::CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
  if (*out == nullptr) {
    return E_OUTOFMEMORY;
  }
  std::wmemcpy(*out, text.c_str(), text.size() + 1);
  return S_OK;
}

// Options with fixed, recognisable values; the IIDs given to the constructor are refused.
class ProbeOptions final
    : public ComObject<ICoreWebView2EnvironmentOptions, ICoreWebView2EnvironmentOptions2,
                       ICoreWebView2EnvironmentOptions3, ICoreWebView2EnvironmentOptions4,
                       ICoreWebView2EnvironmentOptions5, ICoreWebView2EnvironmentOptions6,
                       ICoreWebView2EnvironmentOptions7, ICoreWebView2EnvironmentOptions8> {
 public:
  explicit ProbeOptions(std::vector<IID> refused = {}) : refused_(std::move(refused)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override {
    for (const IID& iid : refused_) {
      if (iid == riid) {
        if (object != nullptr) {
          *object = nullptr;
        }
        return E_NOINTERFACE;
      }
    }
    return ComObject::QueryInterface(riid, object);
  }

  [[nodiscard]] LONG References() const noexcept { return ::mirvot::test::ReferencesOf(*this); }

  HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) noexcept override {
    return CopyOut(L"--probe-a --probe-b", value);
  }
  HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) noexcept override {
    return CopyOut(L"de-CH", value);
  }
  HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR*) noexcept override {
    return E_ACCESSDENIED;  // a getter that fails: logged without a value
  }
  HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* v) noexcept override {
    return Give(v, TRUE);
  }
  HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_ExclusiveUserDataFolderAccess(BOOL* v) noexcept override {
    return Give(v, FALSE);
  }
  HRESULT STDMETHODCALLTYPE put_ExclusiveUserDataFolderAccess(BOOL) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_IsCustomCrashReportingEnabled(BOOL* v) noexcept override {
    return Give(v, TRUE);
  }
  HRESULT STDMETHODCALLTYPE put_IsCustomCrashReportingEnabled(BOOL) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetCustomSchemeRegistrations(
      UINT32* count, ICoreWebView2CustomSchemeRegistration*** registrations) noexcept override {
    if (count == nullptr || registrations == nullptr) {
      return E_POINTER;
    }
    *count = 0;
    *registrations = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE
  SetCustomSchemeRegistrations(UINT32, ICoreWebView2CustomSchemeRegistration**) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_EnableTrackingPrevention(BOOL* v) noexcept override {
    return Give(v, TRUE);
  }
  HRESULT STDMETHODCALLTYPE put_EnableTrackingPrevention(BOOL) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_AreBrowserExtensionsEnabled(BOOL* v) noexcept override {
    return Give(v, FALSE);
  }
  HRESULT STDMETHODCALLTYPE put_AreBrowserExtensionsEnabled(BOOL) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE
  get_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND* v) noexcept override {
    return Give(v, COREWEBVIEW2_CHANNEL_SEARCH_KIND_LEAST_STABLE);
  }
  HRESULT STDMETHODCALLTYPE
  put_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE
  get_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS* v) noexcept override {
    return Give(v, static_cast<COREWEBVIEW2_RELEASE_CHANNELS>(0xA));
  }
  HRESULT STDMETHODCALLTYPE put_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_ScrollBarStyle(COREWEBVIEW2_SCROLLBAR_STYLE* v) noexcept override {
    return Give(v, COREWEBVIEW2_SCROLLBAR_STYLE_FLUENT_OVERLAY);
  }
  HRESULT STDMETHODCALLTYPE put_ScrollBarStyle(COREWEBVIEW2_SCROLLBAR_STYLE) noexcept override {
    return E_NOTIMPL;
  }

 private:
  template <typename T>
  static HRESULT Give(T* out, T value) {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = value;
    return S_OK;
  }

  std::vector<IID> refused_;
};

// Counts Invoke calls and keeps what the last one delivered.
class ProbeEnvironmentHandler final
    : public ComObject<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode,
                                   ICoreWebView2Environment* environment) noexcept override {
    ++calls;
    lastError = errorCode;
    lastEnvironment = environment;
    invokedOnThread = ::GetCurrentThreadId();
    return S_OK;
  }
  [[nodiscard]] LONG References() const noexcept { return ::mirvot::test::ReferencesOf(*this); }

  int calls = 0;
  HRESULT lastError = E_UNEXPECTED;
  Microsoft::WRL::ComPtr<ICoreWebView2Environment> lastEnvironment;
  DWORD invokedOnThread = 0;
};

class ProbeControllerHandler final
    : public ComObject<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler> {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode,
                                   ICoreWebView2Controller* controller) noexcept override {
    ++calls;
    lastError = errorCode;
    lastController = controller;
    return S_OK;
  }
  [[nodiscard]] LONG References() const noexcept { return ::mirvot::test::ReferencesOf(*this); }

  int calls = 0;
  HRESULT lastError = E_UNEXPECTED;
  Microsoft::WRL::ComPtr<ICoreWebView2Controller> lastController;
};

// Answers with `result` after counting the call.
class ProbeCloseHandler final : public ComObject<ICoreWebView2WindowCloseRequestedEventHandler> {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) noexcept override {
    ++calls;
    lastSender = sender;
    argsWereNull = args == nullptr;
    if (destroyOnClose != nullptr) {
      ::DestroyWindow(destroyOnClose);  // what the program's own close response does
    }
    return result;
  }

  int calls = 0;
  HWND destroyOnClose = nullptr;
  HRESULT result = S_OK;
  bool argsWereNull = false;
  // Identity only: holding a reference would tie the view and its handler in a cycle.
  const ICoreWebView2* lastSender = nullptr;
};

// Reads the URI and marks the request handled (or not).
class ProbeNewWindowHandler final : public ComObject<ICoreWebView2NewWindowRequestedEventHandler> {
 public:
  HRESULT STDMETHODCALLTYPE
  Invoke(ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs* args) noexcept override {
    ++calls;
    LPWSTR uri = nullptr;
    if (SUCCEEDED(args->get_Uri(&uri)) && uri != nullptr) {
      lastUri = uri;
    }
    ::CoTaskMemFree(uri);
    return markHandled ? args->put_Handled(TRUE) : S_OK;
  }

  int calls = 0;
  bool markHandled = true;
  std::wstring lastUri;
};

// Reads the download's URI and proposed path, then writes a path back and marks it handled, or
// cancels it.
class ProbeDownloadHandler final : public ComObject<ICoreWebView2DownloadStartingEventHandler> {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2*,
                                   ICoreWebView2DownloadStartingEventArgs* args) noexcept override {
    ++calls;
    Microsoft::WRL::ComPtr<ICoreWebView2DownloadOperation> operation;
    HRESULT hr = args->get_DownloadOperation(&operation);
    if (FAILED(hr)) {
      return hr;
    }
    LPWSTR text = nullptr;
    hr = operation->get_Uri(&text);
    if (FAILED(hr)) {
      return hr;
    }
    uri = text;
    ::CoTaskMemFree(text);
    text = nullptr;
    hr = args->get_ResultFilePath(&text);
    if (FAILED(hr)) {
      return hr;
    }
    proposedPath = text;
    ::CoTaskMemFree(text);
    if (cancel) {
      return args->put_Cancel(TRUE);
    }
    hr = args->put_ResultFilePath(writtenPath.empty() ? proposedPath.c_str() : writtenPath.c_str());
    if (FAILED(hr)) {
      return hr;
    }
    return args->put_Handled(TRUE);
  }

  int calls = 0;
  bool cancel = false;
  std::wstring writtenPath;  // empty: write the proposed path back
  std::wstring uri;
  std::wstring proposedPath;
};

// A new probe whose first reference the returned pointer owns.
template <typename T, typename... Args>
Microsoft::WRL::ComPtr<T> MakeProbe(Args&&... args) {
  return AdoptComReference(MakeComObject<T>(std::forward<Args>(args)...));
}

}  // namespace mirvot::test
