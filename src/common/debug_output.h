#pragma once
// Debugger-output messages are written as a sequence of pieces, each one call, so that fixed
// texts go through the narrow function and paths through the wide one.
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
