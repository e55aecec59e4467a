#include "startup_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "common/core/startup_phases.h"
#include "spread.h"

namespace mirvot::bench {
namespace {

using Field = std::function<std::optional<double>(const ProcessFigures&)>;

// Beyond these the machine was busy enough to disturb even CPU time (on two cores another
// process's work can double it): the 1-minute load average before the runs; the share of their
// CPU time the processes spent waiting for a CPU (under Wine about a fifth even on an idle
// machine: a process waits for the CPU the Wine server has just used to answer it); the spread
// of a program's CPU time from run to run (interquartile range over median; 2 to 5 % when quiet).
constexpr double kQuietLoad = 0.7;
constexpr double kQuietWaitShare = 0.30;
constexpr double kQuietCpuSpread = 0.10;

constexpr double kCpuRatioTarget = 1.05;
constexpr double kMemoryRatioTarget = 1.5;
constexpr double kOwnTimeTargetMs = 10.0;

std::vector<double> Values(const std::vector<ProcessFigures>& runs, const Field& field) {
  std::vector<double> values;
  for (const ProcessFigures& run : runs) {
    if (const std::optional<double> value = field(run)) {
      values.push_back(*value);
    }
  }
  return values;
}

Spread SpreadOfField(const std::vector<ProcessFigures>& runs, const Field& field) {
  return SpreadOf(Values(runs, field));
}

// Run by run, the first program's figure over the second's.
Spread RatioSpread(const BenchResults& results, Program over, Program under, const Field& field) {
  const auto& top = results.Of(over);
  const auto& bottom = results.Of(under);
  std::vector<double> ratios;
  for (size_t i = 0; i < top.size() && i < bottom.size(); ++i) {
    const auto a = field(top[i]);
    const auto b = field(bottom[i]);
    if (a && b && *b > 0) {
      ratios.push_back(*a / *b);
    }
  }
  return SpreadOf(ratios);
}

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

void PrintHeader(const char* title) {
  std::printf("\n  %-50s %8s %8s %8s %8s %8s %7s\n", title, "median", "q1", "q3", "min", "max",
              "+-95%");
}

void PrintRow(const std::string& label, const Spread& spread, const std::string& note = "") {
  if (spread.count == 0) {
    std::printf("  %-50s %8s\n", label.c_str(), "-");
    return;
  }
  std::printf("  %-50s %8.2f %8.2f %8.2f %8.2f %8.2f %6.1f%%  %s\n", label.c_str(), spread.median,
              spread.lowerQuartile, spread.upperQuartile, spread.minimum, spread.maximum,
              100 * spread.RelativeUncertainty(), note.c_str());
}

// "target <limit>: met" or "... MISSED".
std::string TargetNote(const char* limit, bool met) {
  return std::string("target ") + limit + ": " + Verdict(met);
}

const Field kCpu = [](const ProcessFigures& f) -> std::optional<double> { return f.cpuMs; };
const Field kMainCpu = [](const ProcessFigures& f) -> std::optional<double> {
  return f.mainThreadCpuMs;
};
const Field kWait = [](const ProcessFigures& f) -> std::optional<double> { return f.cpuWaitMs; };
const Field kServer = [](const ProcessFigures& f) { return f.serverCpuMs; };
const Field kCreationWall = [](const ProcessFigures& f) -> std::optional<double> {
  return f.creationCallMs;
};

void PrintCpu(const BenchResults& results, bool serverMeasured) {
  const auto& mirvot = results.Of(Program::Mirvot);
  const auto& marked = results.Of(Program::Marked);
  const auto& host = results.Of(Program::Host);
  const auto& hostOle = results.Of(Program::HostWithOle);

  std::printf(
      "\nPer run: CPU time up to the creation call (ms); wall clock from the process's\n"
      "creation to the call (ms); time the process waited for a CPU (ms)\n");
  std::printf("  %3s | %8s %8s %8s %8s | %7s | %8s %8s | %6s %6s | %7s %7s\n", "run", "Mirvot",
              "marked", "host", "host+OLE", "M/h+OLE", "M wall", "h+O wall", "M wait", "h+O w.",
              "M srv", "h+O srv");
  for (size_t i = 0; i < mirvot.size(); ++i) {
    std::printf(
        "  %3zu | %8.2f %8.2f %8.2f %8.2f | %7.3f | %8.2f %8.2f | %6.2f %6.2f | %7.2f "
        "%7.2f\n",
        i + 1, mirvot[i].cpuMs, marked[i].cpuMs, host[i].cpuMs, hostOle[i].cpuMs,
        mirvot[i].cpuMs / hostOle[i].cpuMs, mirvot[i].creationCallMs, hostOle[i].creationCallMs,
        mirvot[i].cpuWaitMs, hostOle[i].cpuWaitMs, mirvot[i].serverCpuMs.value_or(0),
        hostOle[i].serverCpuMs.value_or(0));
  }

  PrintHeader("CPU time up to the creation call, ms");
  for (const Program program : kPrograms) {
    PrintRow(ProgramLabel(program), SpreadOfField(results.Of(program), kCpu));
  }
  const Spread ratio = RatioSpread(results, Program::Mirvot, Program::HostWithOle, kCpu);
  PrintRow("ratio Mirvot.exe / host + OLE (run by run)", ratio,
           TargetNote("<= 1.05", ratio.median <= kCpuRatioTarget));
  PrintRow("ratio Mirvot.exe / smallest host (context)",
           RatioSpread(results, Program::Mirvot, Program::Host, kCpu));
  PrintRow("ratio marked build / Mirvot.exe (the marks' cost)",
           RatioSpread(results, Program::Marked, Program::Mirvot, kCpu));
  PrintRow("Mirvot.exe: main thread alone", SpreadOfField(mirvot, kMainCpu));
  PrintRow("host + OLE: main thread alone", SpreadOfField(hostOle, kMainCpu));
  if (serverMeasured) {
    PrintRow("Wine server meanwhile, for Mirvot.exe (context)", SpreadOfField(mirvot, kServer));
    PrintRow("Wine server meanwhile, for host + OLE (context)", SpreadOfField(hostOle, kServer));
  }
  std::printf("  threads counted (last run):\n");
  for (const Program program : kPrograms) {
    std::printf("    %-34s %s\n", ProgramLabel(program),
                results.Of(program).back().threadNames.c_str());
  }
}

void PrintWallClock(const BenchResults& results) {
  PrintHeader("Wall clock from process creation, ms (context)");
  for (const Program program : kPrograms) {
    PrintRow(std::string(ProgramLabel(program)) + ": creation call",
             SpreadOfField(results.Of(program), kCreationWall));
  }
  PrintRow("ratio Mirvot.exe / host + OLE, creation call",
           RatioSpread(results, Program::Mirvot, Program::HostWithOle, kCreationWall));
  const auto& mirvot = results.Of(Program::Mirvot);
  PrintRow("Mirvot.exe: Navigate issued (time held left out)",
           SpreadOfField(mirvot, [](const ProcessFigures& f) { return f.navigateMs; }));

  PrintHeader("Mirvot.exe from the creation call to Navigate, ms");
  PrintRow("elapsed",
           SpreadOfField(mirvot, [](const ProcessFigures& f) { return f.creationToNavigateMs; }));
  PrintRow("inside the test engine (its calls and completions)",
           SpreadOfField(mirvot, [](const ProcessFigures& f) { return f.engineBusyMs; }));
  const Spread own = SpreadOfField(mirvot, [](const ProcessFigures& f) { return f.ownMs; });
  PrintRow("the program's own time (elapsed - engine)", own,
           TargetNote("<= 10 ms", own.median <= kOwnTimeTargetMs));
}

// Per run, each reached phase's step: the time since the phase reached before it (for the first,
// since the process's creation).
std::map<std::string, std::vector<double>, std::less<>> Steps(
    const std::vector<ProcessFigures>& runs) {
  std::map<std::string, std::vector<double>, std::less<>> steps;
  for (const ProcessFigures& run : runs) {
    double previous = 0;
    for (const StartupPhaseText& phase : kStartupPhases) {
      const auto at = run.phaseMs.find(phase.name);
      if (at == run.phaseMs.end()) {
        continue;
      }
      steps[phase.name].push_back(at->second - previous);
      previous = at->second;
    }
  }
  return steps;
}

std::optional<double> MedianAt(const std::vector<ProcessFigures>& runs, const char* phase) {
  const std::vector<double> values = Values(runs, [&](const ProcessFigures& f) {
    const auto at = f.phaseMs.find(phase);
    return at == f.phaseMs.end() ? std::nullopt : std::optional<double>(at->second);
  });
  if (values.empty()) {
    return std::nullopt;
  }
  return SpreadOf(values).median;
}

void PrintCell(std::optional<double> value) {
  if (value) {
    std::printf(" %8.2f", *value);
  } else {
    std::printf(" %8s", "");
  }
}

void PrintPhases(const BenchResults& results) {
  const Program columns[] = {Program::Marked, Program::HostWithOle, Program::Host};
  std::map<Program, std::map<std::string, std::vector<double>, std::less<>>> steps;
  for (const Program program : columns) {
    steps[program] = Steps(results.Of(program));
  }
  std::printf(
      "\nPhases of the start-up, ms from process creation (median of %zu runs); step: since the\n"
      "phase before it (median of the per-run steps); Mirvot.exe from its marked build\n",
      results.Of(Program::Marked).size());
  std::printf("  %-27s | %17s | %17s | %17s | %9s\n", "", "Mirvot.exe", "host + OLE",
              "smallest host", "Mirvot -");
  std::printf("  %-27s | %8s %8s | %8s %8s | %8s %8s | %9s\n", "phase", "at", "step", "at", "step",
              "at", "step", "host+OLE");
  for (const StartupPhaseText& phase : kStartupPhases) {
    std::printf("  %-27s |", phase.label);
    std::optional<double> mirvotAt;
    std::optional<double> hostOleAt;
    for (const Program program : columns) {
      const std::optional<double> at = MedianAt(results.Of(program), phase.name);
      const auto found = steps[program].find(phase.name);
      const std::optional<double> step =
          found == steps[program].end() ? std::nullopt
                                        : std::optional<double>(SpreadOf(found->second).median);
      PrintCell(at);
      PrintCell(step);
      std::printf(" |");
      if (program == Program::Marked) {
        mirvotAt = at;
      } else if (program == Program::HostWithOle) {
        hostOleAt = at;
      }
    }
    if (mirvotAt && hostOleAt) {
      std::printf(" %+9.2f", *mirvotAt - *hostOleAt);
    }
    std::printf("\n");
  }
}

void PrintMemoryRow(const BenchResults& results, const char* label, const Field& field,
                    bool withTarget) {
  const Spread mirvot = SpreadOfField(results.Of(Program::Mirvot), field);
  const Spread hostOle = SpreadOfField(results.Of(Program::HostWithOle), field);
  const Spread host = SpreadOfField(results.Of(Program::Host), field);
  const Spread ratio = RatioSpread(results, Program::Mirvot, Program::HostWithOle, field);
  if (mirvot.count == 0 || hostOle.count == 0) {
    std::printf("  %-44s %10s   (could not be read)\n", label, "-");
    return;
  }
  if (mirvot.maximum == 0 && hostOle.maximum == 0) {
    std::printf("  %-44s %10s   (0 in every run: not kept by Wine)\n", label, "-");
    return;
  }
  std::printf("  %-44s %10.0f %10.0f %7.3f %10.0f  %s\n", label, mirvot.median, hostOle.median,
              ratio.median, host.median,
              withTarget ? TargetNote("<= 1.5", ratio.median <= kMemoryRatioTarget).c_str() : "");
}

void PrintMappings(const BenchResults& results) {
  const auto& mirvot = results.Of(Program::Mirvot).back().mappings;
  const auto& hostOle = results.Of(Program::HostWithOle).back().mappings;
  if (mirvot.empty() || hostOle.empty()) {
    return;
  }
  std::map<std::string, std::pair<long long, long long>> byName;
  long long mirvotTotal = 0;
  long long hostTotal = 0;
  for (const MappingPrivate& mapping : mirvot) {
    byName[mapping.name].first += mapping.privateKb;
    mirvotTotal += mapping.privateKb;
  }
  for (const MappingPrivate& mapping : hostOle) {
    byName[mapping.name].second += mapping.privateKb;
    hostTotal += mapping.privateKb;
  }
  std::vector<std::pair<std::string, std::pair<long long, long long>>> rows(byName.begin(),
                                                                            byName.end());
  std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
    return (a.second.first - a.second.second) > (b.second.first - b.second.second);
  });
  std::printf(
      "\n  Where the private memory lies, by mapping (last run, /proc/<pid>/smaps, KiB; rows\n"
      "  that differ by 8 KiB or more):\n");
  std::printf("  %-44s %10s %10s %10s\n", "mapping", "Mirvot", "host+OLE", "difference");
  for (const auto& [name, kb] : rows) {
    if (std::llabs(kb.first - kb.second) >= 8) {
      std::printf("  %-44s %10lld %10lld %+10lld\n", name.c_str(), kb.first, kb.second,
                  kb.first - kb.second);
    }
  }
  std::printf("  %-44s %10lld %10lld %+10lld\n", "all mappings", mirvotTotal, hostTotal,
              mirvotTotal - hostTotal);
}

