#pragma once
// The settings backend of this platform: one JSON file, settings.json, standing for the root key,
// with the store keys and section keys as nested objects inside it (see registry_json_tree.h).
// Every write is saved at once and atomically (writes inside a Lock bracket are saved together
// when it closes, before the caller goes on); between a Lock and its Unlock the file stays as
// this process last read it, because other programs that share it take the same advisory lock
// (settings.json.lock beside it). A file that cannot be parsed is kept aside as settings.json.bad
// and the defaults apply; the warning waits in TakeWarnings for the caller to show.
// May be used from several threads: each operation is atomic, and a sequence (open a section key,
// then read) must be bracketed by Lock and Unlock.
#include <memory>
#include <mutex>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

#include "app/registry_backend.h"
#include "platform/file_lock.h"

namespace orvande {

class SettingsFile final : public RegistryBackend {
 public:
  static constexpr char kFileName[] = "settings.json";
  static constexpr char kDamagedSuffix[] = ".bad";
  static constexpr char kLockSuffix[] = ".lock";

  // The folder that holds (or will hold) settings.json; it is made on the first write.
  explicit SettingsFile(std::string folder);
  ~SettingsFile() override;

  // $XDG_CONFIG_HOME/Pellvane/Orvande (default ~/.config/...); empty when no home is known.
  static std::string DefaultFolder();

  const std::string& Folder() const { return folder_; }
  std::string FilePath() const;
  // The warnings gathered so far (a damaged file, a save that failed), oldest first.
  std::vector<std::string> TakeWarnings();

  ResultCode OpenRoot(const std::string& rootPath) override;
  ResultCode OpenStoreKey(const std::string& name) override;
  ResultCode OpenSectionKey(const std::string& name) override;
  ResultCode WriteBinary(const std::string& name, std::span<const uint8_t> bytes) override;
  ResultCode WriteString(const std::string& name, const std::string& value) override;
  ResultCode WriteU32(const std::string& name, uint32_t value) override;
  ResultCode WriteBool(const std::string& name, bool value) override;
  ResultCode WriteInt(const std::string& name, int32_t value) override;
  ResultCode ReadBinary(const std::string& name, std::vector<uint8_t>* bytes) override;
  ResultCode ReadBinaryInto(const std::string& name, std::span<uint8_t> buffer,
                            size_t* copied) override;
  ResultCode ReadString(const std::string& name, std::string* value) override;
  ResultCode ReadU32(const std::string& name, uint32_t* value) override;
  ResultCode ReadBool(const std::string& name, bool* value) override;
  ResultCode ReadInt(const std::string& name, int32_t* value) override;
  ResultCode DeleteKey(const std::string& name) override;
  ResultCode DeleteValue(const std::string& name) override;
  // The first Lock of a bracket takes the file lock and reads the file anew; each Unlock must
  // follow a Lock of the same thread.
  ResultCode Lock() override;
  ResultCode Unlock() override;

 private:
  enum class Level { kNone, kRoot, kStore, kSection };

  void Reload();
  void KeepDamagedFileAside(const std::string& why);
  ResultCode Save();
  ResultCode SaveNowOrAtUnlock();
  // The value node of the open section key, or null; *code says why there is none.
  const nlohmann::json* FindValue(const std::string& name, ResultCode* code) const;
  ResultCode PutValue(const std::string& name, nlohmann::json value);
  std::vector<std::string> SectionPath() const;

  const std::string folder_;
  std::recursive_mutex mutex_;
  int lockDepth_ = 0;
  bool dirty_ = false;
  bool saveFailed_ = false;
  platform::AdvisoryFileLock fileLock_;
  std::unique_ptr<nlohmann::json> document_;
  Level level_ = Level::kNone;
  std::vector<std::string> storeKey_;
  std::vector<std::string> sectionKey_;
  std::vector<std::string> warnings_;
};

}  // namespace orvande
