#pragma once
// The access control entries of a folder or of an SDDL text, in a form tests can compare: what
// Windows Installer writes for a locked folder and what a folder ends up with.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace mirvot::test {

struct AccessEntry {
  BYTE type = 0;   // ACCESS_ALLOWED_ACE_TYPE, ACCESS_DENIED_ACE_TYPE, ...
  BYTE flags = 0;  // OBJECT_INHERIT_ACE, CONTAINER_INHERIT_ACE, INHERITED_ACE, ...
  ACCESS_MASK mask = 0;
  std::wstring account;  // S-1-...

  bool operator==(const AccessEntry&) const = default;
};

struct AccessList {
  bool isProtected = false;  // SE_DACL_PROTECTED: nothing inherited from the parent
  std::vector<AccessEntry> entries;

  bool operator==(const AccessList&) const = default;
};

// nullopt when the text is no security descriptor with a DACL (Windows' own parser decides).
std::optional<AccessList> AccessOfSddl(const std::wstring& sddl);
// nullopt when the path's DACL cannot be read.
std::optional<AccessList> AccessOfPath(const std::wstring& path);

// For failure messages.
void PrintTo(const AccessList& list, std::ostream* out);

}  // namespace mirvot::test
