// SceneImporterDescriptor: the one class descriptor of the library, a
// static object that answers fixed questions and creates importers (owned
// by the host, destroyed through their Release).
#pragma once

#include "plugin/host/plugin_api.h"

class SceneImporterDescriptor final : public ClassDescriptorBase {
 public:
  static constexpr uint32_t kClassId = 0x406E0F1B;

  int IsAvailable() override { return 1; }
  ImporterBase* Create() override;
  const char* ClassName() override { return "POVRay (*.pov, *.inc)"; }
  int ClassCategory() override { return kKorvanImporterCategory; }
  uint32_t ClassId() override { return kClassId; }
};

// The library's one descriptor; never destroyed.
SceneImporterDescriptor* TheDescriptor();
