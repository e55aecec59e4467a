#pragma once
// How our declarations of the engine's COM interfaces (webview2_interfaces.h) are written: each
// interface is opened with MIRVOT_INTERFACE, which attaches its interface ID, and the headers that
// define interfaces are bracketed by MIRVOT_INTERFACES_BEGIN and MIRVOT_INTERFACES_END.
#include <windows.h>
#include <unknwn.h>

namespace mirvot::webview2::detail {

// Deliberately not constexpr: the IDs are parsed while compiling, so a malformed ID text that
// reaches this function stops the build instead of producing a wrong ID.
inline void InterfaceIdTextIsMalformed() noexcept {}

constexpr unsigned HexDigitValue(char digit) noexcept {
  if (digit >= '0' && digit <= '9') {
    return static_cast<unsigned>(digit - '0');
  }
  if (digit >= 'A' && digit <= 'F') {
    return static_cast<unsigned>(digit - 'A' + 10);
  }
  if (digit >= 'a' && digit <= 'f') {
    return static_cast<unsigned>(digit - 'a' + 10);
  }
  InterfaceIdTextIsMalformed();
  return 0;
}

constexpr unsigned long HexField(const char (&text)[37], int first, int digits) noexcept {
  unsigned long value = 0;
  for (int i = 0; i < digits; ++i) {
    value = (value << 4) | HexDigitValue(text[first + i]);
  }
  return value;
}

// Parses "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (no braces). The MSVC build hands the same text
// to __declspec(uuid), so both compilers take an interface's ID from one string.
constexpr GUID ParseInterfaceId(const char (&text)[37]) noexcept {
  if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') {
    InterfaceIdTextIsMalformed();
  }
  GUID id{};
  id.Data1 = HexField(text, 0, 8);
  id.Data2 = static_cast<unsigned short>(HexField(text, 9, 4));
  id.Data3 = static_cast<unsigned short>(HexField(text, 14, 4));
  id.Data4[0] = static_cast<unsigned char>(HexField(text, 19, 2));
  id.Data4[1] = static_cast<unsigned char>(HexField(text, 21, 2));
  for (int i = 0; i < 6; ++i) {
    id.Data4[2 + i] = static_cast<unsigned char>(HexField(text, 24 + 2 * i, 2));
  }
  return id;
}

}  // namespace mirvot::webview2::detail

// MIRVOT_INTERFACE(Name, Parent, "IID") opens the definition of an interface that derives from
// Parent and answers __uuidof(Name) with IID (written without braces); the class body follows.
//   MSVC:      __declspec(uuid) on the class; novtable because only implementations ever need
//              a vtable of their own.
//   MinGW-w64: __CRT_UUID_DECL, the toolchain's __uuidof emulation, which must name the class
//              before its definition and sit at global namespace.
#if defined(_MSC_VER)
#define MIRVOT_INTERFACE(name, parent, iid) \
  struct __declspec(uuid(iid)) __declspec(novtable) name : public parent
#elif defined(__MINGW32__)
#define MIRVOT_INTERFACE(name, parent, iid)                                      \
  struct name;                                                                   \
  __CRT_UUID_DECL(name, ::mirvot::webview2::detail::ParseInterfaceId(iid).Data1, \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data2,       \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data3,       \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[0],    \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[1],    \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[2],    \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[3],    \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[4],    \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[5],    \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[6],    \
                  ::mirvot::webview2::detail::ParseInterfaceId(iid).Data4[7])    \
  struct name : public parent
#else
#error "No way to attach interface IDs with this compiler (MSVC or MinGW-w64 expected)"
#endif

// One method of an interface, as the platform's own headers declare it: MIRVOT_METHOD(Name)(...)
// is virtual HRESULT STDMETHODCALLTYPE Name(...), without the throw() or noexcept that the
// platform's STDMETHOD adds in some toolchains and not in others.
#define MIRVOT_METHOD(name) virtual HRESULT STDMETHODCALLTYPE name

// Every interface has a protected, non-virtual destructor: objects are released through Release
// and never deleted through an interface pointer, and a virtual destructor would take a vtable
// slot. GCC still points out that IUnknown's own destructor is public; that is the platform's
// declaration and cannot change, so that one warning is silenced where interfaces are defined.
// The definitions there are laid out by hand, one method a line with its slot, between
// "clang-format off" and "on": clang-format cannot tell that MIRVOT_INTERFACE(...) opens a
// struct, and would take the methods apart.
#if defined(__GNUC__)
#define MIRVOT_INTERFACES_BEGIN \
  _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wnon-virtual-dtor\"")
#define MIRVOT_INTERFACES_END _Pragma("GCC diagnostic pop")
#else
#define MIRVOT_INTERFACES_BEGIN
#define MIRVOT_INTERFACES_END
#endif
