#include "package/access_control.h"

#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <ostream>

#include "common/wide_text.h"

namespace mirvot::test {

namespace {

struct LocalMemoryDeleter {
  void operator()(void* memory) const { ::LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, LocalMemoryDeleter>;

std::optional<AccessList> AccessOfDescriptor(PSECURITY_DESCRIPTOR descriptor) {
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  if (!::GetSecurityDescriptorControl(descriptor, &control, &revision) ||
      !::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present ||
      dacl == nullptr) {
    return std::nullopt;
  }
  AccessList list;
  list.isProtected = (control & SE_DACL_PROTECTED) != 0;
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* ace = nullptr;
    if (!::GetAce(dacl, index, &ace)) {
      return std::nullopt;
    }
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    AccessEntry entry{header->AceType, header->AceFlags, 0, L""};
    // Allowed and denied entries share the layout of ACCESS_ALLOWED_ACE.
    if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
      auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
      entry.mask = allowed->Mask;
      wchar_t* text = nullptr;
      if (::ConvertSidToStringSidW(&allowed->SidStart, &text)) {
        entry.account = text;
        ::LocalFree(text);
      }
    }
    list.entries.push_back(entry);
  }
  return list;
}

}  // namespace

std::optional<AccessList> AccessOfSddl(const std::wstring& sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
    return std::nullopt;
  }
  const LocalMemory owned(descriptor);
  return AccessOfDescriptor(descriptor);
}

std::optional<AccessList> AccessOfPath(const std::wstring& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const LocalMemory owned(descriptor);
  return AccessOfDescriptor(descriptor);
}

void PrintTo(const AccessList& list, std::ostream* out) {
  *out << (list.isProtected ? "protected" : "inheriting");
  for (const AccessEntry& e : list.entries) {
    *out << " (type " << int{e.type} << ", flags 0x" << std::hex << int{e.flags} << ", mask 0x"
         << e.mask << std::dec << ", " << WideToUtf8(e.account) << ")";
  }
}

}  // namespace mirvot::test
