#pragma once
// Our own declarations of the published WebView2 engine COM interfaces that this program calls or
// implements. The engine is a separately built binary that reaches these objects only through
// their vtables, so what matters is the slot order: every interface derives from its direct parent
// alone and lists its methods in exactly the engine's vtable order, including the methods this
// program never calls. Adding, removing or reordering a method moves every later slot; the slot
// test in tests/webview2 pins each one down. The number after each method is its slot.
//
// Everything is declared at global namespace under the published names, as the platform headers
// declare their interfaces. Interfaces that appear only as parameter types are declared
// incomplete: their pointers are passed through and never dereferenced.
//
// One header a concern (environment, view, options, events); this one includes them all.
#include "webview2/core_view.h"
#include "webview2/environment.h"
#include "webview2/environment_options.h"
#include "webview2/events.h"
