#pragma once

#include <cstddef>

namespace mirvot {

// The application icon as a 256 x 256, 8-bit RGBA PNG file, compiled in from
// assets/mirvot-256.png by the mirvot_icon_data library so that no file is read at run
// time. It is byte for byte the 256-pixel image of the executable's icon group.
// Declarations of constants defined in the generated source: nothing is initialised here.
// NOLINTBEGIN(bugprone-dynamic-static-initializers)
extern const unsigned char kWindowIconPng[];
extern const std::size_t kWindowIconPngSize;
// NOLINTEND(bugprone-dynamic-static-initializers)

}  // namespace mirvot
