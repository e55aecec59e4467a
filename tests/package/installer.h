#pragma once
// Driving Windows Installer the way users and administrators do (msiexec.exe with a command
// line) and reading back what it registered and wrote.
#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mirvot::test {

struct MsiexecRun {
  DWORD exitCode = 0;
  bool timedOut = false;
  std::string log;                     // the verbose log (/l*v), as written
  std::vector<std::wstring> messages;  // texts of the message boxes shown (not with Ui::None)
};

enum class Ui {
  None,   // /qn: what silent deployment uses; messages go to the log only
  Basic,  // /qb: message boxes are shown
  Full,   // no /q: what a double-click starts
};

// msiexec.exe <arguments> with the given user interface and a verbose log in `logPath`. Each
// message box shown is read and answered with `answer` (IDOK or IDCANCEL), as a user would.
MsiexecRun RunMsiexec(const std::wstring& arguments, const std::wstring& logPath, Ui ui = Ui::None,
                      int answer = IDOK);

// A value of the package's Property table; empty when absent.
std::wstring PackageProperty(const std::wstring& packagePath, const std::wstring& name);

// The rows a query of the package's tables selects, each column as text; empty when the
// package or the table cannot be read.
std::vector<std::vector<std::wstring>> PackageRows(const std::wstring& packagePath,
                                                   const std::wstring& query);

// Whether a condition of the package holds in a session of it with the given properties.
bool PackageConditionHolds(const std::wstring& packagePath, const std::wstring& condition,
                           const std::vector<std::pair<std::wstring, std::wstring>>& properties);

// Products installed (for this user or for the machine) with the upgrade code.
std::vector<std::wstring> RelatedProducts(const std::wstring& upgradeCode);

// An installed product's property (INSTALLPROPERTY_*): what its uninstall entry shows; nullopt
// when the product is not installed.
std::optional<std::wstring> ProductInfo(const std::wstring& productCode, const wchar_t* property);

// A value of the product's uninstall entry (Contact, Comments, ...): the user's entry, else the
// machine's (where Wine keeps per-user entries too); nullopt when there is none.
std::optional<std::wstring> UninstallEntryValue(const std::wstring& productCode,
                                                const wchar_t* name);

std::wstring KnownFolder(REFKNOWNFOLDERID id);

// The file's bytes; nullopt when it cannot be read.
std::optional<std::string> ReadBytes(const std::wstring& path);

bool PathExists(const std::wstring& path);

// The target of a shell link (.lnk); empty when it cannot be read.
std::wstring ShortcutTarget(const std::wstring& linkPath);

}  // namespace mirvot::test
