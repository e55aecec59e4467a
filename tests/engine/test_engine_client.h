#pragma once
// In-process access to the test engine (test_engine_control.h) for test programs, plus the
// helpers those tests keep needing: the runtime folders the build laid out, the log as lines,
// and a message pump that runs until a condition holds.
//
// Link the library mirvot_test_engine_client; it depends on the target test_engine_runtimes, so
// the engine DLLs are laid out before the test program is built.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/owners.h"
#include "engine/test_engine_control.h"

namespace mirvot::test {

// WindowsPathFromHost(MIRVOT_TEST_RUNTIME_ROOT) + "\" + name, e.g. TestRuntimeFolder(L"fixed").
std::wstring TestRuntimeFolder(const wchar_t* name);

// The engine library inside a runtime folder:
// TestRuntimeFolder(name) + "\EBWebView\x64\EmbeddedBrowserWebView.dll".
std::wstring TestEngineDllPath(const wchar_t* runtimeFolderName);

// Splits text at '\n' into lines (without the '\n'; a last line without one is kept).
std::vector<std::string> SplitLines(const std::string& text);

// The lines of a log file written through MIRVOT_TEST_ENGINE_LOG; empty when it does not exist.
std::vector<std::string> ReadLogFileLines(const std::wstring& path);

// Index of the first line equal to `line` at or after `from`, or -1.
int FindLine(const std::vector<std::string>& lines, const std::string& line, int from = 0);
// Index of the first line starting with `prefix` at or after `from`, or -1.
int FindLineStartingWith(const std::vector<std::string>& lines, const std::string& prefix,
                         int from = 0);
// Number of lines starting with `prefix`.
int CountLinesStartingWith(const std::vector<std::string>& lines, const std::string& prefix);
// The lines starting with `prefix`, in order.
std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines,
                                           const std::string& prefix);

// Dispatches the calling thread's messages until done() is true or timeoutMs has passed;
// returns done(). Waits with MsgWaitForMultipleObjects in short steps, so it never spins.
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);

// Dispatches every message already queued for the calling thread, then returns.
void PumpPendingMessages();

// The control exports of one loaded engine module.
class TestEngineClient {
 public:
  // dllPath: the engine's full path, e.g. TestEngineDllPath(L"fixed"). If a module with that path
  // is already loaded (by the loader under test, for example), it is used without taking a
  // reference: it stays valid because the engine pins itself once it has accepted a creation.
  // Otherwise the client loads it with LoadLibraryW and holds that reference until destroyed.
  explicit TestEngineClient(const std::wstring& dllPath);

  TestEngineClient(const TestEngineClient&) = delete;
  TestEngineClient& operator=(const TestEngineClient&) = delete;

  // True when the module was found or loaded and every control export was found.
  [[nodiscard]] bool valid() const noexcept { return valid_; }
  [[nodiscard]] HMODULE module() const noexcept { return module_; }
  // True when this client loaded the module and holds a reference to it.
  [[nodiscard]] bool ownsReference() const noexcept { return owned_.valid(); }

  void Reset() const;
  // Returns true when every item of the script was understood.
  bool SetScript(const std::string& script) const;
  void ClearScript() const;
  [[nodiscard]] std::string Log() const;
  [[nodiscard]] std::vector<std::string> LogLines() const;
  HRESULT RaiseNewWindowRequested(const std::wstring& uri) const;
  HRESULT RaiseWindowCloseRequested() const;
  HRESULT RaiseDownloadStarting(const std::wstring& uri, const std::wstring& proposedPath) const;
  [[nodiscard]] long LiveObjects() const;
  [[nodiscard]] long PendingCompletions() const;
  [[nodiscard]] HWND CurrentViewWindow() const;

  // Pumps the calling thread's messages until every posted completion was delivered.
  bool PumpUntilNoPendingCompletions(DWORD timeoutMs = 5000) const;

 private:
  HMODULE module_ = nullptr;
  UniqueModule owned_;
  bool valid_ = false;
  TestEngineResetFunction reset_ = nullptr;
  TestEngineSetScriptFunction setScript_ = nullptr;
  TestEngineReadLogFunction readLog_ = nullptr;
  TestEngineRaiseNewWindowRequestedFunction raiseNewWindow_ = nullptr;
  TestEngineRaiseWindowCloseRequestedFunction raiseClose_ = nullptr;
  TestEngineRaiseDownloadStartingFunction raiseDownload_ = nullptr;
  TestEngineLiveObjectsFunction liveObjects_ = nullptr;
  TestEnginePendingCompletionsFunction pendingCompletions_ = nullptr;
  TestEngineCurrentViewWindowFunction currentViewWindow_ = nullptr;
};

}  // namespace mirvot::test
