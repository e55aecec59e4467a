#include "harness/host_paths.h"

#include "common/wide_text.h"

namespace mirvot::test {

std::wstring WindowsPathFromHost(const std::string& hostPath) {
  std::wstring path = Utf8ToWide(hostPath);
  for (wchar_t& c : path) {
    if (c == L'/') {
      c = L'\\';
    }
  }
  if (!path.empty() && path.front() == L'\\') {
    path.insert(0, L"Z:");
  }
  return path;
}

}  // namespace mirvot::test
