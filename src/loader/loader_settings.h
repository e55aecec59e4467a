#pragma once
// The effective settings of one environment creation. The entry fills in the caller's
// arguments, settings resolution completes them from variables, policies and the caller's
// options object, and runtime discovery reads them.
#include <cstdint>

#include "loader/core/channel_list.h"  // ReleaseChannel
#include "webview2/webview2_interfaces.h"

namespace mirvot {

struct LoaderSettings {
  // Folder of a fixed runtime; when non-null and non-empty, discovery looks only there.
  const wchar_t* browserExecutableFolder = nullptr;
  // Profile folder handed to the engine; discovery does not read it.
  const wchar_t* userDataFolder = nullptr;
  // The caller's options object, not owned; may be null.
  ICoreWebView2EnvironmentOptions* environmentOptions = nullptr;
  // kChannelSearchLeastStableFirst (1) searches the least stable channel first; any other
  // value searches the most stable first.
  std::int32_t channelSearchKind = 0;
  // Edge view mode: the Stable channel is then looked up in the Edge browser's registration.
  bool useEdgeView = false;
  // releaseChannels holds an explicit choice.
  bool releaseChannelsSet = false;
  // channelSearchKind came from a variable or a policy.
  bool channelSearchKindSet = false;
  // Bit n selects release channel n.
  std::int32_t releaseChannels = 0;
};

// The record owns no strings: the two folder pointers refer to the caller's arguments or to
// texts kept alive by whoever resolved the settings (see ResolvedTextStorage).
static_assert(sizeof(bool) == 1, "the flags of LoaderSettings are 8-bit booleans");

}  // namespace mirvot
