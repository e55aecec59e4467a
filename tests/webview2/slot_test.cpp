// Pins our declarations of the engine's COM interfaces to the engine's vtable layout.
//
// A probe object stands in for an engine object: its vtable is an array in which entry i is a
// function that records i. Each method is called through our declaration, with placeholder
// arguments, and the recorded index must be the method's published slot. On x86-64 every COM method
// uses the same calling convention and the caller cleans up, so a probe that ignores its arguments
// can stand in for any method. The tables below are transcribed from the published slot lists.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "webview2/webview2_interfaces.h"

// Declared outside the unnamed namespace on purpose: for a class with internal linkage the
// compiler knows every derived class, finds no implementation of this pure method and may treat a
// call to it as unreachable.
namespace mirvot::webview2_test {

// Extends an interface by one method. Calling it through the probe shows which slot follows the
// interface's last one, that is the interface's total slot count.
template <typename Interface>
struct NextSlotAfter : Interface {
  virtual HRESULT STDMETHODCALLTYPE FirstMethodAfterInterface() = 0;

 protected:
  ~NextSlotAfter() = default;
};

}  // namespace mirvot::webview2_test

namespace {

using mirvot::webview2_test::NextSlotAfter;

// Larger than the largest interface (77 slots) so that a declaration that drifted a few slots
// still lands on a probe entry and fails its check instead of crashing.
constexpr std::size_t kProbeSlots = 128;

int g_lastSlot = -1;

template <int Slot>
HRESULT STDMETHODCALLTYPE RecordSlot(void* /*self*/) {
  g_lastSlot = Slot;
  return S_OK;
}

// A vtable entry of no particular signature; void (*)() is the type that function pointers of
// every signature may be cast to and back without a warning.
using ProbeEntry = void (*)();
using ProbeVtable = std::array<ProbeEntry, kProbeSlots>;

template <typename Function>
ProbeEntry AsEntry(Function function) {
  return reinterpret_cast<ProbeEntry>(function);
}

template <std::size_t... Slots>
ProbeVtable MakeRecordingVtable(std::index_sequence<Slots...>) {
  return {AsEntry(&RecordSlot<static_cast<int>(Slots)>)...};
}

const ProbeVtable kRecordingVtable = MakeRecordingVtable(std::make_index_sequence<kProbeSlots>());

// What a COM object is from the outside: a pointer to its vtable. The pointer is written as raw
// bytes: stored as an ordinary pointer and then read back as the compiler's own vtable pointer,
// type-based alias analysis would be free to assume the two never meet.
class Probe {
 public:
  explicit Probe(const ProbeEntry* vtable) noexcept { std::memcpy(bytes_, &vtable, sizeof vtable); }

  template <typename Interface>
  Interface* As() noexcept {
    return reinterpret_cast<Interface*>(bytes_);
  }

 private:
  alignas(void*) unsigned char bytes_[sizeof(void*)];
};

// Calls the method through the interface pointer with value-initialised arguments (null
// pointers, zero integers, empty structs).
template <typename Interface, typename Result, typename Owner, typename... Args>
void CallWithPlaceholders(Interface* object, Result (Owner::*method)(Args...)) {
  static_assert(std::is_base_of_v<Owner, Interface>);
  (void)(object->*method)(std::remove_cvref_t<Args>{}...);
}

template <typename Interface, auto Method>
void CallThrough(void* object) {
  CallWithPlaceholders(static_cast<Interface*>(object), Method);
}

// One method of an interface's published table: its slot, a call through our declaration, and
// whether our declaration has exactly the published parameter types (a token passed by pointer
// instead of by value, say, would still reach the right slot).
struct SlotRow {
  const char* method;
  int slot;
  void (*call)(void* object);
  bool hasPublishedParameters;
};

// The tables below are laid out by hand, one method a row; clang-format would break the macro and
// the rows apart.
// clang-format off
#define SLOT_ROW(method, slot, parameters)                                           \
  SlotRow{#method, slot, &CallThrough<Interface, &Interface::method>,               \
          std::is_same_v<decltype(&Interface::method),                              \
                         HRESULT(STDMETHODCALLTYPE Interface::*) parameters>}

// clang-format on

// Calls one method of a probe and returns the slot it reached.
int SlotReachedBy(void (*call)(void*)) {
  Probe probe(kRecordingVtable.data());
  g_lastSlot = -1;
  call(probe.As<void>());
  return g_lastSlot;
}

// Checks an interface: IUnknown's three methods through it, each of its own methods and their
// parameter types, that nothing is declared after the last one, and that the interface is nothing
// but a vtable pointer.
template <typename Interface>
void ExpectLayout(const char* name, int totalSlots, std::initializer_list<SlotRow> ownMethods) {
  SCOPED_TRACE(name);
  EXPECT_EQ(sizeof(Interface), sizeof(void*)) << "an interface holds only its vtable pointer";

  EXPECT_EQ(SlotReachedBy([](void* object) {
              IID anyId{};
              void* result = nullptr;
              static_cast<Interface*>(object)->QueryInterface(anyId, &result);
            }),
            0)
      << "QueryInterface";
  EXPECT_EQ(SlotReachedBy([](void* object) { static_cast<Interface*>(object)->AddRef(); }), 1)
      << "AddRef";
  EXPECT_EQ(SlotReachedBy([](void* object) { static_cast<Interface*>(object)->Release(); }), 2)
      << "Release";

  for (const SlotRow& row : ownMethods) {
    EXPECT_EQ(SlotReachedBy(row.call), row.slot) << row.method;
    EXPECT_TRUE(row.hasPublishedParameters) << row.method << " has other parameter types";
  }

  EXPECT_EQ(SlotReachedBy([](void* object) {
              static_cast<NextSlotAfter<Interface>*>(object)->FirstMethodAfterInterface();
            }),
            totalSlots)
      << "the first slot after the interface must equal its total slot count";
}

}  // namespace

// clang-format off
// -------------------------------------------------------------------------------------------------
// Slots of every method of every interface, in the order of the published tables.

