#include "app/settings_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/registry_json_tree.h"
#include "platform/atomic_file.h"
#include "platform/error_numbers.h"
#include "platform/file_system.h"
#include "platform/user_folders.h"
#include "support/format.h"

namespace orvande {
namespace {

// Far beyond any settings file the program writes; a bigger one is not read into memory.
constexpr uint64_t kMaxFileBytes = 16u << 20;
constexpr int kIndent = 2;
// Keys nest a few levels; a deeper document is refused before parsing, because writing it back
// out would recurse once per level.
constexpr int kMaxNesting = 64;

bool NestsTooDeeply(const std::string& text) {
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      if (++depth > kMaxNesting) return true;
    } else if (c == '}' || c == ']') {
      --depth;
    }
  }
  return false;
}

}  // namespace

SettingsFile::SettingsFile(std::string folder)
    : folder_(std::move(folder)), document_(std::make_unique<Json>(Json::object())) {}

SettingsFile::~SettingsFile() = default;

std::string SettingsFile::DefaultFolder() {
  const std::string config = platform::UserConfigFolder();
  return config.empty() ? std::string() : config + "/Pellvane/Orvande";
}

std::string SettingsFile::FilePath() const {
  return folder_ + "/" + kFileName;
}

std::vector<std::string> SettingsFile::TakeWarnings() {
  std::lock_guard<std::recursive_mutex> guard(mutex_);
  return std::exchange(warnings_, {});
}

void SettingsFile::KeepDamagedFileAside(const std::string& why) {
  const std::string path = FilePath();
  const std::string aside = path + kDamagedSuffix;
  std::error_code error;
  std::filesystem::rename(path, aside, error);
  warnings_.push_back(
      error ? Format("The settings file %s could not be read (%s); the defaults apply.",
                     path.c_str(), why.c_str())
            : Format("The settings file %s could not be read (%s); it was kept as %s and the "
                     "defaults apply.",
                     path.c_str(), why.c_str(), aside.c_str()));
}

void SettingsFile::Reload() {
  *document_ = Json::object();
  const std::string path = FilePath();
  if (!platform::PathExists(path)) return;  // a first start
  uint64_t size = 0;
  if (platform::FileSizeOf(path, &size) != 0 || size > kMaxFileBytes) {
    KeepDamagedFileAside("not a settings file");
    return;
  }
  std::ifstream in(path, std::ios::binary);
  std::string text(std::istreambuf_iterator<char>(in), {});
  if (!in.good() && !in.eof()) {
    warnings_.push_back(
        Format("The settings file %s could not be read; the defaults apply.", path.c_str()));
    return;
  }
  if (NestsTooDeeply(text)) {
    KeepDamagedFileAside("nested too deeply");
    return;
  }
  Json parsed = Json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (parsed.is_discarded() || !parsed.is_object()) {
    KeepDamagedFileAside(parsed.is_discarded() ? "not valid JSON" : "no object of keys");
    return;
  }
  *document_ = std::move(parsed);
}

ResultCode SettingsFile::Save() {
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  // Text that is not UTF-8 (a name read from a volume) is written with replacement characters
  // rather than failing the save.
  const std::string text =
      document_->dump(kIndent, ' ', false, Json::error_handler_t::replace) + "\n";
  const ResultCode code = platform::ReplaceFileAtomically(FilePath(), text);
  // Said once, not for every later setter that fails the same way.
  if (!IsSuccess(code) && !saveFailed_) {
    warnings_.push_back(Format("The settings could not be saved to %s: %s", FilePath().c_str(),
                               platform::SystemErrorText(code).c_str()));
  }
  saveFailed_ = !IsSuccess(code);
  return code;
}

ResultCode SettingsFile::SaveNowOrAtUnlock() {
  // Inside a caller's bracket (a save-all) the file is written once, when the bracket closes.
  if (lockDepth_ > 1) {
    dirty_ = true;
    return kSuccess;
  }
  return Save();
}

ResultCode SettingsFile::OpenRoot(const std::string& rootPath) {
  RegistryLockScope scope(*this);
  // The file is the root: its hive is checked, and the keys below are the file's own.
  ResultCode code = SplitRegistryRoot(rootPath, nullptr, nullptr);
  level_ = IsSuccess(code) ? Level::kRoot : Level::kNone;
  return code;
}

ResultCode SettingsFile::OpenStoreKey(const std::string& name) {
  std::lock_guard<std::recursive_mutex> guard(mutex_);
  if (level_ == Level::kNone) return kRegistryNotOpen;
  // Keys come to exist in the file with their first value; until then an open key is a path.
  storeKey_ = SplitKeyPath(name);
  sectionKey_.clear();
  level_ = Level::kStore;
  return kSuccess;
}

ResultCode SettingsFile::OpenSectionKey(const std::string& name) {
  std::lock_guard<std::recursive_mutex> guard(mutex_);
  if (level_ != Level::kStore && level_ != Level::kSection) return kRegistryNotOpen;
  sectionKey_ = SplitKeyPath(name);
  level_ = Level::kSection;
  return kSuccess;
}

std::vector<std::string> SettingsFile::SectionPath() const {
  std::vector<std::string> path = storeKey_;
  path.insert(path.end(), sectionKey_.begin(), sectionKey_.end());
  return path;
}

