// The application object with a real event loop, main window and the test engine: what one
// or two resumed notifications build, and how window events reach the view.
#include "shell/app.h"

#include <memory>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/wide_text.h"
#include "view/view_test_support.h"

namespace mirvot::test {
namespace {

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_ = std::make_unique<TestEngineClient>(TestEngineDllPath(L"fixed"));
    ASSERT_TRUE(engine_->valid());
    engine_->Reset();
    ASSERT_EQ(EventLoop::create(loop_), S_OK);
  }

  void TearDown() override {
    app_.reset();
    loop_.reset();
    PumpPendingMessages();  // windows released by the app destroy themselves now
    if (engine_ && engine_->valid()) {
      engine_->Reset();
    }
  }

  App& app() { return *app_; }
  std::vector<std::string> Log() const { return engine_->LogLines(); }

  void Resize(std::uint32_t width, std::uint32_t height) {
    WindowEvent event{WindowEvent::Kind::Resized, width, height};
    app_->on_window_event(*loop_, app_->window ? app_->window->hwnd() : nullptr, event);
  }

  ScopedEnvironment runtimeFolder_{L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER",
                                   TestRuntimeFolder(L"fixed")};
  ScopedEnvironment userDataOverride_{L"WEBVIEW2_USER_DATA_FOLDER", std::nullopt};
  ScopedEnvironment localAppData_{L"LOCALAPPDATA", L"C:\\Users\\u1\\AppData\\Local"};
  std::unique_ptr<TestEngineClient> engine_;
  std::unique_ptr<EventLoop> loop_;
  std::unique_ptr<App> app_ = std::make_unique<App>();
};

TEST_F(AppTest, StartsEmpty) {
  EXPECT_FALSE(app().window);
  EXPECT_FALSE(app().webview);
  EXPECT_FALSE(app().web_context);
}

TEST_F(AppTest, ResumedBuildsWindowContextAndViewOnTheLoginPage) {
  app().on_resumed(*loop_);
  ASSERT_TRUE(app().window);
  ASSERT_TRUE(app().webview);
  ASSERT_TRUE(app().web_context);
  EXPECT_EQ(app().web_context->profile_folder,
            std::optional<std::wstring>(L"C:\\Users\\u1\\AppData\\Local\\Mirvot\\WebView2"));
  EXPECT_EQ(::GetParent(app().webview->host()), app().window->hwnd());

  wchar_t title[32] = {};
  ::GetWindowTextW(app().window->hwnd(), title, 32);
  EXPECT_STREQ(title, L"Mirvot");

  const auto log = Log();
  EXPECT_GE(FindLine(log,
                     "CreateWebViewEnvironmentWithOptionsInternal unknown=1 kind=1 "
                     "userDataFolder=\"C:\\Users\\u1\\AppData\\Local\\Mirvot\\WebView2\" "
                     "options=yes handler=yes"),
            0);
  EXPECT_GE(FindLine(log, std::string("webview.Navigate \"") + kLoginUrl + "\""), 0);
  EXPECT_GE(FindLine(log, "webview.add_DownloadStarting"), 0);
}

TEST_F(AppTest, LoginUrlIsHttpsWithPathLogin) {
  const std::string url = kLoginUrl;
  EXPECT_EQ(url.rfind("https://", 0), 0u);
  EXPECT_EQ(url.substr(url.size() - 6), "/login");
  EXPECT_EQ(url.find('/', 8), url.size() - 6);
}

TEST_F(AppTest, WindowClientAreaIs1280By800LogicalPixels) {
  app().on_resumed(*loop_);
  ASSERT_TRUE(app().window);
  RECT client{};
  ::GetClientRect(app().window->hwnd(), &client);
  const double scale = app().window->scale_factor();
  EXPECT_EQ(client.right, static_cast<LONG>(1280 * scale + 0.5));
  EXPECT_EQ(client.bottom, static_cast<LONG>(800 * scale + 0.5));
}

