// NotePerUserInstallations: the log of an installation for all users names each per-user
// installation of Mirvot that the installing user has. Windows Installer looks for older
// versions to replace only in the context being installed, so such a copy stays, with its own
// Start-menu shortcut and uninstall entry; the line tells the administrator reading the log
// which product code to remove, in that user's context.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <strsafe.h>

#include "setup_actions/installer_messages.h"

namespace {

using mirvot::setup::kPathCapacity;

constexpr DWORD kGuidLength = 38;

void NoteIfInstalledFor(MSIHANDLE install, const wchar_t* product, MSIINSTALLCONTEXT context) {
  wchar_t version[64];
  DWORD size = ARRAYSIZE(version);
  // No user SID: the user this custom action runs as, the installing user.
  if (::MsiGetProductInfoExW(product, nullptr, context, INSTALLPROPERTY_VERSIONSTRING, version,
                             &size) != ERROR_SUCCESS) {
    return;
  }
  wchar_t folder[kPathCapacity] = L"";
  size = ARRAYSIZE(folder);
  ::MsiGetProductInfoExW(product, nullptr, context, INSTALLPROPERTY_INSTALLLOCATION, folder, &size);
  wchar_t line[kPathCapacity + 300];
  ::StringCchPrintfW(line, ARRAYSIZE(line),
                     L"NotePerUserInstallations: Mirvot %ls is also installed for this user only "
                     L"(product %ls, in %ls). It stays beside this installation for all users; "
                     L"remove it with msiexec /x %ls run as this user.",
                     version, product, folder, product);
  mirvot::setup::SendToInstaller(install, INSTALLMESSAGE_INFO, line);
}

}  // namespace

extern "C" __declspec(dllexport) UINT
    __stdcall NotePerUserInstallations(MSIHANDLE install) noexcept {
  wchar_t upgradeCode[kGuidLength + 1];
  DWORD length = ARRAYSIZE(upgradeCode);
  if (::MsiGetPropertyW(install, L"UpgradeCode", upgradeCode, &length) != ERROR_SUCCESS) {
    return ERROR_SUCCESS;
  }
  wchar_t product[kGuidLength + 1];
  for (DWORD index = 0; ::MsiEnumRelatedProductsW(upgradeCode, 0, index, product) == ERROR_SUCCESS;
       ++index) {
    NoteIfInstalledFor(install, product, MSIINSTALLCONTEXT_USERUNMANAGED);
    NoteIfInstalledFor(install, product, MSIINSTALLCONTEXT_USERMANAGED);
  }
  return ERROR_SUCCESS;
}
