// The message sweep: delivers, from a process of its own, every message number 0x0000-0x03FF and
// a sample of the higher ranges to each of the program's own windows (the main window, the
// view's host window) with every parameter pair of deliveries.h, sent, sent without waiting and
// posted; then checks the program as the fault sweep does and classifies its life.
// scripts/message-sweep.sh runs it under Wine; the README ("Message sweep") says how to read it.
//
//   message_sweep [--window main|host] [--range FIRST-LAST] [--batch N] [--narrow yes|no]
//                 [--program EXE]
//
// A first life without messages must survive; it also finds the registered message numbers.
// Then one life per batch of N numbers (default 32) and window. A batch that does not survive is
// run once more and, when it fails again, narrowed down: halves of its numbers down to one, that
// number's ways one at a time, then its parameter pairs halved while a half fails (--narrow no:
// not at all). Each listed request (listed_messages.h) gets a life of its own per way. --range
// keeps the numbers (and listed requests) in that range and skips the first life. Exits 1 when a
// batch's or a listed request's life did not survive, 2 when the sweep itself could not run.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/owners.h"
#include "common/wide_text.h"
#include "deliveries.h"
#include "engine/test_engine_client.h"
#include "fault_rows.h"
#include "harness/debug_capture.h"
#include "harness/environment.h"
#include "harness/host_paths.h"
#include "harness/program_windows.h"
#include "harness/temp_folder.h"
#include "listed_messages.h"
#include "program_copy.h"
#include "program_life.h"

