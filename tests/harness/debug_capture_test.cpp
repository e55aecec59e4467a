#include "harness/debug_capture.h"

#include <gtest/gtest.h>

#include "harness/host_paths.h"

namespace mirvot::test {
namespace {

TEST(DebugOutputCapture, RecordsNarrowAndWideWritesInOrder) {
  DebugOutputCapture capture;
  ::OutputDebugStringA("first ");
  ::OutputDebugStringW(L"second\n");
  ::OutputDebugStringA("third\n");
  const auto writes = capture.writes();
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_FALSE(writes[0].wide);
  EXPECT_EQ(writes[0].text, "first ");
  EXPECT_EQ(writes[1].text, "second\n");
  EXPECT_EQ(capture.text(), "first second\nthird\n");
  EXPECT_EQ(capture.lines(), (std::vector<std::string>{"first second\n", "third\n"}));
}

TEST(DebugOutputCapture, WideTextArrivesAsUtf8) {
  DebugOutputCapture capture;
  ::OutputDebugStringW(L"C:\\Pfad\\\u00e4\u00f6\u00fc");
  EXPECT_EQ(capture.text(), "C:\\Pfad\\\xc3\xa4\xc3\xb6\xc3\xbc");
}

TEST(DebugOutputCapture, ClearForgetsEarlierWrites) {
  DebugOutputCapture capture;
  ::OutputDebugStringA("before");
  capture.clear();
  ::OutputDebugStringA("after");
  EXPECT_EQ(capture.text(), "after");
}

std::wstring EchoCommand(const std::wstring& arguments) {
  return QuoteArgument(WindowsPathFromHost(HARNESS_DEBUG_ECHO_EXE)) + L" " + arguments;
}

TEST(DebuggedProcess, ReceivesEveryPieceAndTheExitCode) {
  const DebuggedRun run = RunUnderDebugger(EchoCommand(L"2a A:one W:two A:three"));
  ASSERT_TRUE(run.started);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0x2Au);
  EXPECT_EQ(run.output, (std::vector<std::string>{"one", "two", "three"}));
}

TEST(DebuggedProcess, SeesTheFullFailFastStatus) {
  const DebuggedRun run = RunUnderDebugger(EchoCommand(L"C0000409 A:dying"));
  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 0xC0000409u);
  EXPECT_EQ(run.text(), "dying");
}

TEST(DebuggedProcess, ReportsAProgramThatCannotStart) {
  const DebuggedRun run = RunUnderDebugger(L"Z:\\no\\such\\program.exe");
  EXPECT_FALSE(run.started);
}

TEST(QuoteArgument, QuotesOnlyWhenNeeded) {
  EXPECT_EQ(QuoteArgument(L"plain"), L"plain");
  EXPECT_EQ(QuoteArgument(L"with space"), L"\"with space\"");
  EXPECT_EQ(QuoteArgument(L"a\"b"), L"\"a\\\"b\"");
  EXPECT_EQ(QuoteArgument(L"dir\\ x\\"), L"\"dir\\ x\\\\\"");
  EXPECT_EQ(QuoteArgument(L""), L"\"\"");
}

}  // namespace
}  // namespace mirvot::test
