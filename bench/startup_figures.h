#pragma once
// The programs the start-up benchmark compares and the figures it takes of each run of one.
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "linux_proc.h"

namespace mirvot::bench {

enum class Program {
  Mirvot,       // Mirvot.exe as shipped
  Marked,       // Mirvot.exe built with the start-up marks
  Host,         // the smallest possible host
  HostWithOle,  // the smallest host that also initialises OLE and registers a drop target
};
inline constexpr int kProgramCount = 4;
inline constexpr std::array<Program, kProgramCount> kPrograms = {
    Program::Mirvot, Program::Marked, Program::Host, Program::HostWithOle};

inline const char* ProgramLabel(Program program) {
  switch (program) {
    case Program::Mirvot:
      return "Mirvot.exe";
    case Program::Marked:
      return "Mirvot.exe, marked build";
    case Program::Host:
      return "smallest host";
    case Program::HostWithOle:
      return "smallest host + OLE, drop target";
  }
  return "";
}

// One process of one program, from its creation until it was closed. Times in ms.
struct ProcessFigures {
  // Up to the engine's creation call, read while the engine held the process there: CPU time of
  // all its live Linux threads, of its main thread alone, and their time waiting for a CPU.
  double cpuMs = 0;
  double mainThreadCpuMs = 0;
  double cpuWaitMs = 0;
  std::string threadNames;  // "name name ..." of the threads counted
  // The Wine server's CPU time from just before the launch to the hold (it serves every
  // process, so this is context, not the program's own figure).
  std::optional<double> serverCpuMs;

  // Wall clock from the process's creation: to the creation call, and (Mirvot's builds) to
  // Navigate with the time held left out; from the creation call to Navigate: all of it, the
  // part inside the engine, and the rest, the program's own.
  double creationCallMs = 0;
  std::optional<double> navigateMs;
  std::optional<double> creationToNavigateMs;
  std::optional<double> engineBusyMs;
  std::optional<double> ownMs;

  // The start-up marks (marked build and hosts): phase name -> ms from the process's creation,
  // the time held left out.
  std::map<std::string, double, std::less<>> phaseMs;

  // Memory once start-up is over and the process has been left alone for a moment: Linux's
  // view, and Windows' own counters as Wine keeps them (GetProcessMemoryInfo), in KiB.
  std::optional<ResidentMemory> resident;
  std::optional<double> privateUsageKb;
  std::optional<double> pagefileUsageKb;
  std::optional<double> workingSetKb;
  std::optional<double> peakWorkingSetKb;
  // Private memory by mapping, taken in the last run only.
  std::vector<MappingPrivate> mappings;
};

struct BenchResults {
  std::array<std::vector<ProcessFigures>, kProgramCount> runs;  // indexed by Program
  int warmup = 0;
  int settleMs = 0;
  std::optional<LoadAverage> loadBefore;
  std::optional<LoadAverage> loadAfter;

  [[nodiscard]] const std::vector<ProcessFigures>& Of(Program program) const {
    return runs[static_cast<size_t>(program)];
  }
};

}  // namespace mirvot::bench
