#include "shell/event_responses.h"

#include <new>
#include <string>
#include <utility>

#include "common/com_object.h"
#include "common/hresult.h"
#include "common/own_messages.h"
#include "common/owners.h"
#include "common/wide_text.h"
#include "shell/core/download_path.h"

namespace mirvot {
namespace {

using Microsoft::WRL::ComPtr;

class CloseRequestResponse final : public ComObject<ICoreWebView2WindowCloseRequestedEventHandler> {
 public:
  explicit CloseRequestResponse(HWND host) noexcept : host_(host) {}

  HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* /*sender*/,
                                   IUnknown* /*args*/) noexcept override {
    return DestroyOwnWindow(host_) ? S_OK : LastErrorAsFailure();
  }

 private:
  ~CloseRequestResponse() override = default;
  HWND host_;
};

class NewWindowResponse final : public ComObject<ICoreWebView2NewWindowRequestedEventHandler> {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(
      ICoreWebView2* /*sender*/, ICoreWebView2NewWindowRequestedEventArgs* args) noexcept override {
    if (args == nullptr) {
      return E_INVALIDARG;
    }
    return args->put_Handled(TRUE);
  }

 private:
  ~NewWindowResponse() override = default;
};

class DownloadResponse final : public ComObject<ICoreWebView2DownloadStartingEventHandler> {
 public:
  explicit DownloadResponse(DownloadStartedCallback onDownloadStarted) noexcept
      : on_download_started_(std::move(onDownloadStarted)) {}

  HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* /*sender*/,
                                   ICoreWebView2DownloadStartingEventArgs* args) noexcept override {
    if (args == nullptr) {
      return E_INVALIDARG;
    }
    try {
      return respond(*args);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      // The callback is the shell's; whatever it throws must not cross into the engine.
      return E_UNEXPECTED;
    }
  }

 private:
  ~DownloadResponse() override = default;

  HRESULT respond(ICoreWebView2DownloadStartingEventArgs& args) {
    ComPtr<ICoreWebView2DownloadOperation> operation;
    MIRVOT_RETURN_IF_FAILED(args.get_DownloadOperation(operation.GetAddressOf()));
    if (!operation) {
      return E_POINTER;
    }
    UniqueTaskMemoryString uri;
    MIRVOT_RETURN_IF_FAILED(operation->get_Uri(uri.put()));
    UniqueTaskMemoryString proposedPath;
    MIRVOT_RETURN_IF_FAILED(args.get_ResultFilePath(proposedPath.put()));

    const std::string uriText = WideToUtf8(TextOf(uri));
    std::wstring path = TextOf(proposedPath);
    const bool accepted = on_download_started_ && on_download_started_(uriText, path);
    if (!accepted) {
      return args.put_Cancel(TRUE);
    }
    const std::wstring destination = ToWideString(normalize_download_path(AsUtf16(path)));
    MIRVOT_RETURN_IF_FAILED(args.put_ResultFilePath(destination.c_str()));
    return args.put_Handled(TRUE);
  }

  DownloadStartedCallback on_download_started_;
};

}  // namespace

ComPtr<ICoreWebView2WindowCloseRequestedEventHandler> make_close_request_response(
    HWND host) noexcept {
  return AdoptComReference<ICoreWebView2WindowCloseRequestedEventHandler>(
      MakeComObject<CloseRequestResponse>(host));
}

ComPtr<ICoreWebView2NewWindowRequestedEventHandler> make_new_window_response() noexcept {
  return AdoptComReference<ICoreWebView2NewWindowRequestedEventHandler>(
      MakeComObject<NewWindowResponse>());
}

ComPtr<ICoreWebView2DownloadStartingEventHandler> make_download_response(
    DownloadStartedCallback onDownloadStarted) noexcept {
  return AdoptComReference<ICoreWebView2DownloadStartingEventHandler>(
      MakeComObject<DownloadResponse>(std::move(onDownloadStarted)));
}

}  // namespace mirvot
