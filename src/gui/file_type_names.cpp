#include "gui/file_type_names.h"

#include <QMimeDatabase>
#include <algorithm>

namespace orvande::gui {

FileTypeNames& FileTypeNames::Shared() {
  static FileTypeNames names;
  return names;
}

QString FileTypeNames::TypeOf(const QString& fileName) {
  const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
  if (dot < 0 || dot + 1 == fileName.size()) return QString::fromUtf8(kPlainFileType);
  const QString extension = fileName.mid(dot + 1).toUpper();
  const std::u16string key = extension.toStdU16String();

  std::lock_guard<std::mutex> hold(mutex_);
  auto cached = byExtension_.find(key);
  if (cached != byExtension_.end()) return names_[cached->second];
  const QString name = LookUp(extension);
  auto same = std::find(names_.begin(), names_.end(), name);
  const size_t slot = static_cast<size_t>(same - names_.begin());
  if (same == names_.end()) names_.push_back(name);
  byExtension_.emplace(key, slot);
  return names_[slot];
}

QString FileTypeNames::LookUp(const QString& extension) {
  static const QMimeDatabase database;
  // The database knows most extensions in lower case only.
  const QMimeType type = database.mimeTypeForFile(QStringLiteral("x.") + extension.toLower(),
                                                  QMimeDatabase::MatchExtension);
  if (!type.isValid() || type.isDefault() || type.comment().isEmpty())
    return QString::fromUtf8(kPlainFileType);
  return type.comment();
}

size_t FileTypeNames::CachedNames() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return names_.size();
}

size_t FileTypeNames::CachedExtensions() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return byExtension_.size();
}

}  // namespace orvande::gui
