#include "korvan/gui/main_frame.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>

#include <cstring>

#include "korvan/export.h"
#include "korvan/gui/scene_model.h"
#include "korvan/gui/scene_view.h"
#include "korvan/log_outcome.h"
#include "korvan/settings_store.h"

namespace {

constexpr char kExportWildcard[] =
    "glTF binary (*.glb)|*.glb|glTF (*.gltf)|*.gltf|Wavefront OBJ (*.obj)|*.obj|"
    "Stanford PLY (*.ply)|*.ply|STL (*.stl)|*.stl|COLLADA (*.dae)|*.dae|"
    "Korvan scene JSON (*.json)|*.json";

wxListCtrl* NewList(wxWindow* parent, const std::vector<const char*>& columns) {
  auto* list = new wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                              wxLC_REPORT | wxLC_SINGLE_SEL);
  for (size_t i = 0; i < columns.size(); ++i) list->AppendColumn(columns[i]);
  return list;
}

}  // namespace

MainFrame::MainFrame(const std::string& plugin_dir)
    : wxFrame(nullptr, wxID_ANY, "Korvan", wxDefaultPosition, wxSize(1100, 700)) {
  const PluginSet plugins = LoadPlugins(PluginFolders(plugin_dir.c_str()));
  importer_ = FindImporter(plugins, "");
  BuildMenus();
  CreateStatusBar();

  auto* split = new wxSplitterWindow(this, wxID_ANY);
  auto* panel = new wxPanel(split);
  meshes_ = NewList(panel, {"Mesh", "Vertices", "Faces", "Normals", "UV", "Materials"});
  scene_items_ = NewList(panel, {"Scene", "Items"});
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(meshes_, 3, wxEXPAND);
  sizer->Add(scene_items_, 1, wxEXPAND | wxTOP, 4);
  panel->SetSizer(sizer);
  view_ = new SceneView(split);
  split->SplitVertically(panel, view_, 480);
  split->SetMinimumPaneSize(120);

  if (!importer_) {
    Report("No import plug-in found" +
           (plugins.errors.empty() ? std::string() : ": " + plugins.errors.front()));
  } else {
    Report("Ready");
  }
}

MainFrame::~MainFrame() = default;

namespace {

// Whether a plug-in's stored specific settings choose POV-Ray's syntax.
bool StoredGrammarIsPovray() {
  const SettingsStore store;
  const std::string suffix = "/Specific Settings";
  for (const auto& [name, section] : store.sections()) {
    if (name.size() <= suffix.size() || !name.ends_with(suffix)) continue;
    auto grammar = section.find("grammar");
    if (grammar != section.end() && grammar->second == "povray") return true;
  }
  return false;
}

}  // namespace

void MainFrame::BuildMenus() {
  auto* file = new wxMenu;
  file->Append(kImportId, "&Import...\tCtrl+O");
  file->Append(kExportId, "&Export...\tCtrl+E");
  file->AppendSeparator();
  file->Append(kSaveOptionsId, "&Save options...");
  file->Append(kLoadOptionsId, "&Load options...");
  file->AppendSeparator();
  recent_menu_ = new wxMenu;
  file->AppendSubMenu(recent_menu_, "&Recent files");
  file->AppendSeparator();
  file->Append(wxID_EXIT, "&Quit\tCtrl+Q");
  auto* plugin = new wxMenu;
  plugin->Append(kConfigureId, "&Configure...");
  plugin->Append(wxID_HELP, "&Help");
  plugin->AppendCheckItem(kShowProgressId, "Show &progress");
  plugin->Check(kShowProgressId, true);
  plugin->AppendCheckItem(kPovraySyntaxId, "POV-Ray &syntax");
  plugin->Check(kPovraySyntaxId, StoredGrammarIsPovray());
  auto* bar = new wxMenuBar;
  bar->Append(file, "&File");
  bar->Append(plugin, "&Plugin");
  SetMenuBar(bar);
  BuildRecentMenu();

  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { OnImport(); }, kImportId);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { OnExport(); }, kExportId);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { OnOptions(true); }, kSaveOptionsId);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { OnOptions(false); }, kLoadOptionsId);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, wxID_EXIT);
  Bind(
      wxEVT_MENU,
      [this](wxCommandEvent&) {
        if (importer_) importer_->Configure();
      },
      kConfigureId);
  Bind(
      wxEVT_MENU,
      [this](wxCommandEvent&) {
        if (importer_) importer_->ShowHelp();
      },
      wxID_HELP);
  Bind(
      wxEVT_MENU,
      [this](wxCommandEvent& event) {
        if (importer_) importer_->SetShowProgress(event.IsChecked() ? 1 : 0);
      },
      kShowProgressId);
  Bind(
      wxEVT_MENU,
      [](wxCommandEvent& event) {
        // For this session; the stored setting changes through Configure.
        SettingsStore::SetOverride("*/Specific Settings", "grammar",
                                   event.IsChecked() ? "povray" : "literal");
      },
      kPovraySyntaxId);
  Bind(
      wxEVT_MENU,
      [this](wxCommandEvent& event) {
        const size_t i = static_cast<size_t>(event.GetId() - kRecentFirstId);
        if (i < recent_.files().size()) OpenScene(recent_.files()[i]);
      },
      kRecentFirstId, kRecentFirstId + static_cast<int>(RecentFiles::kMax) - 1);
}

