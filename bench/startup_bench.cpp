// Start-up benchmark runner (started by scripts/bench.sh under Wine). Runs, in turn and with the
// order rotating from run to run, Mirvot.exe as shipped, Mirvot.exe built with start-up marks,
// and the smallest possible host of the engine without and with OLE and a drop target, all with
// the test engine as the runtime. Each process is held by the engine inside its creation call
// while its CPU time is read from Linux; then it starts up fully, is left alone for a moment,
// its memory is read, and it is closed. The report follows (startup_report.h).
//
//   startup_bench --mirvot <exe> --marked <exe> --baseline <exe> --runtime <runtime folder>
//                 --work <folder> [--runs <n>] [--warmup <n>] [--settle <ms>]
//   startup_bench --close <window class> <window title>     posts WM_CLOSE to that window
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "common/wide_text.h"
#include "engine_timeline.h"
#include "hold_pipe.h"
#include "launched_program.h"
#include "linux_proc.h"
#include "precise_time.h"
#include "startup_figures.h"
#include "startup_marks_file.h"
#include "startup_report.h"
#include "window_watch.h"

namespace mirvot::bench {
namespace {

constexpr wchar_t kMirvotClass[] = L"Window Class";
constexpr wchar_t kMirvotTitle[] = L"Mirvot";
constexpr wchar_t kBaselineClass[] = L"MirvotBenchBaseline";
constexpr wchar_t kBaselineTitle[] = L"Mirvot Baseline";
constexpr wchar_t kEngineSubpath[] = L"\\EBWebView\\x64\\EmbeddedBrowserWebView.dll";
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kCloseTimeoutMs = 10000;
// Between two processes: the desktop process and the Wine server finish with the last one.
constexpr DWORD kPauseBetweenProcessesMs = 200;

struct Options {
  std::wstring mirvot;
  std::wstring marked;
  std::wstring baseline;
  std::wstring runtime;
  std::wstring work;
  int runs = 20;
  int warmup = 1;
  int settleMs = 500;
};

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "startup_bench: %s\n", what.c_str());
  std::fflush(stderr);
  ::ExitProcess(2);
}

double NsToMs(long long ns) { return static_cast<double>(ns) / 1e6; }

struct LaunchPlan {
  std::wstring exe;
  std::wstring arguments;
  const wchar_t* windowClass;
  const wchar_t* windowTitle;
  bool navigates;  // Mirvot's builds; the hosts stop at the environment
};

LaunchPlan PlanFor(Program program, const Options& options) {
  const std::wstring engine = options.runtime + kEngineSubpath;
  switch (program) {
    case Program::Mirvot:
      return {options.mirvot, L"", kMirvotClass, kMirvotTitle, true};
    case Program::Marked:
      return {options.marked, L"", kMirvotClass, kMirvotTitle, true};
    case Program::Host:
      return {options.baseline, L"host " + engine, kBaselineClass, kBaselineTitle, false};
    case Program::HostWithOle:
      return {options.baseline, L"host-ole " + engine, kBaselineClass, kBaselineTitle, false};
  }
  return {};
}

std::string ThreadNames(const ProcessCpu& cpu) {
  std::string names;
  for (const ThreadCpu& thread : cpu.threads) {
    names += (names.empty() ? "" : " ") + thread.name;
  }
  return names;
}

// Waits until the engine's log shows the start-up complete: Navigate for Mirvot's builds, the
// delivered environment for the hosts.
std::optional<EngineTimeline> WaitForStartUp(const LaunchedProgram& program,
                                             const std::wstring& logPath, bool navigates) {
  const ULONGLONG deadline = ::GetTickCount64() + kStartTimeoutMs;
  while (IsRunning(program) && ::GetTickCount64() < deadline) {
    std::optional<EngineTimeline> timeline = ParseEngineTimeline(ReadSharedFile(logPath));
    if (timeline && (navigates ? timeline->navigate.has_value() : timeline->environmentDelivered)) {
      return timeline;
    }
    // The engine's stamps carry the timing; this only waits for them, so it polls gently.
    ::Sleep(10);
  }
  return std::nullopt;
}

