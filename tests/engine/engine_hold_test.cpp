// The hold in the creation call (script item hold_create), which the start-up benchmark uses to
// read a process's CPU time at the moment the host asks for the engine: the caller waits inside
// the call, before the engine has done anything, until the listener on the pipe lets it go.
#include <windows.h>

#include <atomic>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "common/owners.h"
#include "engine/engine_fixture.h"
#include "harness/environment.h"

namespace mirvot::test {
namespace {

constexpr char kCreationLine[] = "CreateWebViewEnvironmentWithOptionsInternal unknown=";

std::wstring PipePath(const std::string& name) {
  return L"\\\\.\\pipe\\" + std::wstring(name.begin(), name.end());
}

// The benchmark's end of the pipe, on a thread of its own: it takes the engine's report, looks at
// the engine and the caller while they are held, then lets the caller go by writing a byte (or,
// with closeInstead, by closing the pipe).
class HoldListener {
 public:
  HoldListener(const std::string& name, TestEngineClient& engine, bool closeInstead)
      : pipe_(::CreateNamedPipeW(PipePath(name).c_str(), PIPE_ACCESS_DUPLEX,
                                 PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 256, 256, 0,
                                 nullptr)) {
    if (!pipe_) {
      return;
    }
    thread_ = std::thread([this, &engine, closeInstead] {
      if (!::ConnectNamedPipe(pipe_.get(), nullptr) && ::GetLastError() != ERROR_PIPE_CONNECTED) {
        return;
      }
      char buffer[128] = {};
      DWORD read = 0;
      while (report.find('\n') == std::string::npos &&
             ::ReadFile(pipe_.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        report.append(buffer, read);
      }
      ::Sleep(kHeldMs);
      logWhileHeld = engine.LogLines();
      returnedWhileHeld = callReturned.load();
      if (closeInstead) {
        pipe_.reset();
        return;
      }
      const char release = 1;
      DWORD written = 0;
      ::WriteFile(pipe_.get(), &release, 1, &written, nullptr);
      ::FlushFileBuffers(pipe_.get());
    });
  }

  ~HoldListener() { Finish(); }
  HoldListener(const HoldListener&) = delete;
  HoldListener& operator=(const HoldListener&) = delete;

  [[nodiscard]] bool valid() const { return pipe_.valid(); }
  void Finish() {
    if (thread_.joinable()) {
      thread_.join();
    }
  }

  static constexpr DWORD kHeldMs = 50;
  std::atomic<bool> callReturned{false};
  std::string report;
  std::vector<std::string> logWhileHeld;
  bool returnedWhileHeld = true;

 private:
  UniqueFileHandle pipe_;
  std::thread thread_;
};

// The first 15 characters of this program's file name: how Linux names a Wine process's main
// thread (its comm).
std::string LinuxNameOfThisProgram() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path);
  name = name.substr(name.find_last_of(L'\\') + 1);
  return std::string(name.begin(), name.end()).substr(0, 15);
}

bool RunsUnderWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_host_version") != nullptr;
}

class EngineHold : public EngineTest {
 protected:
  static std::string UniquePipeName(const char* test) {
    return std::string("MirvotEngineHoldTest-") + std::to_string(::GetCurrentProcessId()) + "-" +
           test;
  }

  // Makes the creation call (held by `listener` when there is one, which is then let finish)
  // and delivers the environment; the handler must be called once.
  void CreateAndDeliver(HoldListener* listener) {
    auto handler = MakeProbe<ProbeEnvironmentHandler>();
    EXPECT_EQ(Create(handler.Get()), S_OK);
    if (listener != nullptr) {
      listener->callReturned = true;
      listener->Finish();
    }
    ASSERT_TRUE(engine_->PumpUntilNoPendingCompletions());
    EXPECT_EQ(handler->calls, 1);
    handler->lastEnvironment.Reset();
  }
};

