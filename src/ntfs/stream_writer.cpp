// Writing a record's $DATA streams to files: WriteStream for one stream, WriteFileData for the
// unnamed stream and, when asked, the named ones ("path:name", a sibling file on this platform);
// UserNamedStreams for a listing of the named ones.
#include <algorithm>
#include <exception>
#include <vector>

#include "core/ports.h"
#include "core/recovery_context.h"
#include "ntfs/attribute_list.h"
#include "ntfs/mft_record.h"
#include "ntfs/ntfs_analyzer.h"
#include "ntfs/ntfs_status.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "support/code_pages.h"
#include "support/operation_log.h"
#include "support/string_table.h"

namespace orvande {
namespace {

constexpr uint32_t kKindMft = 1;
// Sizes above this get a progress range of size >> 8 so that it fits the bar's 32 bits.
constexpr uint64_t kLargeStreamThreshold = 0x0FFFFFFF;
constexpr uint32_t kLargeStreamShift = 8;
// Longest file name and path the platform takes.
constexpr size_t kMaxNameBytes = 255;
constexpr size_t kMaxPathBytes = 4095;

// The system's text of a platform error at the given level ("code=0x..." when it has none).
void LogSystemError(OperationLog* log, int level, uint32_t code) {
  if (log != nullptr) log->AddPlatformError(level, code);
}

// path + ":" + the stream's name, or empty when it would not fit the platform's limits. A '/' in a
// name read from the disk would reach into another folder, so it shows as '?', like a NUL.
std::string StreamPath(const std::string& path, std::span<const uint8_t> utf16Name) {
  std::string name = Utf16LeToUtf8(utf16Name);
  std::replace(name.begin(), name.end(), '/', '?');
  std::replace(name.begin(), name.end(), '\0', '?');
  const size_t slash = path.rfind('/');
  const size_t baseLength = slash == std::string::npos ? path.size() : path.size() - slash - 1;
  if (baseLength + 1 + name.size() > kMaxNameBytes) return {};
  if (path.size() + 1 + name.size() > kMaxPathBytes) return {};
  return path + ":" + name;
}

// Named streams the file system keeps for itself: their names start with '$'.
bool IsSystemStream(std::span<const uint8_t> utf16Name) {
  return utf16Name.size() >= 2 && utf16Name[0] == '$' && utf16Name[1] == 0;
}

bool IsAllZero(const uint8_t* data, size_t size) {
  return std::all_of(data, data + size, [](uint8_t byte) { return byte == 0; });
}

uint64_t StreamBytesOnDisk(const std::string& path) {
  uint64_t bytes = 0;
  return platform::FileSizeOf(path, &bytes) == 0 ? bytes : 0;
}

}  // namespace

bool MftRecord::WriteStream(const std::string& path, uint64_t size, const Attribute* attribute,
                            const AttributeName& name, RecoveryContext& context,
                            OperationLog* log) {
  platform::OutputFile file;
  if (uint32_t error = file.CreateFresh(path); error != kSuccess) {
    if (log != nullptr)
      log->AddFormat(OperationLog::kWarning, ntfs_texts::kCantCreateFileFormat, path.c_str());
    LogSystemError(log, OperationLog::kWarning, error);
    return false;
  }
  return WriteStreamInto(file, size, attribute, name, context, log);
}

bool MftRecord::WriteStreamInto(platform::OutputFile& file, uint64_t size,
                                const Attribute* attribute, const AttributeName& name,
                                RecoveryContext& context, OperationLog* log) {
  const uint32_t shift = size > kLargeStreamThreshold ? kLargeStreamShift : 0;
  if (context.progressBar != nullptr)
    context.progressBar->SetRange(0, static_cast<uint32_t>(size >> shift));
  std::vector<uint8_t>& piece = analyzer_->StreamPiece();
  uint64_t written = 0;
  bool trailingHole = false;
  while (written < size) {
    // A stop request keeps what was written and counts as success.
    if (StopRequested(context.stop)) break;
    const uint64_t want = std::min<uint64_t>(size - written, kStreamPiece);
    uint64_t got = 0;
    const bool read = attribute != nullptr
                          ? ReadAttribute(*attribute, piece.data(), written, want, &got, log)
                          : ReadStream(kAttrData, name, piece.data(), written, want, &got, log);
    if (!read || got == 0) return false;
    got = std::min(got, want);
    // A piece of zeros (a sparse stream's hole, most often) stays a hole in the new file.
    const bool zeros = IsAllZero(piece.data(), static_cast<size_t>(got));
    const uint32_t error =
        zeros ? file.Seek(written + got) : file.Write(piece.data(), static_cast<size_t>(got));
    if (error != kSuccess) {
      LogSystemError(log, OperationLog::kWarning, error);
      return false;
    }
    written += got;
    trailingHole = zeros;
    if (context.progressBar != nullptr)
      context.progressBar->SetPosition(static_cast<uint32_t>(written >> shift));
  }
  // A hole at the end gives the file no length of its own.
  if (trailingHole) {
    if (uint32_t error = file.SetSize(written); error != kSuccess) {
      LogSystemError(log, OperationLog::kWarning, error);
      return false;
    }
  }
  // A write the system deferred can still fail here; the stream is then not whole.
  if (uint32_t error = file.Close(); error != kSuccess) {
    LogSystemError(log, OperationLog::kWarning, error);
    return false;
  }
  return true;
}

bool MftRecord::WriteFileData(const std::string& path, bool recoverStreams,
                              RecoveryContext& context, OperationLog* log) {
  auto cantCreate = [&](uint32_t error) {
    if (log != nullptr)
      log->AddFormat(OperationLog::kError, ntfs_texts::kCantCreateFileFormat, path.c_str());
    LogSystemError(log, OperationLog::kError, error);
    return false;
  };
  // The file exists even when the record has no data at all; the unnamed stream is written into
  // this same file.
  platform::OutputFile file;
  if (uint32_t error = file.CreateFresh(path); error != kSuccess) return cantCreate(error);
  bool ok = false;
  try {
    ok = WriteDataStreams(path, recoverStreams, context, log, file);
  } catch (const std::exception&) {
    // A record that contradicts itself while its streams are walked: the file is not recovered.
    ok = false;
  }
  // Still open after a success: no unnamed stream took the file, which stays empty. After a
  // failure the file keeps what was written.
  if (file.IsOpen()) {
    const uint32_t error = file.Close();
    if (ok && error != kSuccess) return cantCreate(error);
  }
  // A failed file keeps what was written: part of a file is worth having, and its line says so.
  return ok;
}

bool MftRecord::WriteDataStreams(const std::string& path, bool recoverStreams,
                                 RecoveryContext& context, OperationLog* log,
                                 platform::OutputFile& unnamedFile) {
  // One stream: false ends the walk. A failing named stream ends it too, yet the file counts as
  // recovered.
  bool ok = true;
  auto writeOne = [&](std::span<const uint8_t> nameBytes, const Attribute* attribute) {
    const bool named = !nameBytes.empty();
    if (named && !recoverStreams) return true;
    // The file system's own streams ($BadClus:$Bad spans the volume) are no user's data.
    if (named && IsSystemStream(nameBytes)) return true;
    auto namedFailure = [&] {
      if (log != nullptr) log->AddId(OperationLog::kWarning, strings::kIdCantRecoverStreams);
      return false;
    };
    const std::string target = named ? StreamPath(path, nameBytes) : path;
    if (target.empty()) return namedFailure();
    uint64_t dataSize = 0;
    const AttributeName streamName = AttributeName::Of(nameBytes);
    auto write = [&] {
      // The file made for the unnamed stream takes its first piece; any further one (a record
      // that contradicts itself) replaces it, as a new file.
      if (!named && unnamedFile.IsOpen())
        return WriteStreamInto(unnamedFile, dataSize, attribute, streamName, context, log);
      return WriteStream(target, dataSize, attribute, streamName, context, log);
    };
    if (DataStreamSize(nameBytes, attribute, &dataSize) && write()) {
      if (named) {
        context.fileStreamBytes += StreamBytesOnDisk(target);
        context.fileStreamPaths.push_back(target);
      }
      return true;
    }
    if (named) return namedFailure();
    ok = false;
    return false;
  };

  ForEachDataStream(writeOne);
  return ok;
}

void MftRecord::ForEachDataStream(
    const std::function<bool(std::span<const uint8_t> name, const Attribute* attribute)>& visit) {
  if (location_.Kind() == kKindMft && HasUsableAttributeList()) {
    AttributeListWalk walk(attributeList_);
    while (std::optional<AttributeListEntry> entry = walk.Next()) {
      if (entry->Type() > kAttrData) break;
      if (entry->Type() != kAttrData || entry->StartingVcn() != 0) continue;
      if (!visit(entry->NameBytes(), nullptr)) break;
    }
    return;
  }
  ForEachAttribute([&](const Attribute& attribute) {
    if (attribute.Type() > kAttrData) return false;
    if (attribute.Type() != kAttrData) return true;
    return visit(attribute.NameBytes(), &attribute);
  });
}

bool MftRecord::DataStreamSize(std::span<const uint8_t> name, const Attribute* attribute,
                               uint64_t* size) {
  uint64_t allocatedSize = 0;
  return attribute != nullptr
             ? AttributeSizes(*attribute, size, &allocatedSize)
             : GetAttributeSize(kAttrData, AttributeName::Of(name), size, &allocatedSize);
}

std::vector<NamedStream> MftRecord::UserNamedStreams() {
  std::vector<NamedStream> streams;
  try {
    ForEachDataStream([&](std::span<const uint8_t> name, const Attribute* attribute) {
      if (name.empty() || IsSystemStream(name)) return true;
      NamedStream stream{Utf16LeToUtf8(name), 0};
      if (DataStreamSize(name, attribute, &stream.size)) streams.push_back(std::move(stream));
      return true;
    });
  } catch (const std::exception&) {
    // A record that contradicts itself lists the streams found before the fault.
  }
  return streams;
}

}  // namespace orvande