namespace mirvot::sweep {
namespace {

enum class Target { Main, Host };

struct Options {
  std::wstring program = test::WindowsPathFromHost(MIRVOT_EXE);
  std::vector<Target> targets{Target::Main, Target::Host};
  UINT first = 0;
  UINT last = 0xFFFF;
  bool ranged = false;
  std::size_t batch = 32;
  bool narrow = true;
};

std::optional<Options> parse(int argc, wchar_t** argv) {
  Options options;
  if (argc % 2 == 0) {
    return std::nullopt;
  }
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring name = argv[i];
    const std::wstring value = argv[i + 1];
    if (name == L"--window" && (value == L"main" || value == L"host")) {
      options.targets = {value == L"main" ? Target::Main : Target::Host};
    } else if (name == L"--range") {
      wchar_t* end = nullptr;
      options.first = std::wcstoul(value.c_str(), &end, 16);
      options.last = *end == L'-' ? std::wcstoul(end + 1, &end, 16) : options.first;
      options.ranged = true;
      if (*end != L'\0' || options.first > options.last || options.last > 0xFFFF) {
        return std::nullopt;
      }
    } else if (name == L"--batch" && std::wcstoul(value.c_str(), nullptr, 10) > 0) {
      options.batch = std::wcstoul(value.c_str(), nullptr, 10);
    } else if (name == L"--narrow" && (value == L"yes" || value == L"no")) {
      options.narrow = value == L"yes";
    } else if (name == L"--program") {
      options.program =
          value.rfind(L'/', 0) == 0 ? test::WindowsPathFromHost(WideToUtf8(value)) : value;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

const char* target_name(Target target) { return target == Target::Main ? "main" : "host"; }

HWND window_of(Target target, LifeSteps& life) {
  return target == Target::Main ? life.main_window() : host_of(life.main_window());
}

// Every registered message number that exists now: registered window messages share their
// numbers with the clipboard formats, whose names the system gives.
std::vector<UINT> registered_messages() {
  std::vector<UINT> found;
  for (UINT message = 0xC000; message <= 0xFFFF; ++message) {
    wchar_t name[2];
    if (::GetClipboardFormatNameW(message, name, 2) > 0) {
      found.push_back(message);
    }
  }
  return found;
}

// The numbers swept: all below WM_USER, every 256th of the private (WM_USER) and application
// (WM_APP) ranges with the numbers the program itself uses there (WM_USER + 101 removes the
// view's hook, WM_APP + 1 destroys the main window, each only at the program's own request),
// and the registered ones.
std::vector<UINT> swept_messages(const std::vector<UINT>& registered) {
  std::vector<UINT> messages;
  for (UINT message = 0; message < 0xC000; message += message < WM_USER ? 1 : 0x100) {
    messages.push_back(message);
  }
  for (const UINT own : {WM_USER + 101, WM_APP + 1}) {
    messages.push_back(own);
  }
  messages.insert(messages.end(), registered.begin(), registered.end());
  std::sort(messages.begin(), messages.end());
  messages.erase(std::unique(messages.begin(), messages.end()), messages.end());
  return messages;
}

// One delivery, or several of one number and way: "0x02E0 sent 9 pairs".
std::string group_text(const std::vector<Delivery>& deliveries) {
  return deliveries.size() == 1
             ? delivery_text(deliveries.front())
             : message_text(deliveries.front().message) + " " + way_name(deliveries.front().way) +
                   " " + std::to_string(deliveries.size()) + " pairs";
}

std::string span_text(const std::vector<UINT>& messages) {
  return messages.size() == 1
             ? message_text(messages.front())
             : message_text(messages.front()) + ".." + message_text(messages.back()) + " (" +
                   std::to_string(messages.size()) + ")";
}

// Waits until the program has dispatched what was posted to it: the engine's view window, on
// the program's thread, logs a marker posted after everything else.
void check_dispatched(LifeSteps& life) {
  static WPARAM marker = 0;
  const HWND view =
      ::FindWindowExW(host_of(life.main_window()), nullptr, L"MirvotTestEngineView", nullptr);
  const std::string line = "view.ping " + std::to_string(++marker);
  if (view != nullptr && test::PostPatiently(view, kTestEngineViewPing, marker, 0)) {
    life.check("what was posted was not dispatched",
               [&] { return test::FindLine(life.log(), line) >= 0; });
  }
}

// Checks after deliveries that should have left the program as it was.
void check_as_it_was(LifeSteps& life) {
  check_dispatched(life);
  check_title_and_drop_target(life);
  check_view_follows_resize(life, true);
}

// Ends the program once it holds more than kMemoryLimit in memory. Wine gives the receiver of
// some messages a buffer of the size a parameter asks for, and fills it: a life must not take
// the machine's memory, where Linux would end processes of its own choosing.
class MemoryGuard {
 public:
  static constexpr SIZE_T kMemoryLimit = SIZE_T{1} << 30;
  static constexpr DWORD kEndedByTheGuard = 0xE0000001;

  MemoryGuard() : thread_([this] { guard(); }) {}
  ~MemoryGuard() {
    stop_ = true;
    thread_.join();
  }
  MemoryGuard(const MemoryGuard&) = delete;
  MemoryGuard& operator=(const MemoryGuard&) = delete;

  // Guards the process of the window until stop_watching.
  void watch(HWND window) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    const std::lock_guard<std::mutex> lock(mutex_);
    process_.reset(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE,
                                 FALSE, processId));
  }
  void stop_watching() {
    const std::lock_guard<std::mutex> lock(mutex_);
    process_.reset();
  }

 private:
  void guard() {
    while (!stop_) {
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        PROCESS_MEMORY_COUNTERS counters{};
        if (process_ && ::GetProcessMemoryInfo(process_.get(), &counters, sizeof(counters)) &&
            counters.WorkingSetSize > kMemoryLimit) {
          ::TerminateProcess(process_.get(), kEndedByTheGuard);
        }
      }
      ::Sleep(20);
    }
  }

  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  UniqueHandle process_;
  std::thread thread_;
};

// The program runs as in the fault sweep, as a copy whose imports name the proxy library: here
// it fails no call, but ends the program on an exception nothing handles (Wine would wait for a
// debugger) and notes where the last error exception was raised, also one that Wine let pass
// out of a window procedure (Windows ends the program there).
class MessageSweep {
 public:
  MessageSweep(Options options, const test::TempFolder& work, SharedBlock& block)
      : options_(std::move(options)), work_(work), block_(block) {}

  // The copy and the proxy in the work folder; the error, empty when they are in place.
  std::string prepare() {
    const std::wstring name = options_.program.substr(options_.program.find_last_of(L"\\/") + 1);
    programName_ = WideToUtf8(name);
    copy_ = work_.Join(name);
    const ProgramCopy copy = copy_with_imports_renamed(options_.program, copy_, kProxyName);
    if (copy.error.empty() && !::CopyFileW(test::WindowsPathFromHost(MIRVOT_FAULT_PROXY).c_str(),
                                           work_.Join(Utf8ToWide(kProxyName)).c_str(), FALSE)) {
      return "the proxy library cannot be copied";
    }
    return copy.error;
  }

