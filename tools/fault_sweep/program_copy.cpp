#include "program_copy.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace mirvot::sweep {
namespace {

// The image as read from its file, with its sections to turn addresses into file offsets.
class ImageFile {
 public:
  static constexpr std::size_t kNowhere = ~std::size_t{0};

  explicit ImageFile(std::vector<char> bytes) : bytes_(std::move(bytes)) {
    const auto* dos = at<IMAGE_DOS_HEADER>(0);
    if (dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) {
      return;
    }
    nt_ = at<IMAGE_NT_HEADERS64>(static_cast<std::size_t>(dos->e_lfanew));
    if (nt_ == nullptr || nt_->Signature != IMAGE_NT_SIGNATURE ||
        nt_->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC ||
        reinterpret_cast<const char*>(IMAGE_FIRST_SECTION(nt_) + nt_->FileHeader.NumberOfSections) >
            bytes_.data() + bytes_.size()) {
      nt_ = nullptr;
    }
  }

  [[nodiscard]] bool valid() const { return nt_ != nullptr; }
  [[nodiscard]] const std::vector<char>& bytes() const { return bytes_; }

  // The file offset of an address of the loaded image; kNowhere when no section holds it.
  [[nodiscard]] std::size_t offset_of(DWORD rva) const {
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt_);
    for (WORD i = 0; i < nt_->FileHeader.NumberOfSections; ++i, ++section) {
      if (rva >= section->VirtualAddress &&
          rva < section->VirtualAddress + section->SizeOfRawData) {
        return rva - section->VirtualAddress + section->PointerToRawData;
      }
    }
    return kNowhere;
  }

  // The structure at a file offset; null unless the file holds all of it.
  template <typename T>
  [[nodiscard]] T* at(std::size_t offset) {
    return offset < bytes_.size() && bytes_.size() - offset >= sizeof(T)
               ? reinterpret_cast<T*>(&bytes_[offset])
               : nullptr;
  }
  // The NUL-terminated text at an address of the loaded image; null unless the file holds it.
  [[nodiscard]] char* text_at(DWORD rva) {
    const std::size_t offset = offset_of(rva);
    if (offset >= bytes_.size() ||
        std::memchr(&bytes_[offset], '\0', bytes_.size() - offset) == nullptr) {
      return nullptr;
    }
    return &bytes_[offset];
  }
  [[nodiscard]] const IMAGE_DATA_DIRECTORY& imports() const {
    return nt_->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  }

 private:
  std::vector<char> bytes_;
  IMAGE_NT_HEADERS64* nt_ = nullptr;
};

// The names a descriptor imports (ordinal imports have none).
bool list_functions(ImageFile& image, const IMAGE_IMPORT_DESCRIPTOR& descriptor,
                    std::vector<std::string>& functions) {
  const DWORD lookup =
      descriptor.OriginalFirstThunk != 0 ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
  for (DWORD entry = lookup;; entry += sizeof(IMAGE_THUNK_DATA64)) {
    const auto* thunk = image.at<IMAGE_THUNK_DATA64>(image.offset_of(entry));
    if (thunk == nullptr) {
      return false;
    }
    if (thunk->u1.AddressOfData == 0) {
      return true;
    }
    if (IMAGE_SNAP_BY_ORDINAL64(thunk->u1.Ordinal)) {
      continue;
    }
    const char* name = image.text_at(static_cast<DWORD>(thunk->u1.AddressOfData) +
                                     offsetof(IMAGE_IMPORT_BY_NAME, Name));
    if (name == nullptr) {
      return false;
    }
    functions.emplace_back(name);
  }
}

}  // namespace

ProgramCopy copy_with_imports_renamed(const std::wstring& source, const std::wstring& target,
                                      const std::string& proxyName) {
  ProgramCopy copy;
  std::ifstream in(source.c_str(), std::ios::binary);
  ImageFile image(std::vector<char>(std::istreambuf_iterator<char>(in), {}));
  if (!image.valid() || image.imports().VirtualAddress == 0) {
    copy.error = "not a 64-bit image with imports";
    return copy;
  }
  for (DWORD entry = image.imports().VirtualAddress;; entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    auto* descriptor = image.at<IMAGE_IMPORT_DESCRIPTOR>(image.offset_of(entry));
    if (descriptor == nullptr) {
      copy.error = "an import descriptor lies outside the file";
      return copy;
    }
    if (descriptor->Name == 0) {
      break;
    }
    char* library = image.text_at(descriptor->Name);
    if (library == nullptr || !list_functions(image, *descriptor, copy.functions)) {
      copy.error = "an import lies outside the file";
      return copy;
    }
    const std::size_t length = std::strlen(library);
    if (length < proxyName.size()) {
      copy.error = std::string("the library name ") + library + " is shorter than " + proxyName;
      return copy;
    }
    std::memset(library, 0, length);
    std::memcpy(library, proxyName.data(), proxyName.size());
  }
  std::ofstream out(target.c_str(), std::ios::binary | std::ios::trunc);
  out.write(image.bytes().data(), static_cast<std::streamsize>(image.bytes().size()));
  if (!out) {
    copy.error = "the copy could not be written";
  }
  return copy;
}

}  // namespace mirvot::sweep
