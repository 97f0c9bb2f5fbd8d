#include "core/file_type_plugin.h"

#include <mutex>

#include "core/found_file_result.h"
#include "core/volume_stream.h"
#include "platform/file_system.h"
#include "platform/shared_library.h"

namespace orvande {
namespace {

constexpr char kLibraryName[] = "libtypeprobe.so";
constexpr char kInstalledFolder[] = "/../lib/orvande/";
// What the program assumes until the library says otherwise; it is not accepted.
constexpr uint32_t kAssumedVersion = 0x200;

}  // namespace

struct FindFileTypePlugin::Impl {
  platform::SharedLibrary library;
  GetDllVersionFn getDllVersion = nullptr;
  GetSupTypesFn getSupTypes = nullptr;
  IsEnabledFn isEnabled = nullptr;  // looked up, never called
  GetProcessorsFn getProcessors = nullptr;
  ReleaseProcessorsFn releaseProcessors = nullptr;
  SearchFileFn searchFile = nullptr;
  std::mutex tableMutex;
  const typeprobe::SupportedType* table = nullptr;  // owned by the library
  uint32_t tableCount = 0;
  bool tableLoaded = false;
  uint32_t version = kAssumedVersion;

  void ForgetEntryPoints() {
    getDllVersion = nullptr;
    getSupTypes = nullptr;
    isEnabled = nullptr;
    getProcessors = nullptr;
    releaseProcessors = nullptr;
    searchFile = nullptr;
    std::lock_guard<std::mutex> guard(tableMutex);
    table = nullptr;
    tableCount = 0;
    tableLoaded = false;
  }

  // Opens the library at `path`; false when it cannot be loaded.
  bool OpenAt(const std::string& path) { return library.Open(path) == 0; }
};

FindFileTypePlugin::FindFileTypePlugin() : impl_(std::make_unique<Impl>()) {}

FindFileTypePlugin::~FindFileTypePlugin() {
  Unload();
}

void FindFileTypePlugin::Load(const std::string& path) {
  Unload();
  Impl& impl = *impl_;
  impl.version = kAssumedVersion;
  bool opened = false;
  if (!path.empty()) {
    opened = impl.OpenAt(path);
  } else {
    const std::string folder = platform::ExecutableDirectory();
    if (!folder.empty()) opened = impl.OpenAt(folder + "/" + kLibraryName);
    // An installed program keeps it in lib/orvande/ beside its bin/.
    if (!opened && !folder.empty()) opened = impl.OpenAt(folder + kInstalledFolder + kLibraryName);
    if (!opened) opened = impl.OpenAt(kLibraryName);
  }
  if (!opened) return;

  impl.getDllVersion = impl.library.Function<GetDllVersionFn>("GetDllVersion");
  if (impl.getDllVersion != nullptr) impl.version = impl.getDllVersion();
  if (impl.version != typeprobe::kPluginVersion) {
    // Another version speaks another interface: none of its entry points may be called.
    Unload();
    return;
  }
  impl.getSupTypes = impl.library.Function<GetSupTypesFn>("GetSupTypes");
  impl.isEnabled = impl.library.Function<IsEnabledFn>("IsEnabled");
  impl.getProcessors = impl.library.Function<GetProcessorsFn>("GetProcessors");
  impl.releaseProcessors = impl.library.Function<ReleaseProcessorsFn>("ReleaseProcessors");
  impl.searchFile = impl.library.Function<SearchFileFn>("SearchFile");
}

void FindFileTypePlugin::Unload() {
  impl_->ForgetEntryPoints();
  impl_->library.Close();
}

bool FindFileTypePlugin::IsReady() const {
  return impl_->library.IsOpen() && impl_->version == typeprobe::kPluginVersion;
}

uint32_t FindFileTypePlugin::Version() const {
  return impl_->version;
}

bool FindFileTypePlugin::LoadTypesTable() {
  Impl& impl = *impl_;
  std::lock_guard<std::mutex> guard(impl.tableMutex);
  if (impl.tableLoaded) return true;
  if (impl.getSupTypes == nullptr) return false;
  const typeprobe::SupportedType* table = nullptr;
  const uint32_t count = impl.getSupTypes(&table);
  if (table == nullptr) return false;
  impl.table = table;
  impl.tableCount = count;
  impl.tableLoaded = true;
  return true;
}

bool FindFileTypePlugin::GetProcessorsForTypes(const uint32_t* typeIds, uint32_t count,
                                               ProcessorSet& set) {
  set.pairs.clear();
  if (!LoadTypesTable()) return false;
  if (typeIds == nullptr) return true;
  const Impl& impl = *impl_;
  for (uint32_t i = 0; i < count; ++i) {
    for (uint32_t e = 0; e < impl.tableCount; ++e) {
      const typeprobe::SupportedType& entry = impl.table[e];
      if (entry.typeId == typeIds[i] && entry.recogniser != nullptr) {
        set.pairs.emplace_back(entry.typeId, entry.recogniser);
        break;
      }
    }
  }
  return true;
}

bool FindFileTypePlugin::GetProcessorsForExtension(std::string_view extension, ProcessorSet& set) {
  set.pairs.clear();
  while (!extension.empty() && extension.back() == ' ') extension.remove_suffix(1);
  const Impl& impl = *impl_;
  if (extension.empty() || impl.getProcessors == nullptr) return false;
  const std::string text(extension);  // the library wants a terminated text
  uint32_t* ids = nullptr;
  const uint32_t count = impl.getProcessors(text.c_str(), &ids);
  const bool ok = GetProcessorsForTypes(ids, ids != nullptr ? count : 0, set);
  if (ids != nullptr && impl.releaseProcessors != nullptr) impl.releaseProcessors(ids);
  return ok;
}

uint32_t FindFileTypePlugin::Recognise(const ProcessorSet& set, const uint8_t* buffer,
                                       uint32_t length) const {
  if (buffer == nullptr || length == 0) return typeprobe::kNoType;
  for (const auto& [typeId, recogniser] : set.pairs) {
    if (recogniser != nullptr && recogniser(buffer, length) && typeId != typeprobe::kNoType)
      return typeId;
  }
  return typeprobe::kNoType;
}

bool FindFileTypePlugin::SearchFile(uint32_t typeId, VolumeStream& stream,
                                    FoundFileResult& result) {
  if (impl_->searchFile == nullptr) return false;
  return impl_->searchFile(typeId, &stream, &result) != 0;
}

FindFileTypePlugin& TypePlugin() {
  static FindFileTypePlugin plugin;
  return plugin;
}

}  // namespace orvande
