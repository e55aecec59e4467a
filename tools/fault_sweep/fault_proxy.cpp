// The library the sweep's copy of a program imports in place of every system library
// (program_copy.cpp renames its imports to this one).
//
// Each function of the table that can fail is exported as a small thunk: it counts the call in
// the shared block and, when this is the call to fail, returns the table's failure value with
// its last error set, without calling the system; otherwise it jumps to the system's function
// with the caller's registers and stack untouched, so it needs no knowledge of the signature.
// Functions that cannot fail (and the runtime's variables) are exported as forwarders to the
// system library: the program reaches them directly. GetProcAddress hands out the thunk of a
// table function that the program looks up by name, so those are counted and failed alike.
#include <windows.h>

#include <cstring>

#include "fault_rows.h"

using namespace mirvot::sweep;

namespace {

SharedBlock g_ownBlock = fresh_block(-1, 0);
SharedBlock* g_block = &g_ownBlock;
// Where each row's calls go on: the system's function, found on the first call, or (looked up by
// name) what the system's GetProcAddress gave.
std::uintptr_t g_targets[kFaultRowCount] = {};

FARPROC WINAPI counted_get_proc_address(HMODULE module, LPCSTR name) noexcept;

// ---- A display whose scale changes ----------------------------------------------------------
// Wine 8 gives every window the DPI the process started with and never sends WM_DPICHANGED. The
// proxy stands in for the part of Windows that does: GetDpiForWindow answers the scale the sweep
// set (GetDpiForMonitor too, the program's fallback), and a change is announced in the window's
// own thread, as Windows announces a move onto a monitor of another scale: WM_DPICHANGED with the
// new DPI and the window's rectangle at that DPI, sent before the thread next waits for messages.

using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
GetDpiForMonitorFunction g_systemGetDpiForMonitor = nullptr;

UINT WINAPI scaled_get_dpi_for_window(HWND window) noexcept {
  const LONG emulated = g_block->emulatedDpi;
  const UINT dpi = ::GetDpiForWindow(window);
  return dpi != 0 && emulated != 0 ? static_cast<UINT>(emulated) : dpi;
}

// The program's fallback where user32 has no GetDpiForWindow: the monitor's DPI.
HRESULT WINAPI scaled_get_dpi_for_monitor(HMONITOR monitor, int type, UINT* dpiX,
                                          UINT* dpiY) noexcept {
  const HRESULT result = g_systemGetDpiForMonitor(monitor, type, dpiX, dpiY);
  const LONG emulated = g_block->emulatedDpi;
  if (SUCCEEDED(result) && emulated != 0 && dpiX != nullptr && dpiY != nullptr) {
    *dpiX = *dpiY = static_cast<UINT>(emulated);
  }
  return result;
}

void announce_dpi_change() noexcept {
  const auto window = reinterpret_cast<HWND>(g_block->dpiChangeWindow);
  if (window == nullptr || ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId() ||
      reinterpret_cast<HWND>(::InterlockedExchangePointer(
          reinterpret_cast<void* volatile*>(&g_block->dpiChangeWindow), nullptr)) != window) {
    return;
  }
  const UINT before = scaled_get_dpi_for_window(window);
  const LONG after = g_block->dpiChangeTo;
  RECT suggested{};
  if (before == 0 || after <= 0 || !::GetWindowRect(window, &suggested)) {
    return;
  }
  suggested.right = suggested.left + ::MulDiv(suggested.right - suggested.left, after, before);
  suggested.bottom = suggested.top + ::MulDiv(suggested.bottom - suggested.top, after, before);
  ::InterlockedExchange(&g_block->emulatedDpi, after);
  ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(after, after),
                 reinterpret_cast<LPARAM>(&suggested));
}

// What the program's look-up of a DPI function gets called on: the proxy's scaled answer.
std::uintptr_t scaled_dpi_function(int row, FARPROC found) noexcept {
  const auto system = reinterpret_cast<void (*)()>(found);
  if (row == kRow_GetDpiForWindow) {
    return reinterpret_cast<std::uintptr_t>(&scaled_get_dpi_for_window);
  }
  if (row == kRow_GetDpiForMonitor) {
    g_systemGetDpiForMonitor = reinterpret_cast<GetDpiForMonitorFunction>(system);
    return reinterpret_cast<std::uintptr_t>(&scaled_get_dpi_for_monitor);
  }
  return reinterpret_cast<std::uintptr_t>(found);
}