  int run() {
    std::vector<UINT> registered;
    if (!options_.ranged) {
      const LifeResult first = live([&](LifeSteps& life) {
        registered = registered_messages();
        check_stray_address_free(life.main_window());
        check_as_it_was(life);
      });
      if (first.outcome != Outcome::Survived) {
        std::printf("without messages the program did not survive: %s %s\n",
                    outcome_name(first.outcome), first.detail.c_str());
        return 2;
      }
    } else {
      registered = registered_messages();
    }
    std::vector<UINT> messages;
    for (const UINT message : swept_messages(registered)) {
      if (message >= options_.first && message <= options_.last) {
        messages.push_back(message);
      }
    }
    std::printf("%zu message numbers (%zu registered), %d deliveries each, batches of %zu\n",
                messages.size(), registered.size(), kPairCount * 3, options_.batch);
    for (const Target target : options_.targets) {
      for (const std::vector<UINT>& batch : batches(messages, target)) {
        const LifeResult result = run_batch(target, batch, 0);
        count(result);
        if (result.outcome != Outcome::Survived && options_.narrow) {
          narrow(target, batch);
        }
      }
      for (const ListedMessage& listed : kListedMessages) {
        if (listed.toHost == (target == Target::Host) && listed.message >= options_.first &&
            listed.message <= options_.last) {
          for (const Way way : {Way::Sent, Way::Notified, Way::Posted}) {
            count(run_listed(listed, way));
          }
        }
      }
    }
    print_summary();
    return failed_ ? 1 : 0;
  }

 private:
  std::vector<std::vector<UINT>> batches(const std::vector<UINT>& messages, Target target) const {
    std::vector<std::vector<UINT>> batches(1);
    for (const UINT message : messages) {
      if (kept_out_of_batches(message, target == Target::Host)) {
        continue;
      }
      const bool meets = std::any_of(batches.back().begin(), batches.back().end(),
                                     [&](UINT other) { return must_not_meet(message, other); });
      if (batches.back().size() == options_.batch || meets) {
        batches.emplace_back();
      }
      batches.back().push_back(message);
    }
    if (batches.back().empty()) {
      batches.pop_back();
    }
    return batches;
  }

  LifeResult live(const std::function<void(LifeSteps&)>& steps) {
    block_ = fresh_block(-1, 0);
    LifeSetup setup;
    setup.commandLine = test::QuoteArgument(copy_);
    setup.engineLog = work_.Join(L"engine.log");
    setup.standardError = work_.Join(L"stderr.txt");
    setup.steps = [&](LifeSteps& life) {
      guard_.watch(life.main_window());
      steps(life);
    };
    ++lives_;
    LifeResult result = live_through(setup);
    guard_.stop_watching();
    if (result.exitCode == MemoryGuard::kEndedByTheGuard) {
      result.detail = "took more than 1 GiB of memory and was ended";
    }
    if (result.detail == kCouldNotStart) {
      std::printf("the program could not be started (error %lu)\n", result.exitCode);
      std::exit(2);
    }
    if (block_.exceptionCode != 0 && result.outcome != Outcome::Fatal) {
      const std::string where =
          "exception " + hex(block_.exceptionCode) + " at " + place(block_.exceptionAddress);
      if (result.outcome == Outcome::Survived || result.outcome == Outcome::Degraded) {
        result.outcome = Outcome::Crash;
        result.detail =
            where + ", which Wine let pass" + (result.detail.empty() ? "" : "; " + result.detail);
      } else {
        result.detail += ", " + where;
      }
    }
    return result;
  }

  std::string place(std::uintptr_t address) const {
    const std::uintptr_t base = block_.programBase;
    return base != 0 && address >= base && address - base < 0x1000000
               ? programName_ + "+" + hex(address - base)
               : hex(address);
  }

  LifeResult run_deliveries(Target target, const std::vector<Delivery>& deliveries,
                            const std::string& what, int depth) {
    const LifeResult result = live([&](LifeSteps& life) {
      const DeliveryCounts counts =
          deliver_from_another_process(window_of(target, life), deliveries);
      add(counts);
      if (!counts.stopped.empty()) {
        life.problem(counts.stopped);  // the checks would only wait for what cannot be
        return;
      }
      check_as_it_was(life);
    });
    print_line(target_name(target), std::string(static_cast<std::size_t>(depth) * 2, ' ') + what,
               result);
    return result;
  }

  LifeResult run_batch(Target target, const std::vector<UINT>& messages, int depth) {
    std::vector<Delivery> deliveries;
    for (const UINT message : messages) {
      const std::vector<Delivery> more = deliveries_of(message);
      deliveries.insert(deliveries.end(), more.begin(), more.end());
    }
    return run_deliveries(target, deliveries, span_text(messages), depth);
  }

  // A batch that failed: once more, then halves of it down to single numbers; every half that
  // fails is followed. A batch that fails only whole is reported as such.
  void narrow(Target target, const std::vector<UINT>& batch) {
    if (run_batch(target, batch, 1).outcome == Outcome::Survived) {
      responsible_.push_back(std::string(target_name(target)) + " " + span_text(batch) +
                             ": did not fail a second time");
      return;
    }
    narrow_half(target, batch, 1);
  }