TEST_F(AppTest, WithoutLocalAppDataTheContextHasNoFolder) {
  ScopedEnvironment unset(L"LOCALAPPDATA", std::nullopt);
  app().on_resumed(*loop_);
  ASSERT_TRUE(app().web_context);
  EXPECT_FALSE(app().web_context->profile_folder);
  EXPECT_GE(FindLineStartingWith(Log(),
                                 "CreateWebViewEnvironmentWithOptionsInternal unknown=1 "
                                 "kind=1 userDataFolder=\"\" "),
            0);
}

TEST_F(AppTest, SecondResumedReplacesWindowAndViewButKeepsTheContext) {
  app().on_resumed(*loop_);
  ASSERT_TRUE(app().window);
  const HWND firstWindow = app().window->hwnd();
  const BrowserContext* firstContext = &*app().web_context;

  {
    // The second view must use the context already stored, not a new reading.
    ScopedEnvironment changed(L"LOCALAPPDATA", L"D:\\other");
    app().on_resumed(*loop_);
  }
  ASSERT_TRUE(app().window);
  EXPECT_NE(app().window->hwnd(), firstWindow);
  EXPECT_EQ(&*app().web_context, firstContext);
  EXPECT_EQ(::GetParent(app().webview->host()), app().window->hwnd());

  const auto log = Log();
  EXPECT_EQ(CountLinesStartingWith(log,
                                   "CreateWebViewEnvironmentWithOptionsInternal unknown=1 "
                                   "kind=1 userDataFolder=\"C:\\Users\\u1\\AppData\\Local\\"
                                   "Mirvot\\WebView2\""),
            2);
  EXPECT_EQ(CountLinesStartingWith(log, "controller.Close"), 1);

  PumpMessagesUntil([&] { return !::IsWindow(firstWindow); });
  EXPECT_FALSE(::IsWindow(firstWindow));
  EXPECT_TRUE(::IsWindow(app().window->hwnd()));
}

TEST_F(AppTest, ResizeSizesTheViewToTheNewClientArea) {
  app().on_resumed(*loop_);
  ASSERT_TRUE(app().webview);
  const size_t before = Log().size();
  Resize(640, 400);
  const auto log = Log();
  EXPECT_GE(FindLine(log, "controller.put_Bounds 0 0 640 400", static_cast<int>(before)), 0);
  RECT host{};
  ::GetClientRect(app().webview->host(), &host);
  EXPECT_EQ(host.right, 640);
  EXPECT_EQ(host.bottom, 400);
}

TEST_F(AppTest, MinimisedResizeShrinksTheViewToNothing) {
  app().on_resumed(*loop_);
  const size_t before = Log().size();
  Resize(0, 0);
  EXPECT_GE(FindLine(Log(), "controller.put_Bounds 0 0 0 0", static_cast<int>(before)), 0);
}

TEST_F(AppTest, ResizeBeforeResumedChangesNothing) {
  Resize(640, 400);
  EXPECT_TRUE(Log().empty());
  EXPECT_FALSE(app().webview);
}

TEST_F(AppTest, ResizeFailureIsDroppedAndTheNextResizeTriesAgain) {
  app().on_resumed(*loop_);
  ASSERT_TRUE(engine_->SetScript("bounds_fail=80004005"));
  Resize(640, 400);
  engine_->ClearScript();
  const size_t before = Log().size();
  Resize(500, 300);
  EXPECT_GE(FindLine(Log(), "controller.put_Bounds 0 0 500 300", static_cast<int>(before)), 0);
}

TEST_F(AppTest, ResizeAfterThePageClosedTheHostIsDropped) {
  app().on_resumed(*loop_);
  ASSERT_EQ(engine_->RaiseWindowCloseRequested(), S_OK);
  Resize(640, 400);
  EXPECT_TRUE(app().window);
  EXPECT_TRUE(::IsWindow(app().window->hwnd()));
}

}  // namespace
}  // namespace mirvot::test