void PrintMemory(const BenchResults& results) {
  std::printf(
      "\nMemory %d ms after start-up (Mirvot.exe: after Navigate; hosts: after the environment\n"
      "was delivered), KiB, median of %zu runs; ratio: median of the per-run ratios\n",
      results.settleMs, results.Of(Program::Mirvot).size());
  std::printf("  %-44s %10s %10s %7s %10s\n", "", "Mirvot.exe", "host+OLE", "ratio", "host");
  using ResidentFigure = long long ResidentMemory::*;
  const auto resident = [](ResidentFigure member) -> Field {
    return [member](const ProcessFigures& f) -> std::optional<double> {
      return f.resident ? std::optional<double>(static_cast<double>((*f.resident).*member))
                        : std::nullopt;
    };
  };
  PrintMemoryRow(results, "Linux: private (Private_Clean + Private_Dirty)",
                 resident(&ResidentMemory::privateKb), true);
  PrintMemoryRow(results, "Linux: private and written (Private_Dirty)",
                 resident(&ResidentMemory::privateDirtyKb), false);
  PrintMemoryRow(results, "Linux: anonymous", resident(&ResidentMemory::anonymousKb), false);
  PrintMemoryRow(results, "Linux: resident (RSS)", resident(&ResidentMemory::rssKb), false);
  PrintMemoryRow(results, "Linux: proportional (PSS)", resident(&ResidentMemory::pssKb), false);
  PrintMemoryRow(results, "Linux: peak resident (VmHWM)", resident(&ResidentMemory::peakRssKb),
                 false);
  std::printf("  Windows' counters (GetProcessMemoryInfo, PROCESS_MEMORY_COUNTERS_EX):\n");
  PrintMemoryRow(
      results, "  PrivateUsage", [](const ProcessFigures& f) { return f.privateUsageKb; }, true);
  PrintMemoryRow(
      results, "  PagefileUsage (Wine: anonymous + swapped)",
      [](const ProcessFigures& f) { return f.pagefileUsageKb; }, true);
  PrintMemoryRow(
      results, "  WorkingSetSize", [](const ProcessFigures& f) { return f.workingSetKb; }, false);
  PrintMemoryRow(
      results, "  PeakWorkingSetSize", [](const ProcessFigures& f) { return f.peakWorkingSetKb; },
      false);
  std::printf(
      "  (Wine 8 keeps no PrivateUsage; for another process it gives the current working set as\n"
      "  the peak one. The process itself would be told VmHWM, the Linux peak above.)\n");
  std::printf(
      "  (Private_Clean pages are pages of a file, a DLL's code, that no other process has mapped\n"
      "  at the moment; they count as private only while that stays so.)\n");
  PrintMappings(results);
}

