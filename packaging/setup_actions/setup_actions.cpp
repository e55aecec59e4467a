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

#include <string>

#include "setup_actions/running_copies.h"

namespace {

constexpr DWORD kCloseWaitMs = 5000;

std::wstring PropertyOf(MSIHANDLE install, const wchar_t* name) {
  wchar_t empty[1] = L"";
  DWORD size = 0;
  if (::MsiGetPropertyW(install, name, empty, &size) != ERROR_MORE_DATA) {
    return {};
  }
  std::wstring value(size, L'\0');
  size += 1;
  if (::MsiGetPropertyW(install, name, value.data(), &size) != ERROR_SUCCESS) {
    return {};
  }
  value.resize(size);
  return value;
}

// A line in the installation log; `kind` also decides whether the user sees it.
void Report(MSIHANDLE install, INSTALLMESSAGE kind, const std::wstring& text) {
  PMSIHANDLE record = ::MsiCreateRecord(0);
  // Field 0 is a template: brackets in a path must not be read as property names.
  std::wstring escaped;
  for (const wchar_t c : text) {
    if (c == L'[' || c == L']') {
      escaped += L"[\\";
      escaped += c;
      escaped += L']';
    } else {
      escaped += c;
    }
  }
  ::MsiRecordSetStringW(record, 0, escaped.c_str());
  ::MsiProcessMessage(install, kind, record);
}

UINT CloseRunningCopiesOf(MSIHANDLE install) {
  const std::wstring folder = PropertyOf(install, L"INSTALLDIR");
  if (folder.empty()) {
    Report(install, INSTALLMESSAGE_INFO, L"CloseRunningMirvot: no installation folder known.");
    return ERROR_SUCCESS;
  }
  const std::wstring exe =
      folder + (folder.back() == L'\\' ? L"" : L"\\") + std::wstring(L"Mirvot.exe");
  std::vector<mirvot::setup::RunningCopy> copies = mirvot::setup::FindRunningCopies(exe);
  if (copies.empty()) {
    return ERROR_SUCCESS;
  }
  for (const mirvot::setup::RunningCopy& copy : copies) {
    Report(install, INSTALLMESSAGE_INFO,
           L"CloseRunningMirvot: closing Mirvot (process " + std::to_wstring(copy.processId) +
               L") running from " + exe + L".");
  }
  const std::vector<mirvot::setup::RunningCopy> remaining =
      mirvot::setup::CloseRunningCopies(std::move(copies), kCloseWaitMs);
  if (remaining.empty()) {
    Report(install, INSTALLMESSAGE_INFO, L"CloseRunningMirvot: Mirvot has ended.");
    return ERROR_SUCCESS;
  }
  Report(install,
         static_cast<INSTALLMESSAGE>(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONWARNING),
         L"Mirvot is still running and did not close. Close Mirvot, then run this setup again.");
  return ERROR_INSTALL_FAILURE;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall CloseRunningMirvot(MSIHANDLE install) noexcept {
  try {
    return CloseRunningCopiesOf(install);
  } catch (...) {
    // Out of memory: Windows Installer's own handling of files in use still applies.
    return ERROR_SUCCESS;
  }
}
