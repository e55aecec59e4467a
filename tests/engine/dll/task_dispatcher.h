#pragma once
// Runs work later on the calling thread, from that thread's message loop: each thread that asks
// gets a hidden message-only window, and each piece of work is one message posted to it. This is
// how the engine delivers completions "later, on the calling thread", never inside the call.
#include <windows.h>

#include <functional>

namespace mirvot::test_engine {

// Queues task for the calling thread's message loop. Fails when the window cannot be made or the
// message cannot be posted; the task is then dropped.
HRESULT PostToCurrentThread(std::function<void()> task);

// Tasks posted and not yet run.
long PendingTasks();

}  // namespace mirvot::test_engine
