// Reads the resources back out of the built Mirvot.exe, as the desktop shell and the file
// properties dialog would: icon group 1 with its ten PNG images, and the version record.
//
// The executable is found through the MIRVOT_EXE environment variable, or else the path the
// build compiled in as MIRVOT_EXE_PATH. Host paths such as /work/build/Mirvot.exe are fine.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/owners.h"
#include "common/wide_text.h"
#include "harness/environment.h"
#include "harness/host_paths.h"
#include "png_reading.h"
#include "shell/window_icon_data.h"

namespace mirvot::test {
namespace {

constexpr WORD kUsEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);  // 1033
constexpr std::uint32_t kIconSizes[] = {16, 20, 24, 32, 40, 48, 64, 96, 128, 256};
constexpr std::size_t kGroupHeaderSize = 6;
constexpr std::size_t kGroupEntrySize = 14;

std::wstring ExecutablePath() {
  if (const auto from_environment = GetEnvironment(L"MIRVOT_EXE"); from_environment.has_value()) {
    return WindowsPathFromHost(WideToUtf8(*from_environment));
  }
#ifdef MIRVOT_EXE_PATH
  return WindowsPathFromHost(MIRVOT_EXE_PATH);
#else
  return {};
#endif
}

std::uint16_t ReadLittleEndian16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::uint32_t ReadLittleEndian32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(ReadLittleEndian16(bytes, offset)) |
         (static_cast<std::uint32_t>(ReadLittleEndian16(bytes, offset + 2)) << 16);
}

// One entry of an icon group (GRPICONDIRENTRY), read field by field.
struct GroupIconEntry {
  std::uint8_t width = 0;
  std::uint8_t height = 0;
  std::uint8_t colour_count = 0;
  std::uint8_t reserved = 0;
  std::uint16_t planes = 0;
  std::uint16_t bit_count = 0;
  std::uint32_t bytes_in_resource = 0;
  std::uint16_t id = 0;

  // A width byte of 0 stands for 256 pixels.
  std::uint32_t pixel_size() const { return width == 0 ? 256u : width; }
};

class ExecutableResources : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ExecutablePath();
    ASSERT_FALSE(path_.empty()) << "set MIRVOT_EXE or build with MIRVOT_EXE_PATH";
    module_.reset(::LoadLibraryExW(path_.c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(module_.valid()) << "cannot load " << WideToUtf8(path_)
                                 << " for its resources, error " << ::GetLastError();
  }

  // The bytes of one resource in US English, or nullopt if there is none.
  std::optional<std::span<const std::uint8_t>> Resource(LPCWSTR type, WORD id) const {
    HRSRC found = ::FindResourceExW(module_.get(), type, MAKEINTRESOURCEW(id), kUsEnglish);
    if (found == nullptr) {
      return std::nullopt;
    }
    const DWORD size = ::SizeofResource(module_.get(), found);
    HGLOBAL loaded = ::LoadResource(module_.get(), found);
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) {
      return std::nullopt;
    }
    return std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), size);
  }

  std::vector<GroupIconEntry> GroupEntries() const {
    std::vector<GroupIconEntry> entries;
    const auto group = Resource(RT_GROUP_ICON, 1);
    if (!group.has_value() || group->size() < kGroupHeaderSize) {
      return entries;
    }
    const std::size_t count = ReadLittleEndian16(*group, 4);
    if (group->size() < kGroupHeaderSize + count * kGroupEntrySize) {
      return entries;
    }
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = kGroupHeaderSize + i * kGroupEntrySize;
      GroupIconEntry entry;
      entry.width = (*group)[at];
      entry.height = (*group)[at + 1];
      entry.colour_count = (*group)[at + 2];
      entry.reserved = (*group)[at + 3];
      entry.planes = ReadLittleEndian16(*group, at + 4);
      entry.bit_count = ReadLittleEndian16(*group, at + 6);
      entry.bytes_in_resource = ReadLittleEndian32(*group, at + 8);
      entry.id = ReadLittleEndian16(*group, at + 12);
      entries.push_back(entry);
    }
    return entries;
  }

  std::wstring path_;
  UniqueModule module_;
};

BOOL CALLBACK CollectResourceType(HMODULE /*module*/, LPWSTR type, LONG_PTR collected) {
  // Every type of this program is a number; a named type is recorded as 0.
  reinterpret_cast<std::vector<ULONG_PTR>*>(collected)->push_back(
      IS_INTRESOURCE(type) ? reinterpret_cast<ULONG_PTR>(type) : 0);
  return TRUE;
}

