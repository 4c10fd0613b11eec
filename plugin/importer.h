// SceneImporter: the object through which the host uses the library, made
// by the class descriptor and destroyed by the host through Release(). It
// keeps no options between operations: each operation builds a fresh
// ImportOptions (reading the settings) and destroys it (storing them).
// Lives in host memory; UI thread only.
#pragma once

#include "plugin/host/memory.h"
#include "plugin/host/plugin_api.h"

class ImportOptions;

class SceneImporter final : public ImporterBase, public HostAllocated {
 public:
  SceneImporter();
  SceneImporter(const SceneImporter&) = delete;
  SceneImporter& operator=(const SceneImporter&) = delete;

  void Release() override;
  void ShowHelp() override;
  void Configure() override;
  MScene* ImportFile(const char* file_name) override;
  MScene* Import() override;
  int ReservedQuery() override;
  const char* GetFilter() override;
  void SetShowProgress(int flag) override;
  int SaveOptions(const char* path) override;
  int LoadOptions(const char* path) override;

 private:
  ~SceneImporter();
  // Imports the file the options name into a new scene; null when memory
  // is out.
  MScene* RunAcceptedImport(ImportOptions& options);

  char* filter_copy_;  // owned; my_strdup copy, replaced by GetFilter
};