void MainFrame::BuildRecentMenu() {
  recent_.Load();
  while (recent_menu_->GetMenuItemCount() > 0) {
    recent_menu_->Destroy(recent_menu_->FindItemByPosition(0));
  }
  for (size_t i = 0; i < recent_.files().size(); ++i) {
    recent_menu_->Append(kRecentFirstId + static_cast<int>(i),
                         wxString::Format("&%zu %s", i + 1, recent_.files()[i]));
  }
}

std::string MainFrame::status() const {
  return GetStatusBar() != nullptr ? GetStatusBar()->GetStatusText().ToStdString() : "";
}

void MainFrame::Report(const std::string& text) { SetStatusText(wxString::FromUTF8(text)); }

bool MainFrame::OpenScene(const std::string& path) {
  if (!importer_) return false;
  ScenePtr scene(importer_->ImportFile(path.c_str()));
  const LogOutcome outcome = korvan_last_log_outcome();
  if (!scene || outcome.kind == ImportOutcome::kNotFound) {
    Report("Cannot read " + path);
    return false;
  }
  path_ = path;
  ShowScene(std::move(scene));
  ReportOutcome(outcome);
  return true;
}

void MainFrame::OnImport() {
  if (!importer_) return;
  ScenePtr scene(importer_->Import());  // the plug-in's dialog and progress window
  if (!scene) return;                   // cancelled
  const LogOutcome outcome = korvan_last_log_outcome();
  path_ = scene->Get_Path();
  ShowScene(std::move(scene));
  ReportOutcome(outcome);
}

// An error says where and what; otherwise a warning about the import as a
// whole (a stored setting that could not be taken) replaces the counts.
void MainFrame::ReportOutcome(const LogOutcome& outcome) {
  if (outcome.kind == ImportOutcome::kError) {
    Report(ErrorText(outcome));
    return;
  }
  MList* messages = scene_ ? scene_->Get_Messages() : nullptr;
  for (int32_t i = 0; messages != nullptr && i < messages->Get_Count(); ++i) {
    const char* text = static_cast<const char*>(messages->Get(i));
    if (text != nullptr && std::strncmp(text, "warning: ", 9) == 0) {
      Report(text);
      return;
    }
  }
}

// The first message of the import says where and what; the outcome line
// stands in when there is none.
std::string MainFrame::ErrorText(const LogOutcome& outcome) const {
  MList* messages = scene_ ? scene_->Get_Messages() : nullptr;
  if (messages != nullptr && messages->Get_Count() > 0) {
    return static_cast<const char*>(messages->Get(0));
  }
  return outcome.line;
}

