#include "engine_hold.h"

#include <cstring>
#include <string>

#include "common/owners.h"
#include "common/wide_text.h"

namespace mirvot::test_engine {
namespace {

#if defined(__GNUC__) && defined(__x86_64__)

// Linux's number for getpid on x86-64.
constexpr long kLinuxGetPid = 39;

bool RunsUnderWineOnLinux() noexcept {
  using HostVersionFunction = void(CDECL*)(const char** sysname, const char** release);
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  const auto hostVersion = reinterpret_cast<HostVersionFunction>(reinterpret_cast<void (*)()>(
      ntdll != nullptr ? ::GetProcAddress(ntdll, "wine_get_host_version") : nullptr));
  if (hostVersion == nullptr) {
    return false;  // Windows itself, or a Wine that does not say what it runs on
  }
  const char* sysname = nullptr;
  const char* release = nullptr;
  hostVersion(&sysname, &release);
  return sysname != nullptr && std::strcmp(sysname, "Linux") == 0;
}

#endif

}  // namespace

long LinuxProcessId() noexcept {
#if defined(__GNUC__) && defined(__x86_64__)
  // Code in a Windows module runs on the Linux kernel directly under Wine, so a system call
  // made here is Linux's own.
  static const long id = [] {
    if (!RunsUnderWineOnLinux()) {
      return 0L;
    }
    long result = 0;
    __asm__ volatile("syscall" : "=a"(result) : "a"(kLinuxGetPid) : "rcx", "r11", "memory");
    return result > 0 ? result : 0L;
  }();
  return id;
#else
  return 0;
#endif
}

HoldOutcome HoldCaller(std::string_view pipeName) noexcept {
  HoldOutcome outcome;
  try {
    const std::wstring path = L"\\\\.\\pipe\\" + Utf8ToWide(pipeName);
    const UniqueFileHandle pipe(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
    if (!pipe) {
      return outcome;
    }
    const FileTimeTicks from = PreciseNow();
    const std::string report = "held pid=" + std::to_string(::GetCurrentProcessId()) +
                               " unix=" + std::to_string(LinuxProcessId()) + "\n";
    DWORD written = 0;
    if (!::WriteFile(pipe.get(), report.data(), static_cast<DWORD>(report.size()), &written,
                     nullptr)) {
      return outcome;
    }
    // Whatever ends the read, a byte or a broken pipe, ends the hold.
    char release = 0;
    DWORD read = 0;
    static_cast<void>(::ReadFile(pipe.get(), &release, 1, &read, nullptr));
    outcome.held = true;
    outcome.waited = PreciseNow() - from;
  } catch (...) {
    // Without memory for the name or the line there is no hold.
  }
  return outcome;
}

}  // namespace mirvot::test_engine
