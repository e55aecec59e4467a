#include "engine/test_engine_client.h"

#include "harness/host_paths.h"

namespace mirvot::test {
namespace {

template <typename Function>
bool Find(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
  return function != nullptr;
}

constexpr HRESULT kEngineMissing = E_HANDLE;

}  // namespace

std::wstring TestRuntimeFolder(const wchar_t* name) {
  return WindowsPathFromHost(MIRVOT_TEST_RUNTIME_ROOT) + L"\\" + name;
}

std::wstring TestEngineDllPath(const wchar_t* runtimeFolderName) {
  return TestRuntimeFolder(runtimeFolderName) + L"\\EBWebView\\x64\\EmbeddedBrowserWebView.dll";
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  while (start < text.size()) {
    const std::string::size_type end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> ReadLogFileLines(const std::wstring& path) {
  UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return {};
  }
  std::string text;
  char chunk[4096];
  DWORD read = 0;
  while (::ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0) {
    text.append(chunk, read);
  }
  return SplitLines(text);
}

int FindLine(const std::vector<std::string>& lines, const std::string& line, int from) {
  for (int i = from < 0 ? 0 : from; i < static_cast<int>(lines.size()); ++i) {
    if (lines[static_cast<size_t>(i)] == line) {
      return i;
    }
  }
  return -1;
}

int FindLineStartingWith(const std::vector<std::string>& lines, const std::string& prefix,
                         int from) {
  for (int i = from < 0 ? 0 : from; i < static_cast<int>(lines.size()); ++i) {
    if (lines[static_cast<size_t>(i)].compare(0, prefix.size(), prefix) == 0) {
      return i;
    }
  }
  return -1;
}

int CountLinesStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
  return static_cast<int>(LinesStartingWith(lines, prefix).size());
}

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines,
                                           const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : lines) {
    if (line.compare(0, prefix.size(), prefix) == 0) {
      found.push_back(line);
    }
  }
  return found;
}

void PumpPendingMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  for (;;) {
    PumpPendingMessages();
    if (done()) {
      return true;
    }
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) {
      return done();
    }
    const ULONGLONG left = deadline - now;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 20 ? static_cast<DWORD>(left) : 20,
                                QS_ALLINPUT);
  }
}

TestEngineClient::TestEngineClient(const std::wstring& dllPath) {
  module_ = ::GetModuleHandleW(dllPath.c_str());
  if (module_ == nullptr) {
    owned_.reset(::LoadLibraryW(dllPath.c_str()));
    module_ = owned_.get();
  }
  if (module_ == nullptr) {
    return;
  }
  valid_ = Find(module_, "TestEngine_Reset", reset_) &&
           Find(module_, "TestEngine_SetScript", setScript_) &&
           Find(module_, "TestEngine_ReadLog", readLog_) &&
           Find(module_, "TestEngine_RaiseNewWindowRequested", raiseNewWindow_) &&
           Find(module_, "TestEngine_RaiseWindowCloseRequested", raiseClose_) &&
           Find(module_, "TestEngine_RaiseDownloadStarting", raiseDownload_) &&
           Find(module_, "TestEngine_LiveObjects", liveObjects_) &&
           Find(module_, "TestEngine_PendingCompletions", pendingCompletions_) &&
           Find(module_, "TestEngine_CurrentViewWindow", currentViewWindow_);
}

void TestEngineClient::Reset() const {
  if (valid_) {
    reset_();
  }
}

bool TestEngineClient::SetScript(const std::string& script) const {
  return valid_ && setScript_(script.c_str()) != 0;
}

void TestEngineClient::ClearScript() const {
  if (valid_) {
    setScript_(nullptr);
  }
}

std::string TestEngineClient::Log() const {
  if (!valid_) {
    return {};
  }
  std::string text;
  // The log may grow between the two calls (another thread, a posted completion); retry then.
  for (;;) {
    const size_t size = readLog_(nullptr, 0);
    text.resize(size);
    const size_t total = readLog_(text.data(), text.size());
    if (total <= size) {
      text.resize(total);
      return text;
    }
  }
}

std::vector<std::string> TestEngineClient::LogLines() const { return SplitLines(Log()); }

HRESULT TestEngineClient::RaiseNewWindowRequested(const std::wstring& uri) const {
  return valid_ ? raiseNewWindow_(uri.c_str()) : kEngineMissing;
}

HRESULT TestEngineClient::RaiseWindowCloseRequested() const {
  return valid_ ? raiseClose_() : kEngineMissing;
}

HRESULT TestEngineClient::RaiseDownloadStarting(const std::wstring& uri,
                                                const std::wstring& proposedPath) const {
  return valid_ ? raiseDownload_(uri.c_str(), proposedPath.c_str()) : kEngineMissing;
}

long TestEngineClient::LiveObjects() const { return valid_ ? liveObjects_() : -1; }

long TestEngineClient::PendingCompletions() const { return valid_ ? pendingCompletions_() : -1; }

HWND TestEngineClient::CurrentViewWindow() const { return valid_ ? currentViewWindow_() : nullptr; }

bool TestEngineClient::PumpUntilNoPendingCompletions(DWORD timeoutMs) const {
  return valid_ && PumpMessagesUntil([this] { return PendingCompletions() == 0; }, timeoutMs);
}

}  // namespace mirvot::test
