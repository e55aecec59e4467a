#pragma once
// Reading the process's environment variables.
#include <optional>
#include <string>

namespace mirvot {

// The variable's value, of any length and unchanged; nothing when it is not set. A variable that
// is set but empty gives an empty text. Throws std::bad_alloc when memory runs out.
[[nodiscard]] std::optional<std::wstring> ReadEnvironmentVariable(const wchar_t* name);

}  // namespace mirvot
