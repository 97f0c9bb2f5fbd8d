#include "app/registry_store.h"

#include <type_traits>

namespace orvande {

SettingKind RegistryEntry::Kind() const {
  return std::visit(
      [](auto* pointer) {
        using T = std::remove_pointer_t<decltype(pointer)>;
        if constexpr (std::is_same_v<T, int32_t>) return SettingKind::kInt;
        if constexpr (std::is_same_v<T, uint32_t>) return SettingKind::kU32;
        if constexpr (std::is_same_v<T, std::string>) return SettingKind::kString;
        if constexpr (std::is_same_v<T, bool>) return SettingKind::kBool;
        return SettingKind::kObject;
      },
      member);
}

void RegistryStore::Bind(RegistryBackend& backend, const std::string& storeKey) {
  std::lock_guard<std::mutex> guard(mutex_);
  backend_ = &backend;
  storeKey_ = storeKey;
  hasStoreKey_ = true;
}

void RegistryStore::AddEntry(RegistryEntry::Member member, std::string section,
                             std::string valueName) {
  entries_.push_back(RegistryEntry{member, std::move(section), std::move(valueName)});
}

const void* RegistryStore::Address(const RegistryEntry::Member& member) {
  return std::visit([](auto* pointer) -> const void* { return pointer; }, member);
}

ResultCode RegistryStore::Transfer(const RegistryEntry& entry, Direction direction) {
  if (backend_ == nullptr || !hasStoreKey_ || entry.valueName.empty()) return kRegistryNotOpen;
  RegistryBackend& backend = *backend_;
  RegistryLockScope scope(backend);
  // The open keys are the backend's state, shared with the other stores: open them every time.
  if (ResultCode code = backend.OpenStoreKey(storeKey_); !IsSuccess(code)) return code;
  if (ResultCode code = backend.OpenSectionKey(entry.section); !IsSuccess(code)) return code;
  const std::string& name = entry.valueName;
  const bool load = direction == Direction::kLoad;
  return std::visit(
      [&](auto* pointer) -> ResultCode {
        using T = std::remove_pointer_t<decltype(pointer)>;
        if constexpr (std::is_same_v<T, int32_t>) {
          return load ? backend.ReadInt(name, pointer) : backend.WriteInt(name, *pointer);
        } else if constexpr (std::is_same_v<T, uint32_t>) {
          return load ? backend.ReadU32(name, pointer) : backend.WriteU32(name, *pointer);
        } else if constexpr (std::is_same_v<T, std::string>) {
          return load ? backend.ReadString(name, pointer) : backend.WriteString(name, *pointer);
        } else if constexpr (std::is_same_v<T, bool>) {
          return load ? backend.ReadBool(name, pointer) : backend.WriteBool(name, *pointer);
        } else {
          return load ? pointer->LoadFrom(backend) : pointer->SaveTo(backend);
        }
      },
      entry.member);
}

ResultCode RegistryStore::LoadAll(std::vector<std::string>* unusable) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (backend_ == nullptr) return kRegistryNotOpen;
  RegistryLockScope scope(*backend_);
  ResultCode last = backend_->OpenStoreKey(storeKey_);
  for (const RegistryEntry& entry : entries_) {
    const ResultCode code = Transfer(entry, Direction::kLoad);
    if (IsSuccess(code)) continue;
    last = code;
    if (unusable != nullptr && code != kErrValueNotFound)
      unusable->push_back(entry.section + "\\" + entry.valueName);
  }
  return last;
}

ResultCode RegistryStore::SaveAll() {
  std::lock_guard<std::mutex> guard(mutex_);
  if (backend_ == nullptr) return kRegistryNotOpen;
  RegistryLockScope scope(*backend_);
  ResultCode last = kSuccess;
  for (const RegistryEntry& entry : entries_) {
    if (ResultCode code = Transfer(entry, Direction::kSave); !IsSuccess(code)) last = code;
  }
  return last;
}

ResultCode RegistryStore::SaveMemberLocked(const void* member) {
  for (const RegistryEntry& entry : entries_) {
    if (Address(entry.member) == member) return Transfer(entry, Direction::kSave);
  }
  return kRegistryNotOpen;
}

}  // namespace orvande
