// The custom action that closes a running Mirvot before Windows Installer changes its files.
//
// CloseRunningMirvot runs before Windows Installer looks for files in use, on every install,
// upgrade, repair and removal (unless MIRVOT_CLOSE_RUNNING is "0", which leaves running copies
// to Windows Installer's own handling of files in use). A Mirvot started from the installation
// folder would otherwise stay behind in use, and Windows Installer would replace or delete it
// only at the next restart. Mirvot keeps nothing of its own unsaved, but the page in its window
// may hold text the user has not sent: with a user interface that can ask (full or reduced), the
// user is asked first, and Cancel ends the setup before anything has changed. Without one
// (/qb, /qn, /passive) nobody could answer, so the copies are closed as their close button
// closes them. A copy that has not ended after kCloseWaitMs (hung, or held by a debugger) stops
// the installation with a message before anything has been changed; the user closes it and runs
// the setup again. Five seconds is also how long Windows waits before it calls a window "not
// responding". A copy without a main window (one still starting) is left to Windows Installer.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <strsafe.h>

#include "setup_actions/installer_messages.h"
#include "setup_actions/running_copies.h"

namespace {

using mirvot::setup::kPathCapacity;
using mirvot::setup::SendToInstaller;

constexpr DWORD kCloseWaitMs = 5000;
// Windows Installer's guidance: a custom action shows a dialog only at the reduced or full level.
constexpr int kLowestAskingUiLevel = 4;

constexpr wchar_t kCloseQuestion[] =
    L"Mirvot is open. Setup closes it to continue; text typed into its window and not yet sent "
    L"is lost.\n\nChoose OK to close Mirvot and continue, or Cancel to end the setup without "
    L"changes.";

void Log(MSIHANDLE install, const wchar_t* text) {
  SendToInstaller(install, INSTALLMESSAGE_INFO, text);
}

// False when the user chose to keep Mirvot open. Setups that cannot ask, and questions that no
// user interface took (0 or -1), go on as an unattended setup does.
bool MayClose(MSIHANDLE install) {
  if (mirvot::setup::UiLevel(install) < kLowestAskingUiLevel) {
    return true;
  }
  const auto question = static_cast<INSTALLMESSAGE>(INSTALLMESSAGE_USER | MB_OKCANCEL |
                                                    MB_ICONQUESTION | MB_DEFBUTTON2);
  return SendToInstaller(install, question, kCloseQuestion) != IDCANCEL;
}

UINT CloseRunningCopiesOf(MSIHANDLE install) {
  constexpr wchar_t kExeName[] = L"Mirvot.exe";
  wchar_t exe[kPathCapacity];
  // Room for a backslash and the file name after the folder.
  DWORD length = kPathCapacity - ARRAYSIZE(kExeName) - 1;
  if (::MsiGetPropertyW(install, L"INSTALLDIR", exe, &length) != ERROR_SUCCESS || length == 0) {
    Log(install, L"CloseRunningMirvot: no installation folder known.");
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
                       L"CloseRunningMirvot: Mirvot (process %lu) is running from %ls.",
                       copies.copies[i].processId, exe);
    Log(install, line);
  }
  if (!MayClose(install)) {
    Log(install, L"CloseRunningMirvot: the user chose to keep Mirvot open; setup ends.");
    return ERROR_INSTALL_USEREXIT;
  }
  Log(install, L"CloseRunningMirvot: closing Mirvot.");
  if (mirvot::setup::CloseRunningCopies(copies, kCloseWaitMs) == 0) {
    Log(install, L"CloseRunningMirvot: Mirvot has ended.");
    return ERROR_SUCCESS;
  }
  SendToInstaller(install,
                  static_cast<INSTALLMESSAGE>(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONWARNING),
                  L"Mirvot is still running and did not close. Close Mirvot, then run this setup "
                  L"again.");
  return ERROR_INSTALL_FAILURE;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall CloseRunningMirvot(MSIHANDLE install) noexcept {
  return CloseRunningCopiesOf(install);
}