// No application manifest, whichever toolchain linked the program: the DPI awareness it
// declares at start-up alone decides, and nothing else rides along.
TEST_F(ExecutableResources, CarriesOnlyIconsAndTheVersionRecordAndNoManifest) {
  std::vector<ULONG_PTR> types;
  ASSERT_TRUE(::EnumResourceTypesW(module_.get(), &CollectResourceType,
                                   reinterpret_cast<LONG_PTR>(&types)));
  std::sort(types.begin(), types.end());
  EXPECT_EQ(types, (std::vector<ULONG_PTR>{reinterpret_cast<ULONG_PTR>(RT_ICON),
                                           reinterpret_cast<ULONG_PTR>(RT_GROUP_ICON),
                                           reinterpret_cast<ULONG_PTR>(RT_VERSION)}));
  EXPECT_EQ(std::count(types.begin(), types.end(), reinterpret_cast<ULONG_PTR>(RT_MANIFEST)), 0);
}

TEST_F(ExecutableResources, IconGroupOneIsInUsEnglish) {
  EXPECT_TRUE(Resource(RT_GROUP_ICON, 1).has_value());
}

TEST_F(ExecutableResources, IconGroupHeaderIsAnIconDirectoryOfTenImages) {
  const auto group = Resource(RT_GROUP_ICON, 1);
  ASSERT_TRUE(group.has_value());
  ASSERT_GE(group->size(), kGroupHeaderSize);
  EXPECT_EQ(ReadLittleEndian16(*group, 0), 0);  // reserved
  EXPECT_EQ(ReadLittleEndian16(*group, 2), 1);  // icons, not cursors
  EXPECT_EQ(ReadLittleEndian16(*group, 4), 10);
  EXPECT_EQ(group->size(), kGroupHeaderSize + 10 * kGroupEntrySize);
}

TEST_F(ExecutableResources, IconGroupListsTheTenSizesAsSquare32BitImages) {
  const auto entries = GroupEntries();
  ASSERT_EQ(entries.size(), std::size(kIconSizes));
  std::vector<std::uint32_t> sizes;
  for (const GroupIconEntry& entry : entries) {
    sizes.push_back(entry.pixel_size());
    EXPECT_EQ(entry.width, entry.height);
    EXPECT_EQ(entry.colour_count, 0);
    EXPECT_EQ(entry.reserved, 0);
    EXPECT_EQ(entry.planes, 1);
    EXPECT_EQ(entry.bit_count, 32);
  }
  std::sort(sizes.begin(), sizes.end());
  EXPECT_TRUE(std::equal(sizes.begin(), sizes.end(), std::begin(kIconSizes), std::end(kIconSizes)));
}

TEST_F(ExecutableResources, EveryIconImageIsAnRgbaPngOfItsListedSize) {
  const auto entries = GroupEntries();
  ASSERT_EQ(entries.size(), std::size(kIconSizes));
  for (const GroupIconEntry& entry : entries) {
    SCOPED_TRACE(testing::Message() << "icon " << entry.id << ", " << entry.pixel_size() << " px");
    const auto image = Resource(RT_ICON, entry.id);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->size(), entry.bytes_in_resource);
    EXPECT_TRUE(HasPngSignature(*image));
    const auto header = ReadPngHeader(*image);
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->width, entry.pixel_size());
    EXPECT_EQ(header->height, entry.pixel_size());
    EXPECT_EQ(header->bit_depth, 8);
    EXPECT_EQ(header->colour_type, 6);
    EXPECT_EQ(header->interlace, 0);
    const auto chunks = ReadPngChunks(*image);
    ASSERT_TRUE(chunks.has_value());
    EXPECT_TRUE(std::all_of(chunks->begin(), chunks->end(),
                            [](const PngChunk& chunk) { return chunk.crc_matches; }));
  }
}

TEST_F(ExecutableResources, LargestIconImageIsTheEmbeddedWindowIconByteForByte) {
  const auto entries = GroupEntries();
  const auto largest = std::find_if(entries.begin(), entries.end(),
                                    [](const GroupIconEntry& entry) { return entry.width == 0; });
  ASSERT_NE(largest, entries.end());
  const auto image = Resource(RT_ICON, largest->id);
  ASSERT_TRUE(image.has_value());
  ASSERT_EQ(image->size(), kWindowIconPngSize);
  EXPECT_TRUE(std::equal(image->begin(), image->end(), kWindowIconPng));
}

TEST_F(ExecutableResources, SmallIconImageBecomesAnIcon) {
  const auto entries = GroupEntries();
  const auto small = std::find_if(entries.begin(), entries.end(),
                                  [](const GroupIconEntry& entry) { return entry.width == 32; });
  ASSERT_NE(small, entries.end());
  const auto image = Resource(RT_ICON, small->id);
  ASSERT_TRUE(image.has_value());
  std::vector<BYTE> bits(image->begin(), image->end());
  const UniqueIcon icon(::CreateIconFromResourceEx(bits.data(), static_cast<DWORD>(bits.size()),
                                                   TRUE, 0x00030000, 32, 32, LR_DEFAULTCOLOR));
  EXPECT_TRUE(icon.valid()) << "error " << ::GetLastError();
}