void PrintTrust(const BenchResults& results) {
  std::printf("\nHow far to trust these figures\n");
  const auto load = [](const std::optional<LoadAverage>& value) {
    char text[64];
    if (value) {
      std::snprintf(text, sizeof(text), "%.2f %.2f %.2f", value->one, value->five, value->fifteen);
    } else {
      std::snprintf(text, sizeof(text), "unknown");
    }
    return std::string(text);
  };
  std::printf(
      "  load average (1, 5, 15 min) before the runs: %s\n"
      "                              after the runs: %s (with the benchmark's own work)\n",
      load(results.loadBefore).c_str(), load(results.loadAfter).c_str());
  const Field waitShare = [](const ProcessFigures& f) -> std::optional<double> {
    return f.cpuMs > 0 ? std::optional<double>(f.cpuWaitMs / f.cpuMs) : std::nullopt;
  };
  const Spread mirvotWait = SpreadOfField(results.Of(Program::Mirvot), waitShare);
  const Spread hostWait = SpreadOfField(results.Of(Program::HostWithOle), waitShare);
  std::printf(
      "  time spent waiting for a CPU, as a share of the CPU time (median): Mirvot.exe\n"
      "  %.0f %%, host + OLE %.0f %% (under Wine about 20 %% on an idle machine)\n",
      100 * mirvotWait.median, 100 * hostWait.median);
  double widestSpread = 0;
  std::printf("  spread of the CPU time (interquartile range / median):");
  for (const Program program : kPrograms) {
    const Spread cpu = SpreadOfField(results.Of(program), kCpu);
    const double spread = cpu.median > 0 ? (cpu.upperQuartile - cpu.lowerQuartile) / cpu.median : 0;
    widestSpread = std::max(widestSpread, spread);
    std::printf(" %.0f %%", 100 * spread);
  }
  std::printf(" (2 to 5 %% when quiet)\n");
  const Spread ratio = RatioSpread(results, Program::Mirvot, Program::HostWithOle, kCpu);
  std::printf(
      "  the median CPU ratio is known to about +-%.1f %% (95 %%, from its spread over\n"
      "  %zu runs); a second run of the benchmark should agree with it that closely\n",
      100 * ratio.RelativeUncertainty(), ratio.count);
  std::string reasons;
  const auto add = [&reasons](bool busy, const char* reason) {
    if (busy) {
      reasons += (reasons.empty() ? "" : ", ") + std::string(reason);
    }
  };
  add(results.loadBefore && results.loadBefore->one > kQuietLoad, "load average before the runs");
  add(std::max(mirvotWait.median, hostWait.median) > kQuietWaitShare, "waiting for a CPU");
  add(widestSpread > kQuietCpuSpread, "spread of the CPU time");
  if (!reasons.empty()) {
    std::printf(
        "  WARNING: the machine was busy (%s).\n"
        "  CPU times are inflated and spread out, wall-clock figures more so; rerun on a quiet\n"
        "  machine before drawing conclusions.\n",
        reasons.c_str());
  } else {
    std::printf("  the machine was quiet: load average, waiting and spread all within bounds\n");
  }
}

}  // namespace

void PrintStartupReport(const BenchResults& results, bool serverMeasured) {
  std::printf("\nStart-up: %zu runs of each program, in turn, after %d warm-up round(s)\n",
              results.Of(Program::Mirvot).size(), results.warmup);
  PrintCpu(results, serverMeasured);
  PrintWallClock(results);
  PrintPhases(results);
  PrintMemory(results);
  PrintTrust(results);
  std::fflush(stdout);
}

}  // namespace mirvot::bench
