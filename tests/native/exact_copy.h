#pragma once
// A test's input in a heap block of exactly its length. A string literal or a std::basic_string
// carries a NUL after its last unit, so a reader that looks one unit past the end finds that NUL
// and goes on unseen; past the end of this block, AddressSanitizer stops it.
#include <algorithm>
#include <cstddef>
#include <memory>
#include <string_view>

namespace mirvot {

template <typename Char>
class ExactCopy {
 public:
  explicit ExactCopy(std::basic_string_view<Char> text)
      : data_(std::make_unique<Char[]>(text.size())), size_(text.size()) {
    std::copy(text.begin(), text.end(), data_.get());
  }

  [[nodiscard]] std::basic_string_view<Char> view() const { return {data_.get(), size_}; }

 private:
  std::unique_ptr<Char[]> data_;
  std::size_t size_;
};

ExactCopy(std::u16string_view)->ExactCopy<char16_t>;
ExactCopy(std::string_view)->ExactCopy<char>;

}  // namespace mirvot