std::uintptr_t system_function(int row) noexcept {
  if (row == kRow_GetProcAddress) {
    return reinterpret_cast<std::uintptr_t>(&counted_get_proc_address);
  }
  HMODULE module = ::GetModuleHandleA(kFaultRows[row].module);
  if (module == nullptr) {
    module = ::LoadLibraryA(kFaultRows[row].module);
  }
  return reinterpret_cast<std::uintptr_t>(::GetProcAddress(module, kFaultRows[row].function));
}

}  // namespace

// Called by every thunk through sweep_dispatch: the address to continue at, or 0 after storing
// the failure value in *failure.
extern "C" std::uintptr_t sweep_decide(int row, std::uintptr_t* failure) noexcept {
  SharedBlock* const block = g_block;
  if ((row == kRow_MsgWaitForMultipleObjectsEx || row == kRow_GetMessageA) &&
      block->dpiChangeWindow != 0) {
    announce_dpi_change();
  }
  const LONG call = ::InterlockedIncrement(&block->calls[row]);
  if (row == block->failRow && call == block->failCall) {
    // Frame 0 is the dispatcher's; the thunk has none of its own.
    void* frames[kCallerFrames + 1] = {};
    ::RtlCaptureStackBackTrace(1, kCallerFrames + 1, frames, nullptr);
    for (int i = 0; i < kCallerFrames; ++i) {
      block->failedFrom[i] = reinterpret_cast<std::uintptr_t>(frames[i + 1]);
    }
    ::InterlockedExchange(&block->failed, 1);
    if (kFaultRows[row].lastError != 0) {
      ::SetLastError(kFaultRows[row].lastError);
    }
    *failure = kFaultRows[row].failure;
    return 0;
  }
  std::uintptr_t target = g_targets[row];
  if (target == 0) {
    const DWORD lastError = ::GetLastError();
    target = system_function(row);
    if (target == 0) {
      ::OutputDebugStringA("fault sweep: the system lacks a function of the table\n");
      ::TerminateProcess(::GetCurrentProcess(), ERROR_PROC_NOT_FOUND);
    }
    g_targets[row] = target;
    ::SetLastError(lastError);
  }
  return target;
}

// The dispatcher: keeps the argument registers (integer and floating point) across the decision,
// then either jumps on with the caller's frame as it came or returns the failure value. Its
// unwind data lets the decision walk the caller's stack.
asm(R"(
  .text
  .p2align 4
  .seh_proc sweep_dispatch
sweep_dispatch:
  subq $0x98, %rsp
  .seh_stackalloc 0x98
  .seh_endprologue
  movq %rcx, 0x20(%rsp)
  movq %rdx, 0x28(%rsp)
  movq %r8, 0x30(%rsp)
  movq %r9, 0x38(%rsp)
  movdqu %xmm0, 0x40(%rsp)
  movdqu %xmm1, 0x50(%rsp)
  movdqu %xmm2, 0x60(%rsp)
  movdqu %xmm3, 0x70(%rsp)
  movl %eax, %ecx
  leaq 0x80(%rsp), %rdx
  call sweep_decide
  testq %rax, %rax
  jz 1f
  movq %rax, %r11
  movq 0x20(%rsp), %rcx
  movq 0x28(%rsp), %rdx
  movq 0x30(%rsp), %r8
  movq 0x38(%rsp), %r9
  movdqu 0x40(%rsp), %xmm0
  movdqu 0x50(%rsp), %xmm1
  movdqu 0x60(%rsp), %xmm2
  movdqu 0x70(%rsp), %xmm3
  addq $0x98, %rsp
  jmp *%r11
1:
  movq 0x80(%rsp), %rax
  addq $0x98, %rsp
  ret
  .seh_endproc
)");