void ReadMemory(const LaunchedProgram& program, long linuxId, bool withMappings,
                ProcessFigures& figures) {
  figures.resident = ReadResidentMemory(linuxId);
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  if (::GetProcessMemoryInfo(program.process.get(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof(counters))) {
    figures.privateUsageKb = static_cast<double>(counters.PrivateUsage) / 1024;
    figures.pagefileUsageKb = static_cast<double>(counters.PagefileUsage) / 1024;
    figures.workingSetKb = static_cast<double>(counters.WorkingSetSize) / 1024;
    figures.peakWorkingSetKb = static_cast<double>(counters.PeakWorkingSetSize) / 1024;
  }
  if (withMappings) {
    figures.mappings = ReadPrivateByMapping(linuxId);
  }
}

ProcessFigures RunOnce(const Options& options, Program program, int index, bool withMappings,
                       std::optional<long> serverId) {
  const LaunchPlan plan = PlanFor(program, options);
  const std::wstring tag =
      std::to_wstring(index) + L"-" + std::to_wstring(static_cast<int>(program));
  const std::wstring pipeName =
      L"MirvotBenchHold-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + tag;
  const std::wstring logPath = options.work + L"\\engine-" + tag + L".log";
  const std::wstring marksPath = options.work + L"\\marks-" + tag + L".txt";
  ::DeleteFileW(logPath.c_str());
  ::DeleteFileW(marksPath.c_str());

  HoldPipe pipe;
  if (FAILED(HoldPipe::Listen(pipeName, pipe))) {
    Fail("cannot listen on the hold pipe");
  }
  ::SetEnvironmentVariableW(L"MIRVOT_TEST_ENGINE_SCRIPT", (L"hold_create=" + pipeName).c_str());
  ::SetEnvironmentVariableW(L"MIRVOT_TEST_ENGINE_LOG", logPath.c_str());
  ::SetEnvironmentVariableW(L"MIRVOT_STARTUP_MARKS_FILE", marksPath.c_str());

  const std::optional<ProcessCpu> serverBefore =
      serverId ? ReadProcessCpu(*serverId) : std::nullopt;
  LaunchedProgram launched;
  if (FAILED(Launch(plan.exe, plan.arguments, launched))) {
    Fail(std::string("cannot start ") + ProgramLabel(program));
  }
  const std::optional<HeldProcess> held = pipe.WaitForHold(launched.process.get(), kStartTimeoutMs);
  if (!held || held->linuxId == 0) {
    CloseAndWait(launched, nullptr, 0);
    Fail(std::string(ProgramLabel(program)) +
         " was not held in the creation call, or the engine could not name its Linux process");
  }
  // The process waits; nothing it does changes these figures until it is released.
  const std::optional<ProcessCpu> serverAfter = serverId ? ReadProcessCpu(*serverId) : std::nullopt;
  const std::optional<ProcessCpu> cpu = ReadProcessCpu(held->linuxId);
  pipe.Release();
  if (!cpu) {
    CloseAndWait(launched, nullptr, 0);
    Fail(std::string("cannot read the threads of ") + ProgramLabel(program) + " from /proc");
  }

  ProcessFigures figures;
  figures.cpuMs = NsToMs(cpu->RunNs());
  figures.mainThreadCpuMs = NsToMs(cpu->threads.front().time.runNs);
  figures.cpuWaitMs = NsToMs(cpu->WaitNs());
  figures.threadNames = ThreadNames(*cpu);
  if (serverBefore && serverAfter) {
    figures.serverCpuMs = NsToMs(serverAfter->RunNs() - serverBefore->RunNs());
  }

  const std::optional<EngineTimeline> timeline = WaitForStartUp(launched, logPath, plan.navigates);
  if (!timeline) {
    CloseAndWait(launched, nullptr, 0);
    Fail(std::string(ProgramLabel(program)) + " did not finish starting (see " +
         WideToUtf8(logPath) + ")");
  }
  ::Sleep(static_cast<DWORD>(options.settleMs));
  ReadMemory(launched, held->linuxId, withMappings, figures);

  const auto window =
      WaitForVisibleWindow(launched, plan.windowClass, plan.windowTitle, kStartTimeoutMs);
  CloseAndWait(launched, window ? window->window : nullptr, kCloseTimeoutMs);

  const FileTimeTicks start = launched.createdAt;
  const FileTimeTicks creationAt = timeline->creationCall.at;
  figures.creationCallMs = TicksToMilliseconds(creationAt - start);
  if (timeline->navigate) {
    const EngineMoment& navigate = *timeline->navigate;
    figures.navigateMs = TicksToMilliseconds(navigate.at - timeline->heldFor - start);
    figures.creationToNavigateMs =
        TicksToMilliseconds(navigate.at - timeline->heldFor - creationAt);
    // The hold is engine time too, so it drops out of the program's own time here.
    figures.engineBusyMs =
        TicksToMilliseconds(navigate.busy - timeline->creationCall.busy - timeline->heldFor);
    figures.ownMs = *figures.creationToNavigateMs - *figures.engineBusyMs;
  }
  for (const auto& [phase, at] : ParseStartupMarks(ReadSharedFile(marksPath))) {
    // Moments after the creation call include the hold; it is left out.
    const FileTimeTicks moment = at > creationAt ? at - timeline->heldFor : at;
    figures.phaseMs.emplace(phase, TicksToMilliseconds(moment - start));
  }
  return figures;
}

int CloseWindow(const wchar_t* className, const wchar_t* title) {
  const HWND window = ::FindWindowW(className, title);
  if (window == nullptr) {
    return 1;
  }
  return ::PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
}

Options ParseOptions(int argc, wchar_t** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring key = argv[i];
    const wchar_t* value = argv[i + 1];
    if (key == L"--mirvot") {
      options.mirvot = value;
    } else if (key == L"--marked") {
      options.marked = value;
    } else if (key == L"--baseline") {
      options.baseline = value;
    } else if (key == L"--runtime") {
      options.runtime = value;
    } else if (key == L"--work") {
      options.work = value;
    } else if (key == L"--runs") {
      options.runs = _wtoi(value);
    } else if (key == L"--warmup") {
      options.warmup = _wtoi(value);
    } else if (key == L"--settle") {
      options.settleMs = _wtoi(value);
    } else {
      Fail("unknown option");
    }
  }
  if (options.mirvot.empty() || options.marked.empty() || options.baseline.empty() ||
      options.runtime.empty() || options.work.empty() || options.runs < 1 || options.warmup < 0 ||
      options.settleMs < 0) {
    Fail(
        "usage: --mirvot <exe> --marked <exe> --baseline <exe> --runtime <folder> "
        "--work <folder> [--runs n] [--warmup n] [--settle ms]");
  }
  return options;
}

