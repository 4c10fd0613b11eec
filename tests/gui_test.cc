// The host's window under Xvfb, with the plug-in loaded as the host loads
// it: the scene panel's rows, Import through the plug-in's own dialog,
// Export through the menu, and the 3D view's pixels. The plain code behind
// the window is tested without one.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/init.h>
#include <wx/listctrl.h>
#include <wx/modalhook.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "korvan/gui/main_frame.h"
#include "korvan/gui/recent_files.h"
#include "korvan/gui/scene_model.h"
#include "korvan/gui/scene_view.h"
#include "korvan/settings_store.h"
#include "tests/test_support.h"

namespace {

const std::string kSource = TARVO_SOURCE_DIR;

// ---- plain code ----

TEST(SceneModel, SummaryRows) {
  Reading r = ReadScenePath(kSource + "/examples/cube.pov");
  const SceneSummary s = Summarize(*r.scene);
  ASSERT_EQ(s.meshes.size(), 1u);
  EXPECT_EQ(s.meshes[0].name, "obj_1");
  EXPECT_EQ(s.meshes[0].vertices, 8);
  EXPECT_EQ(s.meshes[0].faces, 12);
  EXPECT_EQ(s.meshes[0].normals, 6);
  EXPECT_EQ(s.meshes[0].uv, 4);
  EXPECT_EQ(s.meshes[0].materials, "mat_1, mat_2");
  EXPECT_EQ(s.materials, (std::vector<std::string>{"mat_0", "mat_1", "mat_2"}));
}

TEST(SceneModel, RenderMeshTrianglesNormalsAndColours) {
  Reading r = ReadSceneText(
      "mesh2 { vertex_vectors { 5, <0,0,0>, <1,0,0>, <0,1,0>, <1,1,0>, <nan,0,0> }\n"
      "  texture_list { 2, texture{A} texture{B} }\n"
      "  face_indices { 4, <0,1,2>, 0, <1,3,2>, 1, <0,1,9>, 0, <4,1,2>, 1 } }\n"
      "triangle { <0,0,1>, <1,0,1>, <0,1,1> }");
  const RenderMesh mesh = BuildRenderMesh(*r.scene);
  EXPECT_EQ(mesh.triangles(), 3u) << "two mesh2 faces and the triangle; bad ones left out";
  EXPECT_EQ(mesh.normals.size(), mesh.positions.size());
  // The triangle (in obj_0, first) faces +z in the file; drawn
  // right-handed, it lies at z = -1 and faces -z.
  EXPECT_FLOAT_EQ(mesh.positions[2], -1.0f);
  EXPECT_LT(mesh.normals[2], -0.99f);
  // The mesh2's two faces have different materials, so different colours.
  EXPECT_NE(mesh.colors[9], mesh.colors[18]);
  EXPECT_GT(mesh.radius, 0.5f);
}

TEST(SceneModel, RenderMeshWindsFacesAsTheExportDoes) {
  // The normals point against the winding in the file: drawn, as written,
  // the triangle is turned so that its winding agrees with them.
  Reading r =
      ReadSceneText("smooth_triangle { <0,0,1>, <0,0,-1>, <1,0,1>, <0,0,-1>, <0,1,1>, <0,0,-1> }");
  const RenderMesh mesh = BuildRenderMesh(*r.scene);
  ASSERT_EQ(mesh.triangles(), 1u);
  const float* p = mesh.positions.data();
  const float ux = p[3] - p[0], uy = p[4] - p[1], vx = p[6] - p[0], vy = p[7] - p[1];
  const float winding_z = ux * vy - uy * vx;
  EXPECT_GT(winding_z * mesh.normals[2], 0.0f)
      << "winding " << winding_z << ", normal z " << mesh.normals[2];
  EXPECT_FLOAT_EQ(mesh.normals[2], 1.0f) << "(0,0,-1) with z negated";
}

TEST(SceneModel, CameraFramesAndMoves) {
  OrbitCamera camera;
  const float center[3] = {1, 2, 3};
  camera.Frame(center, 2);
  float eye[3];
  camera.Eye(eye);
  const float d = std::sqrt((eye[0] - 1) * (eye[0] - 1) + (eye[1] - 2) * (eye[1] - 2) +
                            (eye[2] - 3) * (eye[2] - 3));
  EXPECT_NEAR(d, 5.6f, 1e-4);
  EXPECT_GT(eye[2], 3) << "in front, as POV-Ray's default camera looks";
  camera.Zoom(1);
  EXPECT_LT(camera.distance, 5.6f);
  camera.Orbit(0, 10);
  EXPECT_LE(camera.pitch, 1.56f) << "never over the pole";
  camera.Pan(0.1f, 0);
  EXPECT_NE(camera.target[0], 1.0f);
}

TEST(SceneModel, TheViewStartsFromTheFilesCamera) {
  MScene scene("x.pov");
  auto* mesh = new MMesh_P("m");
  mesh->Add_Tri(MVector3(0, 0, 0), MVector3(1, 0, 0), MVector3(0, 1, 0), 0, -1.0);
  scene.Get_Objects()->Add(mesh);
  auto* fallback = new MCamera("default_camera");  // a host default: not a view
  fallback->location = MVector3(9, 9, 9);
  scene.Get_Cameras()->Add(fallback);
  RenderMesh framed = BuildRenderMesh(scene);
  EXPECT_FALSE(framed.has_view);

  auto* camera = new MCamera("camera_0");
  camera->location = MVector3(0, 3, -4);  // POV-Ray's coordinates
  camera->look_at = MVector3(0, 0, 0);
  camera->angle = 50;  // horizontal, across POV-Ray's 4:3 image
  camera->from_file = 1;
  scene.Get_Cameras()->Add(camera);
  RenderMesh render = BuildRenderMesh(scene);
  ASSERT_TRUE(render.has_view);
  EXPECT_NEAR(render.field_of_view, 38.553f, 0.001f) << "2 atan(tan 25° / 1.333)";
  EXPECT_FLOAT_EQ(framed.field_of_view, 45.0f);
  OrbitCamera view;
  view.LookFrom(render.eye, render.look_at);
  float eye[3];
  view.Eye(eye);
  EXPECT_NEAR(eye[0], 0, 1e-5);
  EXPECT_NEAR(eye[1], 3, 1e-5);
  EXPECT_NEAR(eye[2], 4, 1e-5) << "z negated into the view's right-handed space";
}

TEST(RecentFilesTest, NewestFirstOnceAndBounded) {
  RecentFiles recent;
  for (int i = 0; i < 10; ++i) recent.Add("/s/" + std::to_string(i) + ".pov");
  recent.Add("/s/5.pov");
  RecentFiles again;
  again.Load();
  ASSERT_EQ(again.files().size(), RecentFiles::kMax);
  EXPECT_EQ(again.files()[0], "/s/5.pov");
  EXPECT_EQ(again.files()[1], "/s/9.pov");
  EXPECT_EQ(std::count(again.files().begin(), again.files().end(), "/s/5.pov"), 1);
}

// ---- the window ----

class HostApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

// The toolkit, made once for the whole run (as the host does), so that the
// plug-in's windows are this application's.
bool Toolkit() {
  static const bool ready = [] {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return false;
    wxApp::SetInstance(new HostApp);
    int argc = 1;
    char name[] = "gui_tests";
    char* argv[] = {name, nullptr};
    return wxEntryStart(argc, argv) && wxTheApp->CallOnInit();
  }();
  return ready;
}

// Answers every file dialog with OK on the path it offers, as a user
// would: once shown and showing its path (GTK's chooser fills it in a
// moment after it shows), by GTK's own response to its accept button.
// Other dialogs are cancelled unshown.
class AcceptFileDialogs : public wxModalDialogHook {
 public:
  AcceptFileDialogs() { Register(); }
  ~AcceptFileDialogs() override { Unregister(); }
  int dialogs = 0;