  void narrow_half(Target target, const std::vector<UINT>& messages, int depth) {
    if (messages.size() == 1) {
      narrow_ways(target, messages.front(), depth);
      return;
    }
    const auto middle = messages.begin() + static_cast<std::ptrdiff_t>(messages.size() / 2);
    bool found = false;
    for (const std::vector<UINT>& half :
         {std::vector<UINT>(messages.begin(), middle), std::vector<UINT>(middle, messages.end())}) {
      if (run_batch(target, half, depth + 1).outcome != Outcome::Survived) {
        found = true;
        narrow_half(target, half, depth + 1);
      }
    }
    if (!found) {
      responsible_.push_back(std::string(target_name(target)) + " " + span_text(messages) +
                             ": fails only together");
    }
  }

  // One number that fails: each way alone, and for each way that fails the parameter pair
  // responsible (halving the pairs, following a half that fails).
  void narrow_ways(Target target, UINT message, int depth) {
    for (const Way way : {Way::Sent, Way::Notified, Way::Posted}) {
      std::vector<Delivery> deliveries;
      for (const Delivery& delivery : deliveries_of(message)) {
        if (delivery.way == way) {
          deliveries.push_back(delivery);
        }
      }
      LifeResult failed = run_deliveries(target, deliveries, group_text(deliveries), depth + 1);
      if (failed.outcome == Outcome::Survived) {
        continue;
      }
      while (deliveries.size() > 1) {
        const auto middle = deliveries.begin() + static_cast<std::ptrdiff_t>(deliveries.size() / 2);
        const std::vector<Delivery> first(deliveries.begin(), middle);
        const std::vector<Delivery> rest(middle, deliveries.end());
        if (LifeResult result = run_deliveries(target, first, group_text(first), depth + 2);
            result.outcome != Outcome::Survived) {
          deliveries = first;
          failed = result;
        } else if (result = run_deliveries(target, rest, group_text(rest), depth + 2);
                   result.outcome != Outcome::Survived) {
          deliveries = rest;
          failed = result;
        } else {
          break;
        }
      }
      responsible_.push_back(
          std::string(target_name(target)) + " " + group_text(deliveries) + ": " +
          (deliveries.size() == 1 ? std::string(outcome_name(failed.outcome)) + ", " + failed.detail
                                  : std::string("fails only together")));
    }
  }

  LifeResult run_listed(const ListedMessage& listed, Way way) {
    LifeResult result = live([&](LifeSteps& life) {
      const HWND main = life.main_window();
      const HWND window = listed.toHost ? host_of(main) : main;
      if (listed.response == Response::Honoured &&
          kept_out_of_batches(listed.message, listed.toHost)) {
        add(deliver_from_another_process(window, deliveries_of(listed.message)));
      }
      DeliveryCounts counts;
      deliver(window, listed.message, listed.wParam, listed.lParam, way, counts);
      switch (listed.response) {
        case Response::Ends:
          test::PumpMessagesUntil([&] { return !::IsWindow(main); }, 30000);
          return;
        case Response::Honoured:
          check_dispatched(life);
          if (listed.undo != nullptr) {
            listed.undo(window);
          }
          check_as_it_was(life);
          return;
        case Response::HostClosed:
          life.check("the host window stayed", [&] { return !::IsWindow(window); });
          check_title_and_drop_target(life);
          return;
      }
    });
    if (listed.response == Response::Ends) {
      if (result.exitCode == 0 && result.detail == kEndedByItself) {
        result = LifeResult{Outcome::Survived, "ended with 0 as specified", 0};
      } else if (result.outcome == Outcome::Survived) {
        result = LifeResult{Outcome::Degraded, "did not end on the request", 0};
      }
    }
    print_line(listed.toHost ? "host" : "main", std::string(listed.name) + " " + way_name(way),
               result);
    return result;
  }

  // The stray address among the parameter values must mean nothing in the program.
  static void check_stray_address_free(HWND window) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    const UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    MEMORY_BASIC_INFORMATION memory{};
    if (::VirtualQueryEx(process.get(), reinterpret_cast<const void*>(kStrayAddress), &memory,
                         sizeof(memory)) == 0 ||
        memory.State != MEM_FREE) {
      std::printf("note: the stray address %s is not free in the program\n",
                  hex(kStrayAddress).c_str());
    }
  }

