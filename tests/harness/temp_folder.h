#pragma once
// A fresh folder under the prefix's temporary directory, deleted with everything in it when the
// test is over.
#include <string>

namespace mirvot::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Windows path without a trailing backslash.
  [[nodiscard]] const std::wstring& path() const { return path_; }
  // path() + "\" + relative.
  [[nodiscard]] std::wstring Join(const std::wstring& relative) const;
  // Creates every folder of path() + "\" + relative; returns the full path.
  std::wstring MakeFolder(const std::wstring& relative) const;
  // Writes a file (creating its folders); returns the full path.
  std::wstring WriteFile(const std::wstring& relative, const std::string& content) const;

 private:
  std::wstring path_;
};

// Creates every missing folder of a Windows path.
bool CreateFolders(const std::wstring& path);
// Deletes a folder tree; true when it is gone.
bool DeleteFolderTree(const std::wstring& path);
// Copies a file, creating the destination's folders.
bool CopyFileTo(const std::wstring& from, const std::wstring& to);

}  // namespace mirvot::test
