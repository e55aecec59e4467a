#include "setup_actions/installer_messages.h"

namespace mirvot::setup {

int SendToInstaller(MSIHANDLE install, INSTALLMESSAGE kind, const wchar_t* text) {
  // Field 0 is a template: brackets in a path must not be read as property names, so each
  // becomes [\[] or [\]].
  wchar_t escaped[4 * kPathCapacity];
  DWORD length = 0;
  for (const wchar_t* c = text; *c != L'\0' && length + 5 < ARRAYSIZE(escaped); ++c) {
    if (*c == L'[' || *c == L']') {
      escaped[length++] = L'[';
      escaped[length++] = L'\\';
      escaped[length++] = *c;
      escaped[length++] = L']';
    } else {
      escaped[length++] = *c;
    }
  }
  escaped[length] = L'\0';
  PMSIHANDLE record = ::MsiCreateRecord(0);
  ::MsiRecordSetStringW(record, 0, escaped);
  return ::MsiProcessMessage(install, kind, record);
}

int UiLevel(MSIHANDLE install) {
  wchar_t text[16];
  DWORD length = ARRAYSIZE(text);
  if (::MsiGetPropertyW(install, L"UILevel", text, &length) != ERROR_SUCCESS) {
    return 0;
  }
  int level = 0;
  for (DWORD i = 0; i < length && level < 100 && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    level = level * 10 + (text[i] - L'0');
  }
  return level;
}

}  // namespace mirvot::setup