TEST_F(EngineHold, TheCallerWaitsInsideTheCallBeforeTheEngineDoesAnythingUntilReleased) {
  const ScopedEnvironment timing(L"MIRVOT_TEST_ENGINE_TIMING", L"1");
  const std::string name = UniquePipeName("release");
  ASSERT_TRUE(engine_->SetScript("hold_create=" + name));
  HoldListener listener(name, *engine_, /*closeInstead=*/false);
  ASSERT_TRUE(listener.valid());

  ASSERT_NO_FATAL_FAILURE(CreateAndDeliver(&listener));

  // Held: the call had not returned and the engine had not even logged it.
  EXPECT_FALSE(listener.returnedWhileHeld);
  EXPECT_EQ(FindLineStartingWith(listener.logWhileHeld, kCreationLine), -1);

  std::smatch report;
  ASSERT_TRUE(
      std::regex_match(listener.report, report, std::regex("held pid=([0-9]+) unix=([0-9]+)\n")))
      << listener.report;
  EXPECT_EQ(std::stoul(report[1]), ::GetCurrentProcessId());
  const unsigned long unixId = std::stoul(report[2]);
  if (RunsUnderWine()) {
    // The id names this very process on the Linux side.
    ASSERT_GT(unixId, 0u);
    const std::vector<std::string> comm =
        ReadLogFileLines(L"Z:\\proc\\" + std::to_wstring(unixId) + L"\\comm");
    ASSERT_EQ(comm.size(), 1u);
    EXPECT_EQ(comm[0], LinuxNameOfThisProgram());
  } else {
    EXPECT_EQ(unixId, 0u);
  }

  // The creation line says how long the caller was held.
  const std::vector<std::string> lines = Log();
  const int creation = FindLineStartingWith(lines, kCreationLine);
  ASSERT_NE(creation, -1);
  std::smatch held;
  ASSERT_TRUE(std::regex_search(lines[creation], held, std::regex(" held=([0-9]+) ")))
      << lines[creation];
  EXPECT_GE(std::stoll(held[1]), static_cast<long long>(HoldListener::kHeldMs) * 10000 * 9 / 10);
  EXPECT_NE(FindLineStartingWith(lines, "CreateWebViewEnvironmentWithOptionsInternal accepted"),
            -1);
}

TEST_F(EngineHold, ABrokenPipeEndsTheHoldToo) {
  const std::string name = UniquePipeName("close");
  ASSERT_TRUE(engine_->SetScript("hold_create=" + name));
  HoldListener listener(name, *engine_, /*closeInstead=*/true);
  ASSERT_TRUE(listener.valid());

  ASSERT_NO_FATAL_FAILURE(CreateAndDeliver(&listener));
  EXPECT_FALSE(listener.returnedWhileHeld);
  // Held without timing: the plain lines, no mention of a failed hold.
  const std::vector<std::string> lines = Log();
  EXPECT_EQ(CountLinesStartingWith(lines, "CreateWebViewEnvironmentWithOptionsInternal nobody"), 0);
}

TEST_F(EngineHold, WithNobodyListeningTheCallGoesOnAtOnceAndSaysSo) {
  const ScopedEnvironment timing(L"MIRVOT_TEST_ENGINE_TIMING", L"1");
  const std::string name = UniquePipeName("absent");
  ASSERT_TRUE(engine_->SetScript("hold_create=" + name));
  ASSERT_NO_FATAL_FAILURE(CreateAndDeliver(nullptr));

  const std::vector<std::string> lines = Log();
  const int creation = FindLineStartingWith(lines, kCreationLine);
  ASSERT_NE(creation, -1);
  EXPECT_EQ(lines[creation].find(" held="), std::string::npos) << lines[creation];
  const std::string nobody =
      "CreateWebViewEnvironmentWithOptionsInternal nobody-holding \"" + name + "\"";
  EXPECT_EQ(FindLineStartingWith(lines, nobody), creation + 1);
}

}  // namespace
}  // namespace mirvot::test
