// MainFrame: the host's window. The File menu imports (through the
// plug-in's own open-file dialog and progress window), exports, and saves
// and loads the plug-in's options; the Plugin menu opens its configuration
// and help and switches its progress window. The scene panel lists the
// meshes with their counts and materials and the scene's materials,
// cameras and lights; the 3D view shows the meshes. The frame owns the
// importer and the scene; UI thread only.
#pragma once

#include <wx/frame.h>

#include <string>

#include "korvan/gui/recent_files.h"
#include "korvan/importer_host.h"
#include "korvan/log_outcome.h"

class SceneView;
class wxListCtrl;

class MainFrame : public wxFrame {
 public:
  enum : int {
    kImportId = wxID_HIGHEST + 1,
    kExportId,
    kSaveOptionsId,
    kLoadOptionsId,
    kConfigureId,
    kShowProgressId,
    kPovraySyntaxId,
    kRecentFirstId,  // kRecentFirstId + i: the i-th recent file
  };

  // Loads the plug-ins from `plugin_dir` (empty: the usual folders).
  explicit MainFrame(const std::string& plugin_dir);
  ~MainFrame() override;

  // Imports `path` without a dialog; false when it could not be read.
  bool OpenScene(const std::string& path);
  // Writes the scene to `path` in the format of its extension.
  bool ExportTo(const std::string& path);

  MScene* scene() { return scene_.get(); }
  const std::string& scene_path() const { return path_; }
  wxListCtrl* mesh_list() { return meshes_; }
  wxListCtrl* scene_list() { return scene_items_; }
  SceneView* view() { return view_; }
  std::string status() const;

 private:
  void BuildMenus();
  void BuildRecentMenu();
  void ShowScene(ScenePtr scene);
  void OnImport();
  void OnExport();
  void OnOptions(bool save);
  void Report(const std::string& text);
  void ReportOutcome(const LogOutcome& outcome);
  std::string ErrorText(const LogOutcome& outcome) const;

  ImporterPtr importer_;  // null when no import plug-in was found
  ScenePtr scene_;
  std::string path_;
  RecentFiles recent_;
  wxMenu* recent_menu_ = nullptr;
  wxListCtrl* meshes_ = nullptr;
  wxListCtrl* scene_items_ = nullptr;
  SceneView* view_ = nullptr;
};
