#pragma once
// What the message sweep delivers to one of the program's windows, and the delivering itself.
//
// A delivery is one message number with one pair of parameters, made one way: sent and waited
// for (SendMessageTimeoutW), sent without waiting (SendNotifyMessageW) or posted (PostMessageW).
// The parameters are taken from seven values (0, 1, -1, 0x7FFFFFFF, 0x80000000, an address
// that is free in the program, the receiving window's own handle), each as both parameters and
// as either one with the other 0.
#include <windows.h>

#include <string>
#include <vector>

namespace mirvot::sweep {

enum class Way { Sent, Notified, Posted };

struct Delivery {
  UINT message;
  int pair;  // index of the parameter pair, below kPairCount
  Way way;
};

inline constexpr int kPairCount = 19;

// "0x02E0", "sent", and a whole delivery "0x02E0 sent w=0 l=stray".
std::string message_text(UINT message);
const char* way_name(Way way);
std::string delivery_text(const Delivery& delivery);

// Every way and pair of one message, less the deliveries left out (deliveries.cpp says why).
std::vector<Delivery> deliveries_of(UINT message);

// Messages whose deliveries must not share one program's life (deliveries.cpp says why).
bool must_not_meet(UINT first, UINT second);

// An address with nothing mapped at it in the program: the stray pointer among the values.
inline constexpr ULONG_PTR kStrayAddress = 0x00003C3C3C3C0000;

struct DeliveryCounts {
  LONG made = 0;
  LONG refused = 0;  // the system refused them (for example, pointers it cannot carry across)
  LONG timedOut = 0;
  std::string stopped;  // why the rest was not delivered, when it was not
  // Deliveries that ended the sending process itself: not made.
  std::vector<Delivery> endedTheSender;
};

// Delivers one message one way, pausing while the window's queue is full; false when the
// window is gone or has stopped answering, and nothing more should be delivered.
bool deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Way way,
             DeliveryCounts& counts);
// Each in turn to the window, stopping early as above, from a process of its own: this program
// started with the arguments
//   --deliver <window> <shared memory> <count>
// which runs deliver_as_asked. The system packs in the sender what a message's parameters point
// at, allocates there what they ask for (a buffer of wParam characters for WM_GETTEXT, for one)
// and keeps some of it, and Wine ends a sender whose packed data does not fit through to the
// receiver: none of that may end the sweep. A delivery that ends its sender is noted and not
// made, and another sender goes on after it.
DeliveryCounts deliver_from_another_process(HWND window, const std::vector<Delivery>& deliveries);
int deliver_as_asked(const std::wstring& window, const std::wstring& name,
                     const std::wstring& count);

}  // namespace mirvot::sweep
