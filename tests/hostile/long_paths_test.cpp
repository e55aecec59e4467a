// Runtime folders whose library path is longer than MAX_PATH (260 units), with the library
// really there: the fixed-folder road and the registered road. Whether the system reaches such
// a path depends on it (Windows only with long paths enabled; Wine reaches it); the loader's
// result must follow what the system reports: the engine is loaded and called, or the clean
// not-found line. The engine copy here refuses the creation, so it is not kept loaded.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/test_engine_client.h"
#include "hostile/hostile_fixture.h"

namespace mirvot::test {
namespace {

constexpr HRESULT kEngineRefusal = static_cast<HRESULT>(0x80004005);
constexpr char kRefusedLine[] = "CreateWebViewEnvironmentWithOptionsInternal refused hr=0x80004005";

class LongPathTest : public HostileTest {
 protected:
  LongPathTest() {
    SetEnvironment(L"MIRVOT_TEST_ENGINE_SCRIPT", std::wstring(L"refuse_create=80004005"));
    SetEnvironment(L"MIRVOT_TEST_ENGINE_LOG", log_);
  }
  ~LongPathTest() override { DeleteTreeOfAnyLength(temp_.Join(L"long")); }

  // A folder below the temporary folder whose path is `units` long, made of components of at
  // most 200 units (a file name limit of the host), holding a copy of the engine.
  std::wstring LongRuntime(std::size_t units, const std::wstring& lastComponent) {
    std::wstring folder = temp_.Join(L"long");
    const std::size_t target = units - lastComponent.size() - 1;
    while (folder.size() < target) {
      const std::size_t room = target - folder.size() - 1;
      folder += L"\\" + std::wstring(room > 200 ? 200 : (room == 0 ? 1 : room), L'L');
    }
    folder += L"\\" + lastComponent;
    LayOutRuntime(folder, TestEngineDllPath(L"fixed"));
    return folder;
  }

  // What the system says about the library path, and so what the loader must do.
  void ExpectLoadedOrCleanlyNotFound(HRESULT hr, const std::wstring& library,
                                     const std::string& notFoundLine) {
    const bool reachable = ::GetFileAttributesW(library.c_str()) != INVALID_FILE_ATTRIBUTES;
    std::printf("library path of %zu units %s\n", library.size(),
                reachable ? "is reachable" : "is not reachable");
    if (reachable) {
      EXPECT_EQ(hr, kEngineRefusal);
      EXPECT_EQ(CountLinesStartingWith(ReadLogFileLines(log_), kRefusedLine), 2);
      EXPECT_TRUE(Lines().empty());
      EXPECT_EQ(::GetModuleHandleW(library.c_str()), nullptr) << "refused, so not kept loaded";
    } else {
      EXPECT_EQ(hr, kFileNotFound);
      EXPECT_EQ(Lines(), (std::vector<std::string>{notFoundLine, notFoundLine}));
    }
    EXPECT_TRUE(caller_->calls.empty());
  }

  std::wstring log_ = temp_.Join(L"engine.log");
};

TEST_F(LongPathTest, FixedFolderWithALibraryPathPastMaxPath) {
  const std::wstring folder = LongRuntime(240, L"runtime");
  const std::wstring library = ClientDllIn(folder);
  ASSERT_GT(library.size(), static_cast<std::size_t>(MAX_PATH));

  const HRESULT hr = Create(folder.c_str());

  ExpectLoadedOrCleanlyNotFound(hr, library, Line(kClientDllNotFound, library));
}

TEST_F(LongPathTest, FixedFolderOfThousandsOfUnits) {
  const std::wstring folder = LongRuntime(3000, L"runtime");
  const std::wstring library = ClientDllIn(folder);

  const HRESULT hr = Create(folder.c_str());

  ExpectLoadedOrCleanlyNotFound(hr, library, Line(kClientDllNotFound, library));
}

TEST_F(LongPathTest, RegisteredFolderOfTheLongestReadableValue) {
  // 259 units, the most a registration can hold; the library path is 301 units.
  const std::wstring folder = LongRuntime(259, L"120.0.2210.91");
  ASSERT_EQ(folder.size(), 259u);
  RegisterText(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable, folder);
  const std::wstring library = ClientDllIn(folder);

  const HRESULT hr = Create(nullptr);

  ExpectLoadedOrCleanlyNotFound(hr, library, kNoInstalledRuntimeLine);
}

}  // namespace
}  // namespace mirvot::test
