// The engine's timing fields (MIRVOT_TEST_ENGINE_TIMING=1), which the start-up benchmark reads:
// when each line happened, the engine's own busy time and the completions' queued time. The
// checks are orderings of clock readings, never speeds.
#include <windows.h>
#include <wrl/client.h>

#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/com_object.h"
#include "engine/engine_fixture.h"
#include "harness/environment.h"

namespace mirvot::test {
namespace {

using Microsoft::WRL::ComPtr;

long long PreciseNow() {
  FILETIME now;
  ::GetSystemTimePreciseAsFileTime(&now);
  return static_cast<long long>((static_cast<unsigned long long>(now.dwHighDateTime) << 32) |
                                now.dwLowDateTime);
}

struct Timing {
  long long at = 0;
  long long busy = 0;
  long long queued = 0;
};

// The timing suffix of a line: " t=<n> busy=<n> queued=<n>" at its very end.
std::optional<Timing> TimingOf(const std::string& line) {
  static const std::regex kSuffix(" t=([0-9]+) busy=([0-9]+) queued=([0-9]+)$");
  std::smatch match;
  if (!std::regex_search(line, match, kSuffix)) {
    return std::nullopt;
  }
  return Timing{std::stoll(match[1]), std::stoll(match[2]), std::stoll(match[3])};
}

std::optional<long long> FieldOf(const std::string& line, const std::string& key) {
  const std::regex field(" " + key + "=([0-9]+)( |$)");
  std::smatch match;
  if (!std::regex_search(line, match, field)) {
    return std::nullopt;
  }
  return std::stoll(match[1]);
}

// An environment handler that does work of its own, timed by itself, before it returns.
class TimedEnvironmentHandler final
    : public ComObject<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(HRESULT /*errorCode*/,
                                   ICoreWebView2Environment* environment) noexcept override {
    enteredAt = PreciseNow();
    ::Sleep(20);
    lastEnvironment = environment;
    ++calls;
    leftAt = PreciseNow();
    return S_OK;
  }

  int calls = 0;
  long long enteredAt = 0;
  long long leftAt = 0;
  ComPtr<ICoreWebView2Environment> lastEnvironment;
};

class EngineTiming : public EngineTest {
 protected:
  // The line starting with prefix, with its timing (the test fails when either is missing).
  Timing TimingOfLine(const std::vector<std::string>& lines, const std::string& prefix) {
    const int index = FindLineStartingWith(lines, prefix);
    EXPECT_NE(index, -1) << "no line starting with " << prefix;
    if (index == -1) {
      return {};
    }
    const auto timing = TimingOf(lines[index]);
    EXPECT_TRUE(timing.has_value()) << "no timing on: " << lines[index];
    return timing.value_or(Timing{});
  }

  // A view that has navigated once, the way a host starts up.
  View StartUp() {
    View view = CreateView();
    if (view.webview) {
      ComPtr<ICoreWebView2Settings> settings;
      EXPECT_EQ(view.webview->get_Settings(&settings), S_OK);
      if (settings) {
        EXPECT_EQ(settings->put_IsStatusBarEnabled(FALSE), S_OK);
      }
      EXPECT_EQ(view.webview->Navigate(L"https://app.example/login"), S_OK);
    }
    return view;
  }
};

TEST_F(EngineTiming, WithoutTheSwitchNoLineCarriesTiming) {
  for (const std::optional<std::wstring>& value :
       {std::optional<std::wstring>(), std::optional<std::wstring>(L"0"),
        std::optional<std::wstring>(L"11"), std::optional<std::wstring>(L"")}) {
    const ScopedEnvironment timing(L"MIRVOT_TEST_ENGINE_TIMING", value);
    engine_->Reset();
    {
      const View view = StartUp();
      ASSERT_TRUE(view.webview);
    }
    const std::vector<std::string> lines = Log();
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines) {
      EXPECT_FALSE(TimingOf(line).has_value()) << line;
      EXPECT_EQ(line.find("visibleWindows="), std::string::npos) << line;
    }
    // The lines themselves are the plain ones.
    const int setting = FindLine(lines, "settings.put_IsStatusBarEnabled 0");
    ASSERT_NE(setting, -1);
    EXPECT_EQ(FindLine(lines, "webview.Navigate \"https://app.example/login\""), setting + 1);
  }
}

TEST_F(EngineTiming, EveryLineOfAStartUpEndsWithTimeBusyAndQueuedInOrder) {
  const ScopedEnvironment timing(L"MIRVOT_TEST_ENGINE_TIMING", L"1");
  const long long before = PreciseNow();
  {
    const View view = StartUp();
    ASSERT_TRUE(view.webview);
  }
  const long long after = PreciseNow();
  const std::vector<std::string> lines = Log();
  ASSERT_GE(lines.size(), 5u);
  Timing previous{before, 0, 0};
  for (const std::string& line : lines) {
    const auto stamp = TimingOf(line);
    ASSERT_TRUE(stamp.has_value()) << line;
    EXPECT_GE(stamp->at, previous.at) << line;
    EXPECT_LE(stamp->at, after) << line;
    EXPECT_GE(stamp->busy, previous.busy) << line;
    EXPECT_GE(stamp->queued, previous.queued) << line;
    previous = *stamp;
  }
  // The untimed text is unchanged in front of the suffix.
  EXPECT_EQ(FindLineStartingWith(lines, "webview.Navigate \"https://app.example/login\" t="),
            FindLineStartingWith(lines, "webview.Navigate "));
}