// One thunk per row: its row number in EAX, then the dispatcher. Imported functions are exported
// under their own names; looked-up ones are only handed out by GetProcAddress.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define SWEEP_THUNK(function)                                  \
  extern "C" const int sweep_row_##function = kRow_##function; \
  extern "C" void sweep_thunk_##function();                    \
  asm(".text\n"                                                \
      "sweep_thunk_" #function                                 \
      ":\n"                                                    \
      "  movl sweep_row_" #function                            \
      "(%rip), %eax\n"                                         \
      "  jmp sweep_dispatch\n");
#define SWEEP_EXPORT(name, target) \
  asm(".section .drectve\n.ascii \" -export:" name "=" target "\"\n.text\n");
#define SWEEP_IMPORTED(module, function, failure, lastError) \
  SWEEP_THUNK(function) SWEEP_EXPORT(#function, "sweep_thunk_" #function)
#define SWEEP_LOOKED_UP(module, function, failure, lastError) SWEEP_THUNK(function)
#define SWEEP_NEVER_FAILS(module, function, reason) SWEEP_EXPORT(#function, #module "." #function)
#include "failure_table.h"
#undef SWEEP_IMPORTED
#undef SWEEP_LOOKED_UP
#undef SWEEP_NEVER_FAILS

namespace {

const FARPROC kThunks[] = {
#define SWEEP_IMPORTED(module, function, failure, lastError) \
  reinterpret_cast<FARPROC>(&sweep_thunk_##function),
#define SWEEP_LOOKED_UP(module, function, failure, lastError) \
  reinterpret_cast<FARPROC>(&sweep_thunk_##function),
#define SWEEP_NEVER_FAILS(module, function, reason)
#include "failure_table.h"
#undef SWEEP_IMPORTED
#undef SWEEP_LOOKED_UP
#undef SWEEP_NEVER_FAILS
};
// NOLINTEND(bugprone-macro-parentheses)

FARPROC WINAPI counted_get_proc_address(HMODULE module, LPCSTR name) noexcept {
  const FARPROC found = ::GetProcAddress(module, name);
  if (found == nullptr || IS_INTRESOURCE(name)) {
    return found;
  }
  for (int row = 0; row < kFaultRowCount; ++row) {
    if (kFaultRows[row].lookedUp && std::strcmp(kFaultRows[row].function, name) == 0) {
      g_targets[row] = scaled_dpi_function(row, found);
      return kThunks[row];
    }
  }
  return found;
}

// Notes each error exception (severity 3) and lets the program's own handling go on, so that a
// crash can be placed without a debugger.
LONG CALLBACK note_exception(EXCEPTION_POINTERS* exception) noexcept {
  const EXCEPTION_RECORD* const record = exception->ExceptionRecord;
  if ((record->ExceptionCode & 0xC0000000u) == 0xC0000000u) {
    g_block->exceptionCode = record->ExceptionCode;
    g_block->exceptionAddress = reinterpret_cast<std::uintptr_t>(record->ExceptionAddress);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

// An exception nothing handled ends the process with its code, as Windows ends a program with no
// debugger to ask; Wine would start one and wait for it instead. MinGW's start-up code installs
// its own filter later and hands what it does not handle on to this one.
LONG WINAPI end_with_unhandled_exception(EXCEPTION_POINTERS* exception) noexcept {
  ::TerminateProcess(::GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

void attach_to_shared_block() noexcept {
  wchar_t name[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableW(kSharedBlockVariable, name, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    // The mapping stays open for the life of the process; the sweep owns and removes it.
    const HANDLE mapping = ::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name);
    void* const view = mapping != nullptr ? ::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0,
                                                            sizeof(SharedBlock))
                                          : nullptr;
    if (view != nullptr) {
      g_block = static_cast<SharedBlock*>(view);
    }
  }
  g_block->programBase = reinterpret_cast<std::uintptr_t>(::GetModuleHandleW(nullptr));
  ::AddVectoredExceptionHandler(1, &note_exception);
  ::SetUnhandledExceptionFilter(&end_with_unhandled_exception);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE /*module*/, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    attach_to_shared_block();
  }
  return TRUE;
}
