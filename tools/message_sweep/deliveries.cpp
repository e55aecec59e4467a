#include "deliveries.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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

// What the sending process reports as it goes, in memory it shares with the sweep, followed by
// the list of deliveries.
struct SenderReport {
  LONG next;  // the delivery being made
  LONG done;  // through the list, or stopped
  LONG made;
  LONG refused;
  LONG timedOut;
  char stopped[248];
};

// How many senders a list may end before the sweep gives up on it.
constexpr std::size_t kSenderLives = 16;

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

DeliveryCounts deliver_from_another_process(HWND window, const std::vector<Delivery>& deliveries) {
  static int calls = 0;
  const std::wstring name = L"MirvotMessageSweepSender-" +
                            std::to_wstring(::GetCurrentProcessId()) + L"-" +
                            std::to_wstring(++calls);
  const DWORD size = sizeof(SenderReport) + deliveries.size() * sizeof(Delivery);
  const UniqueHandle mapping(
      ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name.c_str()));
  auto* const report = static_cast<SenderReport*>(
      mapping ? ::MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, size) : nullptr);
  DeliveryCounts counts;
  if (report == nullptr) {
    counts.stopped = "no memory to share with the sending process";
    return counts;
  }
  *report = SenderReport{};
  std::copy(deliveries.begin(), deliveries.end(), reinterpret_cast<Delivery*>(report + 1));
  const std::wstring arguments = L"--deliver " +
                                 std::to_wstring(reinterpret_cast<ULONG_PTR>(window)) + L" " +
                                 name + L" " + std::to_wstring(deliveries.size());
  // A sender that dies of a delivery (Wine ends it when the data the system carries for it
  // does not fit through) is followed by another from the next one on.
  while (report->done == 0 && counts.endedTheSender.size() < kSenderLives) {
    const UniqueHandle sender = start_this_program(arguments);
    if (!sender) {
      counts.stopped = "the sending process could not be started";
      break;
    }
    // Every send is bounded and a window that stops answering ends the list.
    if (!test::PumpMessagesUntil(
            [&] { return ::WaitForSingleObject(sender.get(), 0) == WAIT_OBJECT_0; }, 600000)) {
      ::TerminateProcess(sender.get(), ERROR_TIMEOUT);
      ::WaitForSingleObject(sender.get(), INFINITE);
    }
    if (report->done == 0 && static_cast<std::size_t>(report->next) < deliveries.size()) {
      counts.endedTheSender.push_back(deliveries[static_cast<std::size_t>(report->next)]);
      ++report->next;
      report->done = static_cast<std::size_t>(report->next) < deliveries.size() ? 0 : 1;
    }
  }
  counts.made = report->made;
  counts.refused = report->refused;
  counts.timedOut = report->timedOut;
  if (counts.stopped.empty()) {
    counts.stopped = report->done != 0 ? report->stopped : "the sending process kept ending";
  }
  ::UnmapViewOfFile(report);
  return counts;
}

int deliver_as_asked(const std::wstring& window, const std::wstring& name,
                     const std::wstring& count) {
  const std::size_t size = std::wcstoull(count.c_str(), nullptr, 10);
  const UniqueHandle mapping(::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()));
  auto* const report = static_cast<SenderReport*>(
      mapping ? ::MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0,
                                sizeof(SenderReport) + size * sizeof(Delivery))
              : nullptr);
  if (report == nullptr) {
    return 2;
  }
  const auto* const deliveries = reinterpret_cast<const Delivery*>(report + 1);
  const auto target = reinterpret_cast<HWND>(std::wcstoull(window.c_str(), nullptr, 10));
  DeliveryCounts counts{report->made, report->refused, report->timedOut, {}, {}};
  for (auto next = static_cast<std::size_t>(report->next); next < size; ++next) {
    report->next = static_cast<LONG>(next);
    const Delivery& delivery = deliveries[next];
    const Pair pair = pair_at(delivery.pair);
    const bool goOn =
        deliver(target, delivery.message, static_cast<WPARAM>(value_for(pair.wParam, target)),
                value_for(pair.lParam, target), delivery.way, counts);
    report->made = counts.made;
    report->refused = counts.refused;
    report->timedOut = counts.timedOut;
    if (!goOn) {
      counts.stopped += " after " + delivery_text(delivery);
      std::snprintf(report->stopped, sizeof(report->stopped), "%s", counts.stopped.c_str());
      break;
    }
  }
  report->done = 1;
  ::UnmapViewOfFile(report);
  return 0;
}

}  // namespace mirvot::sweep
