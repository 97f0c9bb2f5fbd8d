#pragma once
// Where the settings stores keep their values: a tree of keys holding typed values, opened as a
// root, a store key under it and a section key under that. Every operation works on the section
// key opened last. The operations keep their historical order. Codes are 0 or a failure code;
// platform error numbers are Windows-numbered. Whether an implementation may be used from several
// threads is said by the implementation.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/result_codes.h"

namespace orvande {

// No key is open, the root names an unknown hive, or an entry has no value name.
inline constexpr ResultCode kRegistryNotOpen = 0x85670001;
// Platform codes the backends answer with.
inline constexpr ResultCode kErrValueNotFound = 2;
inline constexpr ResultCode kErrInvalidData = 13;        // a value of the right kind but unusable
inline constexpr ResultCode kErrInvalidDataType = 1804;  // a value of another kind

// Value kinds, with the registry's numbers.
enum class RegistryKind : uint32_t { kString = 1, kBinary = 3, kDword = 4 };

// "REG_SZ", "REG_BINARY", "REG_DWORD".
const char* RegistryKindName(RegistryKind kind);

// The hives a root may start with.
bool IsKnownHive(std::string_view hive);
// Splits "HIVE\sub\key" into its hive and the key names below it (empty names dropped);
// kRegistryNotOpen when the hive is unknown.
ResultCode SplitRegistryRoot(std::string_view root, std::string* hive,
                             std::vector<std::string>* keys);
// Key names of a relative key path such as "\Settings" (empty names dropped).
std::vector<std::string> SplitKeyPath(std::string_view path);

class RegistryBackend {
 public:
  virtual ~RegistryBackend() = default;

  // Keys are created when missing.
  virtual ResultCode OpenRoot(const std::string& rootPath) = 0;
  // Below the root; an empty name opens the root itself.
  virtual ResultCode OpenStoreKey(const std::string& name) = 0;
  // Below the store key; an empty name opens the store key itself.
  virtual ResultCode OpenSectionKey(const std::string& name) = 0;

  virtual ResultCode WriteBinary(const std::string& name, std::span<const uint8_t> bytes) = 0;
  // Stored as REG_SZ; its size counts the terminating zero.
  virtual ResultCode WriteString(const std::string& name, const std::string& value) = 0;
  virtual ResultCode WriteU32(const std::string& name, uint32_t value) = 0;
  // Stored as REG_DWORD 0 or 1.
  virtual ResultCode WriteBool(const std::string& name, bool value) = 0;
  virtual ResultCode WriteInt(const std::string& name, int32_t value) = 0;

  // The value's bytes, whatever its kind.
  virtual ResultCode ReadBinary(const std::string& name, std::vector<uint8_t>* bytes) = 0;
  // At most buffer.size() bytes; *copied tells how many.
  virtual ResultCode ReadBinaryInto(const std::string& name, std::span<uint8_t> buffer,
                                    size_t* copied) = 0;
  virtual ResultCode ReadString(const std::string& name, std::string* value) = 0;
  // The 32-bit reads fail with kErrInvalidDataType for a value that is not REG_DWORD; the
  // output is then left unchanged, as it is on every failure.
  virtual ResultCode ReadU32(const std::string& name, uint32_t* value) = 0;
  // Any non-zero value reads as true.
  virtual ResultCode ReadBool(const std::string& name, bool* value) = 0;
  virtual ResultCode ReadInt(const std::string& name, int32_t* value) = 0;

  // A key below the store key, with everything in it.
  virtual ResultCode DeleteKey(const std::string& name) = 0;
  // A value of the open section key.
  virtual ResultCode DeleteValue(const std::string& name) = 0;

  // Brackets a sequence of operations that nobody else may interleave with (in this process or,
  // for a shared store, in another one). Locks nest.
  virtual ResultCode Lock() = 0;
  virtual ResultCode Unlock() = 0;
};

// Holds a backend's lock for a scope.
class RegistryLockScope {
 public:
  explicit RegistryLockScope(RegistryBackend& backend) : backend_(backend) { backend_.Lock(); }
  ~RegistryLockScope() { backend_.Unlock(); }
  RegistryLockScope(const RegistryLockScope&) = delete;
  RegistryLockScope& operator=(const RegistryLockScope&) = delete;

 private:
  RegistryBackend& backend_;
};

}  // namespace orvande
