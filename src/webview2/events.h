#pragma once
// Event arguments, the download the engine reports, and the completion and event handlers this
// program implements.
#include "webview2/declarations.h"
#include "webview2/interface_macro.h"

MIRVOT_INTERFACES_BEGIN
// clang-format off

// Event arguments and the download the engine reports.

MIRVOT_INTERFACE(ICoreWebView2NewWindowRequestedEventArgs, IUnknown,
                 "34ACB11C-FC37-4418-9132-F9C21D1EAFB9") {
  MIRVOT_METHOD(get_Uri)(LPWSTR* uri) = 0;  // 3
  MIRVOT_METHOD(put_NewWindow)(ICoreWebView2* newWindow) = 0;  // 4
  MIRVOT_METHOD(get_NewWindow)(ICoreWebView2** newWindow) = 0;  // 5
  MIRVOT_METHOD(put_Handled)(BOOL handled) = 0;  // 6
  MIRVOT_METHOD(get_Handled)(BOOL* handled) = 0;  // 7
  MIRVOT_METHOD(get_IsUserInitiated)(BOOL* isUserInitiated) = 0;  // 8
  MIRVOT_METHOD(GetDeferral)(ICoreWebView2Deferral** deferral) = 0;  // 9
  MIRVOT_METHOD(get_WindowFeatures)(ICoreWebView2WindowFeatures** value) = 0;  // 10
 protected: ~ICoreWebView2NewWindowRequestedEventArgs() = default;
};

MIRVOT_INTERFACE(ICoreWebView2DownloadStartingEventArgs, IUnknown,
                 "E99BBE21-43E9-4544-A732-282764EAFA60") {
  MIRVOT_METHOD(get_DownloadOperation)(
      ICoreWebView2DownloadOperation** downloadOperation) = 0;  // 3
  MIRVOT_METHOD(get_Cancel)(BOOL* cancel) = 0;  // 4
  MIRVOT_METHOD(put_Cancel)(BOOL cancel) = 0;  // 5
  MIRVOT_METHOD(get_ResultFilePath)(LPWSTR* resultFilePath) = 0;  // 6
  MIRVOT_METHOD(put_ResultFilePath)(LPCWSTR resultFilePath) = 0;  // 7
  MIRVOT_METHOD(get_Handled)(BOOL* handled) = 0;  // 8
  MIRVOT_METHOD(put_Handled)(BOOL handled) = 0;  // 9
  MIRVOT_METHOD(GetDeferral)(ICoreWebView2Deferral** deferral) = 0;  // 10
 protected: ~ICoreWebView2DownloadStartingEventArgs() = default;
};

MIRVOT_INTERFACE(ICoreWebView2DownloadOperation, IUnknown, "3D6B6CF2-AFE1-44C7-A995-C65117714336") {
  MIRVOT_METHOD(add_BytesReceivedChanged)(
      ICoreWebView2BytesReceivedChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 3
  MIRVOT_METHOD(remove_BytesReceivedChanged)(EventRegistrationToken token) = 0;  // 4
  MIRVOT_METHOD(add_EstimatedEndTimeChanged)(
      ICoreWebView2EstimatedEndTimeChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 5
  MIRVOT_METHOD(remove_EstimatedEndTimeChanged)(EventRegistrationToken token) = 0;  // 6
  MIRVOT_METHOD(add_StateChanged)(ICoreWebView2StateChangedEventHandler* eventHandler,
      EventRegistrationToken* token) = 0;  // 7
  MIRVOT_METHOD(remove_StateChanged)(EventRegistrationToken token) = 0;  // 8
  MIRVOT_METHOD(get_Uri)(LPWSTR* uri) = 0;  // 9
  MIRVOT_METHOD(get_ContentDisposition)(LPWSTR* contentDisposition) = 0;  // 10
  MIRVOT_METHOD(get_MimeType)(LPWSTR* mimeType) = 0;  // 11
  MIRVOT_METHOD(get_TotalBytesToReceive)(INT64* totalBytesToReceive) = 0;  // 12
  MIRVOT_METHOD(get_BytesReceived)(INT64* bytesReceived) = 0;  // 13
  MIRVOT_METHOD(get_EstimatedEndTime)(LPWSTR* estimatedEndTime) = 0;  // 14
  MIRVOT_METHOD(get_ResultFilePath)(LPWSTR* resultFilePath) = 0;  // 15
  MIRVOT_METHOD(get_State)(COREWEBVIEW2_DOWNLOAD_STATE* downloadState) = 0;  // 16
  MIRVOT_METHOD(get_InterruptReason)(
      COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON* interruptReason) = 0;  // 17
  MIRVOT_METHOD(Cancel)() = 0;  // 18
  MIRVOT_METHOD(Pause)() = 0;  // 19
  MIRVOT_METHOD(Resume)() = 0;  // 20
  MIRVOT_METHOD(get_CanResume)(BOOL* canResume) = 0;  // 21
 protected: ~ICoreWebView2DownloadOperation() = default;
};

// Completion and event handlers, implemented by this program.

MIRVOT_INTERFACE(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, IUnknown,
                 "4E8A3389-C9D8-4BD2-B6B5-124FEE6CC14D") {
  MIRVOT_METHOD(Invoke)(HRESULT errorCode, ICoreWebView2Environment* createdEnvironment) = 0;  // 3
 protected: ~ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler() = default;
};

MIRVOT_INTERFACE(ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, IUnknown,
                 "6C4819F3-C9B7-4260-8127-C9F5BDE7F68C") {
  MIRVOT_METHOD(Invoke)(HRESULT errorCode, ICoreWebView2Controller* createdController) = 0;  // 3
 protected: ~ICoreWebView2CreateCoreWebView2ControllerCompletedHandler() = default;
};

MIRVOT_INTERFACE(ICoreWebView2WindowCloseRequestedEventHandler, IUnknown,
                 "5C19E9E0-092F-486B-AFFA-CA8231913039") {
  MIRVOT_METHOD(Invoke)(ICoreWebView2* sender, IUnknown* args) = 0;  // 3
 protected: ~ICoreWebView2WindowCloseRequestedEventHandler() = default;
};

MIRVOT_INTERFACE(ICoreWebView2NewWindowRequestedEventHandler, IUnknown,
                 "D4C185FE-C81C-4989-97AF-2D3FA7AB5651") {
  MIRVOT_METHOD(Invoke)(ICoreWebView2* sender,
      ICoreWebView2NewWindowRequestedEventArgs* args) = 0;  // 3
 protected: ~ICoreWebView2NewWindowRequestedEventHandler() = default;
};

MIRVOT_INTERFACE(ICoreWebView2DownloadStartingEventHandler, IUnknown,
                 "EFEDC989-C396-41CA-83F7-07F845A55724") {
  MIRVOT_METHOD(Invoke)(ICoreWebView2* sender,
      ICoreWebView2DownloadStartingEventArgs* args) = 0;  // 3
 protected: ~ICoreWebView2DownloadStartingEventHandler() = default;
};

// clang-format on
MIRVOT_INTERFACES_END