 protected:
  // wx asks the hook twice for a file dialog (the chooser's and the
  // dialog's own ShowModal): one answer each.
  int Enter(wxDialog* dialog) override {
    if (dialog == shown_) return wxID_NONE;
    ++dialogs;
    auto* files = dynamic_cast<wxFileDialog*>(dialog);
    if (files == nullptr) return wxID_CANCEL;
    shown_ = dialog;
    AcceptOnceOffered(files, 0);
    return wxID_NONE;  // shown
  }
  void Exit(wxDialog* dialog) override {
    if (dialog == shown_) shown_ = nullptr;
  }

 private:
  wxDialog* shown_ = nullptr;

  // GTK runs the chooser in a loop of its own, which wx's dialog calls do
  // not end: its public gtk_dialog_response does, as a click would.
  static void AcceptOnceOffered(wxFileDialog* dialog, int tries) {
    dialog->CallAfter([dialog, tries] {
      if (dialog->GetPath().empty() && tries < 500) {
        usleep(10000);
        AcceptOnceOffered(dialog, tries + 1);
        return;
      }
      using Respond = void (*)(void* gtk_dialog, int response);
      static const auto respond =
          reinterpret_cast<Respond>(dlsym(RTLD_DEFAULT, "gtk_dialog_response"));
      constexpr int kGtkResponseAccept = -3;
      if (respond != nullptr) respond(dialog->GetHandle(), kGtkResponseAccept);
    });
  }
};

class GuiTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!Toolkit()) GTEST_SKIP() << "no display";
    frame_ = new MainFrame(TARVO_PLUGIN_DIR);
    frame_->Show();
    Settle();
  }
  void TearDown() override {
    if (frame_ != nullptr) frame_->Destroy();
    Settle();
  }
  static void Settle() {
    for (int i = 0; i < 10; ++i) {
      wxTheApp->ProcessPendingEvents();
      wxTheApp->Yield(true);
      usleep(10000);
    }
  }
  // Every column is at least as wide as its title: no title drawn over the
  // next ("Materia1aterials").
  void ExpectTitlesFit() {
    for (wxListCtrl* list : {frame_->mesh_list(), frame_->scene_list()}) {
      for (int c = 0; c < list->GetColumnCount(); ++c) {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT);
        ASSERT_TRUE(list->GetColumn(c, column));
        EXPECT_GE(list->GetColumnWidth(c), list->GetTextExtent(column.GetText()).x)
            << column.GetText();
      }
    }
  }
  void Menu(int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    frame_->ProcessWindowEvent(event);
    Settle();
  }
  MainFrame* frame_ = nullptr;
};

