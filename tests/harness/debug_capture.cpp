#include "harness/debug_capture.h"

#include <chrono>

#include "common/wide_text.h"

namespace mirvot::test {
namespace {

constexpr DWORD kDebugPrint = 0x40010006;      // narrow text
constexpr DWORD kDebugPrintWide = 0x4001000A;  // wide text

std::mutex g_captureMutex;
std::vector<DebugWrite>* g_captured = nullptr;

std::string AnsiToUtf8(std::string_view text) {
  if (text.empty()) {
    return {};
  }
  const int units =
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
  return WideToUtf8(wide);
}

LONG CALLBACK OnDebugPrint(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if ((record->ExceptionCode != kDebugPrint && record->ExceptionCode != kDebugPrintWide) ||
      record->NumberParameters < 2) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  const auto length = static_cast<std::size_t>(record->ExceptionInformation[0]);
  DebugWrite write;
  if (record->ExceptionCode == kDebugPrintWide) {
    const auto* text = reinterpret_cast<const wchar_t*>(record->ExceptionInformation[1]);
    write.wide = true;
    write.text = WideToUtf8(std::wstring_view(text, length > 0 ? length - 1 : 0));
  } else {
    // Narrow text is in the ANSI code page; Wine also delivers wide writes this way, already
    // converted, so both kinds end up as the same UTF-8 here.
    const auto* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
    write.text = AnsiToUtf8(std::string_view(text, length > 0 ? length - 1 : 0));
  }
  std::lock_guard lock(g_captureMutex);
  if (g_captured != nullptr) {
    g_captured->push_back(std::move(write));
  }
  return EXCEPTION_CONTINUE_EXECUTION;
}

std::string Join(const std::vector<DebugWrite>& writes) {
  std::string all;
  for (const DebugWrite& w : writes) {
    all += w.text;
  }
  return all;
}

}  // namespace

DebugOutputCapture::DebugOutputCapture() {
  {
    std::lock_guard lock(g_captureMutex);
    delete g_captured;
    g_captured = new std::vector<DebugWrite>();
  }
  handler_ = ::AddVectoredExceptionHandler(1, OnDebugPrint);
}

DebugOutputCapture::~DebugOutputCapture() {
  ::RemoveVectoredExceptionHandler(handler_);
  std::lock_guard lock(g_captureMutex);
  delete g_captured;
  g_captured = nullptr;
}

std::vector<DebugWrite> DebugOutputCapture::writes() const {
  std::lock_guard lock(g_captureMutex);
  return g_captured != nullptr ? *g_captured : std::vector<DebugWrite>{};
}

std::string DebugOutputCapture::text() const { return Join(writes()); }

std::vector<std::string> DebugOutputCapture::lines() const {
  std::vector<std::string> result;
  std::string current;
  for (char c : text()) {
    current.push_back(c);
    if (c == '\n') {
      result.push_back(std::move(current));
      current.clear();
    }
  }
  if (!current.empty()) {
    result.push_back(std::move(current));
  }
  return result;
}

void DebugOutputCapture::clear() {
  std::lock_guard lock(g_captureMutex);
  if (g_captured != nullptr) {
    g_captured->clear();
  }
}

std::string DebuggedRun::text() const {
  std::string all;
  for (const std::string& piece : output) {
    all += piece;
  }
  return all;
}

DebuggedProcess::DebuggedProcess(std::wstring commandLine, std::wstring workingDirectory)
    : thread_([this, commandLine = std::move(commandLine),
               workingDirectory = std::move(workingDirectory)]() mutable {
        Loop(std::move(commandLine), std::move(workingDirectory));
      }) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return startDecided_; });
}

DebuggedProcess::~DebuggedProcess() {
  Wait(60000);
  if (thread_.joinable()) {
    thread_.join();
  }
}

std::vector<std::string> DebuggedProcess::OutputSoFar() const {
  std::lock_guard lock(mutex_);
  return run_.output;
}

DebuggedRun DebuggedProcess::Wait(DWORD timeoutMs) {
  std::unique_lock lock(mutex_);
  if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                         [this] { return finished_; })) {
    run_.timedOut = true;
    if (processHandle_ != nullptr) {
      ::TerminateProcess(processHandle_, 0xDEAD);
    }
    changed_.wait(lock, [this] { return finished_; });
  }
  return run_;
}

void DebuggedProcess::Loop(std::wstring commandLine, std::wstring workingDirectory) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back(L'\0');
  const BOOL created = ::CreateProcessW(
      nullptr, mutableLine.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
      workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &process);
  {
    std::lock_guard lock(mutex_);
    startDecided_ = true;
    if (!created) {
      finished_ = true;
      changed_.notify_all();
      return;
    }
    run_.started = true;
    processId_ = process.dwProcessId;
    processHandle_ = process.hProcess;
    changed_.notify_all();
  }
  ::CloseHandle(process.hThread);

  for (;;) {
    DEBUG_EVENT event{};
    if (!::WaitForDebugEvent(&event, INFINITE)) {
      break;
    }
    DWORD continueStatus = DBG_CONTINUE;
    bool exited = false;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        if (event.u.CreateProcessInfo.hFile != nullptr) {
          ::CloseHandle(event.u.CreateProcessInfo.hFile);
        }
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile != nullptr) {
          ::CloseHandle(event.u.LoadDll.hFile);
        }
        break;
      case OUTPUT_DEBUG_STRING_EVENT: {
        const OUTPUT_DEBUG_STRING_INFO& info = event.u.DebugString;
        const std::size_t unit = info.fUnicode ? sizeof(wchar_t) : 1;
        std::vector<char> bytes(static_cast<std::size_t>(info.nDebugStringLength) * unit);
        SIZE_T read = 0;
        std::string text;
        if (!bytes.empty() && ::ReadProcessMemory(process.hProcess, info.lpDebugStringData,
                                                  bytes.data(), bytes.size(), &read)) {
          if (info.fUnicode) {
            text = WideToUtf8(std::wstring_view(reinterpret_cast<const wchar_t*>(bytes.data()),
                                                read / sizeof(wchar_t)));
          } else {
            text = AnsiToUtf8(std::string_view(bytes.data(), read));
          }
          while (!text.empty() && text.back() == '\0') {
            text.pop_back();
          }
        }
        std::lock_guard lock(mutex_);
        run_.output.push_back(std::move(text));
        break;
      }
      case EXCEPTION_DEBUG_EVENT:
        // Only the initial breakpoint is ours; everything else goes to the program's handlers.
        if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
          continueStatus = DBG_EXCEPTION_NOT_HANDLED;
        }
        break;
      case EXIT_PROCESS_DEBUG_EVENT: {
        std::lock_guard lock(mutex_);
        run_.exitCode = event.u.ExitProcess.dwExitCode;
        exited = true;
        break;
      }
      default:
        break;
    }
    ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
    if (exited) {
      break;
    }
  }
  {
    std::lock_guard lock(mutex_);
    processHandle_ = nullptr;
    finished_ = true;
    changed_.notify_all();
  }
  ::CloseHandle(process.hProcess);
}

DebuggedRun RunUnderDebugger(const std::wstring& commandLine, DWORD timeoutMs,
                             const std::wstring& workingDirectory) {
  DebuggedProcess process(commandLine, workingDirectory);
  return process.Wait(timeoutMs);
}

std::wstring QuoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
    return argument;
  }
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
    } else if (c == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
      quoted.push_back(c);
      backslashes = 0;
      continue;
    } else {
      backslashes = 0;
    }
    quoted.push_back(c);
  }
  quoted.append(backslashes, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

}  // namespace mirvot::test
