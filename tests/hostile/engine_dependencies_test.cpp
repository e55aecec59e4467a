// Where an engine library's own dependencies come from: its own folder first, then the
// application's folder and System32; never the current directory or a folder of PATH, which
// whoever starts the program controls. The stand-in engine imports mirvot_engine_dependency.dll,
// whose copies name the file they were loaded from; the engine may be unloaded after each
// attempt, so each of the two attempts loads its dependency afresh.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness/environment.h"
#include "harness/host_paths.h"
#include "hostile/hostile_fixture.h"

namespace mirvot::test {
namespace {

constexpr wchar_t kDependencyName[] = L"mirvot_engine_dependency.dll";
// What the engine answers once its dependency is there.
constexpr HRESULT kEngineAnswer = E_NOTIMPL;
constexpr HRESULT kModuleNotFound = static_cast<HRESULT>(0x8007007E);

enum Place : unsigned {
  kEngineFolder = 1,
  kCurrentDirectory = 2,
  kPathFolder = 4,
  kBesideProgram = 8,
};

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring program(path, length);
  return program.substr(0, program.rfind(L'\\'));
}

// A copy of the dependency at a path, removed again when the test ends.
class PlacedCopy {
 public:
  explicit PlacedCopy(std::wstring path) : path_(std::move(path)) {
    EXPECT_TRUE(CopyFileTo(WindowsPathFromHost(HOSTILE_ENGINE_DEPENDENCY_DLL), path_))
        << Utf8(path_);
  }
  ~PlacedCopy() { EXPECT_TRUE(::DeleteFileW(path_.c_str())) << Utf8(path_) << " is in use"; }
  PlacedCopy(const PlacedCopy&) = delete;
  PlacedCopy& operator=(const PlacedCopy&) = delete;

 private:
  std::wstring path_;
};

class EngineDependencyTest : public HostileTest {
 protected:
  EngineDependencyTest() {
    LayOutRuntime(runtime_, WindowsPathFromHost(HOSTILE_DEPENDENT_ENGINE_DLL));
    ::GetCurrentDirectoryW(MAX_PATH, previousDirectory_);
  }
  ~EngineDependencyTest() override { ::SetCurrentDirectoryW(previousDirectory_); }

  std::wstring runtime_ = temp_.Join(L"runtime");
  std::wstring library_ = ClientDllIn(runtime_);
  std::wstring engineFolder_ = library_.substr(0, library_.rfind(L'\\'));
  std::wstring elsewhere_ = temp_.MakeFolder(L"elsewhere");
  wchar_t previousDirectory_[MAX_PATH] = {};
};

TEST_F(EngineDependencyTest, ComesFromTheEngineFolderFirstAndNeverFromTheCurrentDirectoryOrPath) {
  const std::string loadFailed =
      std::string(kLoadLibraryFailed) + "8007007E path=" + Utf8(library_) + "\n";
  const std::string hint = std::string(kArchitectureHint) +
                           " Please ensure the correct binaries (WebView2Loader.dll, "
                           "EmbeddedBrowserWebView.dll, etc.) for the target architecture "
                           "(x86/x64/ARM64) are deployed\n";
  const struct {
    const char* name;
    unsigned places;
    HRESULT expected;
    std::wstring loadedFrom;  // empty: not loaded
  } cases[] = {
      {"engine folder only", kEngineFolder, kEngineAnswer, engineFolder_},
      {"current directory only", kCurrentDirectory, kModuleNotFound, L""},
      {"PATH folder only", kPathFolder, kModuleNotFound, L""},
      {"beside the program only", kBesideProgram, kEngineAnswer, ProgramFolder()},
      {"engine folder and beside the program", kEngineFolder | kBesideProgram, kEngineAnswer,
       engineFolder_},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    output_.clear();
    std::vector<std::unique_ptr<PlacedCopy>> copies;
    const auto place = [&](const std::wstring& folder) {
      copies.push_back(std::make_unique<PlacedCopy>(folder + L"\\" + kDependencyName));
    };
    if ((c.places & kEngineFolder) != 0) {
      place(engineFolder_);
    }
    if ((c.places & kCurrentDirectory) != 0 || (c.places & kPathFolder) != 0) {
      place(elsewhere_);
    }
    if ((c.places & kBesideProgram) != 0) {
      place(ProgramFolder());
    }
    ASSERT_TRUE(::SetCurrentDirectoryW(
        ((c.places & kCurrentDirectory) != 0 ? elsewhere_ : temp_.path()).c_str()));
    const std::optional<std::wstring> path = GetEnvironment(L"PATH");
    const ScopedEnvironment pathVariable(
        L"PATH", (c.places & kPathFolder) != 0 ? elsewhere_ + L";" + path.value_or(L"") : path);

    EXPECT_EQ(Create(runtime_.c_str()), c.expected);

    const std::vector<std::string> attempt =
        c.loadedFrom.empty()
            ? std::vector<std::string>{loadFailed, hint}
            : std::vector<std::string>{
                  Line("engine dependency loaded from ", c.loadedFrom + L"\\" + kDependencyName)};
    std::vector<std::string> expectedLines = attempt;
    expectedLines.insert(expectedLines.end(), attempt.begin(), attempt.end());
    EXPECT_EQ(Lines(), expectedLines);
    EXPECT_TRUE(caller_->calls.empty());
  }
}

}  // namespace
}  // namespace mirvot::test
