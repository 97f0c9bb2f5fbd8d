#include "app/engine_setup.h"

#include "app/standard_analyzers.h"
#include "core/file_type_plugin.h"

namespace orvande {

void PrepareEngine() {
  RegisterStandardAnalyzers();
  if (!TypePlugin().IsReady()) TypePlugin().Load();
}

}  // namespace orvande
