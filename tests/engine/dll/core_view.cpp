#include "core_view.h"

#include <algorithm>
#include <mutex>
#include <new>

#include "common/hresult.h"
#include "event_args.h"
#include "task_dispatcher.h"
#include "view_window.h"

namespace mirvot::test_engine {
namespace {

using Microsoft::WRL::ComPtr;

// Views in creation order, for the control exports. Entries are removed by the view's destructor
// (or all at once by ForgetAll); the list itself holds no reference.
std::mutex viewsLock;
std::vector<CoreView*> openViews;

std::atomic<INT64> nextToken{1};

}  // namespace

CoreView::CoreView() noexcept : EngineObject("webview") {}

CoreView::~CoreView() {
  {
    const std::lock_guard<std::mutex> hold(viewsLock);
    openViews.erase(std::remove(openViews.begin(), openViews.end(), this), openViews.end());
  }
  if (window_ != nullptr) {
    DetachViewWindow(window_);
    // A window can only be destroyed by its own thread; from any other, ask that thread to.
    if (::GetWindowThreadProcessId(window_, nullptr) == ::GetCurrentThreadId()) {
      ::DestroyWindow(window_);
    } else {
      ::PostMessageW(window_, WM_CLOSE, 0, 0);
    }
  }
}

HRESULT CoreView::Create(HWND parent, ComPtr<CoreView>* view) noexcept {
  ComPtr<CoreView> made = AdoptComReference(new (std::nothrow) CoreView());
  if (!made) {
    return E_OUTOFMEMORY;
  }
  made->settings_ = AdoptComReference(MakeComObject<EngineSettings>());
  if (!made->settings_) {
    return E_OUTOFMEMORY;
  }
  made->parent_ = parent;
  made->window_ = CreateViewWindow(parent, made.Get());
  if (made->window_ == nullptr) {
    return LastErrorAsFailure();
  }
  {
    const std::lock_guard<std::mutex> hold(viewsLock);
    openViews.push_back(made.Get());
  }
  *view = std::move(made);
  return S_OK;
}

ComPtr<CoreView> CoreView::NewestOpen() noexcept {
  const std::lock_guard<std::mutex> hold(viewsLock);
  for (auto it = openViews.rbegin(); it != openViews.rend(); ++it) {
    if (!(*it)->closed()) {
      return ComPtr<CoreView>(*it);
    }
  }
  return nullptr;
}

void CoreView::ForgetAll() noexcept {
  const std::lock_guard<std::mutex> hold(viewsLock);
  openViews.clear();
}

void CoreView::Close() noexcept {
  closed_ = true;
  if (window_ != nullptr) {
    ::DestroyWindow(window_);  // WM_NCDESTROY clears window_ through OnWindowDestroyed
    window_ = nullptr;
  }
}

HRESULT CoreView::SetVisible(BOOL visible) noexcept {
  if (window_ == nullptr) {
    return kWindowGone;
  }
  visible_ = visible;
  ::ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
  return S_OK;
}

HRESULT CoreView::SetBounds(const RECT& bounds) noexcept {
  if (window_ == nullptr) {
    return kWindowGone;
  }
  bounds_ = bounds;
  const int width = bounds.right > bounds.left ? bounds.right - bounds.left : 0;
  const int height = bounds.bottom > bounds.top ? bounds.bottom - bounds.top : 0;
  return ::MoveWindow(window_, bounds.left, bounds.top, width, height, TRUE) ? S_OK
                                                                             : LastErrorAsFailure();
}

HRESULT CoreView::Focus() noexcept {
  if (window_ == nullptr) {
    return kWindowGone;
  }
  ::SetFocus(window_);
  return S_OK;
}

HRESULT CoreView::SetParentWindow(HWND parent) noexcept {
  if (window_ == nullptr) {
    return kWindowGone;
  }
  if (parent == nullptr || !::IsWindow(parent)) {
    return E_INVALIDARG;
  }
  if (::SetParent(window_, parent) == nullptr) {
    return LastErrorAsFailure();
  }
  parent_ = parent;
  return S_OK;
}

void CoreView::OnWindowDestroyed() noexcept {
  window_ = nullptr;
  WriteLogLine("view.windowDestroyed");
}

bool CoreView::QueueCommand(const std::wstring& command) noexcept {
  const std::optional<ViewCommand> parsed = ParseViewCommand(command);
  if (!parsed) {
    WriteLogLine("command.unknown " + QuotedText(std::wstring_view(command)));
    return false;
  }
  WriteLogLine("command " + QuotedText(std::wstring_view(command)));
  ComPtr<CoreView> self(this);
  const HRESULT posted = PostToCurrentThread([self, command = *parsed] {
    switch (command.kind) {
      case ViewCommand::Kind::NewWindow:
        self->RaiseNewWindowRequested(command.uri);
        break;
      case ViewCommand::Kind::Close:
        self->RaiseWindowCloseRequested();
        break;
      case ViewCommand::Kind::Download:
        self->RaiseDownloadStarting(command.uri, command.path);
        break;
    }
  });
  return SUCCEEDED(posted);
}

// --- Events

HRESULT CoreView::RaiseWindowCloseRequested() noexcept {
  const EngineWorkScope working;
  WriteLogLine("raise.WindowCloseRequested");
  const auto handlers = closeHandlers_;
  if (handlers.empty()) {
    WriteLogLine("event.WindowCloseRequested no-handler");
    return kNothingToRaise;
  }
  const ComPtr<CoreView> keepAlive(this);
  HRESULT result = S_OK;
  for (const auto& entry : handlers) {
    HRESULT hr = S_OK;
    {
      const HostCallScope host;
      hr = entry.second->Invoke(this, nullptr);
    }
    WriteLogLine("event.WindowCloseRequested hr=" + HexCode(hr));
    if (FAILED(hr) && SUCCEEDED(result)) {
      result = hr;
    }
  }
  return result;
}

HRESULT CoreView::RaiseNewWindowRequested(const std::wstring& uri) noexcept {
  const EngineWorkScope working;
  WriteLogLine("raise.NewWindowRequested uri=" + QuotedText(std::wstring_view(uri)));
  const auto handlers = newWindowHandlers_;
  if (handlers.empty()) {
    WriteLogLine("event.NewWindowRequested no-handler");
    return kNothingToRaise;
  }
  const ComPtr<NewWindowRequestedArgs> args =
      AdoptComReference(MakeComObject<NewWindowRequestedArgs>(uri));
  if (!args) {
    return E_OUTOFMEMORY;
  }
  const ComPtr<CoreView> keepAlive(this);
  HRESULT result = S_OK;
  for (const auto& entry : handlers) {
    HRESULT hr = S_OK;
    {
      const HostCallScope host;
      hr = entry.second->Invoke(this, args.Get());
    }
    WriteLogLine("event.NewWindowRequested hr=" + HexCode(hr));
    if (FAILED(hr) && SUCCEEDED(result)) {
      result = hr;
    }
  }
  WriteLogLine("newWindow.result handled=" + std::to_string(args->handled()) +
               " newWindow=" + (args->newWindowGiven() ? "yes" : "no"));
  return result;
}

HRESULT CoreView::RaiseDownloadStarting(const std::wstring& uri,
                                        const std::wstring& proposedPath) noexcept {
  const EngineWorkScope working;
  WriteLogLine("raise.DownloadStarting uri=" + QuotedText(std::wstring_view(uri)) +
               " path=" + QuotedText(std::wstring_view(proposedPath)));
  const auto handlers = downloadHandlers_;
  if (handlers.empty()) {
    WriteLogLine("event.DownloadStarting no-handler");
    return kNothingToRaise;
  }
  const ComPtr<DownloadOperation> operation =
      AdoptComReference(MakeComObject<DownloadOperation>(uri));
  if (!operation) {
    return E_OUTOFMEMORY;
  }
  const ComPtr<DownloadStartingArgs> args =
      AdoptComReference(MakeComObject<DownloadStartingArgs>(operation.Get(), proposedPath));
  if (!args) {
    return E_OUTOFMEMORY;
  }
  const ComPtr<CoreView> keepAlive(this);
  HRESULT result = S_OK;
  for (const auto& entry : handlers) {
    HRESULT hr = S_OK;
    {
      const HostCallScope host;
      hr = entry.second->Invoke(this, args.Get());
    }
    WriteLogLine("event.DownloadStarting hr=" + HexCode(hr));
    if (FAILED(hr) && SUCCEEDED(result)) {
      result = hr;
    }
  }
  WriteLogLine("download.result handled=" + std::to_string(args->handled()) +
               " cancel=" + std::to_string(args->cancel()) +
               " path=" + QuotedText(std::wstring_view(args->resultFilePath())));
  return result;
}

// --- ICoreWebView2

template <typename Handler>
HRESULT CoreView::AddHandler(const char* method, HandlerList<Handler>& list, Handler* handler,
                             EventRegistrationToken* token) noexcept {
  const std::string call = Call(method);
  if (token == nullptr) {
    return LogCall(call, E_POINTER);
  }
  token->value = 0;
  HRESULT hr = ScriptedFailure(call);
  if (SUCCEEDED(hr) && handler == nullptr) {
    hr = E_INVALIDARG;
  }
  if (SUCCEEDED(hr) && closed()) {
    hr = kClosed;
  }
  if (SUCCEEDED(hr)) {
    token->value = nextToken++;
    list.emplace_back(token->value, handler);
  }
  return LogCall(call, hr);
}

template <typename Handler>
HRESULT CoreView::RemoveHandler(const char* method, HandlerList<Handler>& list,
                                EventRegistrationToken token) noexcept {
  const auto found = std::find_if(list.begin(), list.end(),
                                  [&](const auto& entry) { return entry.first == token.value; });
  if (found != list.end()) {
    list.erase(found);
  }
  return LogCall(Call(method), S_OK);
}

HRESULT CoreView::get_Settings(ICoreWebView2Settings** settings) noexcept {
  const std::string call = Call("get_Settings");
  if (settings == nullptr) {
    return LogCall(call, E_POINTER);
  }
  *settings = nullptr;
  HRESULT hr = ScriptedFailure(call);
  if (SUCCEEDED(hr) && closed()) {
    hr = kClosed;
  }
  if (SUCCEEDED(hr)) {
    *settings = settings_.Get();
    (*settings)->AddRef();
  }
  return LogCall(call, hr);
}

HRESULT CoreView::get_Source(LPWSTR* uri) noexcept {
  return LogCall(Call("get_Source"), CopyToCoTaskMem(url_, uri));
}

HRESULT CoreView::Navigate(LPCWSTR uri) noexcept {
  const std::string call = Call("Navigate");
  HRESULT hr = ScriptedFailure(call);
  if (SUCCEEDED(hr) && uri == nullptr) {
    hr = E_INVALIDARG;
  }
  if (SUCCEEDED(hr) && closed()) {
    hr = kClosed;
  }
  if (SUCCEEDED(hr)) {
    url_ = uri;
    if (window_ != nullptr) {
      ::SetWindowTextW(window_, url_.c_str());
      ::InvalidateRect(window_, nullptr, TRUE);
    }
  }
  return LogCall(call, QuotedText(uri), hr);
}

HRESULT CoreView::add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* eventHandler,
                                         EventRegistrationToken* token) noexcept {
  return AddHandler("add_NewWindowRequested", newWindowHandlers_, eventHandler, token);
}

HRESULT CoreView::remove_NewWindowRequested(EventRegistrationToken token) noexcept {
  return RemoveHandler("remove_NewWindowRequested", newWindowHandlers_, token);
}

HRESULT CoreView::add_WindowCloseRequested(
    ICoreWebView2WindowCloseRequestedEventHandler* eventHandler,
    EventRegistrationToken* token) noexcept {
  return AddHandler("add_WindowCloseRequested", closeHandlers_, eventHandler, token);
}

HRESULT CoreView::remove_WindowCloseRequested(EventRegistrationToken token) noexcept {
  return RemoveHandler("remove_WindowCloseRequested", closeHandlers_, token);
}

HRESULT CoreView::add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler* eventHandler,
                                       EventRegistrationToken* token) noexcept {
  return AddHandler("add_DownloadStarting", downloadHandlers_, eventHandler, token);
}

HRESULT CoreView::remove_DownloadStarting(EventRegistrationToken token) noexcept {
  return RemoveHandler("remove_DownloadStarting", downloadHandlers_, token);
}

}  // namespace mirvot::test_engine