const Json* SettingsFile::FindValue(const std::string& name, ResultCode* code) const {
  if (level_ != Level::kSection) {
    *code = kRegistryNotOpen;
    return nullptr;
  }
  const Json* key = FindKey(*document_, SectionPath());
  auto it = key == nullptr ? Json::const_iterator() : key->find(name);
  if (key == nullptr || it == key->end()) {
    *code = kErrValueNotFound;
    return nullptr;
  }
  *code = kSuccess;
  return &*it;
}

ResultCode SettingsFile::PutValue(const std::string& name, Json value) {
  RegistryLockScope scope(*this);
  if (level_ != Level::kSection) return kRegistryNotOpen;
  MakeKey(*document_, SectionPath())[name] = std::move(value);
  return SaveNowOrAtUnlock();
}

ResultCode SettingsFile::WriteBinary(const std::string& name, std::span<const uint8_t> bytes) {
  return PutValue(name, MakeBinaryValue(bytes));
}

ResultCode SettingsFile::WriteString(const std::string& name, const std::string& value) {
  return PutValue(name, MakeStringValue(value));
}

ResultCode SettingsFile::WriteU32(const std::string& name, uint32_t value) {
  return PutValue(name, MakeDwordValue(value));
}

ResultCode SettingsFile::WriteBool(const std::string& name, bool value) {
  return PutValue(name, MakeDwordValue(value ? 1 : 0));
}

ResultCode SettingsFile::WriteInt(const std::string& name, int32_t value) {
  return PutValue(name, MakeDwordValue(static_cast<uint32_t>(value)));
}

ResultCode SettingsFile::ReadBinary(const std::string& name, std::vector<uint8_t>* bytes) {
  std::lock_guard<std::recursive_mutex> guard(mutex_);
  ResultCode code = kSuccess;
  const Json* value = FindValue(name, &code);
  return value == nullptr ? code : BytesOfValue(*value, bytes);
}

ResultCode SettingsFile::ReadBinaryInto(const std::string& name, std::span<uint8_t> buffer,
                                        size_t* copied) {
  std::vector<uint8_t> bytes;
  ResultCode code = ReadBinary(name, &bytes);
  if (!IsSuccess(code)) return code;
  const size_t count = std::min(bytes.size(), buffer.size());
  std::copy_n(bytes.begin(), count, buffer.begin());
  if (copied != nullptr) *copied = count;
  return kSuccess;
}

ResultCode SettingsFile::ReadString(const std::string& name, std::string* value) {
  std::lock_guard<std::recursive_mutex> guard(mutex_);
  ResultCode code = kSuccess;
  const Json* node = FindValue(name, &code);
  return node == nullptr ? code : StringOfValue(*node, value);
}

ResultCode SettingsFile::ReadU32(const std::string& name, uint32_t* value) {
  std::lock_guard<std::recursive_mutex> guard(mutex_);
  ResultCode code = kSuccess;
  const Json* node = FindValue(name, &code);
  return node == nullptr ? code : DwordOfValue(*node, value);
}

ResultCode SettingsFile::ReadBool(const std::string& name, bool* value) {
  uint32_t number = 0;
  ResultCode code = ReadU32(name, &number);
  if (IsSuccess(code)) *value = number != 0;
  return code;
}

ResultCode SettingsFile::ReadInt(const std::string& name, int32_t* value) {
  uint32_t number = 0;
  ResultCode code = ReadU32(name, &number);
  if (IsSuccess(code)) *value = static_cast<int32_t>(number);
  return code;
}

ResultCode SettingsFile::DeleteKey(const std::string& name) {
  RegistryLockScope scope(*this);
  if (level_ != Level::kStore && level_ != Level::kSection) return kRegistryNotOpen;
  std::vector<std::string> path = storeKey_;
  const std::vector<std::string> below = SplitKeyPath(name);
  if (below.empty()) return kErrValueNotFound;
  path.insert(path.end(), below.begin(), below.end() - 1);
  const Json* parent = FindKey(*document_, path);
  if (parent == nullptr || !parent->contains(below.back())) return kErrValueNotFound;
  MakeKey(*document_, path).erase(below.back());
  return SaveNowOrAtUnlock();
}

ResultCode SettingsFile::DeleteValue(const std::string& name) {
  RegistryLockScope scope(*this);
  ResultCode code = kSuccess;
  if (FindValue(name, &code) == nullptr) return code;
  MakeKey(*document_, SectionPath()).erase(name);
  return SaveNowOrAtUnlock();
}

ResultCode SettingsFile::Lock() {
  mutex_.lock();
  if (lockDepth_++ > 0) return kSuccess;
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  // Without the lock file (a read-only home) the program still runs, only unguarded against a
  // second instance.
  const ResultCode code = fileLock_.Acquire(FilePath() + kLockSuffix);
  Reload();
  return code;
}

ResultCode SettingsFile::Unlock() {
  if (lockDepth_ == 1 && dirty_) {
    dirty_ = false;
    Save();
  }
  if (lockDepth_ > 0 && --lockDepth_ == 0) fileLock_.Release();
  mutex_.unlock();
  return kSuccess;
}

}  // namespace orvande
