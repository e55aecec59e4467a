#pragma once
// How the engine library of an attempt was found; the engine receives this with the creation
// call.
#include <cstdint>

namespace mirvot {

enum class RuntimeKind : std::int32_t {
  Installed = 0,    // the installed runtimes were searched
  FixedFolder = 1,  // a browser executable folder was used
  EdgeView = 2,     // Edge view mode, whichever road found the library
};

// 1 + useEdgeView with a browser executable folder, 2 × useEdgeView without one.
[[nodiscard]] constexpr RuntimeKind RuntimeKindFor(bool browserExecutableFolderUsed,
                                                   bool useEdgeView) noexcept {
  const std::int32_t edgeView = useEdgeView ? 1 : 0;
  return static_cast<RuntimeKind>(browserExecutableFolderUsed ? 1 + edgeView : 2 * edgeView);
}

}  // namespace mirvot