void MainFrame::ShowScene(ScenePtr scene) {
  scene_ = std::move(scene);
  SetTitle("Korvan - " + wxString::FromUTF8(path_));
  const SceneSummary summary = Summarize(*scene_);
  meshes_->DeleteAllItems();
  for (const MeshRow& row : summary.meshes) {
    const long item = meshes_->InsertItem(meshes_->GetItemCount(), wxString::FromUTF8(row.name));
    meshes_->SetItem(item, 1, wxString::Format("%ld", row.vertices));
    meshes_->SetItem(item, 2, wxString::Format("%ld", row.faces));
    meshes_->SetItem(item, 3, wxString::Format("%ld", row.normals));
    meshes_->SetItem(item, 4, wxString::Format("%ld", row.uv));
    meshes_->SetItem(item, 5, wxString::FromUTF8(row.materials));
  }
  scene_items_->DeleteAllItems();
  std::string materials;
  for (const std::string& m : summary.materials) materials += (materials.empty() ? "" : ", ") + m;
  const std::pair<const char*, std::string> items[] = {{"Materials", materials},
                                                       {"Cameras", std::to_string(summary.cameras)},
                                                       {"Lights", std::to_string(summary.lights)}};
  for (const auto& [name, value] : items) {
    const long item = scene_items_->InsertItem(scene_items_->GetItemCount(), name);
    scene_items_->SetItem(item, 1, wxString::FromUTF8(value));
  }
  for (wxListCtrl* list : {meshes_, scene_items_}) {
    for (int c = 0; c < list->GetColumnCount(); ++c) {
      list->SetColumnWidth(c, wxLIST_AUTOSIZE_USEHEADER);
      const int header = list->GetColumnWidth(c);
      list->SetColumnWidth(c, wxLIST_AUTOSIZE);  // the widest entry, when wider
      if (list->GetColumnWidth(c) < header) list->SetColumnWidth(c, header);
    }
  }
  view_->SetMesh(BuildRenderMesh(*scene_));
  const SceneCounts counts = Count(*scene_);
  Report(wxString::Format("%ld meshes, %ld vertices, %ld faces", counts.meshes, counts.vertices,
                          counts.faces)
             .ToStdString());
  recent_.Add(path_);
  BuildRecentMenu();
}

bool MainFrame::ExportTo(const std::string& path) {
  if (!scene_) return false;
  const size_t dot = path.rfind('.');
  const ExportFormat* format =
      FindFormatForExtension(dot == std::string::npos ? "" : path.substr(dot + 1));
  if (format == nullptr) {
    Report("Unknown format: " + path);
    return false;
  }
  ExportReport report;
  if (!ExportScene(*scene_, path, *format, ExportOptions(), &report)) {
    Report("Cannot write " + path + ": " + report.error);
    return false;
  }
  const long left_out = report.faces_not_written();
  Report("Wrote " + path +
         (left_out > 0 ? " (" + std::to_string(left_out) + " faces could not be written)" : ""));
  return true;
}

void MainFrame::OnExport() {
  if (!scene_) {
    Report("Nothing to export: import a scene first");
    return;
  }
  const wxFileName scene_file(wxString::FromUTF8(path_));
  wxFileDialog dialog(this, "Export", wxGetCwd(), scene_file.GetName() + ".glb", kExportWildcard,
                      wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
  if (dialog.ShowModal() != wxID_OK) return;
  ExportTo(dialog.GetPath().utf8_string());
}

void MainFrame::OnOptions(bool save) {
  if (!importer_) return;
  wxFileDialog dialog(this, save ? "Save options" : "Load options", wxGetCwd(), "tarvo_in.opt",
                      "Options files (*.opt)|*.opt|All files (*)|*",
                      save ? wxFD_SAVE | wxFD_OVERWRITE_PROMPT : wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (dialog.ShowModal() != wxID_OK) return;
  const std::string path = dialog.GetPath().utf8_string();
  if (save) {
    Report(importer_->SaveOptions(path.c_str()) == 1 ? "Saved options to " + path
                                                     : "Cannot write " + path);
  } else {
    importer_->LoadOptions(path.c_str());
    Report("Loaded options from " + path);
  }
}
