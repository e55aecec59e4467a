#pragma once
// Shared pieces of the fuzz targets: how fuzz bytes become text, buffers sized exactly to
// their contents (so AddressSanitizer sees any read past a view), and the check that turns a
// broken invariant into a crash libFuzzer records.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace mirvot::fuzz {

// The fuzz bytes as UTF-16 text: each pair of bytes is one code unit, little-endian (so the
// corpus files are plain UTF-16LE). An odd last byte is ignored. Any unit is possible,
// NUL and unpaired surrogates included.
inline std::u16string DecodeUtf16Le(const std::uint8_t* data, std::size_t size) {
  std::u16string text;
  text.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  return text;
}

// A heap copy of some text with no room after its last unit: no terminator, no spare
// capacity. A function that reads even one unit past the view it was given is reported by
// AddressSanitizer, which a std::u16string (with its terminator and slack) would hide.
class ExactText {
 public:
  explicit ExactText(std::u16string_view text)
      : size_(text.size()), units_(new char16_t[text.size()]) {
    if (size_ != 0) {
      std::memcpy(units_.get(), text.data(), size_ * sizeof(char16_t));
    }
  }

  [[nodiscard]] std::u16string_view view() const noexcept { return {units_.get(), size_}; }
  [[nodiscard]] char16_t* data() noexcept { return units_.get(); }
  [[nodiscard]] std::size_t size() const noexcept { return size_; }

 private:
  std::size_t size_;
  std::unique_ptr<char16_t[]> units_;
};

// Reads a little-endian value from a fixed place in the input; missing bytes count as 0.
template <typename T>
T ReadLittleEndianAt(const std::uint8_t* data, std::size_t size, std::size_t offset) {
  unsigned char bytes[sizeof(T)] = {};
  for (std::size_t i = 0; i < sizeof(T) && offset + i < size; ++i) {
    bytes[i] = data[offset + i];
  }
  T value;
  std::memcpy(&value, bytes, sizeof(T));
  return value;
}

// Text in a crash report: printable ASCII as is, everything else as \uXXXX.
inline void PrintUtf16(const char* label, std::u16string_view text) {
  std::fprintf(stderr, "  %s (%zu units): \"", label, text.size());
  for (const char16_t unit : text) {
    if (unit >= 0x20 && unit < 0x7F && unit != u'\\' && unit != u'"') {
      std::fputc(static_cast<int>(unit), stderr);
    } else {
      std::fprintf(stderr, "\\u%04X", static_cast<unsigned>(unit));
    }
  }
  std::fprintf(stderr, "\"\n");
}

[[noreturn]] inline void InvariantBroken(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "INVARIANT BROKEN: %s\n  at %s:%d\n", condition, file, line);
  std::fflush(stderr);
  std::abort();
}

}  // namespace mirvot::fuzz

// Aborts (which libFuzzer records as a crash with the input that caused it) when an invariant
// does not hold. Active in every build: the fuzz targets are never built without it.
#define MIRVOT_FUZZ_CHECK(condition)                                   \
  do {                                                                 \
    if (!(condition)) {                                                \
      ::mirvot::fuzz::InvariantBroken(#condition, __FILE__, __LINE__); \
    }                                                                  \
  } while (false)
