// The fault sweep: runs the built program through one whole life for every call of every system
// function it makes (up to a limit per function), with exactly that one call failing, and
// classifies each run. scripts/fault-sweep.sh runs it under Wine; the README says how to read it.
//
//   fault_sweep [--life L[,L...]|all] [--limit N|all] [--only F[,F...]] [--point F:K]...
//               [--program EXE]
//
// For each life (lives.h; default: first), a first run without a fault counts the calls of each
// function (it must survive); then every point F#K with K up to the limit (default 3) runs, for
// the functions of --only or all of the table's. --point runs the named points alone, without
// counting. Prints one line per run, then a table per function with the totals, per life, and a
// line per life at the end; exits 1 when a run crashed, hung or was orphaned, 2 when the sweep
// itself could not run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/owners.h"
#include "common/wide_text.h"
#include "engine/test_engine_client.h"
#include "fault_rows.h"
#include "harness/debug_capture.h"
#include "harness/environment.h"
#include "harness/host_paths.h"
#include "harness/temp_folder.h"
#include "lives.h"
#include "program_copy.h"
#include "program_life.h"

namespace mirvot::sweep {
namespace {

constexpr char kProxyName[] = "sweep.dll";
constexpr DWORD kFailFast = 0xC0000409;

struct Point {
  int row;
  LONG call;
};

struct Options {
  std::wstring program = test::WindowsPathFromHost(MIRVOT_EXE);
  LONG limit = 3;  // 0: every call
  std::vector<const LifeKind*> lives;
  std::vector<std::string> only;
  std::vector<Point> points;
};

int row_named(const std::string& function) {
  for (int row = 0; row < kFaultRowCount; ++row) {
    if (function == kFaultRows[row].function) {
      return row;
    }
  }
  return -1;
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1) {
    parts.push_back(text.substr(start, end - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::optional<Options> parse(int argc, wchar_t** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring name = argv[i];
    const std::string value = WideToUtf8(argv[i + 1]);
    if (name == L"--life") {
      for (const std::string& life :
           value == "all" ? std::vector<std::string>() : split(value, ',')) {
        options.lives.push_back(life_named(life));
        if (options.lives.back() == nullptr) {
          std::fprintf(stderr, "fault sweep: %s is not a life\n", life.c_str());
          return std::nullopt;
        }
      }
      if (value == "all") {
        for (const LifeKind& life : kLives) {
          options.lives.push_back(&life);
        }
      }
    } else if (name == L"--limit") {
      options.limit = value == "all" ? 0 : std::atol(value.c_str());
      if (options.limit <= 0 && value != "all") {
        return std::nullopt;
      }
    } else if (name == L"--only") {
      options.only = split(value, ',');
    } else if (name == L"--point") {
      const std::vector<std::string> parts = split(value, ':');
      const int row = parts.size() == 2 ? row_named(parts[0]) : -1;
      const long call = parts.size() == 2 ? std::atol(parts[1].c_str()) : 0;
      if (row < 0 || call <= 0) {
        return std::nullopt;
      }
      options.points.push_back({row, call});
    } else if (name == L"--program") {
      options.program = value.rfind('/', 0) == 0 ? test::WindowsPathFromHost(value) : argv[i + 1];
    } else {
      return std::nullopt;
    }
  }
  if (argc % 2 == 0) {
    return std::nullopt;
  }
  if (options.lives.empty()) {
    options.lives.push_back(&kLives[0]);
  }
  for (const std::string& function : options.only) {
    if (row_named(function) < 0) {
      std::fprintf(stderr, "fault sweep: %s is not a function of the table\n", function.c_str());
      return std::nullopt;
    }
  }
  return options;
}

bool is_steady(const std::string& function) {
  for (const SteadyRow& row : kSteadyRows) {
    if (function == row.function) {
      return true;
    }
  }
  return false;
}

// The program's runs, sharing one copy of it, one block with its proxy and one environment.
class Sweep {
 public:
  Sweep(std::wstring programName, HANDLE block) : programName_(std::move(programName)) {
    block_ = static_cast<SharedBlock*>(
        ::MapViewOfFile(block, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedBlock)));
  }
  ~Sweep() { ::UnmapViewOfFile(block_); }
  Sweep(const Sweep&) = delete;
  Sweep& operator=(const Sweep&) = delete;

  [[nodiscard]] bool ready() const { return block_ != nullptr; }

  struct Run {
    LifeResult life;
    bool reached = false;
    std::string where;  // the failed call's caller and, for a crash, the exception's place
    LONG calls[kFaultRowCount] = {};
  };

  // The setup every life starts from: the copy, its engine log and its standard error.
  [[nodiscard]] LifeSetup setup() const {
    LifeSetup setup;
    setup.commandLine = test::QuoteArgument(work_.Join(programName_));
    setup.engineLog = work_.Join(L"engine.log");
    setup.standardError = work_.Join(L"stderr.txt");
    return setup;
  }

  // Asks the proxy in the program to change the display's scale under the window; the loop's
  // next wait carries it out, and the posted WM_NULL brings that wait.
  bool change_dpi(HWND window, UINT dpi) {
    block_->dpiChangeTo = static_cast<LONG>(dpi);
    ::InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&block_->dpiChangeWindow),
                                 window);
    return ::PostMessageW(window, WM_NULL, 0, 0) != FALSE;
  }