TEST_F(EngineTiming, BusyTimeNeverExceedsTheTimeThatPassed) {
  const ScopedEnvironment timing(L"MIRVOT_TEST_ENGINE_TIMING", L"1");
  {
    const View view = StartUp();
    ASSERT_TRUE(view.webview);
  }
  const std::vector<std::string> lines = Log();
  const Timing creation =
      TimingOfLine(lines, "CreateWebViewEnvironmentWithOptionsInternal unknown=");
  const Timing navigate = TimingOfLine(lines, "webview.Navigate ");
  EXPECT_GT(navigate.busy, creation.busy) << "the engine's calls took no time at all";
  EXPECT_LE(navigate.busy - creation.busy, navigate.at - creation.at);
}

TEST_F(EngineTiming, TheHostsOwnWorkInsideACompletionIsNotEngineTime) {
  const ScopedEnvironment timing(L"MIRVOT_TEST_ENGINE_TIMING", L"1");
  auto handler = MakeProbe<TimedEnvironmentHandler>();
  ASSERT_TRUE(handler);
  ASSERT_EQ(create_(true, 0, L"C:\\profile", nullptr, handler.Get()), S_OK);
  ASSERT_TRUE(PumpMessagesUntil([&] { return handler->calls > 0; }));
  handler->lastEnvironment.Reset();

  const std::vector<std::string> lines = Log();
  const Timing invoking = TimingOfLine(lines, "environmentHandler.Invoke hr=");
  const Timing returned = TimingOfLine(lines, "environmentHandler.Invoke returned");
  const long long hostTime = handler->leftAt - handler->enteredAt;
  ASSERT_GT(hostTime, 0);
  EXPECT_LE(invoking.at, handler->enteredAt);
  EXPECT_GE(returned.at, handler->leftAt);
  // Between the two lines the engine worked only outside the handler.
  EXPECT_LE((returned.busy - invoking.busy) + hostTime, returned.at - invoking.at);
}

TEST_F(EngineTiming, QueuedTimeCoversTheWaitBeforeTheCompletionRan) {
  const ScopedEnvironment timing(L"MIRVOT_TEST_ENGINE_TIMING", L"1");
  auto handler = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(Create(handler.Get()), S_OK);
  const long long returnedAt = PreciseNow();
  ::Sleep(20);  // the completion waits in the queue meanwhile
  const long long pumpingFrom = PreciseNow();
  ASSERT_TRUE(PumpMessagesUntil([&] { return handler->calls > 0; }));
  handler->lastEnvironment.Reset();

  const std::vector<std::string> lines = Log();
  const Timing creation =
      TimingOfLine(lines, "CreateWebViewEnvironmentWithOptionsInternal unknown=");
  const Timing completion = TimingOfLine(lines, "environmentHandler.Invoke hr=");
  // The totals run for the whole process; what counts is how much this completion added.
  // Posted before the call returned and run only once this thread pumped.
  EXPECT_GE(completion.queued - creation.queued, pumpingFrom - returnedAt);
  EXPECT_LE(completion.queued - creation.queued, completion.at - creation.at);
}

TEST_F(EngineTiming, ACallLineCarriesTheMomentTheCallCameIn) {
  const ScopedEnvironment timing(L"MIRVOT_TEST_ENGINE_TIMING", L"1");
  const View view = CreateView();
  ASSERT_TRUE(view.webview);
  const long long before = PreciseNow();
  ASSERT_EQ(view.webview->Navigate(L"https://app.example/next"), S_OK);
  const long long after = PreciseNow();
  const Timing navigate = TimingOfLine(Log(), "webview.Navigate \"https://app.example/next\"");
  EXPECT_GE(navigate.at, before);
  EXPECT_LE(navigate.at, after);
}

TEST_F(EngineTiming, CreationLineCountsTheThreadsVisibleWindowsAndTheLoadTime) {
  const ScopedEnvironment timing(L"MIRVOT_TEST_ENGINE_TIMING", L"1");
  const HWND hidden = Host();
  ASSERT_FALSE(::IsWindowVisible(hidden));
  auto first = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(Create(first.Get()), S_OK);

  ::ShowWindow(hidden, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(::IsWindowVisible(hidden));
  auto second = MakeProbe<ProbeEnvironmentHandler>();
  ASSERT_EQ(Create(second.Get()), S_OK);
  ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
  first->lastEnvironment.Reset();
  second->lastEnvironment.Reset();

  const std::vector<std::string> lines = Log();
  const int firstLine =
      FindLineStartingWith(lines, "CreateWebViewEnvironmentWithOptionsInternal unknown=");
  ASSERT_NE(firstLine, -1);
  const int secondLine = FindLineStartingWith(
      lines, "CreateWebViewEnvironmentWithOptionsInternal unknown=", firstLine + 1);
  ASSERT_NE(secondLine, -1);
  EXPECT_EQ(FieldOf(lines[firstLine], "visibleWindows"), 0);
  EXPECT_EQ(FieldOf(lines[secondLine], "visibleWindows"), 1);

  const auto loaded = FieldOf(lines[firstLine], "loaded");
  const auto stamp = TimingOf(lines[firstLine]);
  ASSERT_TRUE(loaded.has_value());
  ASSERT_TRUE(stamp.has_value());
  EXPECT_GT(*loaded, 0);
  EXPECT_LE(*loaded, stamp->at);
  EXPECT_EQ(FieldOf(lines[secondLine], "loaded"), loaded) << "one load per process";
}

}  // namespace
}  // namespace mirvot::test