  static void print_line(const std::string& window, const std::string& what,
                         const LifeResult& result) {
    std::printf("%-4s %-40s %-9s %s\n", window.c_str(), what.c_str(), outcome_name(result.outcome),
                result.detail.c_str());
    std::fflush(stdout);
  }

  void add(const DeliveryCounts& counts) {
    made_ += counts.made;
    refused_ += counts.refused;
    timedOut_ += counts.timedOut;
    for (const Delivery& delivery : counts.endedTheSender) {
      endedTheSender_.insert(delivery_text(delivery));
    }
  }

  void count(const LifeResult& result) {
    ++outcomes_[static_cast<int>(result.outcome)];
    failed_ = failed_ || result.outcome != Outcome::Survived;
  }

  void print_summary() const {
    std::printf(
        "\n%d lives in %lu s; deliveries made %ld, refused by the system %ld, timed out %ld, not "
        "made because they ended the sending process %zu\n",
        lives_, (::GetTickCount() - started_) / 1000, made_, refused_, timedOut_,
        endedTheSender_.size());
    std::printf("%-8s %8s %6s %8s %6s %5s %6s\n", "lives", "survived", "fatal", "degraded", "crash",
                "hang", "orphan");
    int total = 0;
    for (const int outcome : outcomes_) {
      total += outcome;
    }
    std::printf("%-8d %8d %6d %8d %6d %5d %6d\n", total, outcomes_[0], outcomes_[1], outcomes_[2],
                outcomes_[3], outcomes_[4], outcomes_[5]);
    for (const std::string& line : responsible_) {
      std::printf("responsible: %s\n", line.c_str());
    }
    for (const std::string& delivery : endedTheSender_) {
      std::printf("ended the sending process: %s\n", delivery.c_str());
    }
  }

  static constexpr char kProxyName[] = "sweep.dll";

  Options options_;
  const test::TempFolder& work_;
  SharedBlock& block_;
  MemoryGuard guard_;
  std::wstring copy_;
  std::string programName_;
  DWORD started_ = ::GetTickCount();
  int lives_ = 0;
  long made_ = 0;
  long refused_ = 0;
  long timedOut_ = 0;
  int outcomes_[kOutcomeCount] = {};
  bool failed_ = false;
  std::vector<std::string> responsible_;
  std::set<std::string> endedTheSender_;
};

int sweep(const Options& options) {
  const test::TempFolder work;
  const test::TempFolder localAppData;
  const std::wstring blockName = L"MirvotMessageSweep-" + std::to_wstring(::GetCurrentProcessId());
  const UniqueHandle mapping(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                  sizeof(SharedBlock), blockName.c_str()));
  void* const view =
      mapping ? ::MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedBlock))
              : nullptr;
  if (view == nullptr) {
    std::fprintf(stderr, "message sweep: no memory to share with the program\n");
    return 2;
  }
  MessageSweep sweep(options, work, *static_cast<SharedBlock*>(view));
  const std::string error = sweep.prepare();
  if (!error.empty()) {
    std::fprintf(stderr, "message sweep: cannot prepare the program: %s\n", error.c_str());
    ::UnmapViewOfFile(view);
    return 2;
  }
  const test::ScopedEnvironment shared(kSharedBlockVariable, blockName);
  const test::ScopedEnvironment log(L"MIRVOT_TEST_ENGINE_LOG", work.Join(L"engine.log"));
  const test::ScopedEnvironment runtime(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER",
                                        test::TestRuntimeFolder(L"fixed"));
  const test::ScopedEnvironment local(L"LOCALAPPDATA", localAppData.path());
  const test::ScopedEnvironment script(L"MIRVOT_TEST_ENGINE_SCRIPT", std::nullopt);
  const test::ScopedEnvironment userData(L"WEBVIEW2_USER_DATA_FOLDER", std::nullopt);
  const test::ScopedEnvironment edgeView(L"WEBVIEW2_USE_EDGE_VIEW", std::nullopt);
  const int status = sweep.run();
  ::UnmapViewOfFile(view);
  return status;
}

}  // namespace
}  // namespace mirvot::sweep

int wmain(int argc, wchar_t** argv) {
  using namespace mirvot::sweep;
  if (argc == 5 && std::wstring(argv[1]) == L"--deliver") {
    return deliver_as_asked(argv[2], argv[3], argv[4]);
  }
  if (const std::optional<Options> options = parse(argc, argv)) {
    return sweep(*options);
  }
  std::fputs(
      "usage: message_sweep [--window main|host] [--range FIRST-LAST] [--batch N] "
      "[--narrow yes|no] [--program EXE]\n",
      stderr);
  return 2;
}
