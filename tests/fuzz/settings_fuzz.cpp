// Feeds arbitrary bytes as settings.json to the start-up and checks what it promises: no crash,
// a file that is no JSON object is put aside with a warning and every option keeps its default,
// and inside a readable file an option takes a stored value only when it is of the option's
// kind and shape, its default otherwise.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <type_traits>

#include "app/app_environment.h"

namespace {

using namespace orvande;
using Json = nlohmann::json;

constexpr char kHome[] = "/fuzz-home";

void Check(bool condition) {
  if (!condition) std::abort();
}

// One folder for the whole run, in memory where the machine has such a folder.
const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    const std::filesystem::path base = std::filesystem::exists("/dev/shm")
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (base / "orvande_settings_fuzz_XXXXXX").string();
    Check(mkdtemp(pattern.data()) != nullptr);
    return std::filesystem::path(pattern);
  }();
  static const bool removedAtExit = [] {
    return std::atexit([] {
             std::error_code ignored;
             std::filesystem::remove_all(folder, ignored);
           }) == 0;
  }();
  (void)removedAtExit;
  return folder;
}

// The stored value an option of that kind must take, read independently of the backend.
const Json* StoredNode(const Json& document, const RegistryEntry& entry) {
  // Keys are objects that do not name a kind themselves.
  auto isKey = [](const Json& node) {
    return node.is_object() && !(node.contains("type") && node["type"].is_string());
  };
  const Json* node = &document;
  for (const std::string& name : {std::string("Settings"), entry.section, entry.valueName}) {
    if (!isKey(*node) || !node->contains(name)) return nullptr;
    node = &(*node)[name];
  }
  return node;
}

bool IsValueOfKind(const Json* node, const char* kind) {
  return node != nullptr && node->is_object() && node->contains("type") &&
         (*node)["type"] == kind && node->contains("value");
}

std::optional<uint32_t> StoredDword(const Json* node) {
  if (!IsValueOfKind(node, "REG_DWORD")) return std::nullopt;
  const Json& value = (*node)["value"];
  if (value.is_number_float() || !value.is_number()) return std::nullopt;
  if (!value.is_number_unsigned() && value.get<int64_t>() < 0) return std::nullopt;
  if (value.get<uint64_t>() > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<uint32_t>(value.get<uint64_t>());
}

std::optional<std::string> StoredString(const Json* node) {
  if (!IsValueOfKind(node, "REG_SZ") || !(*node)["value"].is_string()) return std::nullopt;
  const std::string& text = (*node)["value"].get_ref<const std::string&>();
  return text.substr(0, text.find('\0'));
}

void CheckOption(const RegistryEntry& loaded, const RegistryEntry& fresh, const Json* stored) {
  std::visit(
      [&](auto* member) {
        using T = std::remove_pointer_t<decltype(member)>;
        auto* initial = std::get<T*>(fresh.member);
        if constexpr (std::is_same_v<T, std::string>) {
          std::string expected = StoredString(stored).value_or(*initial);
          if (loaded.valueName == "strRecoverOutputFolder" && expected.empty())
            expected = std::string(kHome) + "/Recovered Files/";
          Check(*member == expected);
        } else if constexpr (std::is_same_v<T, bool>) {
          const auto dword = StoredDword(stored);
          Check(*member == (dword ? *dword != 0 : *initial));
        } else if constexpr (std::is_same_v<T, uint32_t> || std::is_same_v<T, int32_t>) {
          const auto dword = StoredDword(stored);
          Check(*member == (dword ? static_cast<T>(*dword) : *initial));
        }
      },
      loaded.member);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path file = Folder() / SettingsFile::kFileName;
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  const Json document = Json::parse(data, data + size, nullptr, false);
  const bool readable = !document.is_discarded() && document.is_object();

  StartupOptions options;
  options.settingsFolder = Folder().string();
  options.homeFolder = kHome;
  options.programFolder = Folder().string();
  options.dataFolder = Folder().string();
  AppEnvironment environment(options);
  bool putAside = false;
  for (const std::string& warning : environment.TakeWarnings())
    putAside = putAside || warning.find("could not be read") != std::string::npos;
  Check(readable || putAside);

  const AppSettings defaults;
  const auto& loaded = environment.Settings().Entries();
  const auto& fresh = defaults.Entries();
  for (size_t i = 0; i < loaded.size(); ++i) {
    CheckOption(loaded[i], fresh[i], putAside ? nullptr : StoredNode(document, loaded[i]));
  }
  LayoutSettings& layout = environment.Layout();
  const WindowPlacement placement = layout.MainPlacement();
  Check(placement.HasStoredPlacement() || placement.length != WindowPlacement::kRecordBytes);
  Check(layout.FileListLayout().columns.size() <= FileListColumns::kMaxColumns);
  layout.SectorsPlacement();
  return 0;
}