  Run run(std::optional<Point> point, const LifeSetup& setup) {
    *block_ = fresh_block(point ? point->row : -1, point ? point->call : 0);
    Run run;
    run.life = live_through(setup);
    if (run.life.detail == kCouldNotStart) {
      run.life.detail += " (error " + std::to_string(run.life.exitCode) + ")";
    }
    run.reached = block_->failed != 0;
    std::memcpy(run.calls, block_->calls, sizeof(run.calls));
    if (run.reached) {
      run.where = "failed call from " + place(block_->failedFrom[0]);
      for (int i = 1; i < kCallerFrames && block_->failedFrom[i] != 0; ++i) {
        run.where += " < " + place(block_->failedFrom[i]);
      }
    }
    // The fatal report goes to standard error. When the failed call was the one that finds or
    // writes it, the fatal path ends through fail-fast as always, with nothing to show.
    const std::string failed = point ? kFaultRows[point->row].function : "";
    if (run.reached && run.life.outcome == Outcome::Crash && run.life.exitCode == kFailFast &&
        (failed == "GetStdHandle" || failed == "WriteFile")) {
      run.life.outcome = Outcome::Fatal;
      run.life.detail = "fail-fast without the report, whose writing failed";
    }
    if (run.life.outcome == Outcome::Crash && block_->exceptionCode != 0) {
      run.where += (run.where.empty() ? "" : ", ") + std::string("exception ") +
                   hex(block_->exceptionCode) + " at " + place(block_->exceptionAddress);
    }
    return run;
  }

  [[nodiscard]] const test::TempFolder& work() const { return work_; }

 private:
  std::string place(std::uintptr_t address) const {
    const std::uintptr_t base = block_->programBase;
    return base != 0 && address >= base && address - base < 0x1000000
               ? WideToUtf8(programName_) + "+" + hex(address - base)
               : hex(address);
  }

