#include "plugin/descriptor.h"

#include "plugin/importer.h"

namespace {
// Constant-initialised and trivially destructible: it exists before any
// export is called and outlives every importer.
SceneImporterDescriptor g_descriptor;
}  // namespace

ImporterBase* SceneImporterDescriptor::Create() { return new SceneImporter; }

SceneImporterDescriptor* TheDescriptor() { return &g_descriptor; }
