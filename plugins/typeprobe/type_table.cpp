#include "type_table.h"

#include <array>

#include "recognisers.h"

namespace typeprobe {
namespace {

constexpr uint64_t kMiB = 1024 * 1024;
constexpr uint64_t kGiB = 1024 * kMiB;

constexpr std::string_view kJpegExtensions[] = {"jpg", "jpeg", "jpe", "jfif"};
constexpr std::string_view kPngExtensions[] = {"png"};
constexpr std::string_view kGifExtensions[] = {"gif"};
constexpr std::string_view kBmpExtensions[] = {"bmp", "dib"};
// Camera raw formats of several makers are TIFF files inside.
constexpr std::string_view kTiffExtensions[] = {"tif", "tiff", "dng", "nef", "cr2", "arw"};
constexpr std::string_view kPdfExtensions[] = {"pdf"};
constexpr std::string_view kZipExtensions[] = {"zip",  "docx", "docm", "xlsx", "xlsm", "pptx",
                                               "pptm", "odt",  "ods",  "odp",  "epub", "jar"};
constexpr std::string_view kCompoundFileExtensions[] = {"doc", "dot", "xls", "xlt", "ppt",
                                                        "pps", "pot", "msg", "vsd", "pub"};
constexpr std::string_view kRarExtensions[] = {"rar"};
constexpr std::string_view kSevenZipExtensions[] = {"7z"};
constexpr std::string_view kMp3Extensions[] = {"mp3"};
constexpr std::string_view kIsoMediaExtensions[] = {"mp4", "m4a", "m4v",  "m4b", "mov",
                                                    "3gp", "3g2", "heic", "heif"};
constexpr std::string_view kWavExtensions[] = {"wav"};
constexpr std::string_view kAviExtensions[] = {"avi"};

// Bounds: pictures and documents rarely pass a few hundred MiB; the video bound keeps every
// sector number within 32 bits on volumes of 512-byte sectors.
constexpr TypeInfo kTypes[] = {
    {kJpeg, "JPEG image", RecogniseJpeg, JpegLength, 256 * kMiB, kJpegExtensions},
    {kPng, "PNG image", RecognisePng, PngLength, 256 * kMiB, kPngExtensions},
    {kGif, "GIF image", RecogniseGif, GifLength, 256 * kMiB, kGifExtensions},
    {kBmp, "BMP image", RecogniseBmp, BmpLength, 1 * kGiB, kBmpExtensions},
    {kTiff, "TIFF image", RecogniseTiff, nullptr, 0, kTiffExtensions},
    {kPdf, "PDF document", RecognisePdf, nullptr, 0, kPdfExtensions},
    {kZip, "ZIP archive", RecogniseZip, ZipLength, 1 * kGiB, kZipExtensions},
    {kCompoundFile, "Compound document", RecogniseCompoundFile, CompoundFileLength, 1 * kGiB,
     kCompoundFileExtensions},
    {kRar, "RAR archive", RecogniseRar, nullptr, 0, kRarExtensions},
    {kSevenZip, "7z archive", RecogniseSevenZip, SevenZipLength, 16 * kGiB, kSevenZipExtensions},
    {kMp3, "MP3 audio", RecogniseMp3, Mp3Length, 1 * kGiB, kMp3Extensions},
    {kIsoMedia, "MP4/MOV media", RecogniseIsoMedia, IsoMediaLength, 16 * kGiB, kIsoMediaExtensions},
    {kWav, "WAV audio", RecogniseWav, WavLength, 4 * kGiB + 8, kWavExtensions},
    {kAvi, "AVI video", RecogniseAvi, AviLength, 16 * kGiB, kAviExtensions},
};

constexpr std::array<SupportedType, std::size(kTypes)> MakeSupportedTypes() {
  std::array<SupportedType, std::size(kTypes)> table{};
  for (size_t i = 0; i < std::size(kTypes); ++i) table[i] = {kTypes[i].id, 0, kTypes[i].recognise};
  return table;
}

constexpr std::array<SupportedType, std::size(kTypes)> kSupportedTypes = MakeSupportedTypes();

}  // namespace

std::span<const TypeInfo> KnownTypes() {
  return kTypes;
}

const TypeInfo* FindType(uint32_t id) {
  for (const TypeInfo& type : kTypes) {
    if (type.id == id) return &type;
  }
  return nullptr;
}

std::span<const SupportedType> SupportedTypes() {
  return kSupportedTypes;
}

}  // namespace typeprobe
