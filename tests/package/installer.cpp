#include "package/installer.h"

#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/owners.h"
#include "harness/debug_capture.h"

namespace mirvot::test {

namespace {

// Message boxes of `processId` not seen before: their text is recorded and each is answered
// with `answer`, as a user reading it would.
void AnswerMessageBoxes(DWORD processId, int answer, std::vector<HWND>& answered,
                        std::vector<std::wstring>& messages) {
  HWND window = nullptr;
  while ((window = ::FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != processId || !::IsWindowVisible(window) ||
        std::find(answered.begin(), answered.end(), window) != answered.end()) {
      continue;
    }
    wchar_t text[2048] = L"";
    // A message box's text is its static control 0xFFFF.
    ::GetDlgItemTextW(window, 0xFFFF, text, static_cast<int>(std::size(text)));
    messages.emplace_back(text);
    answered.push_back(window);
    ::PostMessageW(window, WM_COMMAND, answer, 0);
  }
}

}  // namespace

MsiexecRun RunMsiexec(const std::wstring& arguments, const std::wstring& logPath, Ui ui,
                      int answer) {
  ::DeleteFileW(logPath.c_str());
  const wchar_t* level = ui == Ui::None ? L" /qn" : ui == Ui::Basic ? L" /qb" : L"";
  std::wstring command = L"msiexec.exe " + arguments + level + L" /l*v " + QuoteArgument(logPath);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  MsiexecRun run;
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
    run.exitCode = ::GetLastError();
    return run;
  }
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
  std::vector<HWND> answered;
  const ULONGLONG deadline = ::GetTickCount64() + 90000;
  while (::WaitForSingleObject(process.get(), 50) == WAIT_TIMEOUT) {
    if (::GetTickCount64() > deadline) {
      ::TerminateProcess(process.get(), 1);
      ::WaitForSingleObject(process.get(), 5000);
      run.timedOut = true;
      break;
    }
    if (ui != Ui::None) {
      AnswerMessageBoxes(started.dwProcessId, answer, answered, run.messages);
    }
  }
  ::GetExitCodeProcess(process.get(), &run.exitCode);
  run.log = ReadBytes(logPath).value_or("");
  return run;
}

std::wstring PackageProperty(const std::wstring& packagePath, const std::wstring& name) {
  PMSIHANDLE database;
  if (::MsiOpenDatabaseW(packagePath.c_str(), MSIDBOPEN_READONLY, &database) != ERROR_SUCCESS) {
    return {};
  }
  PMSIHANDLE view;
  if (::MsiDatabaseOpenViewW(database, L"SELECT `Value` FROM `Property` WHERE `Property` = ?",
                             &view) != ERROR_SUCCESS) {
    return {};
  }
  PMSIHANDLE parameters = ::MsiCreateRecord(1);
  ::MsiRecordSetStringW(parameters, 1, name.c_str());
  PMSIHANDLE row;
  if (::MsiViewExecute(view, parameters) != ERROR_SUCCESS ||
      ::MsiViewFetch(view, &row) != ERROR_SUCCESS) {
    return {};
  }
  wchar_t value[1024] = L"";
  DWORD size = static_cast<DWORD>(std::size(value));
  ::MsiRecordGetStringW(row, 1, value, &size);
  return value;
}

std::vector<std::vector<std::wstring>> PackageRows(const std::wstring& packagePath,
                                                   const std::wstring& query) {
  std::vector<std::vector<std::wstring>> rows;
  PMSIHANDLE database;
  PMSIHANDLE view;
  if (::MsiOpenDatabaseW(packagePath.c_str(), MSIDBOPEN_READONLY, &database) != ERROR_SUCCESS ||
      ::MsiDatabaseOpenViewW(database, query.c_str(), &view) != ERROR_SUCCESS ||
      ::MsiViewExecute(view, 0) != ERROR_SUCCESS) {
    return rows;
  }
  PMSIHANDLE record;
  while (::MsiViewFetch(view, &record) == ERROR_SUCCESS) {
    std::vector<std::wstring>& row = rows.emplace_back();
    for (UINT field = 1; field <= ::MsiRecordGetFieldCount(record); ++field) {
      DWORD size = 0;
      wchar_t empty[1] = L"";
      ::MsiRecordGetStringW(record, field, empty, &size);
      std::wstring value(size, L'\0');
      size += 1;
      ::MsiRecordGetStringW(record, field, value.data(), &size);
      value.resize(size);
      row.push_back(value);
    }
  }
  return rows;
}

bool PackageConditionHolds(const std::wstring& packagePath, const std::wstring& condition,
                           const std::vector<std::pair<std::wstring, std::wstring>>& properties) {
  ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
  PMSIHANDLE session;
  if (::MsiOpenPackageExW(packagePath.c_str(), MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE, &session) !=
      ERROR_SUCCESS) {
    return false;
  }
  for (const auto& [name, value] : properties) {
    ::MsiSetPropertyW(session, name.c_str(), value.c_str());
  }
  return ::MsiEvaluateConditionW(session, condition.c_str()) == MSICONDITION_TRUE;
}

std::vector<std::wstring> RelatedProducts(const std::wstring& upgradeCode) {
  std::vector<std::wstring> products;
  wchar_t product[39] = L"";
  for (DWORD index = 0;
       ::MsiEnumRelatedProductsW(upgradeCode.c_str(), 0, index, product) == ERROR_SUCCESS;
       ++index) {
    products.emplace_back(product);
  }
  return products;
}

std::optional<std::wstring> ProductInfo(const std::wstring& productCode, const wchar_t* property) {
  DWORD size = 0;
  wchar_t empty[1] = L"";
  UINT result = ::MsiGetProductInfoW(productCode.c_str(), property, empty, &size);
  if (result != ERROR_MORE_DATA && result != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring value(size, L'\0');
  size += 1;
  if (::MsiGetProductInfoW(productCode.c_str(), property, value.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(size);
  return value;
}

std::optional<std::wstring> UninstallEntryValue(const std::wstring& productCode,
                                                const wchar_t* name) {
  const std::wstring key =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + productCode;
  for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    wchar_t value[1024] = L"";
    DWORD size = sizeof(value);
    if (::RegGetValueW(hive, key.c_str(), name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr,
                       value, &size) == ERROR_SUCCESS) {
      return value;
    }
  }
  return std::nullopt;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  UniqueTaskMemoryString path;
  if (FAILED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, path.put()))) {
    return {};
  }
  return TextOf(path);
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  if (!file) {
    return std::nullopt;
  }
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool PathExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ShortcutTarget(const std::wstring& linkPath) {
  Microsoft::WRL::ComPtr<IShellLinkW> link;
  Microsoft::WRL::ComPtr<IPersistFile> file;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&link))) ||
      FAILED(link.As(&file)) || FAILED(file->Load(linkPath.c_str(), STGM_READ))) {
    return {};
  }
  wchar_t target[MAX_PATH] = L"";
  if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) {
    return {};
  }
  return target;
}

}  // namespace mirvot::test
