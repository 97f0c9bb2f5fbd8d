#include "core/guarded_build_tree.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "common/idle_analyzer.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "support/operation_log.h"
#include "support/result_codes.h"

namespace orvande {
namespace {

class ThrowingAnalyzer : public test::IdleAnalyzer {
 public:
  explicit ThrowingAnalyzer(std::function<uint32_t()> build) : build_(std::move(build)) {}
  uint32_t BuildTree(const BuildTreeContext&, OperationLog*) override { return build_(); }

 private:
  std::function<uint32_t()> build_;
};

struct GuardCase {
  const char* what;
  std::function<uint32_t()> build;
  uint32_t status;
  const char* logged;  // null: nothing
};

TEST(GuardedBuildTreeTest, NoExceptionLeavesAnAnalysis) {
  const GuardCase cases[] = {
      {"plain result", [] { return kStatusTreeInsertFailed; }, kStatusTreeInsertFailed, nullptr},
      {"out of memory", []() -> uint32_t { throw std::bad_alloc(); }, kErrOutOfMemory,
       "ERROR: Not enough memory to finish the analysis"},
      {"too large", []() -> uint32_t { throw std::length_error("vector"); }, kErrOutOfMemory,
       "ERROR: Not enough memory to finish the analysis"},
      {"anything else", []() -> uint32_t { throw 42; }, kStatusAnalysisAborted,
       "ERROR: Internal error. Can't finish analyzing."},
  };
  for (const GuardCase& c : cases) {
    SCOPED_TRACE(c.what);
    ThrowingAnalyzer analyzer(c.build);
    ItemStore store;
    FolderTree tree;
    ReadWriteLock lock(true);
    StopFlag stop{0};
    BuildTreeContext context{&stop, nullptr, store, tree, nullptr, lock, nullptr, nullptr};
    OperationLog log;
    EXPECT_EQ(GuardedBuildTree(analyzer, context, &log), c.status);
    if (c.logged == nullptr) {
      EXPECT_EQ(log.LineCount(), 0u);
    } else {
      ASSERT_EQ(log.LineCount(), 1u);
      EXPECT_EQ(log.Lines()[0].rfind(c.logged, 0), 0u) << log.Lines()[0];
    }
    EXPECT_EQ(GuardedBuildTree(analyzer, context, nullptr), c.status);
  }
}

}  // namespace
}  // namespace orvande
