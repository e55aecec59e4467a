#pragma once
// The options of an environment's creation, read by the loader and by the engine.
#include "webview2/declarations.h"
#include "webview2/interface_macro.h"

MIRVOT_INTERFACES_BEGIN
// clang-format off

// Environment options. This program implements all of these on one object and hands them to
// the engine. EnvironmentOptions2 to 8 each derive directly from IUnknown, not from each other, so
// their first own method is at slot 3 and the object needs a separate vtable for each.

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions, IUnknown,
                 "2FDE08A8-1E9A-4766-8C05-95A9CEB9D1C5") {
  MIRVOT_METHOD(get_AdditionalBrowserArguments)(LPWSTR* value) = 0;  // 3
  MIRVOT_METHOD(put_AdditionalBrowserArguments)(LPCWSTR value) = 0;  // 4
  MIRVOT_METHOD(get_Language)(LPWSTR* value) = 0;  // 5
  MIRVOT_METHOD(put_Language)(LPCWSTR value) = 0;  // 6
  MIRVOT_METHOD(get_TargetCompatibleBrowserVersion)(LPWSTR* value) = 0;  // 7
  MIRVOT_METHOD(put_TargetCompatibleBrowserVersion)(LPCWSTR value) = 0;  // 8
  MIRVOT_METHOD(get_AllowSingleSignOnUsingOSPrimaryAccount)(BOOL* allow) = 0;  // 9
  MIRVOT_METHOD(put_AllowSingleSignOnUsingOSPrimaryAccount)(BOOL allow) = 0;  // 10
 protected: ~ICoreWebView2EnvironmentOptions() = default;
};

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions2, IUnknown,
                 "FF85C98A-1BA7-4A6B-90C8-2B752C89E9E2") {
  MIRVOT_METHOD(get_ExclusiveUserDataFolderAccess)(BOOL* value) = 0;  // 3
  MIRVOT_METHOD(put_ExclusiveUserDataFolderAccess)(BOOL value) = 0;  // 4
 protected: ~ICoreWebView2EnvironmentOptions2() = default;
};

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions3, IUnknown,
                 "4A5C436E-A9E3-4A2E-89C3-910D3513F5CC") {
  MIRVOT_METHOD(get_IsCustomCrashReportingEnabled)(BOOL* value) = 0;  // 3
  MIRVOT_METHOD(put_IsCustomCrashReportingEnabled)(BOOL value) = 0;  // 4
 protected: ~ICoreWebView2EnvironmentOptions3() = default;
};

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions4, IUnknown,
                 "AC52D13F-0D38-475A-9DCA-876580D6793E") {
  MIRVOT_METHOD(GetCustomSchemeRegistrations)(UINT32* count,
      ICoreWebView2CustomSchemeRegistration*** schemeRegistrations) = 0;  // 3
  MIRVOT_METHOD(SetCustomSchemeRegistrations)(UINT32 count,
      ICoreWebView2CustomSchemeRegistration** schemeRegistrations) = 0;  // 4
 protected: ~ICoreWebView2EnvironmentOptions4() = default;
};

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions5, IUnknown,
                 "0AE35D64-C47F-4464-814E-259C345D1501") {
  MIRVOT_METHOD(get_EnableTrackingPrevention)(BOOL* value) = 0;  // 3
  MIRVOT_METHOD(put_EnableTrackingPrevention)(BOOL value) = 0;  // 4
 protected: ~ICoreWebView2EnvironmentOptions5() = default;
};

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions6, IUnknown,
                 "57D29CC3-C84F-42A0-B0E2-EFFBD5E179DE") {
  MIRVOT_METHOD(get_AreBrowserExtensionsEnabled)(BOOL* value) = 0;  // 3
  MIRVOT_METHOD(put_AreBrowserExtensionsEnabled)(BOOL value) = 0;  // 4
 protected: ~ICoreWebView2EnvironmentOptions6() = default;
};

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions7, IUnknown,
                 "C48D539F-E39F-441C-AE68-1F66E570BDC5") {
  MIRVOT_METHOD(get_ChannelSearchKind)(COREWEBVIEW2_CHANNEL_SEARCH_KIND* value) = 0;  // 3
  MIRVOT_METHOD(put_ChannelSearchKind)(COREWEBVIEW2_CHANNEL_SEARCH_KIND value) = 0;  // 4
  MIRVOT_METHOD(get_ReleaseChannels)(COREWEBVIEW2_RELEASE_CHANNELS* value) = 0;  // 5
  MIRVOT_METHOD(put_ReleaseChannels)(COREWEBVIEW2_RELEASE_CHANNELS value) = 0;  // 6
 protected: ~ICoreWebView2EnvironmentOptions7() = default;
};

MIRVOT_INTERFACE(ICoreWebView2EnvironmentOptions8, IUnknown,
                 "7C7ECF51-E918-5CAF-853C-E9A2BCC27775") {
  MIRVOT_METHOD(get_ScrollBarStyle)(COREWEBVIEW2_SCROLLBAR_STYLE* value) = 0;  // 3
  MIRVOT_METHOD(put_ScrollBarStyle)(COREWEBVIEW2_SCROLLBAR_STYLE value) = 0;  // 4
 protected: ~ICoreWebView2EnvironmentOptions8() = default;
};

MIRVOT_INTERFACE(ICoreWebView2CustomSchemeRegistration, IUnknown,
                 "D60AC92C-37A6-4B26-A39E-95CFE59047BB") {
  MIRVOT_METHOD(get_SchemeName)(LPWSTR* schemeName) = 0;  // 3
  MIRVOT_METHOD(get_TreatAsSecure)(BOOL* treatAsSecure) = 0;  // 4
  MIRVOT_METHOD(put_TreatAsSecure)(BOOL value) = 0;  // 5
  MIRVOT_METHOD(GetAllowedOrigins)(UINT32* allowedOriginsCount, LPWSTR** allowedOrigins) = 0;  // 6
  MIRVOT_METHOD(SetAllowedOrigins)(UINT32 allowedOriginsCount, LPCWSTR* allowedOrigins) = 0;  // 7
  MIRVOT_METHOD(get_HasAuthorityComponent)(BOOL* hasAuthorityComponent) = 0;  // 8
  MIRVOT_METHOD(put_HasAuthorityComponent)(BOOL hasAuthorityComponent) = 0;  // 9
 protected: ~ICoreWebView2CustomSchemeRegistration() = default;
};

// The Edge-view options interface. A caller's options object may answer it to ask for Edge view
// mode. Only its first method (slot 3) is known, and it is the only one this program uses; the
// interface may have more methods after it, so nothing here may implement it or call past slot 3.

MIRVOT_INTERFACE(ICoreWebView2EdgeViewOptions, IUnknown, "0EA2394C-96E6-4AE3-8F9A-8473ABEF3732") {
  // Sets *value to 1 in Edge view mode.
  MIRVOT_METHOD(get_IsEdgeView)(INT32* value) = 0;  // 3
 protected: ~ICoreWebView2EdgeViewOptions() = default;
};

// clang-format on
MIRVOT_INTERFACES_END
