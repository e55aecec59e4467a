// Built only into the engine variant that tells the loader it may be unloaded between uses
// (the loader only checks that this export exists).
#include <windows.h>

#include <string>

#include "engine_log.h"
#include "engine_object.h"
#include "task_dispatcher.h"

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  using namespace mirvot::test_engine;
  const long live = LiveObjectCount().load();
  const long pending = PendingTasks();
  const HRESULT result = live == 0 && pending == 0 ? S_OK : S_FALSE;
  WriteLogLine("DllCanUnloadNow live=" + std::to_string(live) +
               " pending=" + std::to_string(pending) + " result=" + HexCode(result));
  return result;
}