std::string Cell(wxListCtrl* list, long row, int column) {
  return list->GetItemText(row, column).ToStdString();
}

TEST_F(GuiTest, OpensAnExampleAndListsItsMeshes) {
  ExpectTitlesFit();  // before any scene
  ASSERT_TRUE(frame_->OpenScene(kSource + "/examples/mesh_blocks.pov"));
  Settle();
  EXPECT_EQ(frame_->GetTitle(), "Korvan - " + kSource + "/examples/mesh_blocks.pov");
  wxListCtrl* meshes = frame_->mesh_list();
  ASSERT_EQ(meshes->GetItemCount(), 2);
  EXPECT_EQ(Cell(meshes, 0, 0), "obj_1");
  EXPECT_EQ(Cell(meshes, 0, 1), "12");
  EXPECT_EQ(Cell(meshes, 0, 2), "4");
  EXPECT_EQ(Cell(meshes, 0, 3), "12");
  EXPECT_EQ(Cell(meshes, 0, 5), "mat_1");
  EXPECT_EQ(Cell(meshes, 1, 0), "obj_2");
  wxListCtrl* scene = frame_->scene_list();
  ASSERT_EQ(scene->GetItemCount(), 3);
  EXPECT_EQ(Cell(scene, 0, 1), "mat_0, mat_1, mat_2");
  EXPECT_EQ(Cell(scene, 1, 1), "1");
  EXPECT_EQ(Cell(scene, 2, 1), "1");
  EXPECT_EQ(frame_->status(), "2 meshes, 18 vertices, 6 faces");
  ExpectTitlesFit();
  // Also with no rows to size the columns by (a scene without meshes).
  ASSERT_TRUE(frame_->OpenScene(kSource + "/examples/placed_model.pov"));
  Settle();
  EXPECT_EQ(meshes->GetItemCount(), 0);
  ExpectTitlesFit();
}

TEST_F(GuiTest, SyntaxErrorsShowInTheStatusBarAndThePluginMenuSwitchesTheSyntax) {
  ASSERT_TRUE(frame_->OpenScene(kSource + "/examples/broken.pov"));
  EXPECT_EQ(frame_->status().rfind(kSource + "/examples/broken.pov:11: note: ", 0), 0u)
      << frame_->status();
  wxCommandEvent povray(wxEVT_MENU, MainFrame::kPovraySyntaxId);
  povray.SetInt(1);  // checked
  frame_->ProcessWindowEvent(povray);
  ASSERT_TRUE(frame_->OpenScene(kSource + "/examples/broken.pov"));
  EXPECT_EQ(frame_->status(), "3 meshes, 12 vertices, 4 faces");
  povray.SetInt(0);
  frame_->ProcessWindowEvent(povray);
  EXPECT_FALSE(frame_->OpenScene(kSource + "/examples/missing.pov"));
  EXPECT_EQ(frame_->status(), "Cannot read " + kSource + "/examples/missing.pov");
}

