#pragma once
// Reads every getter of every environment-options interface the caller's object answers and logs
// what each returned: the engine takes its configuration from these getters.
#include "webview2/webview2_interfaces.h"

namespace mirvot::test_engine {

void LogEnvironmentOptions(ICoreWebView2EnvironmentOptions* options);

}  // namespace mirvot::test_engine
