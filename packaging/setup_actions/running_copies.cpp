#include "setup_actions/running_copies.h"

#include <optional>

namespace mirvot::setup {

namespace {

// A file as the file system knows it: equal identities are the same file, whatever the path.
struct FileIdentity {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::wstring& path) {
  // No read access: the running image is open for execution and must not be disturbed.
  UniqueFileHandle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return std::nullopt;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file.get(), &info)) {
    return std::nullopt;
  }
  return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

std::optional<std::wstring> ImagePathOf(HANDLE process) {
  // Long enough for any path the system can hand out.
  std::wstring path(32768, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (!::QueryFullProcessImageNameW(process, 0, path.data(), &size)) {
    return std::nullopt;
  }
  path.resize(size);
  return path;
}

}  // namespace

std::vector<RunningCopy> FindRunningCopies(const std::wstring& exePath) {
  std::vector<RunningCopy> copies;
  const std::optional<FileIdentity> installed = IdentityOf(exePath);
  if (!installed) {
    return copies;
  }
  HWND window = nullptr;
  while ((window = ::FindWindowExW(nullptr, window, L"Window Class", L"Mirvot")) != nullptr) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    bool known = false;
    for (const RunningCopy& copy : copies) {
      known = known || copy.processId == processId;
    }
    if (processId == 0 || known) {
      continue;
    }
    UniqueHandle process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId));
    if (!process) {
      continue;
    }
    const std::optional<std::wstring> image = ImagePathOf(process.get());
    if (!image || IdentityOf(*image) != installed) {
      continue;
    }
    copies.push_back(RunningCopy{processId, window, std::move(process)});
  }
  return copies;
}

std::vector<RunningCopy> CloseRunningCopies(std::vector<RunningCopy> copies, DWORD waitMs) {
  for (const RunningCopy& copy : copies) {
    ::PostMessageW(copy.mainWindow, WM_CLOSE, 0, 0);
  }
  const ULONGLONG deadline = ::GetTickCount64() + waitMs;
  std::vector<RunningCopy> remaining;
  for (RunningCopy& copy : copies) {
    const ULONGLONG now = ::GetTickCount64();
    const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    if (::WaitForSingleObject(copy.process.get(), left) != WAIT_OBJECT_0) {
      remaining.push_back(std::move(copy));
    }
  }
  return remaining;
}

}  // namespace mirvot::setup
