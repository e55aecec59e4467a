// The executable's file name, which names the per-application policy values, and the other
// rules that cut a path at its last backslash.
// Input: UTF-16LE text; the first half is the path, the second half a relative folder.
// Invariants:
//   - ExeFileName is a suffix of the path (a view into it, not a copy) without any backslash,
//     and the longest such: it is the whole path or follows a backslash;
//   - RuntimeVersionText gives the same tail, and nothing exactly when there is no backslash;
//   - ResolveFolderAgainstExe is the path without its file name, then the relative folder,
//     and nothing exactly when there is no backslash;
//   - ClientDllPathIn is the folder, one backslash, then the library's relative path;
//   - nothing past the view is read.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "loader/core/folder_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mirvot;
  using namespace mirvot::fuzz;
  const std::u16string text = DecodeUtf16Le(data, size);
  const std::u16string_view all(text);
  const ExactText path(all.substr(0, text.size() / 2));
  const ExactText relative(all.substr(text.size() / 2));
  const std::u16string_view p = path.view();
  const bool hasBackslash = p.find(u'\\') != std::u16string_view::npos;

  const std::u16string_view name = ExeFileName(p);
  MIRVOT_FUZZ_CHECK(name.size() <= p.size());
  MIRVOT_FUZZ_CHECK(name.data() + name.size() == p.data() + p.size());
  MIRVOT_FUZZ_CHECK(name.find(u'\\') == std::u16string_view::npos);
  const std::size_t directoryLength = p.size() - name.size();
  MIRVOT_FUZZ_CHECK(directoryLength == 0 ? !hasBackslash : p[directoryLength - 1] == u'\\');

  const std::optional<std::u16string_view> version = RuntimeVersionText(p);
  MIRVOT_FUZZ_CHECK(version.has_value() == hasBackslash);
  if (version) {
    MIRVOT_FUZZ_CHECK(*version == name);
  }

  const std::optional<std::u16string> resolved = ResolveFolderAgainstExe(p, relative.view());
  MIRVOT_FUZZ_CHECK(resolved.has_value() == hasBackslash);
  if (resolved) {
    std::u16string expected(p.substr(0, directoryLength));
    expected.append(relative.view());
    MIRVOT_FUZZ_CHECK(*resolved == expected);
  }

  const std::u16string dll = ClientDllPathIn(p);
  MIRVOT_FUZZ_CHECK(dll == std::u16string(p) + u"\\" + kClientDllRelativePath);
  return 0;
}
