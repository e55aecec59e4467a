// Download destinations proposed by the engine, written back before the download starts.
// Input: UTF-16LE text, the proposed path. Inputs that do not start with \\?\ are rare in
// the interesting space, so when the first unit is '!' it is replaced by the prefix
// \\?\ to reach the deeper rules quickly.
// Invariants:
//   - the result is the path unchanged or the path without its four-unit \\?\ prefix, and
//     the latter only for \\?\ followed by an ASCII drive letter and ':';
//   - it equals the documented rule computed independently (length below 260, no '/', no
//     empty, "." or ".." component, none ending in '.' or ' ', no control or < > : " | ? *
//     unit, no device name);
//   - a changed path is a drive-rooted plain path of at most 259 units;
//   - normalising again changes nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "reference_rules.h"
#include "shell/core/download_path.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mirvot;
  using namespace mirvot::fuzz;
  std::u16string text = DecodeUtf16Le(data, size);
  if (!text.empty() && text[0] == u'!') {
    text.replace(0, 1, u"\\\\?\\");
  }
  const ExactText exact(text);
  const std::u16string_view path = exact.view();

  const std::u16string normalized = normalize_download_path(path);
  const bool changed = normalized != path;
  if (changed) {
    MIRVOT_FUZZ_CHECK(path.starts_with(u"\\\\?\\"));
    MIRVOT_FUZZ_CHECK(normalized == path.substr(4));
    MIRVOT_FUZZ_CHECK(normalized.size() <= 259);
    MIRVOT_FUZZ_CHECK(normalized.size() >= 3 && IsAsciiLetter(normalized[0]) &&
                      normalized[1] == u':' && normalized[2] == u'\\');
  }
  MIRVOT_FUZZ_CHECK(normalized == ReferenceNormalizeDownloadPath(text));

  const ExactText once(normalized);
  MIRVOT_FUZZ_CHECK(normalize_download_path(once.view()) == normalized);
  return 0;
}
