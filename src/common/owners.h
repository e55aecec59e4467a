#pragma once
// One scoped owner per handle kind. Each kind states its invalid value and how it is freed;
// nothing else in the program closes a handle, a registry key, a module or an icon. Windows are
// destroyed through DestroyOwnWindow (common/own_messages.h), by their owner or where the program
// is asked to close one.
#include <windows.h>
#include <combaseapi.h>

#include <string>
#include <utility>

#include "common/own_messages.h"

namespace mirvot {

template <typename Traits>
class UniqueOwner {
 public:
  using Handle = typename Traits::Handle;

  UniqueOwner() noexcept = default;
  explicit UniqueOwner(Handle handle) noexcept : handle_(handle) {}
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;
  UniqueOwner(UniqueOwner&& other) noexcept : handle_(other.release()) {}
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {
    if (this != &other) {
      reset(other.release());
    }
    return *this;
  }
  ~UniqueOwner() { reset(); }

  // The operations are named as std::unique_ptr names them, so that an owner reads like the
  // standard's owners beside it.
  // NOLINTBEGIN(readability-identifier-naming)
  [[nodiscard]] Handle get() const noexcept { return handle_; }
  [[nodiscard]] bool valid() const noexcept { return handle_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return valid(); }

  // Gives up ownership without freeing.
  [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

  void reset(Handle handle = Traits::Invalid()) noexcept {
    const Handle old = std::exchange(handle_, handle);
    if (old != Traits::Invalid()) {
      Traits::Free(old);
    }
  }

  // For Win32 calls that write a new handle through an out-parameter.
  [[nodiscard]] Handle* put() noexcept {
    reset();
    return &handle_;
  }
  // NOLINTEND(readability-identifier-naming)

 private:
  Handle handle_ = Traits::Invalid();
};

// The kinds whose failure value is null.
template <typename H>
struct NullIsInvalid {
  using Handle = H;
  static Handle Invalid() noexcept { return nullptr; }
};

struct RegistryKeyTraits : NullIsInvalid<HKEY> {
  static void Free(Handle h) noexcept { ::RegCloseKey(h); }
};

struct ModuleTraits : NullIsInvalid<HMODULE> {
  static void Free(Handle h) noexcept { ::FreeLibrary(h); }
};

// Kernel objects whose failure value is null (events, processes, threads).
struct KernelHandleTraits : NullIsInvalid<HANDLE> {
  static void Free(Handle h) noexcept { ::CloseHandle(h); }
};

// Files, whose failure value is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Free(Handle h) noexcept { ::CloseHandle(h); }
};

// The program's own windows, destroyed the program's way (DestroyOwnWindow).
struct WindowTraits : NullIsInvalid<HWND> {
  static void Free(Handle h) noexcept { static_cast<void>(DestroyOwnWindow(h)); }
};

// A window's device context (GetDC), which goes back to its window.
struct WindowDeviceContext {
  HWND window = nullptr;
  HDC dc = nullptr;
  friend bool operator==(const WindowDeviceContext&, const WindowDeviceContext&) = default;
};
struct WindowDeviceContextTraits {
  using Handle = WindowDeviceContext;
  static Handle Invalid() noexcept { return {}; }
  static void Free(Handle h) noexcept { ::ReleaseDC(h.window, h.dc); }
};

// Whole pages from VirtualAlloc: the decoded window icon's pixels (shell/system_pages.h).
struct SystemPagesTraits : NullIsInvalid<void*> {
  static void Free(Handle h) noexcept { ::VirtualFree(h, 0, MEM_RELEASE); }
};

struct IconTraits : NullIsInvalid<HICON> {
  static void Free(Handle h) noexcept { ::DestroyIcon(h); }
};

// GDI bitmaps (the pieces an icon is built from; the icon keeps copies of its own).
struct BitmapTraits : NullIsInvalid<HBITMAP> {
  static void Free(Handle h) noexcept { ::DeleteObject(h); }
};

// Strings handed out by COM interfaces and system functions as CoTaskMemAlloc copies.
struct TaskMemoryStringTraits : NullIsInvalid<LPWSTR> {
  static void Free(Handle h) noexcept { ::CoTaskMemFree(h); }
};

// Strings the system allocates on the process heap for the caller to free.
struct ProcessHeapStringTraits : NullIsInvalid<LPWSTR> {
  static void Free(Handle h) noexcept { ::HeapFree(::GetProcessHeap(), 0, h); }
};

using UniqueRegistryKey = UniqueOwner<RegistryKeyTraits>;
using UniqueModule = UniqueOwner<ModuleTraits>;
using UniqueHandle = UniqueOwner<KernelHandleTraits>;
using UniqueFileHandle = UniqueOwner<FileHandleTraits>;
using UniqueWindow = UniqueOwner<WindowTraits>;
using UniqueWindowDeviceContext = UniqueOwner<WindowDeviceContextTraits>;
using UniqueSystemPages = UniqueOwner<SystemPagesTraits>;
using UniqueIcon = UniqueOwner<IconTraits>;
using UniqueBitmap = UniqueOwner<BitmapTraits>;
using UniqueTaskMemoryString = UniqueOwner<TaskMemoryStringTraits>;
using UniqueProcessHeapString = UniqueOwner<ProcessHeapStringTraits>;

// The owned text; a null string reads as empty.
inline std::wstring TextOf(const UniqueTaskMemoryString& text) {
  return text ? std::wstring(text.get()) : std::wstring();
}

}  // namespace mirvot
