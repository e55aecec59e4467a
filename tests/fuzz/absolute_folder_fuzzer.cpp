// Browser executable folders from the caller, WEBVIEW2_BROWSER_EXECUTABLE_FOLDER or the
// BrowserExecutableFolder policy: which ones are used as given and which are placed beside
// the executable.
// Input: UTF-16LE text.
// Invariants:
//   - IsAbsoluteFolder equals the rule computed independently;
//   - only the first three units matter;
//   - the same folder written with forward slashes is never absolute;
//   - nothing past the view is read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "loader/core/folder_rules.h"
#include "reference_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mirvot;
  using namespace mirvot::fuzz;
  const std::u16string text = DecodeUtf16Le(data, size);
  const ExactText exact(text);

  const bool absolute = IsAbsoluteFolder(exact.view());
  MIRVOT_FUZZ_CHECK(absolute == ReferenceIsAbsoluteFolder(text));

  if (text.size() >= 3) {
    const ExactText head(std::u16string_view(text).substr(0, 3));
    MIRVOT_FUZZ_CHECK(IsAbsoluteFolder(head.view()) == absolute);
  }

  std::u16string forward = text;
  std::replace(forward.begin(), forward.end(), u'\\', u'/');
  const ExactText forwardExact(forward);
  MIRVOT_FUZZ_CHECK(!IsAbsoluteFolder(forwardExact.view()));
  return 0;
}
