#pragma once
// A set of settings bound to registry values: each entry ties a member of the derived store to a
// section and a value name under the store's key. Loading leaves a member whose value is missing
// or unusable at its default. May be used from several threads: every getter and setter holds the
// store's mutex while it touches a member, and every transfer holds the backend's lock.
#include <cstdint>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "app/registry_backend.h"

namespace orvande {

// A value that stores itself (a window placement, a column layout) into an open section key.
class SelfStoringObject {
 public:
  virtual ~SelfStoringObject() = default;
  virtual ResultCode LoadFrom(RegistryBackend& backend) = 0;
  virtual ResultCode SaveTo(RegistryBackend& backend) const = 0;
};

// The entry kinds, with their historical numbers.
enum class SettingKind : uint32_t { kInt = 0, kU32 = 1, kString = 2, kBool = 3, kObject = 5 };

struct RegistryEntry {
  using Member = std::variant<int32_t*, uint32_t*, std::string*, bool*, SelfStoringObject*>;

  SettingKind Kind() const;

  Member member;
  std::string section;
  std::string valueName;
};

class RegistryStore {
 public:
  virtual ~RegistryStore() = default;
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  // The backend is not owned; storeKey is relative to its root ("\Settings").
  void Bind(RegistryBackend& backend, const std::string& storeKey);
  bool IsBound() const { return backend_ != nullptr; }

  // Every entry in turn; one that fails keeps its default and the others go on. Returns the last
  // failure code, or 0. unusable (optional) gets "Section\name" of each entry whose value exists
  // but could not be used (a missing value is no problem: it is the first start).
  ResultCode LoadAll(std::vector<std::string>* unusable = nullptr);
  ResultCode SaveAll();

  const std::vector<RegistryEntry>& Entries() const { return entries_; }

 protected:
  RegistryStore() = default;

  void AddEntry(RegistryEntry::Member member, std::string section, std::string valueName);

  template <typename T>
  T Get(const T& member) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return member;
  }
  // Stores the value and saves its entry at once; a failed save is not reported, and the member
  // keeps the new value for this run.
  template <typename T>
  void Set(T& member, T value) {
    std::lock_guard<std::mutex> guard(mutex_);
    member = std::move(value);
    SaveMemberLocked(&member);
  }
  // The same for a part of a self-storing object; the object's entry is saved.
  template <typename T>
  void SetWithin(const SelfStoringObject& object, T& part, T value) {
    std::lock_guard<std::mutex> guard(mutex_);
    part = std::move(value);
    SaveMemberLocked(&object);
  }

 private:
  enum class Direction { kLoad, kSave };

  ResultCode SaveMemberLocked(const void* member);
  ResultCode Transfer(const RegistryEntry& entry, Direction direction);
  static const void* Address(const RegistryEntry::Member& member);

  mutable std::mutex mutex_;
  std::vector<RegistryEntry> entries_;
  std::string storeKey_;
  bool hasStoreKey_ = false;
  RegistryBackend* backend_ = nullptr;
};

}  // namespace orvande
