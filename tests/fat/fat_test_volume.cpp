#include "fat/fat_test_volume.h"

#include <sstream>

namespace orvande::test {
namespace {

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::stringstream stream(path);
  std::string part;
  while (std::getline(stream, part, '/')) parts.push_back(part);
  return parts;
}

TreeNode ChildNamed(const FolderTree& tree, TreeNode parent, const std::string& name) {
  for (TreeNode child : tree.Children(parent))
    if (tree.Text(child) == name) return child;
  return kNoNode;
}

}  // namespace

FatTestVolume::FatTestVolume(std::vector<uint8_t> bytes)
    : FatTestVolume(std::make_shared<MemoryImage>(MemoryImage{std::move(bytes), {}, {}, true})) {}

FatTestVolume::FatTestVolume(std::shared_ptr<MemoryImage> image)
    : context{&stop, &notify, store, tree, &shown, lock, &progress, nullptr},
      image_(std::move(image)),
      device_(new MemorySectorDevice(image_)) {
  device_->Open(false, nullptr);
}

FatTestVolume::~FatTestVolume() { device_->Release(); }

bool FatTestVolume::Open(bool quiet) { return analyzer.Open(device_, quiet, &log); }

uint32_t FatTestVolume::Build() { return analyzer.BuildTree(context, &log); }

TreeNode FatTestVolume::Node(const std::string& path) const {
  std::vector<std::string> parts = SplitPath(path);
  TreeNode node = kNoNode;
  if (!path.empty() && path[0] == '/') {
    parts.erase(parts.begin());
  } else {
    node = ChildNamed(tree, kNoNode, ".");
  }
  for (const std::string& part : parts) {
    node = ChildNamed(tree, node, part);
    if (node == kNoNode) return kNoNode;
  }
  return node;
}

FolderRef FatTestVolume::Folder(const std::string& path) const {
  const TreeNode node = Node(path);
  if (node == kNoNode) return FolderRef();
  return store.FindRef(tree.Data(node));
}

std::unique_ptr<FileRecord> FatTestVolume::File(const std::string& path) const {
  const size_t slash = path.rfind('/');
  const std::string folderPath = slash == std::string::npos ? "" : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  FolderRef folder = Folder(folderPath);
  if (!folder) return nullptr;
  for (const FileRecord& record : folder->Files())
    if (record.Name() == name) return std::make_unique<FileRecord>(record);
  return nullptr;
}

std::vector<std::string> FatTestVolume::FileNames(const std::string& folderPath) const {
  std::vector<std::string> names;
  FolderRef folder = Folder(folderPath);
  if (folder)
    for (const FileRecord& record : folder->Files()) names.emplace_back(record.Name());
  return names;
}

std::vector<std::string> FatTestVolume::FolderNames(const std::string& folderPath) const {
  std::vector<std::string> names;
  const TreeNode node = Node(folderPath);
  if (node == kNoNode) return names;
  for (TreeNode child : tree.Children(node)) names.push_back(tree.Text(child));
  return names;
}

std::vector<std::string> FatTestVolume::TopLevelNames() const {
  std::vector<std::string> names;
  for (TreeNode child : tree.Children(kNoNode)) names.push_back(tree.Text(child));
  return names;
}

}  // namespace orvande::test
