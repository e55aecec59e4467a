// The custom action of Mirvot's Windows Installer package.
//
// CloseRunningMirvot runs before Windows Installer looks for files in use, on every install,
// upgrade, repair and removal. A Mirvot started from the folder the package installs to is asked
// to close, so that the old program never stays behind in use: Windows Installer would otherwise
// replace or delete it only at the next restart. Mirvot keeps nothing unsaved of its own and ends
// at once on WM_CLOSE. A copy that has not ended after kCloseWaitMs (hung, or held by a debugger)
// stops the installation with a message before anything has been changed; the user closes it and
// runs the setup again. Five seconds is also how long Windows waits before it calls a window
// "not responding". A copy without a main window (one still starting) is left to Windows
// Installer's own handling of files in use.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <strsafe.h>

#include "setup_actions/running_copies.h"

namespace {

constexpr DWORD kCloseWaitMs = 5000;
// Windows Installer's folders stay far below this.
constexpr DWORD kPathCapacity = 1024;

// A line in the installation log; `kind` also decides whether the user sees it.
void Report(MSIHANDLE install, INSTALLMESSAGE kind, const wchar_t* text) {
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
  ::MsiProcessMessage(install, kind, record);
}

UINT CloseRunningCopiesOf(MSIHANDLE install) {
  constexpr wchar_t kExeName[] = L"Mirvot.exe";
  wchar_t exe[kPathCapacity];
  // Room for a backslash and the file name after the folder.
  DWORD length = kPathCapacity - ARRAYSIZE(kExeName) - 1;
  if (::MsiGetPropertyW(install, L"INSTALLDIR", exe, &length) != ERROR_SUCCESS || length == 0) {
    Report(install, INSTALLMESSAGE_INFO, L"CloseRunningMirvot: no installation folder known.");
    return ERROR_SUCCESS;
  }
  if (exe[length - 1] != L'\\') {
    exe[length++] = L'\\';
  }
  ::StringCchCopyW(exe + length, kPathCapacity - length, kExeName);

  mirvot::setup::RunningCopies copies;
  mirvot::setup::FindRunningCopies(exe, copies);
  if (copies.count == 0) {
    return ERROR_SUCCESS;
  }
  for (DWORD i = 0; i < copies.count; ++i) {
    wchar_t line[kPathCapacity + 100];
    ::StringCchPrintfW(line, ARRAYSIZE(line),
                       L"CloseRunningMirvot: closing Mirvot (process %lu) running from %ls.",
                       copies.copies[i].processId, exe);
    Report(install, INSTALLMESSAGE_INFO, line);
  }
  if (mirvot::setup::CloseRunningCopies(copies, kCloseWaitMs) == 0) {
    Report(install, INSTALLMESSAGE_INFO, L"CloseRunningMirvot: Mirvot has ended.");
    return ERROR_SUCCESS;
  }
  Report(install, static_cast<INSTALLMESSAGE>(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONWARNING),
         L"Mirvot is still running and did not close. Close Mirvot, then run this setup again.");
  return ERROR_INSTALL_FAILURE;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall CloseRunningMirvot(MSIHANDLE install) noexcept {
  return CloseRunningCopiesOf(install);
}