TEST_F(GuiTest, ImportThroughThePluginsDialogAndExportThroughTheMenu) {
  // The plug-in's open-file dialog starts at the stored scene file name;
  // answering it with OK chooses that file.
  {
    SettingsStore store;
    store.Set("tarvo_in", "file_name", kSource + "/examples/cube.pov");
    ASSERT_TRUE(store.Save());
  }
  AcceptFileDialogs accept;
  Menu(MainFrame::kImportId);
  ASSERT_NE(frame_->scene(), nullptr);
  EXPECT_EQ(frame_->scene_path(), kSource + "/examples/cube.pov");
  EXPECT_EQ(frame_->mesh_list()->GetItemCount(), 1);

  // Export offers NAME.glb in the working folder.
  const std::string folder = TestDir() + "export";
  std::filesystem::create_directories(folder);
  const std::string before = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  Menu(MainFrame::kExportId);
  std::filesystem::current_path(before);
  EXPECT_EQ(accept.dialogs, 2);
  EXPECT_EQ(ReadWholeFile(folder + "/cube.glb").substr(0, 4), "glTF") << frame_->status();
  EXPECT_EQ(frame_->status(), "Wrote " + folder + "/cube.glb");
}

TEST_F(GuiTest, TheViewShowsTheMaterialColours) {
  ASSERT_TRUE(frame_->OpenScene(kSource + "/examples/cube.pov"));
  Settle();
  std::vector<unsigned char> rgb;
  int width = 0, height = 0;
  ASSERT_TRUE(frame_->view()->ReadPixels(&rgb, &width, &height));
  ASSERT_GT(width * height, 0);
  // The background is grey; the cube's two materials are reddish and bluish.
  long reddish = 0, bluish = 0;
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
    const int r = rgb[i], g = rgb[i + 1], b = rgb[i + 2];
    if (r > g + 40 && r > b + 40) ++reddish;
    if (b > r + 40 && b > g + 20) ++bluish;
  }
  const long pixels = static_cast<long>(width) * height;
  EXPECT_GT(reddish, pixels / 50) << "mat_1's colour";
  EXPECT_GT(bluish, pixels / 200) << "mat_2's colour";
  if (const char* dir = std::getenv("TARVO_SCREENSHOT_DIR")) {
    frame_->SetSize(1100, 700);
    Settle();
    const wxRect rect = frame_->GetRect();
    const std::string command = "import -window root -crop " + std::to_string(rect.width) + "x" +
                                std::to_string(rect.height) + "+" + std::to_string(rect.x) + "+" +
                                std::to_string(rect.y) + " +repage '" + dir + "/korvan-gui.png'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }
}

TEST_F(GuiTest, ResetKeyFramesTheSceneAgain) {
  // Without a camera in the file: the framing view; with one: the file's
  // view, also once the view has drawn (and let go of its mesh).
  struct Case {
    const char* file;
    bool file_camera;
  };
  wxCommandEvent povray(wxEVT_MENU, MainFrame::kPovraySyntaxId);
  povray.SetInt(1);  // checked
  frame_->ProcessWindowEvent(povray);
  for (const Case& c :
       {Case{"/examples/cube.pov", false}, Case{"/examples/placed_model.pov", true}}) {
    ASSERT_TRUE(frame_->OpenScene(kSource + c.file)) << c.file;
    SceneView* view = frame_->view();
    view->Update();
    Settle();
    const OrbitCamera start = view->camera();
    view->camera().Zoom(5);
    view->camera().Orbit(1, 0.2f);
    wxKeyEvent key(wxEVT_KEY_DOWN);
    key.m_keyCode = 'R';
    view->GetEventHandler()->ProcessEvent(key);
    EXPECT_FLOAT_EQ(view->camera().distance, start.distance) << c.file;
    EXPECT_FLOAT_EQ(view->camera().yaw, start.yaw) << c.file;
    EXPECT_EQ(view->camera().yaw == OrbitCamera::kFrontYaw, !c.file_camera) << c.file;
  }
  povray.SetInt(0);
  frame_->ProcessWindowEvent(povray);
}

}  // namespace
