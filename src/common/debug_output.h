#pragma once
// The one way the program writes on the debugger output: a message is a sequence of pieces, each
// one call, so that fixed texts go through the narrow function and paths through the wide one.
// Nothing is allocated, so a message goes out even when memory has run out. A piece without
// text is left out.
#include <windows.h>

#include <initializer_list>

namespace mirvot {

struct DebugPiece {
  const char* narrow = nullptr;
  const wchar_t* wide = nullptr;
};

inline DebugPiece Narrow(const char* text) noexcept { return {text, nullptr}; }
inline DebugPiece Wide(const wchar_t* text) noexcept { return {nullptr, text}; }

inline void WriteDebugMessage(std::initializer_list<DebugPiece> pieces) noexcept {
  for (const DebugPiece& piece : pieces) {
    if (piece.narrow != nullptr) {
      ::OutputDebugStringA(piece.narrow);
    } else if (piece.wide != nullptr) {
      ::OutputDebugStringW(piece.wide);
    }
  }
}

}  // namespace mirvot
