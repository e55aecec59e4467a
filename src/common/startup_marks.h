#pragma once
// Start-up marks: the moments of the benchmark's phase table. Only a build made for the benchmark
// takes them (compile definition MIRVOT_STARTUP_MARKS). In every other build a mark is no code at
// all, so the program as shipped is not changed by them.
//
// With marks on, the first moment of each phase is kept in memory, read from
// GetSystemTimePreciseAsFileTime (100 ns units since 1601, the benchmark's clock), and marking
// the program's last phase, Navigate, writes them all to the file named by the environment
// variable MIRVOT_STARTUP_MARKS_FILE: one line "<phase name> <moment>" per phase reached.
#include "common/core/startup_phases.h"

namespace mirvot {

#if defined(MIRVOT_STARTUP_MARKS)

// Keeps the moment the phase is first reached; later marks of the same phase (a retried
// environment creation) are ignored. Marking Navigate also writes the marks out.
void MarkStartupPhase(StartupPhase phase) noexcept;

// Writes the marks taken so far to the file named by MIRVOT_STARTUP_MARKS_FILE, replacing it;
// nothing happens when the variable is not set or the file cannot be written.
void WriteStartupMarks() noexcept;

#define MIRVOT_STARTUP_MARK(phase) ::mirvot::MarkStartupPhase(::mirvot::StartupPhase::phase)

#else

#define MIRVOT_STARTUP_MARK(phase) static_cast<void>(0)

#endif

}  // namespace mirvot
