#pragma once
// The argument objects the engine passes with NewWindowRequested and DownloadStarting, and the
// download operation. They record what the host answers, for the log.
#include <wrl/client.h>

#include <string>

#include "engine_object.h"

namespace mirvot::test_engine {

class NewWindowRequestedArgs final : public EngineObject<ICoreWebView2NewWindowRequestedEventArgs> {
 public:
  explicit NewWindowRequestedArgs(std::wstring uri) noexcept
      : EngineObject("newWindow"), uri_(std::move(uri)) {}

  [[nodiscard]] BOOL handled() const noexcept { return handled_; }
  [[nodiscard]] bool newWindowGiven() const noexcept { return newWindowGiven_; }

  HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) noexcept override;
  HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2* newWindow) noexcept override;
  HRESULT STDMETHODCALLTYPE get_NewWindow(ICoreWebView2** newWindow) noexcept override;
  HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) noexcept override;
  HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) noexcept override;
  HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) noexcept override;
  MIRVOT_ENGINE_NOT_IMPLEMENTED(GetDeferral, ICoreWebView2Deferral**)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_WindowFeatures, ICoreWebView2WindowFeatures**)

 private:
  std::wstring uri_;
  BOOL handled_ = FALSE;
  bool newWindowGiven_ = false;
};

class DownloadOperation final : public EngineObject<ICoreWebView2DownloadOperation> {
 public:
  explicit DownloadOperation(std::wstring uri) noexcept
      : EngineObject("downloadOperation"), uri_(std::move(uri)) {}

  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_BytesReceivedChanged,
                                ICoreWebView2BytesReceivedChangedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_BytesReceivedChanged, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_EstimatedEndTimeChanged,
                                ICoreWebView2EstimatedEndTimeChangedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_EstimatedEndTimeChanged, EventRegistrationToken)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(add_StateChanged, ICoreWebView2StateChangedEventHandler*,
                                EventRegistrationToken*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(remove_StateChanged, EventRegistrationToken)
  HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) noexcept override;
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_ContentDisposition, LPWSTR*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_MimeType, LPWSTR*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_TotalBytesToReceive, INT64*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_BytesReceived, INT64*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_EstimatedEndTime, LPWSTR*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_ResultFilePath, LPWSTR*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_State, COREWEBVIEW2_DOWNLOAD_STATE*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_InterruptReason, COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON*)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(Cancel, void)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(Pause, void)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(Resume, void)
  MIRVOT_ENGINE_NOT_IMPLEMENTED(get_CanResume, BOOL*)

 private:
  std::wstring uri_;
};

class DownloadStartingArgs final : public EngineObject<ICoreWebView2DownloadStartingEventArgs> {
 public:
  DownloadStartingArgs(ICoreWebView2DownloadOperation* operation,
                       std::wstring proposedPath) noexcept
      : EngineObject("download"), operation_(operation), resultFilePath_(std::move(proposedPath)) {}

  [[nodiscard]] BOOL handled() const noexcept { return handled_; }
  [[nodiscard]] BOOL cancel() const noexcept { return cancel_; }
  [[nodiscard]] const std::wstring& resultFilePath() const noexcept { return resultFilePath_; }

  HRESULT STDMETHODCALLTYPE
  get_DownloadOperation(ICoreWebView2DownloadOperation** downloadOperation) noexcept override;
  HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) noexcept override;
  HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) noexcept override;
  HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* resultFilePath) noexcept override;
  HRESULT STDMETHODCALLTYPE put_ResultFilePath(LPCWSTR resultFilePath) noexcept override;
  HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) noexcept override;
  HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) noexcept override;
  MIRVOT_ENGINE_NOT_IMPLEMENTED(GetDeferral, ICoreWebView2Deferral**)

 private:
  Microsoft::WRL::ComPtr<ICoreWebView2DownloadOperation> operation_;
  std::wstring resultFilePath_;
  BOOL handled_ = FALSE;
  BOOL cancel_ = FALSE;
};

}  // namespace mirvot::test_engine
