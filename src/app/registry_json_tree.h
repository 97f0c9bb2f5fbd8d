#pragma once
// The registry's key tree held in a JSON document: keys are nested objects, and each value is an
// object that names its kind, {"type":"REG_DWORD","value":1}, {"type":"REG_SZ","value":"text"},
// {"type":"REG_BINARY","value":"0a1b..."} (hexadecimal). Anything of another shape met where a
// value or a key belongs reads as absent or unusable, never as a crash: the file is the user's to
// edit. Safe to use from any thread on different documents.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/registry_backend.h"

namespace orvande {

using Json = nlohmann::json;

Json MakeDwordValue(uint32_t value);
Json MakeStringValue(const std::string& value);
Json MakeBinaryValue(std::span<const uint8_t> bytes);

// True for an object whose "type" member is a string: such a node is a value, not a key.
bool IsRegistryValueNode(const Json& node);
// The kind a value node names; nullopt for an unknown kind or a node that is no value.
std::optional<RegistryKind> KindOfValue(const Json& node);

// kErrInvalidDataType for a value of another kind, kErrInvalidData for one whose "value" member
// does not fit its kind; the output is written only on success.
ResultCode DwordOfValue(const Json& node, uint32_t* value);
ResultCode StringOfValue(const Json& node, std::string* value);
// The stored bytes of any kind: a string with its terminating zero, a DWORD as 4 little-endian
// bytes.
ResultCode BytesOfValue(const Json& node, std::vector<uint8_t>* bytes);

// The key at that path below root; null when some part is missing or is not a key.
const Json* FindKey(const Json& root, const std::vector<std::string>& keys);
// The key at that path, made where missing (a node of another shape in the way is replaced).
Json& MakeKey(Json& root, const std::vector<std::string>& keys);

}  // namespace orvande
