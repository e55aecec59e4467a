#pragma once
// The program the sweep runs: a copy of the built executable whose imports all name the proxy
// library instead of the system's. Only the library names change (each overwritten in place,
// padded with NULs); the code, the data and the imported function names stay as built.
#include <string>
#include <vector>

namespace mirvot::sweep {

struct ProgramCopy {
  std::string error;                   // empty when the copy was written
  std::vector<std::string> functions;  // every function imported by name
};

// Writes the copy of `source` to `target`, its imports renamed to `proxyName` (which must not be
// longer than any library name it replaces).
ProgramCopy copy_with_imports_renamed(const std::wstring& source, const std::wstring& target,
                                      const std::string& proxyName);

}  // namespace mirvot::sweep
