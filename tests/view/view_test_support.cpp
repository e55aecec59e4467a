#include "view/view_test_support.h"

#include <commctrl.h>

#include <stdexcept>
#include <utility>

#include "common/own_messages.h"
#include "shell/parent_hook.h"

namespace mirvot::test {
namespace {

constexpr wchar_t kParentClassName[] = L"MirvotViewTestParent";

void RegisterParentClass() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = ::DefWindowProcW;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kParentClassName;
  ::RegisterClassExW(&windowClass);  // already registered by an earlier test: fine
}

}  // namespace

ParentWindow::ParentWindow(int width, int height) {
  RegisterParentClass();
  window_ =
      ::CreateWindowExW(0, kParentClassName, L"view test parent", WS_OVERLAPPEDWINDOW, 40, 40,
                        width, height, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (window_ != nullptr) {
    ::ShowWindow(window_, SW_SHOWNORMAL);
    PumpPendingMessages();
  }
}

ParentWindow::~ParentWindow() {
  if (window_ != nullptr) {
    // Destroyed as the program destroys its main window, so that its hook goes with it.
    static_cast<void>(DestroyOwnWindow(window_));
    PumpPendingMessages();
  }
}

RECT ParentWindow::client() const {
  RECT rect{};
  ::GetClientRect(window_, &rect);
  return rect;
}

std::vector<std::string> LinesBetween(const std::vector<std::string>& lines,
                                      const std::string& first, const std::string& lastPrefix) {
  const int begin = FindLine(lines, first);
  if (begin < 0) {
    return {};
  }
  const int end = FindLineStartingWith(lines, lastPrefix, begin + 1);
  if (end < 0) {
    return {};
  }
  return std::vector<std::string>(lines.begin() + begin, lines.begin() + end + 1);
}

bool HasParentHook(HWND window) {
  // The import library lacks GetWindowSubclass; the program looks it up by name too.
  using GetWindowSubclassFunction = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);
  static const auto getWindowSubclass =
      reinterpret_cast<GetWindowSubclassFunction>(reinterpret_cast<void (*)()>(
          ::GetProcAddress(::LoadLibraryW(L"comctl32.dll"), "GetWindowSubclass")));
  DWORD_PTR referenceData = 0;
  return getWindowSubclass != nullptr &&
         getWindowSubclass(window, parent_hook_proc, kParentHookId, &referenceData) != FALSE;
}

std::string BoundsLine(const RECT& client) {
  return "controller.put_Bounds 0 0 " + std::to_string(client.right - client.left) + " " +
         std::to_string(client.bottom - client.top);
}

void ViewTest::SetUp() {
  engine_ = std::make_unique<TestEngineClient>(TestEngineDllPath(L"fixed"));
  ASSERT_TRUE(engine_->valid()) << "the test engine was not found";
  engine_->Reset();
  parent_ = std::make_unique<ParentWindow>();
  ASSERT_NE(parent_->get(), nullptr) << "no display for the parent window";
}

void ViewTest::TearDown() {
  view_.reset();
  if (engine_ && engine_->valid()) {
    // A creation that failed while waiting leaves a completion behind; deliver it now so it
    // does not reach the next test.
    engine_->PumpUntilNoPendingCompletions();
  }
  parent_.reset();
  if (engine_ && engine_->valid()) {
    engine_->Reset();
  }
}

BrowserViewResult ViewTest::Create(const std::string& url, bool withDownloadCallback) {
  DownloadStartedCallback callback;
  if (withDownloadCallback) {
    callback = [this](const std::string& uri, std::wstring& path) {
      downloads_.push_back({uri, path});
      if (replacementPath_) {
        path = *replacementPath_;
      }
      return acceptDownloads_;
    };
  }
  const ViewOptions options{context_, url, std::move(callback)};
  return BrowserView::create(parent_->get(), options);
}

BrowserView& ViewTest::CreateView(const std::string& url) {
  BrowserViewResult result = Create(url);
  if (auto* error = std::get_if<WebView2Error>(&result)) {
    ADD_FAILURE() << "creation failed: " << error->description();
    throw std::runtime_error("view creation failed");
  }
  view_.emplace(std::move(std::get<BrowserView>(result)));
  return *view_;
}

WebView2Error ViewTest::CreateFailing() {
  BrowserViewResult result = Create();
  if (auto* error = std::get_if<WebView2Error>(&result)) {
    return *error;
  }
  ADD_FAILURE() << "creation succeeded but was expected to fail";
  throw std::runtime_error("view creation succeeded");
}

}  // namespace mirvot::test
