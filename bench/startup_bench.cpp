// Start-up benchmark runner (started by scripts/bench.sh under Wine). Runs Mirvot.exe with the
// test engine and the bare baseline window program alternately, and prints, from each process's
// creation time: when its window became visible, and for Mirvot.exe when the engine library was
// loaded, when its creation export was called and when Navigate was issued; then the time
// Mirvot.exe itself spent between the creation call and Navigate, outside the engine.
//
//   startup_bench --mirvot <exe> --baseline <exe> --runtime <runtime folder> --work <folder>
//                 [--runs <n>] [--warmup <n>]
//   startup_bench --close <window class> <window title>     posts WM_CLOSE to that window
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "common/wide_text.h"
#include "engine_timeline.h"
#include "launched_program.h"
#include "precise_time.h"
#include "spread.h"
#include "window_watch.h"

namespace mirvot::bench {
namespace {

constexpr wchar_t kMirvotClass[] = L"Window Class";
constexpr wchar_t kMirvotTitle[] = L"Mirvot";
constexpr wchar_t kBaselineClass[] = L"MirvotBenchBaseline";
constexpr wchar_t kBaselineTitle[] = L"Mirvot Baseline";
// Set by the baseline program to the FILETIME at which its ShowWindow call returned.
constexpr wchar_t kBaselineShownAtProperty[] = L"MirvotBenchShownAt";
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kCloseTimeoutMs = 10000;

struct Options {
  std::wstring mirvot;
  std::wstring baseline;
  std::wstring runtime;
  std::wstring work;
  int runs = 15;
  int warmup = 1;
};

struct BaselineRun {
  double visibleMs = 0;
  double showReturnedMs = 0;
  double pollGapMs = 0;
};

struct MirvotRun {
  double visibleMs = 0;
  double pollGapMs = 0;
  double engineLoadedMs = 0;
  double creationCallMs = 0;
  double navigateMs = 0;
  double creationToNavigateMs = 0;
  double engineBusyMs = 0;
  double engineQueuedMs = 0;
  double ownMs = 0;
  bool visibleAtCreation = false;
};

void Fail(const char* what) {
  std::fprintf(stderr, "startup_bench: %s\n", what);
  std::fflush(stderr);
  ::ExitProcess(2);
}

std::optional<BaselineRun> RunBaseline(const Options& options) {
  LaunchedProgram program;
  if (FAILED(Launch(options.baseline, program))) {
    Fail("cannot start the baseline program");
  }
  const auto sighting =
      WaitForVisibleWindow(program, kBaselineClass, kBaselineTitle, kStartTimeoutMs);
  FileTimeTicks shownAt = 0;
  const ULONGLONG deadline = ::GetTickCount64() + kStartTimeoutMs;
  while (sighting && shownAt == 0 && IsRunning(program) && ::GetTickCount64() < deadline) {
    shownAt = static_cast<FileTimeTicks>(
        reinterpret_cast<ULONG_PTR>(::GetPropW(sighting->window, kBaselineShownAtProperty)));
    if (shownAt == 0) {
      ::Sleep(1);
    }
  }
  CloseAndWait(program, sighting ? sighting->window : nullptr, kCloseTimeoutMs);
  if (!sighting || shownAt == 0) {
    return std::nullopt;
  }
  return BaselineRun{TicksToMilliseconds(sighting->seenAt - program.createdAt),
                     TicksToMilliseconds(shownAt - program.createdAt),
                     TicksToMilliseconds(sighting->seenAt - sighting->lastMissedAt)};
}

std::optional<MirvotRun> RunMirvot(const Options& options, int index) {
  const std::wstring logPath = options.work + L"\\engine-run-" + std::to_wstring(index) + L".log";
  ::DeleteFileW(logPath.c_str());
  ::SetEnvironmentVariableW(L"MIRVOT_TEST_ENGINE_LOG", logPath.c_str());

  LaunchedProgram program;
  if (FAILED(Launch(options.mirvot, program))) {
    Fail("cannot start Mirvot.exe");
  }
  const auto sighting = WaitForVisibleWindow(program, kMirvotClass, kMirvotTitle, kStartTimeoutMs);
  std::optional<EngineTimeline> timeline;
  const ULONGLONG deadline = ::GetTickCount64() + kStartTimeoutMs;
  while (sighting && !timeline && IsRunning(program) && ::GetTickCount64() < deadline) {
    // The engine's own stamps carry the timing; this only waits for them, so it polls gently.
    ::Sleep(10);
    timeline = ParseEngineTimeline(ReadSharedFile(logPath));
  }
  CloseAndWait(program, sighting ? sighting->window : nullptr, kCloseTimeoutMs);
  if (!sighting || !timeline) {
    return std::nullopt;
  }
  MirvotRun run;
  run.visibleMs = TicksToMilliseconds(sighting->seenAt - program.createdAt);
  run.pollGapMs = TicksToMilliseconds(sighting->seenAt - sighting->lastMissedAt);
  run.engineLoadedMs = TicksToMilliseconds(timeline->engineLoadedAt - program.createdAt);
  run.creationCallMs = TicksToMilliseconds(timeline->creationCall.at - program.createdAt);
  run.navigateMs = TicksToMilliseconds(timeline->navigate.at - program.createdAt);
  run.creationToNavigateMs = TicksToMilliseconds(timeline->navigate.at - timeline->creationCall.at);
  run.engineBusyMs = TicksToMilliseconds(timeline->navigate.busy - timeline->creationCall.busy);
  run.engineQueuedMs =
      TicksToMilliseconds(timeline->navigate.queued - timeline->creationCall.queued);
  run.ownMs = run.creationToNavigateMs - run.engineBusyMs;
  run.visibleAtCreation = timeline->visibleWindowsAtCreation > 0;
  return run;
}

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

template <typename Run, typename Field>
Spread SpreadOfField(const std::vector<Run>& runs, Field field) {
  std::vector<double> values;
  values.reserve(runs.size());
  for (const Run& run : runs) {
    values.push_back(run.*field);
  }
  return SpreadOf(values);
}

void PrintRow(const char* label, const Spread& spread, const char* note = "") {
  std::printf("  %-52s %9.2f %9.2f %9.2f  %s\n", label, spread.median, spread.minimum,
              spread.maximum, note);
}

void PrintReport(const std::vector<MirvotRun>& mirvot, const std::vector<BaselineRun>& baseline,
                 const Options& options) {
  std::printf("\nStart-up: %zu runs of each program, alternating, after %d warm-up pair(s)\n",
              mirvot.size(), options.warmup);
  std::printf("Per run (ms from process creation):\n");
  std::printf("  %3s %10s %10s %10s %10s | %10s %7s | %9s %9s %9s\n", "run", "M.visible",
              "M.loaded", "M.create", "M.navig.", "B.visible", "ratio", "engine", "queued", "own");
  std::vector<double> ratios;
  std::vector<double> showRatios;
  for (size_t i = 0; i < mirvot.size(); ++i) {
    const double ratio = mirvot[i].creationCallMs / baseline[i].visibleMs;
    ratios.push_back(ratio);
    showRatios.push_back(mirvot[i].creationCallMs / baseline[i].showReturnedMs);
    std::printf("  %3zu %10.2f %10.2f %10.2f %10.2f | %10.2f %7.3f | %9.2f %9.2f %9.2f\n", i + 1,
                mirvot[i].visibleMs, mirvot[i].engineLoadedMs, mirvot[i].creationCallMs,
                mirvot[i].navigateMs, baseline[i].visibleMs, ratio, mirvot[i].engineBusyMs,
                mirvot[i].engineQueuedMs, mirvot[i].ownMs);
  }

  const Spread ratio = SpreadOf(ratios);
  const Spread own = SpreadOfField(mirvot, &MirvotRun::ownMs);
  std::printf("\n  %-52s %9s %9s %9s\n", "ms from process creation", "median", "min", "max");
  PrintRow("Mirvot.exe: main window visible", SpreadOfField(mirvot, &MirvotRun::visibleMs));
  PrintRow("Mirvot.exe: engine library loaded (engine)",
           SpreadOfField(mirvot, &MirvotRun::engineLoadedMs));
  PrintRow("Mirvot.exe: engine creation call (engine)",
           SpreadOfField(mirvot, &MirvotRun::creationCallMs));
  PrintRow("Mirvot.exe: Navigate issued (engine)", SpreadOfField(mirvot, &MirvotRun::navigateMs));
  PrintRow("baseline: window visible", SpreadOfField(baseline, &BaselineRun::visibleMs));
  PrintRow("baseline: its ShowWindow call returned",
           SpreadOfField(baseline, &BaselineRun::showReturnedMs));
  char note[96];
  std::snprintf(note, sizeof(note), "target <= 1.15: %s", Verdict(ratio.median <= 1.15));
  PrintRow("ratio Mirvot creation call / baseline visible", ratio, note);
  PrintRow("ratio ... / baseline ShowWindow returned (context)", SpreadOf(showRatios));

  std::printf("\n  %-52s %9s %9s %9s\n", "Mirvot.exe from creation call to Navigate, ms", "median",
              "min", "max");
  PrintRow("elapsed", SpreadOfField(mirvot, &MirvotRun::creationToNavigateMs));
  PrintRow("inside the test engine (its calls and completions)",
           SpreadOfField(mirvot, &MirvotRun::engineBusyMs));
  PrintRow("completions waiting in the queue (not subtracted)",
           SpreadOfField(mirvot, &MirvotRun::engineQueuedMs));
  std::snprintf(note, sizeof(note), "target <= 10 ms: %s", Verdict(own.median <= 10.0));
  PrintRow("the program's own time (elapsed - engine)", own, note);

  int visibleFirst = 0;
  for (const MirvotRun& run : mirvot) {
    visibleFirst += run.visibleAtCreation ? 1 : 0;
  }
  std::printf(
      "\n  main window already visible at the creation call (engine's check): %d of %zu "
      "runs\n",
      visibleFirst, mirvot.size());
  std::vector<double> gaps;
  for (const MirvotRun& run : mirvot) {
    gaps.push_back(run.pollGapMs);
  }
  for (const BaselineRun& run : baseline) {
    gaps.push_back(run.pollGapMs);
  }
  const Spread gap = SpreadOf(gaps);
  std::printf(
      "  window-visible resolution (gap between the last two polls): median %.2f ms, max "
      "%.2f ms\n",
      gap.median, gap.maximum);
  std::fflush(stdout);
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
    } else {
      Fail("unknown option");
    }
  }
  if (options.mirvot.empty() || options.baseline.empty() || options.runtime.empty() ||
      options.work.empty() || options.runs < 1 || options.warmup < 0) {
    Fail(
        "usage: --mirvot <exe> --baseline <exe> --runtime <folder> --work <folder> "
        "[--runs n] [--warmup n]");
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
       {L"MIRVOT_TEST_ENGINE_SCRIPT", L"WEBVIEW2_USER_DATA_FOLDER", L"WEBVIEW2_USE_EDGE_VIEW",
        L"WEBVIEW2_RELEASE_CHANNELS", L"WEBVIEW2_CHANNEL_SEARCH_KIND",
        L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE"}) {
    ::SetEnvironmentVariableW(name, nullptr);
  }

  std::vector<MirvotRun> mirvot;
  std::vector<BaselineRun> baseline;
  const int total = options.warmup + options.runs;
  for (int i = 0; i < total; ++i) {
    // Alternate which program goes first, so that neither always follows the other.
    std::optional<BaselineRun> baselineRun;
    std::optional<MirvotRun> mirvotRun;
    if (i % 2 == 0) {
      baselineRun = RunBaseline(options);
      mirvotRun = RunMirvot(options, i);
    } else {
      mirvotRun = RunMirvot(options, i);
      baselineRun = RunBaseline(options);
    }
    if (!baselineRun) {
      Fail("the baseline window did not become visible and note its ShowWindow time");
    }
    if (!mirvotRun) {
      Fail("Mirvot.exe did not show its window and reach Navigate (see the engine log)");
    }
    if (i >= options.warmup) {
      mirvot.push_back(*mirvotRun);
      baseline.push_back(*baselineRun);
    }
  }
  PrintReport(mirvot, baseline, options);
  return 0;
}

}  // namespace
}  // namespace mirvot::bench

int wmain(int argc, wchar_t** argv) { return mirvot::bench::Run(argc, argv); }
