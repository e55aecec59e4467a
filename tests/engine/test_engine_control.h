#pragma once
// The test engine: our own stand-in for the browser engine library EmbeddedBrowserWebView.dll,
// used only by tests and never linked into the product. It exports the engine's creation entry
// and a small C control API (below) through which a test steers it and reads what the host did.
//
// ------------------------------------------------------------------------------------------------
// Builds and runtime folders (targets in tests/engine/CMakeLists.txt)
//
//   test_engine            the engine with "DllCanUnloadNow" exported
//   test_engine_no_unload  the same engine without "DllCanUnloadNow"
//   test_engine_runtimes   lays both out (part of ALL; depend on it) under
//   MIRVOT_TEST_RUNTIME_ROOT:
//     fixed/EBWebView/x64/EmbeddedBrowserWebView.dll                      (test_engine)
//     fixed-no-unload/EBWebView/x64/EmbeddedBrowserWebView.dll            (test_engine_no_unload)
//     Application/120.0.2210.91/EBWebView/x64/EmbeddedBrowserWebView.dll  (copy of test_engine)
//   The library mirvot_test_engine_client (test_engine_client.h) depends on test_engine_runtimes.
//   test_engine_command_sender  a small program that sends a view window one command (below).
//
// ------------------------------------------------------------------------------------------------
// Engine exports
//
//   HRESULT CreateWebViewEnvironmentWithOptionsInternal(
//       bool unknown, INT32 runtimeKind, PCWSTR userDataFolder,
//       ICoreWebView2EnvironmentOptions* options,
//       ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);
//     Logs its five arguments, then reads and logs every getter of every options interface
//     (EnvironmentOptions to EnvironmentOptions8, each found with its own QueryInterface).
//     - null handler: returns E_POINTER; nothing else happens.
//     - script refuse_create: returns that code; the handler is never called and the engine does
//       not pin itself (the loader's FreeLibrary really unloads it).
//     - otherwise: pins its own module (see below), keeps a reference to the handler and returns
//       S_OK. The handler's Invoke runs exactly once (twice with invoke_twice), later, on the
//       calling thread, from that thread's message loop: a message posted to a hidden
//       message-only window of that thread. Never inside the call.
//     Why it pins itself: the loader drops its module reference right after the call when
//     "DllCanUnloadNow" is exported, but the pending completion, the view windows and the objects
//     handed to the host all run code of this module later. Once an accepted creation has happened
//     the module stays loaded for the life of the process; in-process tests therefore share one
//     engine and must call TestEngine_Reset between cases.
//
//   HRESULT DllCanUnloadNow();   (test_engine only) S_FALSE while engine objects live or
//   completions
//     are pending, else S_OK.
//
// Objects handed to the host:
//   environment  answers ICoreWebView2Environment .. ICoreWebView2Environment10 (one object).
//                CreateCoreWebView2Controller(WithOptions) completes later, posted like the
//                environment, on the calling thread. get_BrowserVersionString gives
//                "120.0.2210.91", get_UserDataFolder the folder it was created with.
//   controller   creates a real child window of the given parent (class "MirvotTestEngineView",
//                WS_CHILD|WS_VISIBLE, initially at 0,0 with size 0x0). Its window text is the URL
//                last navigated to, and it paints that URL. put_Bounds moves the window to the rect
//                (parent coordinates), put_IsVisible shows/hides it, MoveFocus focuses it,
//                get_ParentWindow gives the parent, put_ParentWindow re-parents it, Close destroys
//                the window; after Close every controller call except Close fails with
//                HRESULT_FROM_WIN32(ERROR_INVALID_STATE) (0x8007139F). Calls that need the window
//                after it was destroyed from outside (its parent was destroyed) fail with
//                HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE) (0x80070578).
//   webview      ICoreWebView2 .. ICoreWebView2_4. get_Settings (always the same object),
//                Navigate, add_/remove_ WindowCloseRequested, NewWindowRequested, DownloadStarting
//                (several handlers may be registered; they are called in registration order).
//   settings     ICoreWebView2Settings .. ICoreWebView2Settings9; each setter logs and stores,
//                each getter gives the stored value (until set: TRUE for every BOOL, "" for
//                UserAgent, 0 for HiddenPdfToolbarItems).
//   Every method not listed: E_NOTIMPL (logged). Every null out-pointer: E_POINTER.
//
// Cross-process trigger: the view window answers WM_COPYDATA whose lpData is UTF-16 text
// (cbData in bytes, a terminating NUL optional) holding one command:
//     "newwindow <uri>"            raise NewWindowRequested with that URI
//     "close"                      raise WindowCloseRequested
//     "download <uri>|<path>"      raise DownloadStarting with that URI and proposed path
// It returns TRUE when the command was understood; the event is then raised shortly after, from
// the view thread's message loop (so the sender is not blocked while the host answers). Results
// go to the log (and the log file). Find the window with
// FindWindowExW(host, nullptr, L"MirvotTestEngineView", nullptr). The program
// test_engine_command_sender <window handle in hex> "<command>" sends one command and exits with
// 1 (understood), 0 (refused) or 2 (bad usage); the sending thread's owner must keep pumping.
//
// Queue marker: a message kTestEngineViewPing posted to the view window (from any process) logs
// "view.ping <wParam>" when the view's thread dispatches it. Posted messages of one thread are
// dispatched in the order they were posted, so the line shows that everything posted to that
// thread before the marker has been dispatched.
//
// ------------------------------------------------------------------------------------------------
// Script: "key=value;key=value" (spaces around items are ignored; later items override earlier
// ones). Taken from TestEngine_SetScript when one was set; otherwise from the environment
// variable MIRVOT_TEST_ENGINE_SCRIPT, read afresh whenever the engine consults the script (so for
// another process, set it before the creation call). HRESULTs are hexadecimal, with or without 0x.
//
//   refuse_create=<hr>         the creation export returns <hr>; the handler is never called.
//   env_fail=<hr>              the environment completion reports <hr> with a null environment...
//   env_fail_times=<n|always>  ...for the first n accepted creations, then succeeds
//                              (default: always). TestEngine_SetScript and TestEngine_Reset
//                              restart the count.
//   env_fail_with_object=1     a failed environment completion also passes an environment object.
//   env_null=1                 the environment completion reports S_OK with a null environment.
//   invoke_twice=1             the environment handler's Invoke is called twice (hostile engine).
//   omit=<names>               comma list of interface names that QueryInterface refuses with
//                              E_NOINTERFACE on every engine object, e.g.
//                              omit=ICoreWebView2Environment10,ICoreWebView2_4,ICoreWebView2Settings9
//                              Only the named IIDs are refused: omitting ICoreWebView2Settings4
//                              leaves ICoreWebView2Settings9 (which derives from it) answered.
//   qi_null=<names>            comma list of interface names for which QueryInterface answers
//                              S_OK yet writes a null pointer (a broken engine), e.g.
//                              qi_null=ICoreWebView2_4,ICoreWebView2Environment
//   fail=<object.method>:<hr>  comma list: that logged call fails with <hr> and has no effect,
//                              e.g.
//                              fail=controller.put_IsVisible:80004005,webview.Navigate:80070005
//   fail_setter=<method>:<hr>  comma list; same as fail=settings.<method>:<hr>.
//   controller_fail=<hr>       the controller completion reports <hr> with a null controller.
//   controller_null=1          the controller completion reports S_OK with a null controller.
//   navigate_fail=<hr>         same as fail=webview.Navigate:<hr>.
//   bounds_fail=<hr>           same as fail=controller.put_Bounds:<hr>.
//   hold_create=<pipe name>    the creation export, before anything else (its log line included),
//                              connects to the named pipe \\.\pipe\<pipe name>, writes the line
//                                  held pid=<Windows process id> unix=<Linux process id>\n
//                              (unix=0 where that is unknown: not Wine on Linux x86-64) and waits
//                              until it reads a byte from the pipe or the pipe breaks, then goes
//                              on as usual. The start-up benchmark reads the process from outside
//                              meanwhile. With no one listening there is no wait; the log then
//                              says  CreateWebViewEnvironmentWithOptionsInternal nobody-holding
//                              "<pipe name>"  after the creation line.
// An item the engine does not understand is logged as  script.unknown "<item>"  and ignored.
//
// ------------------------------------------------------------------------------------------------
// Log: one line per call or event, in order, UTF-8, '\n' after each line; kept in memory
// (TestEngine_ReadLog) and, when the environment variable MIRVOT_TEST_ENGINE_LOG names a file,
// appended to that file too (opened, appended and closed for every line, so another process can
// read it at any time). Value formats:
//   text      "..." in UTF-8, as given (backslashes and quotes unchanged; CR and LF written as \r
//             and \n so an entry stays on one line); <null> for a null string
//   HRESULT   0x followed by 8 uppercase hexadecimal digits, e.g. 0x80004005
//   BOOL, int decimal;   pointer arguments  yes / no (non-null / null)
// A call the engine fails gets " hr=0x........" appended (that call had no effect).
//
//   CreateWebViewEnvironmentWithOptionsInternal unknown=1 kind=0 userDataFolder="C:\x" options=yes
//   handler=yes options.ICoreWebView2EnvironmentOptions3 missing          (that QueryInterface
//   failed) options.get_AdditionalBrowserArguments hr=0x00000000 value="--a --b"
//   options.get_Language hr=0x00000000 value="en-US"
//   options.get_TargetCompatibleBrowserVersion hr=0x00000000 value="145.0.3800.47"
//   options.get_AllowSingleSignOnUsingOSPrimaryAccount hr=0x00000000 value=0
//   options.get_ExclusiveUserDataFolderAccess hr=0x00000000 value=0
//   options.get_IsCustomCrashReportingEnabled hr=0x00000000 value=0
//   options.GetCustomSchemeRegistrations hr=0x00000000 count=0
//   options.get_EnableTrackingPrevention hr=0x00000000 value=1
//   options.get_AreBrowserExtensionsEnabled hr=0x00000000 value=0
//   options.get_ChannelSearchKind hr=0x00000000 value=0
//   options.get_ReleaseChannels hr=0x00000000 value=15
//   options.get_ScrollBarStyle hr=0x00000000 value=0
//       (a failing getter: "options.get_Language hr=0x80004001", without a value)
//   CreateWebViewEnvironmentWithOptionsInternal refused hr=0x80004005
//   CreateWebViewEnvironmentWithOptionsInternal accepted
//   environmentHandler.Invoke hr=0x00000000 environment=yes
//   environmentHandler.Invoke returned 0x00000000
//   <object>.QueryInterface <interface name> omitted
//   <object>.QueryInterface <interface name> null
//   environment.CreateCoreWebView2ControllerOptions
//   controllerOptions.put_IsInPrivateModeEnabled 0
//   environment.CreateCoreWebView2ControllerWithOptions parentWindow=yes options=yes inPrivate=0
//   handler=yes environment.CreateCoreWebView2Controller parentWindow=yes handler=yes
//   controllerHandler.Invoke hr=0x00000000 controller=yes
//   controllerHandler.Invoke returned 0x00000000
//   controller.get_CoreWebView2
//   controller.put_IsVisible 1
//   controller.MoveFocus 0
//   controller.put_Bounds 0 0 1280 800                      (left top right bottom)
//   controller.get_ParentWindow
//   controller.NotifyParentWindowPositionChanged
//   controller.Close
//   view.windowDestroyed                                    (the view window went away)
//   webview.get_Settings
//   settings.put_IsStatusBarEnabled 0                       (every setter, with its value)
//   settings.get_IsStatusBarEnabled                         (every getter)
//   webview.add_WindowCloseRequested | add_NewWindowRequested | add_DownloadStarting
//   webview.remove_WindowCloseRequested ...
//   webview.Navigate "https://app.example/login"
//   webview.ExecuteScript hr=0x80004001                     (a method the engine does not offer)
//   raise.WindowCloseRequested
//   event.WindowCloseRequested hr=0x00000000                (one line per handler: its result)
//   raise.NewWindowRequested uri="https://x/"
//   newWindow.get_Uri
//   newWindow.put_Handled 1
//   event.NewWindowRequested hr=0x00000000
//   newWindow.result handled=1 newWindow=no                 (newWindow: put_NewWindow was given
//   one) raise.DownloadStarting uri="https://x/f.zip" path="C:\d\f.zip"
//   download.get_DownloadOperation
//   downloadOperation.get_Uri
//   download.get_ResultFilePath
//   download.put_ResultFilePath "C:\d\f.zip"
//   download.put_Handled 1
//   download.put_Cancel 1
//   event.DownloadStarting hr=0x00000000
//   download.result handled=1 cancel=0 path="C:\d\f.zip"
//   event.NewWindowRequested no-handler                     (nothing registered: raise fails)
//   event.NewWindowRequested no-view                        (no open view: raise fails)
//   command "download https://x/f.zip|C:\d\f.zip"           (a WM_COPYDATA command arrived)
//   command.unknown "bogus"
//   view.ping 17                                            (kTestEngineViewPing with wParam 17)
//   script.unknown "bogus=1"
//   DllCanUnloadNow live=0 pending=0 result=0x00000000
// Raise lines come first; the host's calls on the arguments follow, then one event line per
// handler, then the result line. An event raised through WM_COPYDATA logs its command line first.
//
// Timing (for the start-up benchmark, bench/): with the environment variable
// MIRVOT_TEST_ENGINE_TIMING=1 (read for every line) each line, in memory and in the file, ends with
//     " t=<when> busy=<engine time> queued=<queue time>"
// all three as decimal counts of 100 ns; `t` is a FILETIME from GetSystemTimePreciseAsFileTime.
//   t       for a method's line, the moment the method was entered; otherwise the moment of writing
//   busy    the engine's own time so far, all threads: inside the creation export, inside each
//           method (entry to its line, the file append included), while a queued completion or
//           event runs, and in the view window's procedure; calls into the host's handlers are
//           left out. For a method's line, the total at its entry.
//   queued  the time completions and queued events have waited between being posted and running
// The creation line also gets " visibleWindows=<n> loaded=<when>" before the suffix: the calling
// thread's visible top-level windows, and when the engine library's static data was initialised;
// after a hold (hold_create) also " held=<how long the caller waited>", in 100 ns units.
//   CreateWebViewEnvironmentWithOptionsInternal unknown=1 kind=0 userDataFolder="C:\x" options=yes
//       handler=yes visibleWindows=1 loaded=133475712345678901 t=133475712345690000 busy=1042
//       queued=0
// Without the variable (or with any other value) the lines are exactly as listed above.
//
// ------------------------------------------------------------------------------------------------
// Control exports. All are safe to call from any thread; the Raise functions call the host's
// handlers synchronously on the calling thread (call them on the view's thread).
#include <windows.h>