  test::TempFolder work_;
  std::wstring programName_;
  SharedBlock* block_ = nullptr;
};

struct Tally {
  LONG calls = 0;
  int points = 0;
  int notReached = 0;
  int outcomes[kOutcomeCount] = {};
};

void print_line(const Point& point, const Sweep::Run& run) {
  const std::string name =
      std::string(kFaultRows[point.row].function) + "#" + std::to_string(point.call);
  std::string detail = run.life.detail;
  if (!run.where.empty()) {
    detail += (detail.empty() ? "" : "; ") + run.where;
  }
  if (!run.reached) {
    detail += (detail.empty() ? "" : "; ") + std::string("not reached");
  }
  std::printf("%-40s %-9s %s\n", name.c_str(), outcome_name(run.life.outcome), detail.c_str());
  std::fflush(stdout);
}

// Prints the table and gives its total.
Tally print_table(const std::map<std::string, Tally>& tallies) {
  std::printf("\n%-40s %6s %6s %8s %6s %8s %6s %5s %6s %11s\n", "function", "calls", "points",
              "survived", "fatal", "degraded", "crash", "hang", "orphan", "not reached");
  Tally total;
  const auto print_row = [](const std::string& name, const Tally& t) {
    std::printf("%-40s %6ld %6d %8d %6d %8d %6d %5d %6d %11d\n", name.c_str(),
                static_cast<long>(t.calls), t.points, t.outcomes[0], t.outcomes[1], t.outcomes[2],
                t.outcomes[3], t.outcomes[4], t.outcomes[5], t.notReached);
  };
  for (const auto& [name, tally] : tallies) {
    print_row(name, tally);
    total.calls += tally.calls;
    total.points += tally.points;
    total.notReached += tally.notReached;
    for (int i = 0; i < kOutcomeCount; ++i) {
      total.outcomes[i] += tally.outcomes[i];
    }
  }
  print_row("total", total);
  return total;
}

// One life's runs: the counting run (unless points were named), then every point. The tally
// per function, or none when the life does not survive without a fault.
std::optional<std::map<std::string, Tally>> sweep_life(Sweep& sweep, const LifeSetup& setup,
                                                       const Options& options, bool& defect) {
  std::vector<Point> points = options.points;
  std::map<std::string, Tally> tallies;
  if (points.empty()) {
    const Sweep::Run counting = sweep.run(std::nullopt, setup);
    if (counting.life.outcome != Outcome::Survived) {
      std::printf("without a fault the program did not survive: %s %s\n",
                  outcome_name(counting.life.outcome), counting.life.detail.c_str());
      return std::nullopt;
    }
    for (int row = 0; row < kFaultRowCount; ++row) {
      const std::string function = kFaultRows[row].function;
      const bool chosen =
          options.only.empty() ||
          std::find(options.only.begin(), options.only.end(), function) != options.only.end();
      if (!chosen || counting.calls[row] == 0) {
        continue;
      }
      tallies[function].calls = counting.calls[row];
      const LONG last =
          options.limit == 0 ? counting.calls[row] : std::min(counting.calls[row], options.limit);
      for (LONG call = 1; call <= last; ++call) {
        points.push_back({row, call});
      }
    }
  }
  for (const Point& point : points) {
    const Sweep::Run run = sweep.run(point, setup);
    print_line(point, run);
    Tally& tally = tallies[kFaultRows[point.row].function];
    ++tally.points;
    tally.notReached += run.reached ? 0 : 1;
    ++tally.outcomes[static_cast<int>(run.life.outcome)];
    defect = defect || is_defect(run.life.outcome);
  }
  return tallies;
}

int sweep(const Options& options) {
  const std::wstring programName = options.program.substr(options.program.find_last_of(L"\\/") + 1);
  const UniqueHandle block(::CreateFileMappingW(
      INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SharedBlock),
      (L"MirvotFaultSweep-" + std::to_wstring(::GetCurrentProcessId())).c_str()));
  Sweep sweep(programName, block.get());
  const ProgramCopy copy =
      copy_with_imports_renamed(options.program, sweep.work().Join(programName), kProxyName);
  if (!copy.error.empty() || !sweep.ready() ||
      !::CopyFileW(test::WindowsPathFromHost(MIRVOT_FAULT_PROXY).c_str(),
                   sweep.work().Join(Utf8ToWide(kProxyName)).c_str(), FALSE)) {
    std::fprintf(stderr, "fault sweep: cannot prepare the program: %s\n", copy.error.c_str());
    return 2;
  }
  bool complete = true;
  for (const std::string& function : copy.functions) {
    const int row = row_named(function);
    if ((row < 0 || kFaultRows[row].lookedUp) && !is_steady(function)) {
      std::fprintf(stderr, "fault sweep: %s is imported but has no row in failure_table.h\n",
                   function.c_str());
      complete = false;
    }
  }
  if (!complete) {
    return 2;
  }

  const test::TempFolder localAppData;
  const test::ScopedEnvironment local(L"LOCALAPPDATA", localAppData.path());
  const test::ScopedEnvironment shared(
      kSharedBlockVariable, L"MirvotFaultSweep-" + std::to_wstring(::GetCurrentProcessId()));

  bool defect = false;
  std::vector<std::pair<const LifeKind*, Tally>> totals;
  for (const LifeKind* life : options.lives) {
    LifeSetup setup = sweep.setup();
    const LifeStage stage(*life, setup);
    if (life->dpiChange) {
      setup.changeDpi = [&sweep](HWND window, UINT dpi) { return sweep.change_dpi(window, dpi); };
    }
    std::printf("== life %s: %s\n", life->name, life->what);
    std::fflush(stdout);
    const std::optional<std::map<std::string, Tally>> tallies =
        sweep_life(sweep, setup, options, defect);
    if (!tallies) {
      return 2;
    }
    totals.emplace_back(life, print_table(*tallies));
  }
  if (totals.size() > 1) {
    std::printf("\n%-12s %6s %8s %6s %8s %6s %5s %6s\n", "life", "points", "survived", "fatal",
                "degraded", "crash", "hang", "orphan");
    for (const auto& [life, t] : totals) {
      std::printf("%-12s %6d %8d %6d %8d %6d %5d %6d\n", life->name, t.points, t.outcomes[0],
                  t.outcomes[1], t.outcomes[2], t.outcomes[3], t.outcomes[4], t.outcomes[5]);
    }
  }
  return defect ? 1 : 0;
}

}  // namespace
}  // namespace mirvot::sweep

int wmain(int argc, wchar_t** argv) {
  const std::optional<mirvot::sweep::Options> options = mirvot::sweep::parse(argc, argv);
  if (!options) {
    std::fprintf(stderr,
                 "usage: fault_sweep [--life L[,L...]|all] [--limit N|all] [--only F[,F...]] "
                 "[--point F:K]... [--program EXE]\n");
    return 2;
  }
  return mirvot::sweep::sweep(*options);
}
