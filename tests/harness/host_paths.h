#pragma once
// The build runs on Linux and the tests under Wine, which sees the host's file system as Z:.
#include <string>

namespace mirvot::test {

// "/work/build/x" -> "Z:\work\build\x".
std::wstring WindowsPathFromHost(const std::string& hostPath);

}  // namespace mirvot::test
