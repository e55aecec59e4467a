#pragma once
// The test's instructions to the engine: which calls fail, which interfaces are missing, how the
// completions come back. Format and keys are documented in engine/test_engine_control.h.
#include <windows.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace mirvot::test_engine {

struct Script {
  std::optional<HRESULT> refuseCreate;
  std::optional<HRESULT> environmentFailure;
  std::optional<int> environmentFailureTimes;  // nullopt: every time
  bool environmentFailureWithObject = false;
  bool environmentNull = false;
  bool invokeTwice = false;
  std::set<std::string, std::less<>> omittedInterfaces;
  std::set<std::string, std::less<>> nullInterfaces;         // answered S_OK with a null pointer
  std::map<std::string, HRESULT, std::less<>> failingCalls;  // "object.method" -> result
  std::optional<HRESULT> controllerFailure;
  bool controllerNull = false;
  std::string holdPipe;  // hold_create: the benchmark's pipe; empty for no hold
  std::vector<std::string> unknownItems;
};

// Parses "key=value;key=value"; items it does not understand go to unknownItems.
Script ParseScript(std::string_view text);

// Sets (or with null, clears) the script that wins over MIRVOT_TEST_ENGINE_SCRIPT and restarts the
// environment failure count. Returns true when every item was understood.
bool SetScriptText(const char* text);
// Forgets the set script and the failure count.
void ResetScript();

// The script in force now: the set one, else the environment variable read afresh.
Script CurrentScript();
// True when the script in force came from the environment variable.
bool ScriptComesFromEnvironment();

// The failure the script asks for on a call ("object.method"), or S_OK.
HRESULT ScriptedFailure(std::string_view call);
bool IsInterfaceOmitted(std::string_view interfaceName);
bool IsInterfaceAnsweredWithNull(std::string_view interfaceName);

// Decides whether this accepted creation fails its completion, counting it when it does.
bool TakeEnvironmentFailure(const Script& script);

}  // namespace mirvot::test_engine
