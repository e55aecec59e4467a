#pragma once
// The moments of the start-up that the benchmark's phase table shows, in the order the program
// reaches them: one table for the program, which writes each phase's name into its marks file
// (startup_marks.h), and for the benchmark, which reads the names back and prints the labels.
#include <array>

namespace mirvot {

enum class StartupPhase {
  DpiAwarenessSet,
  IconDecoded,
  OleInitialised,
  MainWindowCreated,
  MainWindowShown,
  HostWindowCreated,
  EnvironmentOptionsBuilt,
  LoaderSettingsResolved,
  RuntimeFound,
  EngineLibraryLoaded,
  CreationCall,
  Navigate,
};
inline constexpr int kStartupPhaseCount = static_cast<int>(StartupPhase::Navigate) + 1;

struct StartupPhaseText {
  const char* name;   // in the marks file
  const char* label;  // in the benchmark's table
};

// Indexed by StartupPhase.
inline constexpr std::array<StartupPhaseText, kStartupPhaseCount> kStartupPhases{{
    {"dpi_awareness_set", "DPI awareness set"},
    {"icon_decoded", "icon decoded"},
    {"ole_initialised", "OLE initialised"},
    {"main_window_created", "main window created"},
    {"main_window_shown", "main window shown"},
    {"host_window_created", "host window created"},
    {"environment_options_built", "environment options built"},
    {"loader_settings_resolved", "loader settings resolved"},
    {"runtime_found", "runtime found"},
    {"engine_library_loaded", "engine library loaded"},
    {"creation_call", "creation call"},
    {"navigate", "Navigate"},
}};

}  // namespace mirvot
