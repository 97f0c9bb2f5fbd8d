#include "app/registry_json_tree.h"

#include <limits>

#include "support/le_writer.h"

namespace orvande {
namespace {

constexpr char kTypeMember[] = "type";
constexpr char kValueMember[] = "value";
constexpr char kHexDigits[] = "0123456789abcdef";

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::vector<uint8_t>> DecodeHex(const std::string& text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigitValue(text[i]);
    const int low = HexDigitValue(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(high * 16 + low));
  }
  return bytes;
}

const Json* ValueMember(const Json& node) {
  auto it = node.find(kValueMember);
  return it == node.end() ? nullptr : &*it;
}

}  // namespace

Json MakeDwordValue(uint32_t value) {
  return Json{{kTypeMember, RegistryKindName(RegistryKind::kDword)}, {kValueMember, value}};
}

Json MakeStringValue(const std::string& value) {
  return Json{{kTypeMember, RegistryKindName(RegistryKind::kString)}, {kValueMember, value}};
}

Json MakeBinaryValue(std::span<const uint8_t> bytes) {
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (uint8_t byte : bytes) {
    hex.push_back(kHexDigits[byte >> 4]);
    hex.push_back(kHexDigits[byte & 0x0F]);
  }
  return Json{{kTypeMember, RegistryKindName(RegistryKind::kBinary)}, {kValueMember, hex}};
}

bool IsRegistryValueNode(const Json& node) {
  if (!node.is_object()) return false;
  auto it = node.find(kTypeMember);
  return it != node.end() && it->is_string();
}

std::optional<RegistryKind> KindOfValue(const Json& node) {
  if (!IsRegistryValueNode(node)) return std::nullopt;
  const std::string& type = node[kTypeMember].get_ref<const std::string&>();
  for (RegistryKind kind : {RegistryKind::kString, RegistryKind::kBinary, RegistryKind::kDword}) {
    if (type == RegistryKindName(kind)) return kind;
  }
  return std::nullopt;
}

ResultCode DwordOfValue(const Json& node, uint32_t* value) {
  const auto kind = KindOfValue(node);
  if (!kind) return kErrInvalidData;
  if (*kind != RegistryKind::kDword) return kErrInvalidDataType;
  const Json* member = ValueMember(node);
  // Only whole numbers that fit 32 bits: a float, a negative or a quoted number is not a DWORD.
  const bool wholeNumber =
      member != nullptr && (member->is_number_unsigned() ||
                            (member->is_number_integer() && member->get<int64_t>() >= 0));
  if (!wholeNumber) return kErrInvalidData;
  const uint64_t number = member->get<uint64_t>();
  if (number > std::numeric_limits<uint32_t>::max()) return kErrInvalidData;
  *value = static_cast<uint32_t>(number);
  return kSuccess;
}

ResultCode StringOfValue(const Json& node, std::string* value) {
  const auto kind = KindOfValue(node);
  if (!kind) return kErrInvalidData;
  if (*kind != RegistryKind::kString) return kErrInvalidDataType;
  const Json* member = ValueMember(node);
  if (member == nullptr || !member->is_string()) return kErrInvalidData;
  const std::string& text = member->get_ref<const std::string&>();
  // A registry string ends at its first zero.
  *value = text.substr(0, text.find('\0'));
  return kSuccess;
}

ResultCode BytesOfValue(const Json& node, std::vector<uint8_t>* bytes) {
  const auto kind = KindOfValue(node);
  if (!kind) return kErrInvalidData;
  switch (*kind) {
    case RegistryKind::kDword: {
      uint32_t value = 0;
      if (ResultCode code = DwordOfValue(node, &value); !IsSuccess(code)) return code;
      bytes->clear();
      AppendLeU32(*bytes, value);
      return kSuccess;
    }
    case RegistryKind::kString: {
      std::string text;
      if (ResultCode code = StringOfValue(node, &text); !IsSuccess(code)) return code;
      bytes->assign(text.begin(), text.end());
      bytes->push_back(0);
      return kSuccess;
    }
    case RegistryKind::kBinary: {
      const Json* member = ValueMember(node);
      if (member == nullptr || !member->is_string()) return kErrInvalidData;
      auto decoded = DecodeHex(member->get_ref<const std::string&>());
      if (!decoded) return kErrInvalidData;
      *bytes = std::move(*decoded);
      return kSuccess;
    }
  }
  return kErrInvalidData;
}

const Json* FindKey(const Json& root, const std::vector<std::string>& keys) {
  auto isKey = [](const Json& node) { return node.is_object() && !IsRegistryValueNode(node); };
  const Json* node = &root;
  for (const std::string& name : keys) {
    if (!isKey(*node)) return nullptr;
    auto it = node->find(name);
    if (it == node->end()) return nullptr;
    node = &*it;
  }
  return isKey(*node) ? node : nullptr;
}

Json& MakeKey(Json& root, const std::vector<std::string>& keys) {
  if (!root.is_object() || IsRegistryValueNode(root)) root = Json::object();
  Json* node = &root;
  for (const std::string& name : keys) {
    Json& child = (*node)[name];
    if (!child.is_object() || IsRegistryValueNode(child)) child = Json::object();
    node = &child;
  }
  return *node;
}

}  // namespace orvande