TEST(VtableLayout, EnvironmentMethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Environment;
  ExpectLayout<Interface>("ICoreWebView2Environment", 8, {
    SLOT_ROW(CreateCoreWebView2Controller, 3,
             (HWND, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler*)),
    SLOT_ROW(CreateWebResourceResponse, 4,
             (IStream*, int, LPCWSTR, LPCWSTR, ICoreWebView2WebResourceResponse**)),
    SLOT_ROW(get_BrowserVersionString, 5, (LPWSTR*)),
    SLOT_ROW(add_NewBrowserVersionAvailable, 6,
             (ICoreWebView2NewBrowserVersionAvailableEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_NewBrowserVersionAvailable, 7, (EventRegistrationToken)),
  });
}

TEST(VtableLayout, Environment2MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Environment2;
  ExpectLayout<Interface>("ICoreWebView2Environment2", 9, {
    SLOT_ROW(CreateWebResourceRequest, 8,
             (LPCWSTR, LPCWSTR, IStream*, LPCWSTR, ICoreWebView2WebResourceRequest**)),
  });
}

TEST(VtableLayout, Environment3MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Environment3;
  ExpectLayout<Interface>("ICoreWebView2Environment3", 11, {
    SLOT_ROW(CreateCoreWebView2CompositionController, 9,
             (HWND, ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler*)),
    SLOT_ROW(CreateCoreWebView2PointerInfo, 10, (ICoreWebView2PointerInfo**)),
  });
}

TEST(VtableLayout, Environment4MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Environment4;
  ExpectLayout<Interface>("ICoreWebView2Environment4", 12, {
    SLOT_ROW(GetAutomationProviderForWindow, 11, (HWND, IUnknown**)),
  });
}

TEST(VtableLayout, Environment5MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Environment5;
  ExpectLayout<Interface>("ICoreWebView2Environment5", 14, {
    SLOT_ROW(add_BrowserProcessExited, 12,
             (ICoreWebView2BrowserProcessExitedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_BrowserProcessExited, 13, (EventRegistrationToken)),
  });
}

TEST(VtableLayout, Environment6MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Environment6;
  ExpectLayout<Interface>("ICoreWebView2Environment6", 15, {
    SLOT_ROW(CreatePrintSettings, 14, (ICoreWebView2PrintSettings**)),
  });
}

TEST(VtableLayout, Environment7MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Environment7;
  ExpectLayout<Interface>("ICoreWebView2Environment7", 16, {
    SLOT_ROW(get_UserDataFolder, 15, (LPWSTR*)),
  });
}

TEST(VtableLayout, Environment8MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Environment8;
  ExpectLayout<Interface>("ICoreWebView2Environment8", 19, {
    SLOT_ROW(add_ProcessInfosChanged, 16,
             (ICoreWebView2ProcessInfosChangedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_ProcessInfosChanged, 17, (EventRegistrationToken)),
    SLOT_ROW(GetProcessInfos, 18, (ICoreWebView2ProcessInfoCollection**)),
  });
}

TEST(VtableLayout, Environment9MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Environment9;
  ExpectLayout<Interface>("ICoreWebView2Environment9", 20, {
    SLOT_ROW(CreateContextMenuItem, 19,
             (LPCWSTR, IStream*, COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND,
              ICoreWebView2ContextMenuItem**)),
  });
}

TEST(VtableLayout, Environment10MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Environment10;
  ExpectLayout<Interface>("ICoreWebView2Environment10", 23, {
    SLOT_ROW(CreateCoreWebView2ControllerOptions, 20, (ICoreWebView2ControllerOptions**)),
    SLOT_ROW(CreateCoreWebView2ControllerWithOptions, 21,
             (HWND, ICoreWebView2ControllerOptions*,
              ICoreWebView2CreateCoreWebView2ControllerCompletedHandler*)),
    SLOT_ROW(CreateCoreWebView2CompositionControllerWithOptions, 22,
             (HWND, ICoreWebView2ControllerOptions*,
              ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler*)),
  });
}

TEST(VtableLayout, ControllerOptionsMethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2ControllerOptions;
  ExpectLayout<Interface>("ICoreWebView2ControllerOptions", 7, {
    SLOT_ROW(get_ProfileName, 3, (LPWSTR*)),
    SLOT_ROW(put_ProfileName, 4, (LPCWSTR)),
    SLOT_ROW(get_IsInPrivateModeEnabled, 5, (BOOL*)),
    SLOT_ROW(put_IsInPrivateModeEnabled, 6, (BOOL)),
  });
}

TEST(VtableLayout, ControllerMethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Controller;
  ExpectLayout<Interface>("ICoreWebView2Controller", 26, {
    SLOT_ROW(get_IsVisible, 3, (BOOL*)),
    SLOT_ROW(put_IsVisible, 4, (BOOL)),
    SLOT_ROW(get_Bounds, 5, (RECT*)),
    SLOT_ROW(put_Bounds, 6, (RECT)),
    SLOT_ROW(get_ZoomFactor, 7, (double*)),
    SLOT_ROW(put_ZoomFactor, 8, (double)),
    SLOT_ROW(add_ZoomFactorChanged, 9,
             (ICoreWebView2ZoomFactorChangedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_ZoomFactorChanged, 10, (EventRegistrationToken)),
    SLOT_ROW(SetBoundsAndZoomFactor, 11, (RECT, double)),
    SLOT_ROW(MoveFocus, 12, (COREWEBVIEW2_MOVE_FOCUS_REASON)),
    SLOT_ROW(add_MoveFocusRequested, 13,
             (ICoreWebView2MoveFocusRequestedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_MoveFocusRequested, 14, (EventRegistrationToken)),
    SLOT_ROW(add_GotFocus, 15, (ICoreWebView2FocusChangedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_GotFocus, 16, (EventRegistrationToken)),
    SLOT_ROW(add_LostFocus, 17, (ICoreWebView2FocusChangedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_LostFocus, 18, (EventRegistrationToken)),
    SLOT_ROW(add_AcceleratorKeyPressed, 19,
             (ICoreWebView2AcceleratorKeyPressedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_AcceleratorKeyPressed, 20, (EventRegistrationToken)),
    SLOT_ROW(get_ParentWindow, 21, (HWND*)),
    SLOT_ROW(put_ParentWindow, 22, (HWND)),
    SLOT_ROW(NotifyParentWindowPositionChanged, 23, ()),
    SLOT_ROW(Close, 24, ()),
    SLOT_ROW(get_CoreWebView2, 25, (ICoreWebView2**)),
  });
}

TEST(VtableLayout, CoreWebView2MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2;
  ExpectLayout<Interface>("ICoreWebView2", 61, {
    SLOT_ROW(get_Settings, 3, (ICoreWebView2Settings**)),
    SLOT_ROW(get_Source, 4, (LPWSTR*)),
    SLOT_ROW(Navigate, 5, (LPCWSTR)),
    SLOT_ROW(NavigateToString, 6, (LPCWSTR)),
    SLOT_ROW(add_NavigationStarting, 7,
             (ICoreWebView2NavigationStartingEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_NavigationStarting, 8, (EventRegistrationToken)),
    SLOT_ROW(add_ContentLoading, 9,
             (ICoreWebView2ContentLoadingEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_ContentLoading, 10, (EventRegistrationToken)),
    SLOT_ROW(add_SourceChanged, 11,
             (ICoreWebView2SourceChangedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_SourceChanged, 12, (EventRegistrationToken)),
    SLOT_ROW(add_HistoryChanged, 13,
             (ICoreWebView2HistoryChangedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_HistoryChanged, 14, (EventRegistrationToken)),
    SLOT_ROW(add_NavigationCompleted, 15,
             (ICoreWebView2NavigationCompletedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_NavigationCompleted, 16, (EventRegistrationToken)),
    SLOT_ROW(add_FrameNavigationStarting, 17,
             (ICoreWebView2NavigationStartingEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_FrameNavigationStarting, 18, (EventRegistrationToken)),
    SLOT_ROW(add_FrameNavigationCompleted, 19,
             (ICoreWebView2NavigationCompletedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_FrameNavigationCompleted, 20, (EventRegistrationToken)),
    SLOT_ROW(add_ScriptDialogOpening, 21,
             (ICoreWebView2ScriptDialogOpeningEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_ScriptDialogOpening, 22, (EventRegistrationToken)),
    SLOT_ROW(add_PermissionRequested, 23,
             (ICoreWebView2PermissionRequestedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_PermissionRequested, 24, (EventRegistrationToken)),
    SLOT_ROW(add_ProcessFailed, 25,
             (ICoreWebView2ProcessFailedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_ProcessFailed, 26, (EventRegistrationToken)),
    SLOT_ROW(AddScriptToExecuteOnDocumentCreated, 27,
             (LPCWSTR, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler*)),
    SLOT_ROW(RemoveScriptToExecuteOnDocumentCreated, 28, (LPCWSTR)),
    SLOT_ROW(ExecuteScript, 29, (LPCWSTR, ICoreWebView2ExecuteScriptCompletedHandler*)),
    SLOT_ROW(CapturePreview, 30,
             (COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT, IStream*,
              ICoreWebView2CapturePreviewCompletedHandler*)),
    SLOT_ROW(Reload, 31, ()),
    SLOT_ROW(PostWebMessageAsJson, 32, (LPCWSTR)),
    SLOT_ROW(PostWebMessageAsString, 33, (LPCWSTR)),
    SLOT_ROW(add_WebMessageReceived, 34,
             (ICoreWebView2WebMessageReceivedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_WebMessageReceived, 35, (EventRegistrationToken)),
    SLOT_ROW(CallDevToolsProtocolMethod, 36,
             (LPCWSTR, LPCWSTR, ICoreWebView2CallDevToolsProtocolMethodCompletedHandler*)),
    SLOT_ROW(get_BrowserProcessId, 37, (UINT32*)),
    SLOT_ROW(get_CanGoBack, 38, (BOOL*)),
    SLOT_ROW(get_CanGoForward, 39, (BOOL*)),
    SLOT_ROW(GoBack, 40, ()),
    SLOT_ROW(GoForward, 41, ()),
    SLOT_ROW(GetDevToolsProtocolEventReceiver, 42,
             (LPCWSTR, ICoreWebView2DevToolsProtocolEventReceiver**)),
    SLOT_ROW(Stop, 43, ()),
    SLOT_ROW(add_NewWindowRequested, 44,
             (ICoreWebView2NewWindowRequestedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_NewWindowRequested, 45, (EventRegistrationToken)),
    SLOT_ROW(add_DocumentTitleChanged, 46,
             (ICoreWebView2DocumentTitleChangedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_DocumentTitleChanged, 47, (EventRegistrationToken)),
    SLOT_ROW(get_DocumentTitle, 48, (LPWSTR*)),
    SLOT_ROW(AddHostObjectToScript, 49, (LPCWSTR, VARIANT*)),
    SLOT_ROW(RemoveHostObjectFromScript, 50, (LPCWSTR)),
    SLOT_ROW(OpenDevToolsWindow, 51, ()),
    SLOT_ROW(add_ContainsFullScreenElementChanged, 52,
             (ICoreWebView2ContainsFullScreenElementChangedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_ContainsFullScreenElementChanged, 53, (EventRegistrationToken)),
    SLOT_ROW(get_ContainsFullScreenElement, 54, (BOOL*)),
    SLOT_ROW(add_WebResourceRequested, 55,
             (ICoreWebView2WebResourceRequestedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_WebResourceRequested, 56, (EventRegistrationToken)),
    SLOT_ROW(AddWebResourceRequestedFilter, 57, (LPCWSTR, COREWEBVIEW2_WEB_RESOURCE_CONTEXT)),
    SLOT_ROW(RemoveWebResourceRequestedFilter, 58, (LPCWSTR, COREWEBVIEW2_WEB_RESOURCE_CONTEXT)),
    SLOT_ROW(add_WindowCloseRequested, 59,
             (ICoreWebView2WindowCloseRequestedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_WindowCloseRequested, 60, (EventRegistrationToken)),
  });
}

TEST(VtableLayout, CoreWebView2Version2MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2_2;
  ExpectLayout<Interface>("ICoreWebView2_2", 68, {
    SLOT_ROW(add_WebResourceResponseReceived, 61,
             (ICoreWebView2WebResourceResponseReceivedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_WebResourceResponseReceived, 62, (EventRegistrationToken)),
    SLOT_ROW(NavigateWithWebResourceRequest, 63, (ICoreWebView2WebResourceRequest*)),
    SLOT_ROW(add_DOMContentLoaded, 64,
             (ICoreWebView2DOMContentLoadedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_DOMContentLoaded, 65, (EventRegistrationToken)),
    SLOT_ROW(get_CookieManager, 66, (ICoreWebView2CookieManager**)),
    SLOT_ROW(get_Environment, 67, (ICoreWebView2Environment**)),
  });
}

TEST(VtableLayout, CoreWebView2Version3MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2_3;
  ExpectLayout<Interface>("ICoreWebView2_3", 73, {
    SLOT_ROW(TrySuspend, 68, (ICoreWebView2TrySuspendCompletedHandler*)),
    SLOT_ROW(Resume, 69, ()),
    SLOT_ROW(get_IsSuspended, 70, (BOOL*)),
    SLOT_ROW(SetVirtualHostNameToFolderMapping, 71,
             (LPCWSTR, LPCWSTR, COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND)),
    SLOT_ROW(ClearVirtualHostNameToFolderMapping, 72, (LPCWSTR)),
  });
}

TEST(VtableLayout, CoreWebView2Version4MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2_4;
  ExpectLayout<Interface>("ICoreWebView2_4", 77, {
    SLOT_ROW(add_FrameCreated, 73,
             (ICoreWebView2FrameCreatedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_FrameCreated, 74, (EventRegistrationToken)),
    SLOT_ROW(add_DownloadStarting, 75,
             (ICoreWebView2DownloadStartingEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_DownloadStarting, 76, (EventRegistrationToken)),
  });
}

TEST(VtableLayout, SettingsMethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Settings;
  ExpectLayout<Interface>("ICoreWebView2Settings", 21, {
    SLOT_ROW(get_IsScriptEnabled, 3, (BOOL*)),
    SLOT_ROW(put_IsScriptEnabled, 4, (BOOL)),
    SLOT_ROW(get_IsWebMessageEnabled, 5, (BOOL*)),
    SLOT_ROW(put_IsWebMessageEnabled, 6, (BOOL)),
    SLOT_ROW(get_AreDefaultScriptDialogsEnabled, 7, (BOOL*)),
    SLOT_ROW(put_AreDefaultScriptDialogsEnabled, 8, (BOOL)),
    SLOT_ROW(get_IsStatusBarEnabled, 9, (BOOL*)),
    SLOT_ROW(put_IsStatusBarEnabled, 10, (BOOL)),
    SLOT_ROW(get_AreDevToolsEnabled, 11, (BOOL*)),
    SLOT_ROW(put_AreDevToolsEnabled, 12, (BOOL)),
    SLOT_ROW(get_AreDefaultContextMenusEnabled, 13, (BOOL*)),
    SLOT_ROW(put_AreDefaultContextMenusEnabled, 14, (BOOL)),
    SLOT_ROW(get_AreHostObjectsAllowed, 15, (BOOL*)),
    SLOT_ROW(put_AreHostObjectsAllowed, 16, (BOOL)),
    SLOT_ROW(get_IsZoomControlEnabled, 17, (BOOL*)),
    SLOT_ROW(put_IsZoomControlEnabled, 18, (BOOL)),
    SLOT_ROW(get_IsBuiltInErrorPageEnabled, 19, (BOOL*)),
    SLOT_ROW(put_IsBuiltInErrorPageEnabled, 20, (BOOL)),
  });
}

TEST(VtableLayout, Settings2MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Settings2;
  ExpectLayout<Interface>("ICoreWebView2Settings2", 23, {
    SLOT_ROW(get_UserAgent, 21, (LPWSTR*)),
    SLOT_ROW(put_UserAgent, 22, (LPCWSTR)),
  });
}

TEST(VtableLayout, Settings3MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Settings3;
  ExpectLayout<Interface>("ICoreWebView2Settings3", 25, {
    SLOT_ROW(get_AreBrowserAcceleratorKeysEnabled, 23, (BOOL*)),
    SLOT_ROW(put_AreBrowserAcceleratorKeysEnabled, 24, (BOOL)),
  });
}

TEST(VtableLayout, Settings4MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Settings4;
  ExpectLayout<Interface>("ICoreWebView2Settings4", 29, {
    SLOT_ROW(get_IsPasswordAutosaveEnabled, 25, (BOOL*)),
    SLOT_ROW(put_IsPasswordAutosaveEnabled, 26, (BOOL)),
    SLOT_ROW(get_IsGeneralAutofillEnabled, 27, (BOOL*)),
    SLOT_ROW(put_IsGeneralAutofillEnabled, 28, (BOOL)),
  });
}

TEST(VtableLayout, Settings5MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Settings5;
  ExpectLayout<Interface>("ICoreWebView2Settings5", 31, {
    SLOT_ROW(get_IsPinchZoomEnabled, 29, (BOOL*)),
    SLOT_ROW(put_IsPinchZoomEnabled, 30, (BOOL)),
  });
}

TEST(VtableLayout, Settings6MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Settings6;
  ExpectLayout<Interface>("ICoreWebView2Settings6", 33, {
    SLOT_ROW(get_IsSwipeNavigationEnabled, 31, (BOOL*)),
    SLOT_ROW(put_IsSwipeNavigationEnabled, 32, (BOOL)),
  });
}

TEST(VtableLayout, Settings7MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Settings7;
  ExpectLayout<Interface>("ICoreWebView2Settings7", 35, {
    SLOT_ROW(get_HiddenPdfToolbarItems, 33, (COREWEBVIEW2_PDF_TOOLBAR_ITEMS*)),
    SLOT_ROW(put_HiddenPdfToolbarItems, 34, (COREWEBVIEW2_PDF_TOOLBAR_ITEMS)),
  });
}

TEST(VtableLayout, Settings8MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Settings8;
  ExpectLayout<Interface>("ICoreWebView2Settings8", 37, {
    SLOT_ROW(get_IsReputationCheckingRequired, 35, (BOOL*)),
    SLOT_ROW(put_IsReputationCheckingRequired, 36, (BOOL)),
  });
}

TEST(VtableLayout, Settings9MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2Settings9;
  ExpectLayout<Interface>("ICoreWebView2Settings9", 39, {
    SLOT_ROW(get_IsNonClientRegionSupportEnabled, 37, (BOOL*)),
    SLOT_ROW(put_IsNonClientRegionSupportEnabled, 38, (BOOL)),
  });
}

TEST(VtableLayout, EnvironmentOptionsMethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2EnvironmentOptions;
  ExpectLayout<Interface>("ICoreWebView2EnvironmentOptions", 11, {
    SLOT_ROW(get_AdditionalBrowserArguments, 3, (LPWSTR*)),
    SLOT_ROW(put_AdditionalBrowserArguments, 4, (LPCWSTR)),
    SLOT_ROW(get_Language, 5, (LPWSTR*)),
    SLOT_ROW(put_Language, 6, (LPCWSTR)),
    SLOT_ROW(get_TargetCompatibleBrowserVersion, 7, (LPWSTR*)),
    SLOT_ROW(put_TargetCompatibleBrowserVersion, 8, (LPCWSTR)),
    SLOT_ROW(get_AllowSingleSignOnUsingOSPrimaryAccount, 9, (BOOL*)),
    SLOT_ROW(put_AllowSingleSignOnUsingOSPrimaryAccount, 10, (BOOL)),
  });
}

TEST(VtableLayout, EnvironmentOptions2MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2EnvironmentOptions2;
  ExpectLayout<Interface>("ICoreWebView2EnvironmentOptions2", 5, {
    SLOT_ROW(get_ExclusiveUserDataFolderAccess, 3, (BOOL*)),
    SLOT_ROW(put_ExclusiveUserDataFolderAccess, 4, (BOOL)),
  });
}

TEST(VtableLayout, EnvironmentOptions3MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2EnvironmentOptions3;
  ExpectLayout<Interface>("ICoreWebView2EnvironmentOptions3", 5, {
    SLOT_ROW(get_IsCustomCrashReportingEnabled, 3, (BOOL*)),
    SLOT_ROW(put_IsCustomCrashReportingEnabled, 4, (BOOL)),
  });
}

TEST(VtableLayout, EnvironmentOptions4MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2EnvironmentOptions4;
  ExpectLayout<Interface>("ICoreWebView2EnvironmentOptions4", 5, {
    SLOT_ROW(GetCustomSchemeRegistrations, 3, (UINT32*, ICoreWebView2CustomSchemeRegistration***)),
    SLOT_ROW(SetCustomSchemeRegistrations, 4, (UINT32, ICoreWebView2CustomSchemeRegistration**)),
  });
}

TEST(VtableLayout, EnvironmentOptions5MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2EnvironmentOptions5;
  ExpectLayout<Interface>("ICoreWebView2EnvironmentOptions5", 5, {
    SLOT_ROW(get_EnableTrackingPrevention, 3, (BOOL*)),
    SLOT_ROW(put_EnableTrackingPrevention, 4, (BOOL)),
  });
}

TEST(VtableLayout, EnvironmentOptions6MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2EnvironmentOptions6;
  ExpectLayout<Interface>("ICoreWebView2EnvironmentOptions6", 5, {
    SLOT_ROW(get_AreBrowserExtensionsEnabled, 3, (BOOL*)),
    SLOT_ROW(put_AreBrowserExtensionsEnabled, 4, (BOOL)),
  });
}

TEST(VtableLayout, EnvironmentOptions7MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2EnvironmentOptions7;
  ExpectLayout<Interface>("ICoreWebView2EnvironmentOptions7", 7, {
    SLOT_ROW(get_ChannelSearchKind, 3, (COREWEBVIEW2_CHANNEL_SEARCH_KIND*)),
    SLOT_ROW(put_ChannelSearchKind, 4, (COREWEBVIEW2_CHANNEL_SEARCH_KIND)),
    SLOT_ROW(get_ReleaseChannels, 5, (COREWEBVIEW2_RELEASE_CHANNELS*)),
    SLOT_ROW(put_ReleaseChannels, 6, (COREWEBVIEW2_RELEASE_CHANNELS)),
  });
}

TEST(VtableLayout, EnvironmentOptions8MethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2EnvironmentOptions8;
  ExpectLayout<Interface>("ICoreWebView2EnvironmentOptions8", 5, {
    SLOT_ROW(get_ScrollBarStyle, 3, (COREWEBVIEW2_SCROLLBAR_STYLE*)),
    SLOT_ROW(put_ScrollBarStyle, 4, (COREWEBVIEW2_SCROLLBAR_STYLE)),
  });
}

TEST(VtableLayout, CustomSchemeRegistrationMethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2CustomSchemeRegistration;
  ExpectLayout<Interface>("ICoreWebView2CustomSchemeRegistration", 10, {
    SLOT_ROW(get_SchemeName, 3, (LPWSTR*)),
    SLOT_ROW(get_TreatAsSecure, 4, (BOOL*)),
    SLOT_ROW(put_TreatAsSecure, 5, (BOOL)),
    SLOT_ROW(GetAllowedOrigins, 6, (UINT32*, LPWSTR**)),
    SLOT_ROW(SetAllowedOrigins, 7, (UINT32, LPCWSTR*)),
    SLOT_ROW(get_HasAuthorityComponent, 8, (BOOL*)),
    SLOT_ROW(put_HasAuthorityComponent, 9, (BOOL)),
  });
}

TEST(VtableLayout, NewWindowRequestedEventArgsMethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2NewWindowRequestedEventArgs;
  ExpectLayout<Interface>("ICoreWebView2NewWindowRequestedEventArgs", 11, {
    SLOT_ROW(get_Uri, 3, (LPWSTR*)),
    SLOT_ROW(put_NewWindow, 4, (ICoreWebView2*)),
    SLOT_ROW(get_NewWindow, 5, (ICoreWebView2**)),
    SLOT_ROW(put_Handled, 6, (BOOL)),
    SLOT_ROW(get_Handled, 7, (BOOL*)),
    SLOT_ROW(get_IsUserInitiated, 8, (BOOL*)),
    SLOT_ROW(GetDeferral, 9, (ICoreWebView2Deferral**)),
    SLOT_ROW(get_WindowFeatures, 10, (ICoreWebView2WindowFeatures**)),
  });
}

TEST(VtableLayout, DownloadStartingEventArgsMethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2DownloadStartingEventArgs;
  ExpectLayout<Interface>("ICoreWebView2DownloadStartingEventArgs", 11, {
    SLOT_ROW(get_DownloadOperation, 3, (ICoreWebView2DownloadOperation**)),
    SLOT_ROW(get_Cancel, 4, (BOOL*)),
    SLOT_ROW(put_Cancel, 5, (BOOL)),
    SLOT_ROW(get_ResultFilePath, 6, (LPWSTR*)),
    SLOT_ROW(put_ResultFilePath, 7, (LPCWSTR)),
    SLOT_ROW(get_Handled, 8, (BOOL*)),
    SLOT_ROW(put_Handled, 9, (BOOL)),
    SLOT_ROW(GetDeferral, 10, (ICoreWebView2Deferral**)),
  });
}

TEST(VtableLayout, DownloadOperationMethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2DownloadOperation;
  ExpectLayout<Interface>("ICoreWebView2DownloadOperation", 22, {
    SLOT_ROW(add_BytesReceivedChanged, 3,
             (ICoreWebView2BytesReceivedChangedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_BytesReceivedChanged, 4, (EventRegistrationToken)),
    SLOT_ROW(add_EstimatedEndTimeChanged, 5,
             (ICoreWebView2EstimatedEndTimeChangedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_EstimatedEndTimeChanged, 6, (EventRegistrationToken)),
    SLOT_ROW(add_StateChanged, 7,
             (ICoreWebView2StateChangedEventHandler*, EventRegistrationToken*)),
    SLOT_ROW(remove_StateChanged, 8, (EventRegistrationToken)),
    SLOT_ROW(get_Uri, 9, (LPWSTR*)),
    SLOT_ROW(get_ContentDisposition, 10, (LPWSTR*)),
    SLOT_ROW(get_MimeType, 11, (LPWSTR*)),
    SLOT_ROW(get_TotalBytesToReceive, 12, (INT64*)),
    SLOT_ROW(get_BytesReceived, 13, (INT64*)),
    SLOT_ROW(get_EstimatedEndTime, 14, (LPWSTR*)),
    SLOT_ROW(get_ResultFilePath, 15, (LPWSTR*)),
    SLOT_ROW(get_State, 16, (COREWEBVIEW2_DOWNLOAD_STATE*)),
    SLOT_ROW(get_InterruptReason, 17, (COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON*)),
    SLOT_ROW(Cancel, 18, ()),
    SLOT_ROW(Pause, 19, ()),
    SLOT_ROW(Resume, 20, ()),
    SLOT_ROW(get_CanResume, 21, (BOOL*)),
  });
}

TEST(VtableLayout, CreateCoreWebView2EnvironmentCompletedHandlerMethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler;
  ExpectLayout<Interface>("ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler", 4, {
    SLOT_ROW(Invoke, 3, (HRESULT, ICoreWebView2Environment*)),
  });
}

TEST(VtableLayout, CreateCoreWebView2ControllerCompletedHandlerMethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2CreateCoreWebView2ControllerCompletedHandler;
  ExpectLayout<Interface>("ICoreWebView2CreateCoreWebView2ControllerCompletedHandler", 4, {
    SLOT_ROW(Invoke, 3, (HRESULT, ICoreWebView2Controller*)),
  });
}

TEST(VtableLayout, WindowCloseRequestedEventHandlerMethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2WindowCloseRequestedEventHandler;
  ExpectLayout<Interface>("ICoreWebView2WindowCloseRequestedEventHandler", 4, {
    SLOT_ROW(Invoke, 3, (ICoreWebView2*, IUnknown*)),
  });
}

TEST(VtableLayout, NewWindowRequestedEventHandlerMethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2NewWindowRequestedEventHandler;
  ExpectLayout<Interface>("ICoreWebView2NewWindowRequestedEventHandler", 4, {
    SLOT_ROW(Invoke, 3, (ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs*)),
  });
}

TEST(VtableLayout, DownloadStartingEventHandlerMethodsSitInTheirPublishedSlots) {
  using Interface = ICoreWebView2DownloadStartingEventHandler;
  ExpectLayout<Interface>("ICoreWebView2DownloadStartingEventHandler", 4, {
    SLOT_ROW(Invoke, 3, (ICoreWebView2*, ICoreWebView2DownloadStartingEventArgs*)),
  });
}
// Only the first method of the Edge-view options interface is known; the total here is the extent
// of our declaration (one method), which must stay that way so nothing calls past slot 3.
TEST(VtableLayout, EdgeViewOptionsGetterIsTheFirstMethodAndTheOnlyOneDeclared) {
  using Interface = ICoreWebView2EdgeViewOptions;
  ExpectLayout<Interface>("ICoreWebView2EdgeViewOptions", 4, {
    SLOT_ROW(get_IsEdgeView, 3, (INT32*)),
  });
}
// clang-format on

// -------------------------------------------------------------------------------------------------
// Interface IDs.

namespace {

std::wstring GuidText(const GUID& id) {
  wchar_t text[39] = {};
  if (StringFromGUID2(id, text, 39) == 0) {
    return L"(unprintable)";
  }
  return text;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

struct IdRow {
  const char* name;
  const wchar_t* published;
  const GUID& declared;
};

// One interface a row, as in the published list.
// clang-format off
#define ID_ROW(Interface, text) IdRow{#Interface, L##text, __uuidof(Interface)}

const std::vector<IdRow>& PublishedIds() {
  static const std::vector<IdRow> rows = {
    ID_ROW(ICoreWebView2Environment, "{B96D755E-0319-4E92-A296-23436F46A1FC}"),
    ID_ROW(ICoreWebView2Environment2, "{41F3632B-5EF4-404F-AD82-2D606C5A9A21}"),
    ID_ROW(ICoreWebView2Environment3, "{80A22AE3-BE7C-4CE2-AFE1-5A50056CDEEB}"),
    ID_ROW(ICoreWebView2Environment4, "{20944379-6DCF-41D6-A0A0-ABC0FC50DE0D}"),
    ID_ROW(ICoreWebView2Environment5, "{319E423D-E0D7-4B8D-9254-AE9475DE9B17}"),
    ID_ROW(ICoreWebView2Environment6, "{E59EE362-ACBD-4857-9A8E-D3644D9459A9}"),
    ID_ROW(ICoreWebView2Environment7, "{43C22296-3BBD-43A4-9C00-5C0DF6DD29A2}"),
    ID_ROW(ICoreWebView2Environment8, "{D6EB91DD-C3D2-45E5-BD29-6DC2BC4DE9CF}"),
    ID_ROW(ICoreWebView2Environment9, "{F06F41BF-4B5A-49D8-B9F6-FA16CD29F274}"),
    ID_ROW(ICoreWebView2Environment10, "{EE0EB9DF-6F12-46CE-B53F-3F47B9C928E0}"),
    ID_ROW(ICoreWebView2ControllerOptions, "{12AAE616-8CCB-44EC-BCB3-EB1831881635}"),
    ID_ROW(ICoreWebView2Controller, "{4D00C0D1-9434-4EB6-8078-8697A560334F}"),
    ID_ROW(ICoreWebView2, "{76ECEACB-0462-4D94-AC83-423A6793775E}"),
    ID_ROW(ICoreWebView2_2, "{9E8F0CF8-E670-4B5E-B2BC-73E061E3184C}"),
    ID_ROW(ICoreWebView2_3, "{A0D6DF20-3B92-416D-AA0C-437A9C727857}"),
    ID_ROW(ICoreWebView2_4, "{20D02D59-6DF2-42DC-BD06-F98A694B1302}"),
    ID_ROW(ICoreWebView2Settings, "{E562E4F0-D7FA-43AC-8D71-C05150499F00}"),
    ID_ROW(ICoreWebView2Settings2, "{EE9A0F68-F46C-4E32-AC23-EF8CAC224D2A}"),
    ID_ROW(ICoreWebView2Settings3, "{FDB5AB74-AF33-4854-84F0-0A631DEB5EBA}"),
    ID_ROW(ICoreWebView2Settings4, "{CB56846C-4168-4D53-B04F-03B6D6796FF2}"),
    ID_ROW(ICoreWebView2Settings5, "{183E7052-1D03-43A0-AB99-98E043B66B39}"),
    ID_ROW(ICoreWebView2Settings6, "{11CB3ACD-9BC8-43B8-83BF-F40753714F87}"),
    ID_ROW(ICoreWebView2Settings7, "{488DC902-35EF-42D2-BC7D-94B65C4BC49C}"),
    ID_ROW(ICoreWebView2Settings8, "{9E6B0E8F-86AD-4E81-8147-A9B5EDB68650}"),
    ID_ROW(ICoreWebView2Settings9, "{0528A73B-E92D-49F4-927A-E547DDDAA37D}"),
    ID_ROW(ICoreWebView2EnvironmentOptions, "{2FDE08A8-1E9A-4766-8C05-95A9CEB9D1C5}"),
    ID_ROW(ICoreWebView2EnvironmentOptions2, "{FF85C98A-1BA7-4A6B-90C8-2B752C89E9E2}"),
    ID_ROW(ICoreWebView2EnvironmentOptions3, "{4A5C436E-A9E3-4A2E-89C3-910D3513F5CC}"),
    ID_ROW(ICoreWebView2EnvironmentOptions4, "{AC52D13F-0D38-475A-9DCA-876580D6793E}"),
    ID_ROW(ICoreWebView2EnvironmentOptions5, "{0AE35D64-C47F-4464-814E-259C345D1501}"),
    ID_ROW(ICoreWebView2EnvironmentOptions6, "{57D29CC3-C84F-42A0-B0E2-EFFBD5E179DE}"),
    ID_ROW(ICoreWebView2EnvironmentOptions7, "{C48D539F-E39F-441C-AE68-1F66E570BDC5}"),
    ID_ROW(ICoreWebView2EnvironmentOptions8, "{7C7ECF51-E918-5CAF-853C-E9A2BCC27775}"),
    ID_ROW(ICoreWebView2CustomSchemeRegistration, "{D60AC92C-37A6-4B26-A39E-95CFE59047BB}"),
    ID_ROW(ICoreWebView2NewWindowRequestedEventArgs, "{34ACB11C-FC37-4418-9132-F9C21D1EAFB9}"),
    ID_ROW(ICoreWebView2DownloadStartingEventArgs, "{E99BBE21-43E9-4544-A732-282764EAFA60}"),
    ID_ROW(ICoreWebView2DownloadOperation, "{3D6B6CF2-AFE1-44C7-A995-C65117714336}"),
    ID_ROW(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler,
           "{4E8A3389-C9D8-4BD2-B6B5-124FEE6CC14D}"),
    ID_ROW(ICoreWebView2CreateCoreWebView2ControllerCompletedHandler,
           "{6C4819F3-C9B7-4260-8127-C9F5BDE7F68C}"),
    ID_ROW(ICoreWebView2WindowCloseRequestedEventHandler, "{5C19E9E0-092F-486B-AFFA-CA8231913039}"),
    ID_ROW(ICoreWebView2NewWindowRequestedEventHandler, "{D4C185FE-C81C-4989-97AF-2D3FA7AB5651}"),
    ID_ROW(ICoreWebView2DownloadStartingEventHandler, "{EFEDC989-C396-41CA-83F7-07F845A55724}"),
    ID_ROW(ICoreWebView2EdgeViewOptions, "{0EA2394C-96E6-4AE3-8F9A-8473ABEF3732}"),
  };
  return rows;
}
// clang-format on

}  // namespace

TEST(InterfaceIds, EveryInterfaceAnswersItsPublishedId) {
  ASSERT_EQ(PublishedIds().size(), 43u);
  for (const IdRow& row : PublishedIds()) {
    SCOPED_TRACE(row.name);
    IID published{};
    EXPECT_EQ(IIDFromString(row.published, &published), S_OK);
    EXPECT_EQ(Narrow(GuidText(row.declared)), Narrow(GuidText(published)));
  }
}

TEST(InterfaceIds, NoTwoInterfacesShareAnId) {
  const std::vector<IdRow>& rows = PublishedIds();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (std::size_t j = i + 1; j < rows.size(); ++j) {
      EXPECT_FALSE(IsEqualGUID(rows[i].declared, rows[j].declared))
          << rows[i].name << " and " << rows[j].name;
    }
  }
}

namespace {

// Records the interface ID it is asked for and answers nothing.
class RecordingUnknown final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    askedFor = id;
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  IID askedFor{};
};

}  // namespace

// Callers ask for interfaces through IID_PPV_ARGS and ComPtr, which take the ID from the pointer's
// type rather than naming it.
TEST(InterfaceIds, PointerTypedQueriesAskForTheDeclaredId) {
  RecordingUnknown object;
  ICoreWebView2EnvironmentOptions7* options = nullptr;
  EXPECT_EQ(object.QueryInterface(IID_PPV_ARGS(&options)), E_NOINTERFACE);
  EXPECT_EQ(Narrow(GuidText(object.askedFor)), "{C48D539F-E39F-441C-AE68-1F66E570BDC5}");

  ICoreWebView2EdgeViewOptions* edgeView = nullptr;
  EXPECT_EQ(object.QueryInterface(IID_PPV_ARGS(&edgeView)), E_NOINTERFACE);
  EXPECT_EQ(Narrow(GuidText(object.askedFor)), "{0EA2394C-96E6-4AE3-8F9A-8473ABEF3732}");
}

// -------------------------------------------------------------------------------------------------
// Enumerations and the event token.

TEST(EngineTypes, EveryEnumerationIsFourBytesWide) {
  EXPECT_EQ(sizeof(COREWEBVIEW2_MOVE_FOCUS_REASON), 4u);
  EXPECT_EQ(sizeof(COREWEBVIEW2_CHANNEL_SEARCH_KIND), 4u);
  EXPECT_EQ(sizeof(COREWEBVIEW2_RELEASE_CHANNELS), 4u);
  EXPECT_EQ(sizeof(COREWEBVIEW2_SCROLLBAR_STYLE), 4u);
  EXPECT_EQ(sizeof(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT), 4u);
  EXPECT_EQ(sizeof(COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND), 4u);
  EXPECT_EQ(sizeof(COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON), 4u);
  EXPECT_EQ(sizeof(COREWEBVIEW2_DOWNLOAD_STATE), 4u);
  EXPECT_EQ(sizeof(COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND), 4u);
  EXPECT_EQ(sizeof(COREWEBVIEW2_PDF_TOOLBAR_ITEMS), 4u);
  EXPECT_EQ(sizeof(COREWEBVIEW2_WEB_RESOURCE_CONTEXT), 4u);
}

TEST(EngineTypes, MoveFocusReasonsHaveTheirPublishedValues) {
  EXPECT_EQ(COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC, 0);
  EXPECT_EQ(COREWEBVIEW2_MOVE_FOCUS_REASON_NEXT, 1);
  EXPECT_EQ(COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS, 2);
}

TEST(EngineTypes, ChannelSearchKindsHaveTheirPublishedValues) {
  EXPECT_EQ(COREWEBVIEW2_CHANNEL_SEARCH_KIND_MOST_STABLE, 0);
  EXPECT_EQ(COREWEBVIEW2_CHANNEL_SEARCH_KIND_LEAST_STABLE, 1);
}

TEST(EngineTypes, ReleaseChannelsAreOneBitPerChannelInChannelOrder) {
  EXPECT_EQ(COREWEBVIEW2_RELEASE_CHANNELS_NONE, 0x0);
  EXPECT_EQ(COREWEBVIEW2_RELEASE_CHANNELS_STABLE, 0x1);
  EXPECT_EQ(COREWEBVIEW2_RELEASE_CHANNELS_BETA, 0x2);
  EXPECT_EQ(COREWEBVIEW2_RELEASE_CHANNELS_DEV, 0x4);
  EXPECT_EQ(COREWEBVIEW2_RELEASE_CHANNELS_CANARY, 0x8);
}

TEST(EngineTypes, ReleaseChannelsCombineIntoAMaskOfTheSameType) {
  COREWEBVIEW2_RELEASE_CHANNELS all = COREWEBVIEW2_RELEASE_CHANNELS_STABLE |
                                      COREWEBVIEW2_RELEASE_CHANNELS_BETA |
                                      COREWEBVIEW2_RELEASE_CHANNELS_DEV;
  all |= COREWEBVIEW2_RELEASE_CHANNELS_CANARY;
  EXPECT_EQ(static_cast<INT32>(all), 0xF);
  EXPECT_EQ(all & COREWEBVIEW2_RELEASE_CHANNELS_DEV, COREWEBVIEW2_RELEASE_CHANNELS_DEV);
  EXPECT_EQ(all & ~COREWEBVIEW2_RELEASE_CHANNELS_STABLE, 0xE);
}

TEST(EngineTypes, ScrollbarStylesHaveTheirPublishedValues) {
  EXPECT_EQ(COREWEBVIEW2_SCROLLBAR_STYLE_DEFAULT, 0);
  EXPECT_EQ(COREWEBVIEW2_SCROLLBAR_STYLE_FLUENT_OVERLAY, 1);
}

TEST(EngineTypes, EventTokenIsOneSigned64BitValue) {
  EXPECT_EQ(sizeof(EventRegistrationToken), 8u);
  EXPECT_EQ(alignof(EventRegistrationToken), 8u);
  EXPECT_EQ(offsetof(EventRegistrationToken, value), 0u);
  EXPECT_TRUE((std::is_same_v<decltype(EventRegistrationToken::value), std::int64_t>));
}

// -------------------------------------------------------------------------------------------------
// Arguments as the engine receives them. The receivers below are declared the way the Microsoft
// x64 convention delivers each argument (a RECT as the address of a copy, a token as one 64-bit
// integer), so they only see the right values if our declarations make the compiler pass them
// that way.

namespace {

struct ReceivedArguments {
  RECT bounds{};
  double zoom = 0.0;
  INT64 token = 0;
  INT32 reason = -1;
  const void* handler = nullptr;
};

ReceivedArguments g_received;

HRESULT STDMETHODCALLTYPE ReceiveBounds(void* /*self*/, const RECT* bounds) {
  g_received.bounds = *bounds;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ReceiveBoundsAndZoom(void* /*self*/, const RECT* bounds, double zoom) {
  g_received.bounds = *bounds;
  g_received.zoom = zoom;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ReceiveZoom(void* /*self*/, double zoom) {
  g_received.zoom = zoom;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ReceiveToken(void* /*self*/, INT64 token) {
  g_received.token = token;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ReceiveReason(void* /*self*/, INT32 reason) {
  g_received.reason = reason;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ReceiveHandlerAndIssueToken(void* /*self*/, const void* handler,
                                                      INT64* token) {
  g_received.handler = handler;
  *token = 0x7766554433221100;
  return S_OK;
}

// A probe whose vtable has one entry replaced by a receiver.
class ReceivingProbe {
 public:
  template <typename Receiver>
  ReceivingProbe(std::size_t slot, Receiver receiver) : vtable_(WithEntry(slot, receiver)) {
    g_received = ReceivedArguments{};
  }

  template <typename Interface>
  Interface* As() noexcept {
    return probe_.As<Interface>();
  }

 private:
  template <typename Receiver>
  static ProbeVtable WithEntry(std::size_t slot, Receiver receiver) {
    ProbeVtable vtable = kRecordingVtable;
    vtable[slot] = AsEntry(receiver);
    return vtable;
  }

  ProbeVtable vtable_;
  Probe probe_{vtable_.data()};
};

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

TEST(ArgumentPassing, PutBoundsHandsTheEngineTheAddressOfTheRect) {
  ReceivingProbe probe(6, &ReceiveBounds);
  const RECT bounds{-10, 20, 1930, 1080};
  EXPECT_EQ(probe.As<ICoreWebView2Controller>()->put_Bounds(bounds), S_OK);
  EXPECT_TRUE(SameRect(g_received.bounds, bounds));
}

TEST(ArgumentPassing, SetBoundsAndZoomFactorPassesTheZoomAfterTheRectAddress) {
  ReceivingProbe probe(11, &ReceiveBoundsAndZoom);
  const RECT bounds{0, 0, 800, 600};
  EXPECT_EQ(probe.As<ICoreWebView2Controller>()->SetBoundsAndZoomFactor(bounds, 1.25), S_OK);
  EXPECT_TRUE(SameRect(g_received.bounds, bounds));
  EXPECT_EQ(g_received.zoom, 1.25);
}

TEST(ArgumentPassing, PutZoomFactorPassesADouble) {
  ReceivingProbe probe(8, &ReceiveZoom);
  EXPECT_EQ(probe.As<ICoreWebView2Controller>()->put_ZoomFactor(0.5), S_OK);
  EXPECT_EQ(g_received.zoom, 0.5);
}

TEST(ArgumentPassing, RemoveHandlerPassesTheTokenAsOne64BitInteger) {
  ReceivingProbe probe(76, &ReceiveToken);
  EXPECT_EQ(probe.As<ICoreWebView2_4>()->remove_DownloadStarting({-0x0123456789ABCDEF}), S_OK);
  EXPECT_EQ(g_received.token, -0x0123456789ABCDEF);
}

TEST(ArgumentPassing, MoveFocusPassesTheReasonAsA32BitInteger) {
  ReceivingProbe probe(12, &ReceiveReason);
  EXPECT_EQ(probe.As<ICoreWebView2Controller>()->MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS),
            S_OK);
  EXPECT_EQ(g_received.reason, 2);
}

TEST(ArgumentPassing, AddHandlerPassesTheHandlerAndReceivesTheToken) {
  ReceivingProbe probe(44, &ReceiveHandlerAndIssueToken);
  auto* handler = probe.As<ICoreWebView2NewWindowRequestedEventHandler>();
  EventRegistrationToken token{};
  EXPECT_EQ(probe.As<ICoreWebView2>()->add_NewWindowRequested(handler, &token), S_OK);
  EXPECT_EQ(g_received.handler, handler);
  EXPECT_EQ(token.value, 0x7766554433221100);
}

// -------------------------------------------------------------------------------------------------
// The other direction: the engine calls into objects this program implements by slot number.
// These read the compiler-built vtable of an implementation and call its entries raw.

namespace {

template <typename Interface>
class SilentUnknown : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID /*id*/, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

 protected:
  ~SilentUnknown() = default;
};

class RecordingEnvironmentHandler final
    : public SilentUnknown<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode,
                                   ICoreWebView2Environment* createdEnvironment) override {
    receivedError = errorCode;
    receivedEnvironment = createdEnvironment;
    return S_FALSE;
  }

  HRESULT receivedError = S_OK;
  const void* receivedEnvironment = nullptr;
};

class ChannelOptions final : public SilentUnknown<ICoreWebView2EnvironmentOptions7> {
 public:
  HRESULT STDMETHODCALLTYPE
  get_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND* value) override {
    *value = COREWEBVIEW2_CHANNEL_SEARCH_KIND_LEAST_STABLE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS* value) override {
    *value = COREWEBVIEW2_RELEASE_CHANNELS_BETA | COREWEBVIEW2_RELEASE_CHANNELS_CANARY;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS) override {
    return E_NOTIMPL;
  }
};

// The entry at a slot of an object's vtable, typed as the caller expects it.
template <typename Function>
Function EntryAt(void* object, std::size_t slot) {
  const ProbeEntry* vtable = nullptr;
  std::memcpy(&vtable, object, sizeof vtable);
  return reinterpret_cast<Function>(vtable[slot]);
}

}  // namespace

TEST(ImplementedBySlot, EnvironmentCompletedHandlerInvokeIsSlotThreeWithErrorThenEnvironment) {
  RecordingEnvironmentHandler handler;
  ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* asInterface = &handler;
  int environment = 0;
  using Invoke = HRESULT(STDMETHODCALLTYPE*)(void*, HRESULT, void*);
  EXPECT_EQ(EntryAt<Invoke>(asInterface, 3)(asInterface, E_ABORT, &environment), S_FALSE);
  EXPECT_EQ(handler.receivedError, E_ABORT);
  EXPECT_EQ(handler.receivedEnvironment, &environment);
}

TEST(ImplementedBySlot, ChannelOptionsGettersAreSlotsThreeAndFive) {
  ChannelOptions options;
  ICoreWebView2EnvironmentOptions7* asInterface = &options;
  using Getter = HRESULT(STDMETHODCALLTYPE*)(void*, INT32*);

  INT32 searchKind = -1;
  EXPECT_EQ(EntryAt<Getter>(asInterface, 3)(asInterface, &searchKind), S_OK);
  EXPECT_EQ(searchKind, 1);

  INT32 channels = -1;
  EXPECT_EQ(EntryAt<Getter>(asInterface, 5)(asInterface, &channels), S_OK);
  EXPECT_EQ(channels, 0xA);

  using Setter = HRESULT(STDMETHODCALLTYPE*)(void*, INT32);
  EXPECT_EQ(EntryAt<Setter>(asInterface, 4)(asInterface, 0), E_NOTIMPL)
      << "slot 4 is the search-kind setter";
}