#include <cstddef>

inline constexpr UINT kTestEngineViewPing = WM_APP + 0x3A7;

#if defined(MIRVOT_TEST_ENGINE_BUILDING)
#define MIRVOT_TEST_ENGINE_API __declspec(dllexport)
#else
#define MIRVOT_TEST_ENGINE_API
#endif

extern "C" {

// Forgets the script, the in-memory log (not the log file), the failure counter and the open
// views (the views stay alive for whoever holds them, but events are no longer raised on them).
MIRVOT_TEST_ENGINE_API void TestEngine_Reset();

// Sets the script (format above); it wins over MIRVOT_TEST_ENGINE_SCRIPT until TestEngine_Reset or
// TestEngine_SetScript(nullptr). Restarts the failure counter. Returns 1 when every item was
// understood, 0 otherwise (unknown items are ignored and logged).
MIRVOT_TEST_ENGINE_API int TestEngine_SetScript(const char* script);

// Copies the log (UTF-8, '\n' after each line, no terminating NUL) into buffer, at most capacity
// bytes, and returns the log's full size in bytes. TestEngine_ReadLog(nullptr, 0) gives the size.
MIRVOT_TEST_ENGINE_API size_t TestEngine_ReadLog(char* buffer, size_t capacity);

// Raise the event on the newest open view (created most recently and not closed) by calling
// every registered handler's Invoke; returns S_OK or the first failing handler result.
// No open view, or no handler registered: HRESULT_FROM_WIN32(ERROR_NOT_FOUND) (0x80070490).
MIRVOT_TEST_ENGINE_API HRESULT TestEngine_RaiseNewWindowRequested(const wchar_t* uri);
MIRVOT_TEST_ENGINE_API HRESULT TestEngine_RaiseWindowCloseRequested();
MIRVOT_TEST_ENGINE_API HRESULT TestEngine_RaiseDownloadStarting(const wchar_t* uri,
                                                                const wchar_t* proposedPath);

// Engine COM objects alive now (environments, controllers, views, settings, options, event
// arguments, download operations).
MIRVOT_TEST_ENGINE_API long TestEngine_LiveObjects();

// Work posted to a thread's message loop and not yet run: environment and controller
// completions, and events queued by WM_COPYDATA commands.
MIRVOT_TEST_ENGINE_API long TestEngine_PendingCompletions();

// The window of the newest open view, or null.
MIRVOT_TEST_ENGINE_API HWND TestEngine_CurrentViewWindow();

}  // extern "C"

// Types of the exports, for GetProcAddress.
using TestEngineResetFunction = decltype(&TestEngine_Reset);
using TestEngineSetScriptFunction = decltype(&TestEngine_SetScript);
using TestEngineReadLogFunction = decltype(&TestEngine_ReadLog);
using TestEngineRaiseNewWindowRequestedFunction = decltype(&TestEngine_RaiseNewWindowRequested);
using TestEngineRaiseWindowCloseRequestedFunction = decltype(&TestEngine_RaiseWindowCloseRequested);
using TestEngineRaiseDownloadStartingFunction = decltype(&TestEngine_RaiseDownloadStarting);
using TestEngineLiveObjectsFunction = decltype(&TestEngine_LiveObjects);
using TestEnginePendingCompletionsFunction = decltype(&TestEngine_PendingCompletions);
using TestEngineCurrentViewWindowFunction = decltype(&TestEngine_CurrentViewWindow);
using DllCanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();
