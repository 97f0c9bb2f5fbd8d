// Times one FAT tree build over an image file: fat_buildtree_bench IMAGE
// Prints the items found and the seconds taken (open + both passes).
#include <chrono>
#include <cstdio>

#include "core/folder_item.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "disk/image_file_node.h"
#include "disk/sector_device.h"
#include "fat/fat_analyzer.h"
#include "support/operation_log.h"

int main(int argc, char** argv) {
  using namespace orvande;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s IMAGE\n", argv[0]);
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  ImageFileNode node(argv[1]);
  SectorDevice* device = node.CreateDevice();
  if (device == nullptr || !device->Open(true, nullptr)) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 1;
  }
  size_t folders = 0;
  size_t files = 0;
  uint32_t status = 0;
  {
    FatAnalyzer analyzer;
    OperationLog log;
    if (!analyzer.Open(device, false, &log)) {
      std::fprintf(stderr, "not a FAT volume\n");
      device->Release();
      return 1;
    }
    ItemStore store;
    FolderTree tree;
    ReadWriteLock lock(true);
    ShownNode shown{kNoNode};
    StopFlag stop{0};
    BuildTreeContext context{&stop, nullptr, store, tree, &shown, lock, nullptr, nullptr};
    status = analyzer.BuildTree(context, &log);
    store.ForEach([&](uint32_t, FolderItem* folder) {
      ++folders;
      files += folder->Files().size();
    });
  }
  device->Release();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("status=0x%x folders=%zu files=%zu seconds=%.3f\n", status, folders, files, seconds);
  return status == 0 ? 0 : 1;
}
