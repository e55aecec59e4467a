#pragma once
// What the browser-view tests share: a visible top-level parent window, the test engine found
// through WEBVIEW2_BROWSER_EXECUTABLE_FOLDER, and the engine's log.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/test_engine_client.h"
#include "harness/environment.h"
#include "shell/browser_view.h"

namespace mirvot::test {

inline constexpr char kStartUrl[] = "https://app.example/login";

// A shown top-level window of our own class, destroyed with the object.
class ParentWindow {
 public:
  ParentWindow(int width = 800, int height = 600);
  ~ParentWindow();
  ParentWindow(const ParentWindow&) = delete;
  ParentWindow& operator=(const ParentWindow&) = delete;

  [[nodiscard]] HWND get() const noexcept { return window_; }
  [[nodiscard]] RECT client() const;

 private:
  HWND window_ = nullptr;
};

// The lines from the first one equal to `first` up to and including the first following one
// that starts with `lastPrefix`; empty when either is missing.
std::vector<std::string> LinesBetween(const std::vector<std::string>& lines,
                                      const std::string& first, const std::string& lastPrefix);

// Whether the view's hook is on `window`, asked of comctl32 itself.
bool HasParentHook(HWND window);

// "controller.put_Bounds 0 0 <width> <height>" for a client rectangle.
std::string BoundsLine(const RECT& client);

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Builds a view in parent_ with the test's context and a download callback that records its
  // calls and accepts (or refuses, with acceptDownloads_ false).
  BrowserViewResult Create(const std::string& url = kStartUrl, bool withDownloadCallback = true);
  // Create, expecting success; the view is kept in view_.
  BrowserView& CreateView(const std::string& url = kStartUrl);
  // Create, expecting failure; returns the error.
  WebView2Error CreateFailing();

  [[nodiscard]] std::vector<std::string> Log() const { return engine_->LogLines(); }
  bool Script(const std::string& script) const { return engine_->SetScript(script); }

  ScopedEnvironment runtimeFolder_{L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER",
                                   TestRuntimeFolder(L"fixed")};
  ScopedEnvironment userDataOverride_{L"WEBVIEW2_USER_DATA_FOLDER", std::nullopt};
  ScopedEnvironment edgeView_{L"WEBVIEW2_USE_EDGE_VIEW", std::nullopt};
  ScopedEnvironment channels_{L"WEBVIEW2_RELEASE_CHANNELS", std::nullopt};
  ScopedEnvironment searchKind_{L"WEBVIEW2_CHANNEL_SEARCH_KIND", std::nullopt};
  ScopedEnvironment preference_{L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", std::nullopt};

  std::unique_ptr<TestEngineClient> engine_;
  std::unique_ptr<ParentWindow> parent_;
  BrowserContext context_{std::wstring(L"C:\\profiles\\mirvot-view-test")};
  std::optional<BrowserView> view_;

  struct DownloadCall {
    std::string uri;
    std::wstring path;
  };
  std::vector<DownloadCall> downloads_;
  bool acceptDownloads_ = true;
  // When set, the callback replaces the proposed path with this one.
  std::optional<std::wstring> replacementPath_;
};

}  // namespace mirvot::test
