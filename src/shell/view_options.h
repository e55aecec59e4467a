#pragma once
// What the shell hands to the browser view when it builds one.
#include <functional>
#include <optional>
#include <string>

namespace mirvot {

// Shared by every view built with it: the profile folder the runtime keeps its user data in,
// absent when the local application data folder is unknown (the runtime then picks its own).
struct BrowserContext {
  std::optional<std::wstring> profile_folder;
};

// Given a download's URI and the destination path the runtime proposes (which it may change),
// returns true to save there or false to cancel the download.
using DownloadStartedCallback = std::function<bool(const std::string& uri, std::wstring& path)>;

struct ViewOptions {
  // Outlives every view built with it.
  BrowserContext& context;
  // The start URL, UTF-8.
  std::string url;
  // Present in this program; without it no download response is registered.
  DownloadStartedCallback on_download_started;
};

}  // namespace mirvot
