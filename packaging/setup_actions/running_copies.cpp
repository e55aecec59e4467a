#include "setup_actions/running_copies.h"

#include <utility>

namespace mirvot::setup {

namespace {

// Longer than any path Windows Installer installs to.
constexpr DWORD kImagePathCapacity = 4096;

// A file as the file system knows it: equal identities are the same file, whatever the path.
struct FileIdentity {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  bool operator==(const FileIdentity&) const = default;
};

bool IdentityOf(const wchar_t* path, FileIdentity& identity) {
  // No read access: the running image is open for execution and must not be disturbed.
  UniqueFileHandle file(::CreateFileW(path, FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !::GetFileInformationByHandle(file.get(), &info)) {
    return false;
  }
  identity = FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return true;
}

bool Known(const RunningCopies& found, DWORD processId) {
  for (DWORD i = 0; i < found.count; ++i) {
    if (found.copies[i].processId == processId) {
      return true;
    }
  }
  return false;
}

}  // namespace

void FindRunningCopies(const wchar_t* exePath, RunningCopies& found) {
  FileIdentity installed;
  if (!IdentityOf(exePath, installed)) {
    return;
  }
  HWND window = nullptr;
  while (found.count < MAXIMUM_WAIT_OBJECTS &&
         (window = ::FindWindowExW(nullptr, window, L"Window Class", L"Mirvot")) != nullptr) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId == 0 || Known(found, processId)) {
      continue;
    }
    UniqueHandle process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId));
    wchar_t image[kImagePathCapacity];
    DWORD size = kImagePathCapacity;
    FileIdentity running;
    if (!process || !::QueryFullProcessImageNameW(process.get(), 0, image, &size) ||
        !IdentityOf(image, running) || !(running == installed)) {
      continue;
    }
    RunningCopy& copy = found.copies[found.count++];
    copy.processId = processId;
    copy.mainWindow = window;
    copy.process = std::move(process);
  }
}

DWORD CloseRunningCopies(const RunningCopies& copies, DWORD waitMs) {
  if (copies.count == 0) {
    return 0;
  }
  HANDLE processes[MAXIMUM_WAIT_OBJECTS];
  for (DWORD i = 0; i < copies.count; ++i) {
    ::PostMessageW(copies.copies[i].mainWindow, WM_CLOSE, 0, 0);
    processes[i] = copies.copies[i].process.get();
  }
  const DWORD waited = ::WaitForMultipleObjects(copies.count, processes, TRUE, waitMs);
  if (waited < WAIT_OBJECT_0 + copies.count) {
    return 0;  // every one has ended
  }
  DWORD running = 0;
  for (DWORD i = 0; i < copies.count; ++i) {
    running += ::WaitForSingleObject(processes[i], 0) == WAIT_TIMEOUT ? 1 : 0;
  }
  return running;
}

}  // namespace mirvot::setup