TEST_F(ExecutableResources, VersionRecordIsInUsEnglish) {
  EXPECT_TRUE(Resource(RT_VERSION, 1).has_value());
}

// The version record through the version library, as the file properties dialog reads it.
class VersionRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ExecutablePath();
    ASSERT_FALSE(path_.empty()) << "set MIRVOT_EXE or build with MIRVOT_EXE_PATH";
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path_.c_str(), &ignored);
    ASSERT_NE(size, 0u) << "no version record in " << WideToUtf8(path_) << ", error "
                        << ::GetLastError();
    data_.resize(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path_.c_str(), 0, size, data_.data()));
  }

  // The value at a VerQueryValueW path, or nullopt when the path does not exist.
  std::optional<std::span<const std::uint8_t>> Query(const wchar_t* sub_block) {
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data_.data(), sub_block, &value, &length) || value == nullptr) {
      return std::nullopt;
    }
    return std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(value), length);
  }

  std::optional<std::wstring> QueryString(const std::wstring& sub_block) {
    void* value = nullptr;
    UINT length = 0;  // in characters, with the terminator
    if (!::VerQueryValueW(data_.data(), sub_block.c_str(), &value, &length) || value == nullptr) {
      return std::nullopt;
    }
    std::wstring text(static_cast<const wchar_t*>(value), length);
    text.erase(std::find(text.begin(), text.end(), L'\0'), text.end());
    return text;
  }

  std::wstring path_;
  std::vector<std::uint8_t> data_;
};

TEST_F(VersionRecord, FixedInfoIsVersion1000ForAWindowsApplication) {
  const auto fixed_bytes = Query(L"\\");
  ASSERT_TRUE(fixed_bytes.has_value());
  ASSERT_GE(fixed_bytes->size(), sizeof(VS_FIXEDFILEINFO));
  VS_FIXEDFILEINFO fixed{};
  std::copy_n(fixed_bytes->begin(), sizeof(fixed), reinterpret_cast<std::uint8_t*>(&fixed));
  EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed.dwFileVersionLS, 0u);
  EXPECT_EQ(fixed.dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed.dwProductVersionLS, 0u);
  EXPECT_EQ(fixed.dwFileFlagsMask, static_cast<DWORD>(VS_FFI_FILEFLAGSMASK));
  EXPECT_EQ(fixed.dwFileFlags, 0u);
  EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
  EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(fixed.dwFileSubtype, 0u);
}

TEST_F(VersionRecord, TranslationIsLanguageNeutralUnicode) {
  const auto translation = Query(L"\\VarFileInfo\\Translation");
  ASSERT_TRUE(translation.has_value());
  ASSERT_EQ(translation->size(), 4u);  // exactly one language and code page pair
  EXPECT_EQ(ReadLittleEndian16(*translation, 0), 0x0000);
  EXPECT_EQ(ReadLittleEndian16(*translation, 2), 0x04B0);
}

TEST_F(VersionRecord, StringTableHoldsTheProductTexts) {
  struct Expected {
    const wchar_t* name;
    const wchar_t* value;
  };
  const Expected expected[] = {
      {L"CompanyName", L"Mirvot"},          {L"FileDescription", L"Mirvot Desktop"},
      {L"FileVersion", L"1.0.0"},           {L"InternalName", L"Mirvot"},
      {L"OriginalFilename", L"Mirvot.exe"}, {L"ProductName", L"Mirvot"},
      {L"ProductVersion", L"1.0.0"},
  };
  for (const Expected& item : expected) {
    const auto value = QueryString(std::wstring(L"\\StringFileInfo\\000004b0\\") + item.name);
    ASSERT_TRUE(value.has_value()) << WideToUtf8(item.name);
    EXPECT_EQ(*value, item.value) << WideToUtf8(item.name);
  }
}

TEST_F(VersionRecord, LegalCopyrightNamesMirvot) {
  const auto value = QueryString(L"\\StringFileInfo\\000004b0\\LegalCopyright");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->rfind(L"Copyright", 0), 0u) << WideToUtf8(*value);
  EXPECT_NE(value->find(L"Mirvot"), std::wstring::npos) << WideToUtf8(*value);
}

TEST_F(VersionRecord, ThereIsNoEnglishSpecificStringTable) {
  EXPECT_FALSE(QueryString(L"\\StringFileInfo\\040904b0\\ProductName").has_value());
}

TEST_F(VersionRecord, UnknownStringIsAbsent) {
  EXPECT_FALSE(QueryString(L"\\StringFileInfo\\000004b0\\PrivateBuild").has_value());
}

}  // namespace
}  // namespace mirvot::test
