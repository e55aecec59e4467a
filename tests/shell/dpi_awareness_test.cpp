#include "shell/dpi_awareness.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/event_loop.h"

namespace mirvot {
namespace {

// What the fake system functions were asked, in order, and what they answer.
std::vector<std::string> g_calls;
BOOL g_acceptV2 = TRUE;
BOOL g_acceptV1 = TRUE;

std::string ContextName(DPI_AWARENESS_CONTEXT context) {
  if (context == DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) {
    return "context -4";
  }
  if (context == DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE) {
    return "context -3";
  }
  return "context other";
}

BOOL WINAPI FakeSetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT context) {
  g_calls.push_back(ContextName(context));
  if (context == DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) {
    return g_acceptV2;
  }
  return g_acceptV1;
}

HRESULT WINAPI FakeSetProcessDpiAwareness(PROCESS_DPI_AWARENESS awareness) {
  g_calls.push_back("shcore " + std::to_string(static_cast<int>(awareness)));
  return S_OK;
}

BOOL WINAPI FakeSetProcessDpiAware() {
  g_calls.push_back("aware");
  return TRUE;
}

class DpiAwarenessChain : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    g_acceptV2 = TRUE;
    g_acceptV1 = TRUE;
  }

  static DpiAwarenessFunctions AllFunctions() {
    DpiAwarenessFunctions functions;
    functions.set_process_dpi_awareness_context = FakeSetProcessDpiAwarenessContext;
    functions.set_process_dpi_awareness = FakeSetProcessDpiAwareness;
    functions.set_process_dpi_aware = FakeSetProcessDpiAware;
    return functions;
  }
};

using Calls = std::vector<std::string>;

TEST_F(DpiAwarenessChain, PerMonitorV2IsDeclaredWhenAccepted) {
  declare_dpi_awareness(AllFunctions());
  EXPECT_EQ(g_calls, Calls({"context -4"}));
}

TEST_F(DpiAwarenessChain, RefusedV2IsRetriedOnceWithPerMonitorV1) {
  g_acceptV2 = FALSE;
  declare_dpi_awareness(AllFunctions());
  EXPECT_EQ(g_calls, Calls({"context -4", "context -3"}));
}

TEST_F(DpiAwarenessChain, RefusedV1EndsTheChainWithoutOlderFunctions) {
  g_acceptV2 = FALSE;
  g_acceptV1 = FALSE;
  declare_dpi_awareness(AllFunctions());
  EXPECT_EQ(g_calls, Calls({"context -4", "context -3"}));
}

TEST_F(DpiAwarenessChain, ShcoreIsUsedWhenContextsAreMissing) {
  DpiAwarenessFunctions functions = AllFunctions();
  functions.set_process_dpi_awareness_context = nullptr;
  declare_dpi_awareness(functions);
  EXPECT_EQ(g_calls, Calls({"shcore 2"}));
}

TEST_F(DpiAwarenessChain, PlainAwarenessIsTheLastResort) {
  DpiAwarenessFunctions functions;
  functions.set_process_dpi_aware = FakeSetProcessDpiAware;
  declare_dpi_awareness(functions);
  EXPECT_EQ(g_calls, Calls({"aware"}));
}

TEST_F(DpiAwarenessChain, NoFunctionsMeansNothingIsDeclared) {
  declare_dpi_awareness(DpiAwarenessFunctions{});
  EXPECT_TRUE(g_calls.empty());
}

TEST(DpiAwarenessFunctions, ThisSystemOffersTheContextFunction) {
  // Windows 10 and Wine both export it; the chain then never needs the older functions.
  const DpiAwarenessFunctions& functions = system_dpi_awareness_functions();
  EXPECT_NE(functions.set_process_dpi_awareness_context, nullptr);
  EXPECT_NE(functions.set_process_dpi_aware, nullptr);
}

TEST(DpiAwarenessFunctions, CreatingTheLoopLeavesTheThreadPerMonitorAware) {
  std::unique_ptr<EventLoop> loop;
  ASSERT_EQ(EventLoop::create(loop), S_OK);
  EXPECT_EQ(::GetAwarenessFromDpiAwarenessContext(::GetThreadDpiAwarenessContext()),
            DPI_AWARENESS_PER_MONITOR_AWARE);
}

}  // namespace
}  // namespace mirvot
