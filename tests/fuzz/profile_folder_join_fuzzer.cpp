// The profile folder below LOCALAPPDATA, whose value the environment controls.
// Input: UTF-16LE text, the variable's value. The first half is also used as a path and the
// second half as a component for append_path_component on its own.
// Invariants:
//   - the folder starts with the value unchanged and ends with "Mirvot\WebView2";
//   - between them is one backslash or nothing: nothing exactly when the value is empty,
//     already ends in '\' or '/', or is only an ASCII drive letter and ':' (so the join never
//     doubles a separator and never roots a drive-relative path);
//   - no variable gives no folder;
//   - append_path_component follows the same separator rule for any path and component.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "reference_rules.h"
#include "shell/core/profile_folder_path.h"

namespace mirvot::fuzz {
namespace {

bool ReferenceNeedsSeparator(std::u16string_view path) {
  if (path.empty() || path.ends_with(u'\\') || path.ends_with(u'/')) {
    return false;
  }
  const bool bareDrive = path.size() == 2 && IsAsciiLetter(path[0]) && path[1] == u':';
  return !bareDrive;
}

void CheckJoined(std::u16string_view joined, std::u16string_view path,
                 std::u16string_view component) {
  MIRVOT_FUZZ_CHECK(joined.starts_with(path));
  MIRVOT_FUZZ_CHECK(joined.ends_with(component));
  MIRVOT_FUZZ_CHECK(joined.size() >= path.size() + component.size());
  const std::u16string_view between =
      joined.substr(path.size(), joined.size() - path.size() - component.size());
  MIRVOT_FUZZ_CHECK(between == (ReferenceNeedsSeparator(path) ? u"\\" : u""));
}

}  // namespace
}  // namespace mirvot::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mirvot;
  using namespace mirvot::fuzz;
  const std::u16string text = DecodeUtf16Le(data, size);
  const ExactText value(text);

  const std::optional<std::u16string> folder = join_profile_folder(value.view());
  MIRVOT_FUZZ_CHECK(folder.has_value());
  CheckJoined(*folder, text, u"Mirvot\\WebView2");
  MIRVOT_FUZZ_CHECK(!join_profile_folder(std::nullopt).has_value());

  const std::u16string_view all(text);
  const std::u16string_view path = all.substr(0, text.size() / 2);
  const ExactText component(all.substr(text.size() / 2));
  std::u16string joined(path);
  append_path_component(joined, component.view());
  CheckJoined(joined, path, component.view());
  return 0;
}
