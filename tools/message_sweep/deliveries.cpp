#include "deliveries.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/owners.h"
#include "engine/test_engine_client.h"
#include "harness/debug_capture.h"
#include "harness/program_windows.h"
#include "program_life.h"

namespace mirvot::sweep {
namespace {

// Long enough for a busy machine, short enough that a window caught in a modal loop of the
// system (which takes the sent messages but not the caller's wait) costs little.
constexpr UINT kSendTimeoutMs = 2000;

struct Value {
  const char* name;
  LPARAM value;
  bool ownHandle;  // the receiving window's handle instead of the value
};
enum ValueIndex { kZero, kOne, kMinusOne, kLargestInt, kSmallestInt, kStray, kOwnHandle };
constexpr Value kValues[] = {{"0", 0, false},
                             {"1", 1, false},
                             {"-1", -1, false},
                             {"0x7FFFFFFF", 0x7FFFFFFF, false},
                             {"0x80000000", static_cast<LPARAM>(0x80000000U), false},
                             {"stray", static_cast<LPARAM>(kStrayAddress), false},
                             {"own", 0, true}};
constexpr int kValueCount = static_cast<int>(std::size(kValues));
static_assert(kValues[kStray].value == static_cast<LPARAM>(kStrayAddress) &&
              kValues[kOwnHandle].ownHandle && kValueCount == kOwnHandle + 1);

// Pair 0 is (0, 0); then each other value as both parameters, as wParam alone, as lParam alone.
struct Pair {
  int wParam;
  int lParam;
};
constexpr Pair pair_at(int index) {
  if (index == 0) {
    return {0, 0};
  }
  const int value = 1 + (index - 1) / 3;
  switch ((index - 1) % 3) {
    case 0:
      return {value, value};
    case 1:
      return {value, 0};
    default:
      return {0, value};
  }
}
static_assert(pair_at(kPairCount - 1).lParam == kValueCount - 1);

// The system's own timer message, which Wine dispatches like WM_TIMER.
constexpr UINT kSystemTimer = 0x0118;

// Deliveries that Wine 8 makes fatal or ruinous for any window, a bare one that only calls
// DefWindowProcW as well (measured), whatever the program does: they say nothing about it.
bool left_out(const Delivery& delivery) {
  const Pair pair = pair_at(delivery.pair);
  const bool sent = delivery.way == Way::Sent;
  switch (delivery.message) {
    case WM_GETTEXT:
    case WM_ASKCBFORMATNAME:
      // The receiving side allocates and fills a buffer of wParam characters: terabytes for
      // the stray value. For -1 the receiving thread of WM_ASKCBFORMATNAME dies.
      return sent && (pair.wParam == kStray ||
                      (delivery.message == WM_ASKCBFORMATNAME && pair.wParam == kMinusOne));
    case LB_GETSELITEMS:
      // The receiving thread dies answering with a buffer of 0x7FFFFFFF items.
      return sent && pair.wParam == kLargestInt;
    case WM_TIMER:
    case kSystemTimer:
      // DispatchMessage calls lParam as a timer procedure (Windows calls only procedures that
      // SetTimer registered); Wine then passes over the fault.
      return delivery.way == Way::Posted && pair.lParam != kZero;
    default:
      return false;
  }
}

LPARAM value_for(int index, HWND window) {
  return kValues[index].ownHandle ? reinterpret_cast<LPARAM>(window) : kValues[index].value;
}

// This program started once more with the arguments; its process, or none.
UniqueHandle start_this_program(const std::wstring& arguments) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = test::QuoteArgument(self) + L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
    return UniqueHandle();
  }
  ::CloseHandle(started.hThread);
  return UniqueHandle(started.hProcess);
}

bool answers(HWND window) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) !=
         0;
}

}  // namespace

std::string message_text(UINT message) {
  char text[8];
  std::snprintf(text, sizeof(text), "0x%04X", message);
  return text;
}

const char* way_name(Way way) {
  constexpr const char* kNames[] = {"sent", "notified", "posted"};
  return kNames[static_cast<int>(way)];
}

std::string delivery_text(const Delivery& delivery) {
  const Pair pair = pair_at(delivery.pair);
  return message_text(delivery.message) + " " + way_name(delivery.way) +
         " w=" + kValues[pair.wParam].name + " l=" + kValues[pair.lParam].name;
}

