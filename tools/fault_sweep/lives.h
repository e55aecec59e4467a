#pragma once
// The program's lives under the sweep: what each one lays out around the program (variables,
// policies, runtime registrations, the engine's script) and what it expects of it.
#include <memory>
#include <string>
#include <vector>

#include "harness/temp_folder.h"
#include "program_life.h"

namespace mirvot::sweep {

struct LifeKind {
  const char* name;
  const char* what;  // a line for the output and the README
  bool dpiChange;    // the sweep supplies LifeSetup::changeDpi
};

inline constexpr LifeKind kLives[] = {
    {"first", "the engine from a fixed runtime folder given by the variable", false},
    {"policies",
     "policies in both hives by executable name and *, registrations in both hives for three "
     "channels, the channel variables",
     false},
    {"no-runtime", "no runtime anywhere: the fatal end, with the loader's debugger lines", false},
    {"refused", "the engine refuses both creations: the fatal end, with no debugger line", false},
    {"dpi", "the first life, with the display's scale rising to 150 % under the window", true},
    {"drop", "the first life, with a file dragged onto the window and dropped", false},
};

const LifeKind* life_named(const std::string& name);

// Lays out what a life needs for as long as it lives, and completes its setup (engine line,
// expected end, dropped file); a clean slate before and after. The setup's engineLog must be set.
class LifeStage {
 public:
  LifeStage(const LifeKind& life, LifeSetup& setup);
  ~LifeStage();
  LifeStage(const LifeStage&) = delete;
  LifeStage& operator=(const LifeStage&) = delete;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace mirvot::sweep
