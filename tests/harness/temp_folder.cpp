#include "harness/temp_folder.h"

#include <windows.h>

#include <atomic>

#include "common/owners.h"

namespace mirvot::test {

bool CreateFolders(const std::wstring& path) {
  for (std::size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == L'\\') {
      const std::wstring prefix = path.substr(0, i);
      if (!::CreateDirectoryW(prefix.c_str(), nullptr) &&
          ::GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
      }
    }
  }
  return true;
}

bool DeleteFolderTree(const std::wstring& path) {
  WIN32_FIND_DATAW data{};
  HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") {
        continue;
      }
      const std::wstring child = path + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteFolderTree(child);
      } else {
        ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(child.c_str());
      }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  return ::RemoveDirectoryW(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND ||
         ::GetLastError() == ERROR_PATH_NOT_FOUND;
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to) {
  const std::size_t slash = to.find_last_of(L'\\');
  if (slash != std::wstring::npos && !CreateFolders(to.substr(0, slash))) {
    return false;
  }
  return ::CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  wchar_t base[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH, base);
  std::wstring root(base, length);
  if (!root.empty() && root.back() == L'\\') {
    root.pop_back();
  }
  path_ = root + L"\\mirvot-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
          std::to_wstring(counter.fetch_add(1));
  DeleteFolderTree(path_);
  CreateFolders(path_);
}

TempFolder::~TempFolder() { DeleteFolderTree(path_); }

std::wstring TempFolder::Join(const std::wstring& relative) const {
  return path_ + L"\\" + relative;
}

std::wstring TempFolder::MakeFolder(const std::wstring& relative) const {
  const std::wstring full = Join(relative);
  CreateFolders(full);
  return full;
}

std::wstring TempFolder::WriteFile(const std::wstring& relative, const std::string& content) const {
  const std::wstring full = Join(relative);
  const std::size_t slash = full.find_last_of(L'\\');
  CreateFolders(full.substr(0, slash));
  UniqueFileHandle file(::CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) {
    DWORD written = 0;
    ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  }
  return full;
}

}  // namespace mirvot::test
