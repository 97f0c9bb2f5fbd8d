#pragma once
// The file list's type texts: "File Folder" for a folder, "File" for a file without extension or
// one the desktop's type database does not know, else the database's name of the type. Cached
// per upper-cased extension for the program's run, equal names sharing one entry. Safe to use
// from several threads (the cache has its own lock).
#include <QString>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace orvande::gui {

class FileTypeNames {
 public:
  static constexpr char kFolderType[] = "File Folder";
  static constexpr char kPlainFileType[] = "File";

  // The type text of a file named fileName.
  QString TypeOf(const QString& fileName);
  // Distinct type names held so far.
  size_t CachedNames() const;
  // Extensions looked up so far.
  size_t CachedExtensions() const;

  // The program's one cache.
  static FileTypeNames& Shared();

 private:
  static QString LookUp(const QString& extension);

  mutable std::mutex mutex_;
  std::unordered_map<std::u16string, size_t> byExtension_;  // index into names_
  std::vector<QString> names_;
};

}  // namespace orvande::gui