std::vector<Delivery> deliveries_of(UINT message) {
  std::vector<Delivery> deliveries;
  for (int pair = 0; pair < kPairCount; ++pair) {
    for (const Way way : {Way::Sent, Way::Notified, Way::Posted}) {
      const Delivery delivery{message, pair, way};
      if (!left_out(delivery)) {
        deliveries.push_back(delivery);
      }
    }
  }
  return deliveries;
}

// 0x313 (the undocumented request for a window's system menu) and the WM_DDE_* messages
// 0x3E0-0x3E8, posted in one life, leave Wine 8's menu loop where WM_CLOSE no longer ends even
// a bare window that only calls DefWindowProcW (measured); either alone is harmless. Each is
// swept, never both for one program.
bool must_not_meet(UINT first, UINT second) {
  const auto dde = [](UINT message) { return message >= 0x3E0 && message <= 0x3E8; };
  return (first == 0x313 && dde(second)) || (second == 0x313 && dde(first));
}

bool deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Way way,
             DeliveryCounts& counts) {
  if (!::IsWindow(window)) {
    counts.stopped = "the window is gone";
    return false;
  }
  ::SetLastError(ERROR_SUCCESS);
  bool delivered = false;
  DWORD_PTR result = 0;
  switch (way) {
    case Way::Sent:
      delivered = ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                        kSendTimeoutMs, &result) != 0;
      break;
    case Way::Notified:
      delivered = ::SendNotifyMessageW(window, message, wParam, lParam) != FALSE;
      break;
    case Way::Posted:
      delivered = test::PostPatiently(window, message, wParam, lParam);
      break;
  }
  const DWORD error = ::GetLastError();
  ++counts.made;
  if (delivered) {
    return true;
  }
  if (error != ERROR_TIMEOUT) {
    ++counts.refused;
    return true;
  }
  ++counts.timedOut;
  if (::IsWindow(window) && !answers(window)) {
    counts.stopped = "the window stopped answering";
    return false;
  }
  return true;
}

DeliveryCounts deliver(HWND window, const std::vector<Delivery>& deliveries) {
  DeliveryCounts counts;
  for (const Delivery& delivery : deliveries) {
    const Pair pair = pair_at(delivery.pair);
    if (!deliver(window, delivery.message, static_cast<WPARAM>(value_for(pair.wParam, window)),
                 value_for(pair.lParam, window), delivery.way, counts)) {
      counts.stopped += " after " + delivery_text(delivery);
      break;
    }
  }
  return counts;
}

DeliveryCounts deliver_from_another_process(HWND window, const std::vector<Delivery>& deliveries,
                                            const std::wstring& file) {
  std::ofstream(std::filesystem::path(file), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(deliveries.data()),
             static_cast<std::streamsize>(deliveries.size() * sizeof(Delivery)));
  DeliveryCounts counts;
  const UniqueHandle sender =
      start_this_program(L"--deliver " + std::to_wstring(reinterpret_cast<ULONG_PTR>(window)) +
                         L" " + test::QuoteArgument(file));
  if (!sender) {
    counts.stopped = "the sending process could not be started";
    return counts;
  }
  // Every send is bounded and a window that stops answering ends the list.
  if (!test::PumpMessagesUntil(
          [&] { return ::WaitForSingleObject(sender.get(), 0) == WAIT_OBJECT_0; }, 600000)) {
    ::TerminateProcess(sender.get(), ERROR_TIMEOUT);
  }
  DWORD exitCode = 0;
  ::GetExitCodeProcess(sender.get(), &exitCode);
  std::ifstream results(std::filesystem::path(file + L".out"));
  results >> counts.made >> counts.refused >> counts.timedOut;
  std::getline(results >> std::ws, counts.stopped);
  if (exitCode != 0) {
    counts.stopped = "the sending process ended with " + hex(exitCode);
  }
  return counts;
}

int deliver_as_asked(const std::wstring& window, const std::wstring& file) {
  std::ifstream list(std::filesystem::path(file), std::ios::binary);
  std::vector<Delivery> deliveries;
  for (Delivery delivery{}; list.read(reinterpret_cast<char*>(&delivery), sizeof(delivery));) {
    deliveries.push_back(delivery);
  }
  const DeliveryCounts counts =
      deliver(reinterpret_cast<HWND>(std::wcstoull(window.c_str(), nullptr, 10)), deliveries);
  std::ofstream(std::filesystem::path(file + L".out"))
      << counts.made << ' ' << counts.refused << ' ' << counts.timedOut << '\n'
      << counts.stopped << '\n';
  return 0;
}

}  // namespace mirvot::sweep
