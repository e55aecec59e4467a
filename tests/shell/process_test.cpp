// The shell's windowing layer in a process of its own (shell_window_probe.exe): at another DPI,
// closed from another process, failing fatally, and idle.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/owners.h"
#include "common/wide_text.h"
#include "harness/debug_capture.h"
#include "harness/host_paths.h"
#include "harness/registry_seed.h"
#include "harness/temp_folder.h"

namespace mirvot {
namespace {

using test::DebuggedRun;
using test::QuoteArgument;
using test::RunUnderDebugger;

constexpr DWORD kStatusStackBufferOverrun = 0xC0000409;
constexpr DWORD kChildTimeoutMs = 60000;
// Where the display DPI that the next process sees is set.
constexpr wchar_t kDesktopSettings[] = L"Control Panel\\Desktop";

std::wstring ProbeCommand(const std::vector<std::wstring>& arguments) {
  std::wstring command = QuoteArgument(test::WindowsPathFromHost(SHELL_WINDOW_PROBE_EXE));
  for (const std::wstring& argument : arguments) {
    command += L" " + QuoteArgument(argument);
  }
  return command;
}

// A name no other test run uses at the same time.
std::wstring UniqueName(const std::wstring& stem) {
  static int counter = 0;
  return stem + L" " + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

struct Child {
  UniqueHandle process;
  UniqueHandle thread;
};

// The probe's standard handles: inherited as usual, or exactly the given ones (null for none).
struct StandardHandles {
  HANDLE output = nullptr;
  HANDLE error = nullptr;
};

std::optional<Child> StartProbe(const std::vector<std::wstring>& arguments,
                                std::optional<StandardHandles> handles = std::nullopt) {
  std::wstring command = ProbeCommand(arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  const bool redirect = handles.has_value();
  if (redirect) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = handles->output;
    startup.hStdError = handles->error;
  }
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, redirect ? TRUE : FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
    return std::nullopt;
  }
  return Child{UniqueHandle(process.hProcess), UniqueHandle(process.hThread)};
}

std::optional<DWORD> WaitForExit(const Child& child) {
  if (::WaitForSingleObject(child.process.get(), kChildTimeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(child.process.get(), 99);
    return std::nullopt;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(child.process.get(), &code);
  return code;
}

UniqueFileHandle CreateInheritableFile(const std::wstring& path) {
  SECURITY_ATTRIBUTES security{sizeof(security), nullptr, TRUE};
  return UniqueFileHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string ReadWholeFile(const std::wstring& path) {
  const UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string content;
  if (!file) {
    return content;
  }
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    content.append(buffer, read);
  }
  return content;
}

// A probe window waiting for its close request, found by its title.
class WaitingProbe {
 public:
  WaitingProbe()
      : title_(UniqueName(L"Mirvot probe")),
        readyName_(L"Local\\" + UniqueName(L"MirvotProbeReady")) {
    for (wchar_t& c : readyName_) {
      c = c == L' ' ? L'-' : c;
    }
    ready_.reset(::CreateEventW(nullptr, TRUE, FALSE, readyName_.c_str()));
    child_ = StartProbe({L"wait-for-close", title_, readyName_});
  }

  // Waits until the loop has started; the main window then exists.
  [[nodiscard]] bool WaitUntilReady() const {
    if (!ready_ || !child_) {
      return false;
    }
    const HANDLE handles[] = {ready_.get(), child_->process.get()};
    return ::WaitForMultipleObjects(2, handles, FALSE, kChildTimeoutMs) == WAIT_OBJECT_0;
  }

  [[nodiscard]] HWND FindMainWindow() const {
    return ::FindWindowW(L"Window Class", title_.c_str());
  }
  [[nodiscard]] const Child& child() const { return *child_; }

 private:
  std::wstring title_;
  std::wstring readyName_;
  UniqueHandle ready_;
  std::optional<Child> child_;
};

std::uint64_t ProcessCpuTime100ns(HANDLE process) {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) {
    return 0;
  }
  const auto value = [](const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  return value(kernel) + value(user);
}

// --- Client size at the display's DPI --------------------------------------------------------

TEST(ShellProbe, ClientAreaAt96DpiIs1280By800) {
  const DebuggedRun run = RunUnderDebugger(ProbeCommand({L"measure", UniqueName(L"Mirvot")}));
  ASSERT_TRUE(run.started);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_NE(run.text().find("client 1280x800 scale 1.000"), std::string::npos) << run.text();
}

TEST(ShellProbe, ClientAreaAt144DpiIs1920By1200) {
  const test::ScopedRegistryValue logPixels(HKEY_CURRENT_USER, kDesktopSettings, L"LogPixels");
  ASSERT_EQ(test::SetRegistryDword(HKEY_CURRENT_USER, kDesktopSettings, L"LogPixels", 144),
            ERROR_SUCCESS);
  const DebuggedRun run = RunUnderDebugger(ProbeCommand({L"measure", UniqueName(L"Mirvot")}));
  ASSERT_TRUE(run.started);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_NE(run.text().find("client 1920x1200 scale 1.500"), std::string::npos) << run.text();
}

// --- Closing from another process ------------------------------------------------------------

TEST(ShellProbe, CloseRequestFromAnotherProcessEndsItWithExitCodeZero) {
  const WaitingProbe probe;
  ASSERT_TRUE(probe.WaitUntilReady());
  const HWND window = probe.FindMainWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(::PostMessageW(window, WM_CLOSE, 0, 0));
  EXPECT_EQ(WaitForExit(probe.child()), std::optional<DWORD>(0));
}

TEST(ShellProbe, IdleLoopCpuTimeIsReported) {
  const WaitingProbe probe;
  ASSERT_TRUE(probe.WaitUntilReady());
  const HWND window = probe.FindMainWindow();
  ASSERT_NE(window, nullptr);
  // Let the start-up messages settle, then measure ten quiet seconds.
  ::Sleep(1000);
  const std::uint64_t before = ProcessCpuTime100ns(probe.child().process.get());
  std::printf("[ idle CPU ] start-up took %.1f ms of CPU\n", static_cast<double>(before) / 10000.0);
  ::Sleep(10000);
  const std::uint64_t after = ProcessCpuTime100ns(probe.child().process.get());
  const double milliseconds = static_cast<double>(after - before) / 10000.0;
  std::printf("[ idle CPU ] %.1f ms of CPU in 10 s of an idle loop\n", milliseconds);
  ::testing::Test::RecordProperty("idle_cpu_ms_in_10s", std::to_string(milliseconds));
  ASSERT_TRUE(::PostMessageW(window, WM_CLOSE, 0, 0));
  EXPECT_EQ(WaitForExit(probe.child()), std::optional<DWORD>(0));
}

// --- The fatal path ---------------------------------------------------------------------------

TEST(ShellProbe, FatalErrorEndsThroughFailFast) {
  const DebuggedRun run = RunUnderDebugger(ProbeCommand({L"fatal"}), kChildTimeoutMs);
  ASSERT_TRUE(run.started);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, kStatusStackBufferOverrun);
}

TEST(ShellProbe, FatalErrorReportIsWrittenToStandardError) {
  const test::TempFolder folder;
  const std::wstring outputPath = folder.Join(L"stdout.txt");
  const std::wstring errorPath = folder.Join(L"stderr.txt");
  std::optional<DWORD> exitCode;
  {
    const UniqueFileHandle output = CreateInheritableFile(outputPath);
    const UniqueFileHandle error = CreateInheritableFile(errorPath);
    ASSERT_TRUE(output.valid());
    ASSERT_TRUE(error.valid());
    const std::optional<Child> child =
        StartProbe({L"fatal"}, StandardHandles{output.get(), error.get()});
    ASSERT_TRUE(child.has_value());
    exitCode = WaitForExit(*child);
  }
  EXPECT_EQ(exitCode, std::optional<DWORD>(kStatusStackBufferOverrun));

  const std::string output = ReadWholeFile(outputPath);
  std::smatch line;
  ASSERT_TRUE(std::regex_search(output, line, std::regex("fatal-line ([0-9]+)"))) << output;
  const std::string report = ReadWholeFile(errorPath);
  EXPECT_EQ(report, "thread 'main' panicked at tests/shell/shell_window_probe.cpp:" +
                        line[1].str() + ":\ncalled `Result::unwrap()` on an `Err` value: boom\n");
}

// The loop's creation allocates the loop and its event queue (a map and a block); whichever of
// them finds no memory, creation fails with E_OUTOFMEMORY (the probe's exit code 0), never
// through std::terminate (3) as the queue's std::bad_alloc leaving a noexcept constructor did.
TEST(ShellProbe, LoopCreationWithoutMemoryFailsWithOutOfMemory) {
  for (const int firstRefused : {1, 2, 3}) {
    const std::optional<Child> child =
        StartProbe({L"loop-without-memory", std::to_wstring(firstRefused)});
    ASSERT_TRUE(child.has_value());
    EXPECT_EQ(WaitForExit(*child), std::optional<DWORD>(0))
        << "allocations refused from number " << firstRefused;
  }
}

// Every other way out ends through the fatal path with one report: an exception leaving the
// application's handler (std::bad_alloc, thrown while the handler describes why the window could
// not be made), also when no memory is left at all (C allocations refused and no emergency memory
// for exceptions, so that learning the exception's text by rethrowing it would recurse until the
// stack overflows), abort(), and an exception whose text aborts (the path entered while it runs
// ends at once, without a second report). Never std::terminate's exit code 3 or a crash.
TEST(ShellProbe, EveryWayOutEndsThroughTheFatalPathWithOneReport) {
  struct Ending {
    const wchar_t* mode;
    bool emptyExceptionPool;
    const char* location;
    const char* description;
  };
  const Ending endings[] = {
      {L"app-without-memory", false, "src/shell/app.cpp:", "App::on_resumed: std::bad_alloc\n"},
      {L"app-without-any-memory", true, "src/shell/app.cpp:", "App::on_resumed: std::bad_alloc\n"},
      {L"abort", false, "src/shell/fatal.cpp:", "abort\n"},
      {L"fatal-while-fatal", false, "tests/shell/shell_window_probe.cpp:", "the probe: "},
  };
  const std::string header = "thread 'main' panicked at ";
  for (const Ending& ending : endings) {
    SCOPED_TRACE(WideToUtf8(ending.mode));
    const test::TempFolder folder;
    const std::wstring errorPath = folder.Join(L"stderr.txt");
    std::optional<DWORD> exitCode;
    {
      const UniqueFileHandle error = CreateInheritableFile(errorPath);
      ASSERT_TRUE(error.valid());
      // The probe inherits the variable; it is gone again before the next one starts.
      ::SetEnvironmentVariableW(L"MIRVOT_PROBE_EMPTY_EXCEPTION_POOL",
                                ending.emptyExceptionPool ? L"1" : nullptr);
      const std::optional<Child> child =
          StartProbe({ending.mode}, StandardHandles{nullptr, error.get()});
      ::SetEnvironmentVariableW(L"MIRVOT_PROBE_EMPTY_EXCEPTION_POOL", nullptr);
      ASSERT_TRUE(child.has_value());
      exitCode = WaitForExit(*child);
    }
    EXPECT_EQ(exitCode, std::optional<DWORD>(kStatusStackBufferOverrun));
    const std::string report = ReadWholeFile(errorPath);
    EXPECT_EQ(report.rfind(header + ending.location, 0), 0u) << report;
    EXPECT_EQ(report.find(header, 1), std::string::npos) << "a second report: " << report;
    const std::string end =
        std::string("called `Result::unwrap()` on an `Err` value: ") + ending.description;
    EXPECT_TRUE(report.size() >= end.size() &&
                report.compare(report.size() - end.size(), end.size(), end) == 0)
        << report;
  }
}

TEST(ShellProbe, FatalErrorWithoutStandardErrorStillEndsThroughFailFast) {
  // A windowed program started from the desktop has no standard error at all.
  const std::optional<Child> child = StartProbe({L"fatal"}, StandardHandles{});
  ASSERT_TRUE(child.has_value());
  EXPECT_EQ(WaitForExit(*child), std::optional<DWORD>(kStatusStackBufferOverrun));
}

}  // namespace
}  // namespace mirvot
