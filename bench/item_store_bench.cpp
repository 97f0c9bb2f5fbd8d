// Memory and speed of the item tree at the sizes of a large volume: bytes per file record and
// files added per second into 100,000 folders under the store lock, as the analyzers add them;
// and files-tree insertion of 100,000 nodes at the top level and as sorted siblings.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/file_record.h"
#include "core/folder_item.h"
#include "core/folder_tree.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"

namespace orvande {
namespace {

constexpr uint32_t kFolders = 100000;
constexpr uint32_t kFilesPerFolder = 10;

size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

std::string FileName(uint32_t n, size_t length) {
  std::string name = "file_" + std::to_string(n);
  name.resize(length > 4 ? length - 4 : length, 'x');
  return name + ".txt";
}

// Adds files round-robin over the folders, one LockWrite/AddFile/Unlock per file.
void AddFiles(benchmark::State& state, size_t nameLength) {
  const uint32_t files = kFolders * kFilesPerFolder;
  // Names made beforehand so that neither their making nor their memory is counted.
  std::vector<std::string> names;
  names.reserve(files);
  size_t nameChars = 0;
  for (uint32_t i = 0; i < files; ++i) {
    names.push_back(FileName(i, nameLength));
    nameChars += names.back().size();
  }
  double bytesPerFile = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ItemStore store;
    ReadWriteLock lock(true);
    std::vector<FolderItem*> folders;
    folders.reserve(kFolders);
    for (uint32_t id = 1; id <= kFolders; ++id) {
      FolderRef folder(new FolderItem(id));
      store.Insert(id, folder.get());
      folders.push_back(folder.get());
    }
    const size_t before = HeapInUse();
    state.ResumeTiming();

    for (uint32_t i = 0; i < files; ++i) {
      lock.LockWrite();
      folders[i % kFolders]->AddFile(kFolders + 1 + i, ItemLocation(1, i), names[i].c_str(), 4096,
                                     1, 2, i % 3 == 0);
      lock.Unlock();
    }

    state.PauseTiming();
    bytesPerFile = static_cast<double>(HeapInUse() - before - nameChars) / files;
    store.Clear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * files);
  state.counters["sizeof_FileRecord"] = sizeof(FileRecord);
  state.counters["heap_bytes_per_file_beyond_name"] = bytesPerFile;
}

void BM_AddFilesShortNames(benchmark::State& state) {
  AddFiles(state, 12);
}
void BM_AddFilesLongNames(benchmark::State& state) {
  AddFiles(state, 40);
}
BENCHMARK(BM_AddFilesShortNames)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AddFilesLongNames)->Unit(benchmark::kMillisecond)->Iterations(3);

// The FAT sweep's lost directories: 100,000 top-level nodes appended.
void BM_TreeTopLevelAppend(benchmark::State& state) {
  for (auto _ : state) {
    FolderTree tree;
    for (uint32_t i = 0; i < kFolders; ++i) {
      tree.Insert(kNoNode, InsertPlace::kLast, "$$folder_" + std::to_string(i + 2), 3, i);
    }
    benchmark::DoNotOptimize(tree.Count());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kFolders);
}
BENCHMARK(BM_TreeTopLevelAppend)->Unit(benchmark::kMillisecond);

// 100,000 sibling folders arriving in random name order, then one walk over them.
void BM_TreeSortedSiblings(benchmark::State& state) {
  std::vector<std::string> names;
  std::mt19937 random(7);
  for (uint32_t i = 0; i < kFolders; ++i) names.push_back("Dir" + std::to_string(random()));
  for (auto _ : state) {
    FolderTree tree;
    const TreeNode root = tree.Insert(kNoNode, InsertPlace::kLast, ".", 1, 1);
    for (uint32_t i = 0; i < kFolders; ++i) tree.Insert(root, InsertPlace::kSorted, names[i], 1, i);
    size_t walked = 0;
    for (TreeNode n = tree.FirstChild(root); n != kNoNode; n = tree.NextSibling(n)) ++walked;
    benchmark::DoNotOptimize(walked);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kFolders);
}
BENCHMARK(BM_TreeSortedSiblings)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvande

BENCHMARK_MAIN();
