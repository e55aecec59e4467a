#pragma once
// Talking to Windows Installer from the setup's custom actions: lines in its log, questions and
// errors shown through its user interface.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

namespace mirvot::setup {

// Windows Installer's folders stay far below this.
constexpr DWORD kPathCapacity = 1024;

// Sends `text` as a message of `kind` (a line in the log, a question, an error) and returns
// Windows Installer's answer: the button chosen (IDOK, IDCANCEL, ...), or 0 or -1 when no user
// interface took the message. The text is shown as it is, brackets included.
int SendToInstaller(MSIHANDLE install, INSTALLMESSAGE kind, const wchar_t* text);

// The session's UILevel: 2 none (/qn), 3 basic (/qb), 4 reduced (/qr), 5 full; 0 when unknown.
int UiLevel(MSIHANDLE install);

}  // namespace mirvot::setup
