#include "plugin/importer.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

#include "plugin/host/callbacks.h"
#include "plugin/host/scene.h"
#include "plugin/import_options.h"
#include "plugin/import_run.h"
#include "ui/progress_callbacks.h"
#include "ui/user_interface.h"

namespace {

// Saves the working directory and restores it on every way out.
class WorkingDirectoryGuard {
 public:
  WorkingDirectoryGuard() : saved_(getcwd(path_, sizeof path_) != nullptr) {}
  ~WorkingDirectoryGuard() {
    if (saved_ && chdir(path_) != 0) {
      std::fprintf(stderr, "tarvo_in: cannot return to the folder %s\n", path_);
    }
  }
  WorkingDirectoryGuard(const WorkingDirectoryGuard&) = delete;
  WorkingDirectoryGuard& operator=(const WorkingDirectoryGuard&) = delete;

 private:
  char path_[PATH_MAX];
  bool saved_;
};

// A fresh options object for one operation: read from the settings on
// construction, stored again when it goes at the end of the operation.
using OptionsPtr = std::unique_ptr<ImportOptions>;
OptionsPtr FreshOptions() { return OptionsPtr(new ImportOptions); }

}  // namespace

SceneImporter::SceneImporter() : filter_copy_(nullptr) {
  ResourceContextGuard context;
  filter_copy_ = my_strdup("");
}

SceneImporter::~SceneImporter() {
  ResourceContextGuard context;
  my_free(filter_copy_);
}

void SceneImporter::Release() {
  ResourceContextGuard context;
  delete this;
}

MScene* SceneImporter::RunAcceptedImport(ImportOptions& options) {
  auto* messages = new MessageCallBack1(Bar1Message, Bar1Progress, Bar2Message, Bar2Progress,
                                        Bar3Message, Bar3Progress);
  auto* scene = new MScene(options.Get_Filename());
  if (messages == nullptr || scene == nullptr) {
    delete messages;
    delete scene;
    return nullptr;
  }
  ProgressWindow* window = nullptr;
  if (g_showProgress != 0) {
    window = OpenProgressWindow(options.Get_Filename());
    g_progressWindow = window;
  }
  RunImport(scene, &options, messages);
  if (window != nullptr) {
    g_progressWindow = nullptr;
    CloseProgressWindow(window);
  }
  delete messages;
  return scene;
}

MScene* SceneImporter::ImportFile(const char* file_name) {
  ResourceContextGuard context;
  WorkingDirectoryGuard directory;
  OptionsPtr options = FreshOptions();
  if (!options) return nullptr;
  options->host_context = host_context;
  options->Set_Filename(file_name != nullptr ? file_name : "");
  MScene* scene = RunAcceptedImport(*options);
  return scene;
}

MScene* SceneImporter::Import() {
  ResourceContextGuard context;
  WorkingDirectoryGuard directory;
  OptionsPtr options = FreshOptions();
  if (!options) return nullptr;
  options->host_context = host_context;
  MScene* scene = nullptr;
  char chosen[PATH_MAX];
  if (ChooseSceneFile(options->Get_Filename(), options->Get_Filter(), chosen, sizeof chosen)) {
    options->Set_Filename(chosen);
    scene = RunAcceptedImport(*options);
  }
  return scene;
}

void SceneImporter::Configure() {
  ResourceContextGuard context;
  OptionsPtr options = FreshOptions();
  if (!options) return;
  ConfigValues values;
  std::snprintf(values.log_name, sizeof values.log_name, "%s", options->log_name);
  values.verbose = options->verbose;
  values.povray_syntax = options->grammar == kGrammarPovray ? 1 : 0;
  values.library_path = options->library_path;
  values.place_objects = options->place_objects;
  values.shapes = options->shapes;
  values.tolerance = options->tessellation_tolerance;
  if (RunConfigDialog(&values) == 1) {
    std::snprintf(options->log_name, kLogNameCapacity, "%s", values.log_name);
    options->verbose = values.verbose;
    options->grammar = values.povray_syntax == 1 ? kGrammarPovray : kGrammarLiteral;
    options->library_path = values.library_path;
    options->place_objects = values.place_objects;
    options->shapes = values.shapes;
    options->tessellation_tolerance = values.tolerance;
  }
}

void SceneImporter::ShowHelp() {
  ResourceContextGuard context;
  RunHelpDialog();
}

int SceneImporter::ReservedQuery() {
  ResourceContextGuard context;
  return 0;
}

const char* SceneImporter::GetFilter() {
  ResourceContextGuard context;
  OptionsPtr options = FreshOptions();
  if (!options) return filter_copy_;
  if (char* copy = my_strdup(options->Get_Filter())) {
    my_free(filter_copy_);
    filter_copy_ = copy;
  }
  return filter_copy_;
}

void SceneImporter::SetShowProgress(int flag) { g_showProgress = flag; }

int SceneImporter::SaveOptions(const char* path) {
  OptionsPtr options = FreshOptions();
  if (!options) return 0;
  const int written = options->SaveToFile(path);
  return written;
}

int SceneImporter::LoadOptions(const char* path) {
  if (OptionsPtr options = FreshOptions()) options->LoadFromFile(path);  // stored as it goes
  return 1;
}
