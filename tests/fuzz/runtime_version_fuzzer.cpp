// Version text of a registered runtime folder (the last component of a registry value).
// Input: UTF-16LE text.
// Invariants:
//   - the result matches an independent reading of the rule, for the whole text in a buffer of
//     exactly its size and for a view of its first half that sits inside the longer text (so
//     the parse cannot depend on anything past the view);
//   - a failure happens exactly when the first component has no digit after white space and
//     sign, and leaves the output untouched;
//   - a success formatted back as four signed numbers parses to the same version; formatted
//     as unsigned numbers it does so exactly when no component is above 0x7FFFFFFF (larger
//     ones saturate to 0x7FFFFFFF);
//   - the comparison is a total order consistent with equality.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "loader/core/runtime_version.h"
#include "reference_rules.h"

namespace mirvot::fuzz {
namespace {

constexpr RuntimeVersion kUntouched{0xA5A5A5A5u, 1, 2, 3};

std::array<std::uint32_t, 4> ComponentsOf(const RuntimeVersion& v) {
  return {v.major, v.minor, v.build, v.patch};
}

std::u16string Format(const RuntimeVersion& v, bool asSigned) {
  std::string text;
  for (const std::uint32_t c : ComponentsOf(v)) {
    if (!text.empty()) {
      text += '.';
    }
    text += asSigned ? std::to_string(static_cast<std::int32_t>(c)) : std::to_string(c);
  }
  return std::u16string(text.begin(), text.end());
}

// Parses the view and checks it against the reference; returns the result for more checks.
std::optional<RuntimeVersion> CheckAgainstReference(std::u16string_view view,
                                                    std::u16string_view copyForReference) {
  RuntimeVersion version = kUntouched;
  const bool parsed = ParseRuntimeVersion(view, version);
  const auto expected = ReferenceParseVersion(copyForReference);
  MIRVOT_FUZZ_CHECK(parsed == expected.has_value());
  // Failing means the first component read nothing.
  MIRVOT_FUZZ_CHECK(parsed == ReferenceReadInteger(copyForReference).hasDigits);
  if (!parsed) {
    MIRVOT_FUZZ_CHECK(version == kUntouched);
    return std::nullopt;
  }
  MIRVOT_FUZZ_CHECK(ComponentsOf(version) == *expected);
  return version;
}

}  // namespace
}  // namespace mirvot::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mirvot;
  using namespace mirvot::fuzz;
  const std::u16string text = DecodeUtf16Le(data, size);

  const ExactText whole(text);
  const std::optional<RuntimeVersion> version = CheckAgainstReference(whole.view(), text);

  const std::u16string_view firstHalf = std::u16string_view(text).substr(0, text.size() / 2);
  const std::optional<RuntimeVersion> halfVersion =
      CheckAgainstReference(firstHalf, std::u16string(firstHalf));

  for (const std::optional<RuntimeVersion>& parsed : {version, halfVersion}) {
    if (!parsed) {
      continue;
    }
    RuntimeVersion again = kUntouched;
    MIRVOT_FUZZ_CHECK(ParseRuntimeVersion(Format(*parsed, true), again));
    MIRVOT_FUZZ_CHECK(again == *parsed);

    RuntimeVersion unsignedAgain = kUntouched;
    MIRVOT_FUZZ_CHECK(ParseRuntimeVersion(Format(*parsed, false), unsignedAgain));
    const auto original = ComponentsOf(*parsed);
    const auto reread = ComponentsOf(unsignedAgain);
    for (std::size_t i = 0; i < 4; ++i) {
      MIRVOT_FUZZ_CHECK(reread[i] == std::min<std::uint32_t>(original[i], 0x7FFFFFFFu));
    }
  }

  if (version && halfVersion) {
    const int forward = CompareRuntimeVersion(*version, *halfVersion);
    const int backward = CompareRuntimeVersion(*halfVersion, *version);
    MIRVOT_FUZZ_CHECK(forward == -backward);
    MIRVOT_FUZZ_CHECK((forward == 0) == (*version == *halfVersion));
    MIRVOT_FUZZ_CHECK((forward < 0) == (ComponentsOf(*version) < ComponentsOf(*halfVersion)));
  }
  return 0;
}
