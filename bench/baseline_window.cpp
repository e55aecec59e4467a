// The yardsticks for Mirvot.exe's start-up: the least a Win32 program does to put a window of the
// same client size on the screen and, in its host modes, to ask the browser engine for an
// environment right after. Whatever Mirvot.exe takes beyond them is the price of its own work.
//
//   baseline_window.exe                       registers one class, creates and shows one
//                                             1280 x 800 window, pumps messages until it closes
//   baseline_window.exe host <engine dll>     the smallest possible host: the same window, then,
//                                             right after ShowWindow returns, LoadLibraryW of the
//                                             engine library and a direct call of its creation
//                                             export (no options object, an empty user data
//                                             folder, a handler that ignores the outcome), then
//                                             the message loop
//   baseline_window.exe host-ole <engine dll> the same, but OLE is initialised first and the
//                                             window is registered as a drop target before it is
//                                             shown, as Mirvot's window must be
//
// No DPI declaration, no icon, no C++ runtime work. The host modes note their start-up moments
// like the benchmark's build of Mirvot.exe (common/startup_marks.h) and write them out once the
// creation call has returned. ole32 is loaded only by the OLE mode (the engine library brings it
// along later in the other host mode), so the bare window stays as bare as it was.
#include <windows.h>
#include <oleidl.h>

#include <cwchar>
#include <initializer_list>

#include "common/startup_marks.h"
#include "webview2/webview2_interfaces.h"

namespace {

constexpr wchar_t kClassName[] = L"MirvotBenchBaseline";
constexpr wchar_t kTitle[] = L"Mirvot Baseline";
constexpr int kClientWidth = 1280;
constexpr int kClientHeight = 800;
// As Mirvot's loader passes it for a runtime found in a given folder.
constexpr INT32 kFixedFolderRuntime = 1;

enum class Mode { Window, Host, HostWithOle };

// Exit codes of a host that could not do its part.
constexpr int kNoWindow = 1;
constexpr int kNoEngineLibrary = 3;
constexpr int kNoCreationExport = 4;
constexpr int kNoOle = 5;

using CreateEnvironmentFunction =
    HRESULT(STDAPICALLTYPE*)(bool, INT32, PCWSTR, ICoreWebView2EnvironmentOptions*,
                             ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*);

// Static objects: nothing to allocate, nothing to count.
class IgnoringEnvironmentHandler final
    : public ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override {
    if (object == nullptr) {
      return E_POINTER;
    }
    if (iid == __uuidof(IUnknown) ||
        iid == __uuidof(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler)) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return 2; }
  ULONG STDMETHODCALLTYPE Release() noexcept override { return 1; }
  HRESULT STDMETHODCALLTYPE Invoke(HRESULT /*errorCode*/,
                                   ICoreWebView2Environment* /*environment*/) noexcept override {
    return S_OK;
  }
};

class RefusingDropTarget final : public IDropTarget {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override {
    if (object == nullptr) {
      return E_POINTER;
    }
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDropTarget)) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return 2; }
  ULONG STDMETHODCALLTYPE Release() noexcept override { return 1; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL,
                                      DWORD* effect) noexcept override {
    return Refuse(effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) noexcept override {
    return Refuse(effect);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() noexcept override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD* effect) noexcept override {
    return Refuse(effect);
  }

 private:
  static HRESULT Refuse(DWORD* effect) noexcept {
    if (effect == nullptr) {
      return E_INVALIDARG;
    }
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
};

IgnoringEnvironmentHandler g_environmentHandler;
RefusingDropTarget g_dropTarget;

LRESULT CALLBACK BaselineWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// The mode word and, for the host modes, the rest of the command line: the engine library's path.
Mode ModeOf(const wchar_t* commandLine, const wchar_t** enginePath) {
  struct Word {
    const wchar_t* text;
    Mode mode;
  };
  for (const Word& word : {Word{L"host-ole ", Mode::HostWithOle}, Word{L"host ", Mode::Host}}) {
    const size_t length = std::wcslen(word.text);
    if (std::wcsncmp(commandLine, word.text, length) == 0) {
      *enginePath = commandLine + length;
      return word.mode;
    }
  }
  return Mode::Window;
}

// OleInitialize and RegisterDragDrop from ole32, loaded here.
struct OleFunctions {
  HRESULT(STDAPICALLTYPE* initialize)(LPVOID) = nullptr;
  HRESULT(STDAPICALLTYPE* registerDragDrop)(HWND, IDropTarget*) = nullptr;
};

OleFunctions LoadOle() {
  OleFunctions functions;
  const HMODULE ole32 = ::LoadLibraryExW(L"ole32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (ole32 != nullptr) {
    functions.initialize = reinterpret_cast<decltype(functions.initialize)>(
        reinterpret_cast<void (*)()>(::GetProcAddress(ole32, "OleInitialize")));
    functions.registerDragDrop = reinterpret_cast<decltype(functions.registerDragDrop)>(
        reinterpret_cast<void (*)()>(::GetProcAddress(ole32, "RegisterDragDrop")));
  }
  return functions;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR commandLine, int /*show*/) {
  const wchar_t* enginePath = nullptr;
  const Mode mode = ModeOf(commandLine, &enginePath);

  OleFunctions ole;
  if (mode == Mode::HostWithOle) {
    ole = LoadOle();
    if (ole.initialize == nullptr || ole.registerDragDrop == nullptr ||
        FAILED(ole.initialize(nullptr))) {
      return kNoOle;
    }
    MIRVOT_STARTUP_MARK(OleInitialised);
  }

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = BaselineWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  if (::RegisterClassExW(&windowClass) == 0) {
    return kNoWindow;
  }

  // The same frame as Mirvot's main window, sized so that the client area is 1280 x 800.
  constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
  constexpr DWORD kExStyle = WS_EX_WINDOWEDGE | WS_EX_APPWINDOW;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const HWND window = ::CreateWindowExW(
      kExStyle, kClassName, kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
      frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) {
    return kNoWindow;
  }
  MIRVOT_STARTUP_MARK(MainWindowCreated);
  if (mode == Mode::HostWithOle) {
    ole.registerDragDrop(window, &g_dropTarget);
  }
  ::ShowWindow(window, SW_SHOWNORMAL);
  MIRVOT_STARTUP_MARK(MainWindowShown);

  if (mode != Mode::Window) {
    const HMODULE engine = ::LoadLibraryW(enginePath);
    if (engine == nullptr) {
      return kNoEngineLibrary;
    }
    MIRVOT_STARTUP_MARK(EngineLibraryLoaded);
    const auto create = reinterpret_cast<CreateEnvironmentFunction>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(engine, "CreateWebViewEnvironmentWithOptionsInternal")));
    if (create == nullptr) {
      return kNoCreationExport;
    }
    MIRVOT_STARTUP_MARK(CreationCall);
    create(true, kFixedFolderRuntime, L"", nullptr, &g_environmentHandler);
    mirvot::WriteStartupMarks();
  }

  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