int Run(int argc, wchar_t** argv) {
  if (argc == 4 && std::wcscmp(argv[1], L"--close") == 0) {
    return CloseWindow(argv[2], argv[3]);
  }
  const Options options = ParseOptions(argc, argv);
  // The children inherit this environment: the test engine as the runtime, timing on, and
  // nothing else that would steer the loader or the engine.
  ::SetEnvironmentVariableW(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", options.runtime.c_str());
  ::SetEnvironmentVariableW(L"MIRVOT_TEST_ENGINE_TIMING", L"1");
  for (const wchar_t* name :
       {L"WEBVIEW2_USER_DATA_FOLDER", L"WEBVIEW2_USE_EDGE_VIEW", L"WEBVIEW2_RELEASE_CHANNELS",
        L"WEBVIEW2_CHANNEL_SEARCH_KIND", L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE"}) {
    ::SetEnvironmentVariableW(name, nullptr);
  }

  BenchResults results;
  results.warmup = options.warmup;
  results.settleMs = options.settleMs;
  const std::optional<long> serverId = WineServerLinuxId();
  results.loadBefore = ReadLoadAverage();
  const int total = options.warmup + options.runs;
  for (int i = 0; i < total; ++i) {
    const bool last = i == total - 1;
    // The order rotates, so that no program always follows the same one.
    for (int k = 0; k < kProgramCount; ++k) {
      const Program program = kPrograms[static_cast<size_t>((i + k) % kProgramCount)];
      ProcessFigures figures = RunOnce(options, program, i, last, serverId);
      if (i >= options.warmup) {
        results.runs[static_cast<size_t>(program)].push_back(std::move(figures));
      }
      ::Sleep(kPauseBetweenProcessesMs);
    }
    std::fprintf(stderr, "\r  run %d of %d done%s", i + 1, total, last ? "\n" : "");
    std::fflush(stderr);
  }
  results.loadAfter = ReadLoadAverage();
  PrintStartupReport(results, serverId.has_value());
  return 0;
}

}  // namespace
}  // namespace mirvot::bench

int wmain(int argc, wchar_t** argv) { return mirvot::bench::Run(argc, argv); }
