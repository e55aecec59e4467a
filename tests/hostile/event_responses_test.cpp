// The view's event responses given hostile event arguments: null objects and null strings
// reported as success, text that is not valid UTF-16, paths at the largest length, a callback
// that throws, no arguments at all, a host that is already gone. Each answer is an HRESULT to
// the engine; nothing crashes and nothing throws across the COM boundary.
#include "shell/event_responses.h"

#include <objbase.h>
#include <wrl/client.h>

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hostile/hostile_fixture.h"

namespace mirvot::test {
namespace {

using Microsoft::WRL::ComPtr;

// A copy the receiver frees with CoTaskMemFree, or null.
LPWSTR TaskCopy(const std::wstring* text) {
  if (text == nullptr) {
    return nullptr;
  }
  const std::size_t bytes = (text->size() + 1) * sizeof(wchar_t);
  auto* copy = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
  if (copy != nullptr) {
    std::copy(text->c_str(), text->c_str() + text->size() + 1, copy);
  }
  return copy;
}

class HostileDownloadOperation final : public ComObject<ICoreWebView2DownloadOperation> {
 public:
  const std::wstring* uri = nullptr;  // null: S_OK with a null string
  HRESULT uriResult = S_OK;

  HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override {
    *value = SUCCEEDED(uriResult) ? TaskCopy(uri) : nullptr;
    return uriResult;
  }
  HRESULT STDMETHODCALLTYPE add_BytesReceivedChanged(ICoreWebView2BytesReceivedChangedEventHandler*,
                                                     EventRegistrationToken*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE remove_BytesReceivedChanged(EventRegistrationToken) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE add_EstimatedEndTimeChanged(
      ICoreWebView2EstimatedEndTimeChangedEventHandler*, EventRegistrationToken*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE remove_EstimatedEndTimeChanged(EventRegistrationToken) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE add_StateChanged(ICoreWebView2StateChangedEventHandler*,
                                             EventRegistrationToken*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE remove_StateChanged(EventRegistrationToken) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_ContentDisposition(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_MimeType(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_TotalBytesToReceive(INT64*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_BytesReceived(INT64*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_EstimatedEndTime(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_State(COREWEBVIEW2_DOWNLOAD_STATE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_InterruptReason(COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Cancel() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Pause() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Resume() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CanResume(BOOL*) override { return E_NOTIMPL; }
};

class HostileDownloadArgs final : public ComObject<ICoreWebView2DownloadStartingEventArgs> {
 public:
  ComPtr<HostileDownloadOperation> operation = MakeObject<HostileDownloadOperation>();
  const std::wstring* proposedPath = nullptr;  // null: S_OK with a null string
  std::vector<std::string> calls;
  std::wstring writtenPath;

  HRESULT STDMETHODCALLTYPE get_DownloadOperation(ICoreWebView2DownloadOperation** value) override {
    *value = operation.Get();
    (*value)->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Cancel(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) override {
    calls.push_back("put_Cancel " + std::to_string(cancel));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* value) override {
    *value = TaskCopy(proposedPath);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_ResultFilePath(LPCWSTR value) override {
    calls.push_back("put_ResultFilePath");
    writtenPath = value != nullptr ? value : L"<null>";
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Handled(BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) override {
    calls.push_back("put_Handled " + std::to_string(handled));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral**) override { return E_NOTIMPL; }
};

struct SeenDownload {
  int calls = 0;
  std::string uri;
  std::wstring path;
};

DownloadStartedCallback Accepting(SeenDownload& seen) {
  return [&seen](const std::string& uri, std::wstring& path) {
    ++seen.calls;
    seen.uri = uri;
    seen.path = path;
    return true;
  };
}

const std::vector<std::string> kAccepted{"put_ResultFilePath", "put_Handled 1"};

TEST(HostileEventArgsTest, NullUriAndPathReportedAsSuccessReachTheCallbackAsEmpty) {
  SeenDownload seen;
  const auto response = make_download_response(Accepting(seen));
  ASSERT_TRUE(response);
  const auto args = MakeObject<HostileDownloadArgs>();

  EXPECT_EQ(response->Invoke(nullptr, args.Get()), S_OK);

  EXPECT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.uri, "");
  EXPECT_EQ(seen.path, L"");
  EXPECT_EQ(args->calls, kAccepted);
  EXPECT_EQ(args->writtenPath, L"");
}

TEST(HostileEventArgsTest, UnpairedSurrogatesInTheUriBecomeReplacementCharacters) {
  SeenDownload seen;
  const auto response = make_download_response(Accepting(seen));
  const auto args = MakeObject<HostileDownloadArgs>();
  std::wstring uri = L"https://x/_a_";
  uri[10] = static_cast<wchar_t>(0xD800);  // a high surrogate without its low one
  uri[12] = static_cast<wchar_t>(0xDC00);  // a low surrogate without its high one
  const std::wstring path = L"C:\\d\\f";
  args->operation->uri = &uri;
  args->proposedPath = &path;

  EXPECT_EQ(response->Invoke(nullptr, args.Get()), S_OK);

  EXPECT_EQ(seen.uri,
            "https://x/\xEF\xBF\xBD"
            "a\xEF\xBF\xBD");
  EXPECT_EQ(args->writtenPath, path);
}

TEST(HostileEventArgsTest, PathOfTheLargestLengthIsWrittenBackUnchanged) {
  SeenDownload seen;
  const auto response = make_download_response(Accepting(seen));
  const auto args = MakeObject<HostileDownloadArgs>();
  const std::wstring path = L"C:\\" + std::wstring(32764, L'd');
  args->proposedPath = &path;

  EXPECT_EQ(response->Invoke(nullptr, args.Get()), S_OK);

  EXPECT_EQ(seen.path, path);
  EXPECT_EQ(args->writtenPath, path);
}

TEST(HostileEventArgsTest, CutLongPathPrefixesAreWrittenBackWithoutACrash) {
  for (const std::wstring& path :
       {std::wstring(L"\\\\?\\"), std::wstring(L"\\\\?\\C"), std::wstring(L"\\\\?\\C:"),
        std::wstring(L"\\\\?\\C:\\"), std::wstring(L"\\\\?\\\\")}) {
    SCOPED_TRACE(Utf8(path));
    SeenDownload seen;
    const auto response = make_download_response(Accepting(seen));
    const auto args = MakeObject<HostileDownloadArgs>();
    args->proposedPath = &path;
    EXPECT_EQ(response->Invoke(nullptr, args.Get()), S_OK);
    EXPECT_EQ(args->calls, kAccepted);
    // Either unchanged or with the prefix dropped; never longer, never anything else.
    EXPECT_TRUE(args->writtenPath == path ||
                (path.size() > 4 && args->writtenPath == path.substr(4)))
        << Utf8(args->writtenPath);
  }
}

TEST(HostileEventArgsTest, FailingUriGetterEndsTheResponseBeforeTheCallback) {
  SeenDownload seen;
  const auto response = make_download_response(Accepting(seen));
  const auto args = MakeObject<HostileDownloadArgs>();
  args->operation->uriResult = E_OUTOFMEMORY;

  EXPECT_EQ(response->Invoke(nullptr, args.Get()), E_OUTOFMEMORY);

  EXPECT_EQ(seen.calls, 0);
  EXPECT_TRUE(args->calls.empty());
}

TEST(HostileEventArgsTest, ThrowingCallbackIsAnErrorToTheEngineNotAnException) {
  const auto response = make_download_response(
      [](const std::string&, std::wstring&) -> bool { throw std::runtime_error("callback"); });
  const auto args = MakeObject<HostileDownloadArgs>();

  EXPECT_EQ(response->Invoke(nullptr, args.Get()), E_UNEXPECTED);
  EXPECT_TRUE(args->calls.empty());
}

TEST(HostileEventArgsTest, MissingArgumentsAreInvalid) {
  SeenDownload seen;
  EXPECT_EQ(make_download_response(Accepting(seen))->Invoke(nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(make_new_window_response()->Invoke(nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(seen.calls, 0);
}

// DestroyWindow's error for a handle that names no window: Windows reports
// ERROR_INVALID_WINDOW_HANDLE, Wine ERROR_ACCESS_DENIED. Either reaches the engine as the
// handler's failure.
bool IsDestroyWindowFailure(HRESULT hr) {
  return hr == HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE) ||
         hr == HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
}

TEST(HostileEventArgsTest, CloseRequestForAHostThatIsGoneFailsWithItsWin32Error) {
  const HRESULT forNull = make_close_request_response(nullptr)->Invoke(nullptr, nullptr);
  EXPECT_TRUE(IsDestroyWindowFailure(forNull)) << std::hex << forNull;
  // A handle that once named a window and no longer does.
  const HWND window =
      ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(::DestroyWindow(window));
  const HRESULT forGone = make_close_request_response(window)->Invoke(nullptr, nullptr);
  EXPECT_TRUE(IsDestroyWindowFailure(forGone)) << std::hex << forGone;
}

}  // namespace
}  // namespace mirvot::test
