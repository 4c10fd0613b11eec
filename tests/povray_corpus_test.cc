// Reads every scene of tests/povray/ in the POV-Ray-syntax mode and holds
// each mesh named in the file's "// expect-mesh: NAME FACES [= POVNAME]"
// lines against POV-Ray itself: the face count, and the bounding box that
// POV-Ray's min_extent/max_extent give for the declared object. A line
// "// expect-placed: MESHES FACES = POVNAME" reads the file again with
// objects placed and holds all its meshes together against POVNAME, the
// union of what the file places. POV-Ray's part is skipped (with a message)
// where povray is not installed; CI installs it.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

const std::string kCorpus = std::string(TARVO_SOURCE_DIR) + "/tests/povray/";

struct Expected {
  std::string mesh;      // the importer's mesh
  std::string declared;  // the identifier POV-Ray knows it by
  int64_t faces = 0;
};

struct Box {
  std::array<double, 3> min{}, max{};
};

struct ExpectedPlacement {
  int64_t meshes = -1, faces = 0;
  std::string declared;
};

ExpectedPlacement PlacementExpected(const std::string& path) {
  ExpectedPlacement out;
  std::ifstream in(path);
  std::string line;
  const std::string mark = "// expect-placed: ";
  while (std::getline(in, line)) {
    if (line.rfind(mark, 0) != 0) continue;
    std::istringstream words(line.substr(mark.size()));
    std::string equals;
    words >> out.meshes >> out.faces >> equals >> out.declared;
  }
  return out;
}

std::vector<Expected> Expectations(const std::string& path) {
  std::vector<Expected> out;
  std::ifstream in(path);
  std::string line;
  const std::string mark = "// expect-mesh: ";
  while (std::getline(in, line)) {
    if (line.rfind(mark, 0) != 0) continue;
    std::istringstream words(line.substr(mark.size()));
    Expected e;
    std::string equals;
    words >> e.mesh >> e.faces >> equals >> e.declared;
    if (equals != "=") e.declared = e.mesh;
    out.push_back(e);
  }
  return out;
}

// POV-Ray's own include folder (colors.inc and the rest), or "".
std::string PovrayIncludeFolder() {
  for (const char* folder : {"/usr/share/povray-3.7/include", "/usr/share/povray/include",
                             "/usr/local/share/povray-3.7/include"}) {
    if (access((std::string(folder) + "/colors.inc").c_str(), R_OK) == 0) return folder;
  }
  return "";
}

bool HavePovray() { return std::system("povray --version >/dev/null 2>&1") == 0; }

// Runs POV-Ray on a scene that includes `path` and prints the extents of
// each declared object; answers them by name.
std::map<std::string, Box> PovrayExtents(const std::string& path,
                                         const std::vector<Expected>& expected,
                                         std::string* output) {
  const std::string folder = TestDir() + "povray-oracle/";
  std::system(("mkdir -p '" + folder + "'").c_str());
  std::ofstream wrapper(folder + "wrapper.pov");
  wrapper << "#include \"" << path << "\"\n";
  for (const Expected& e : expected) {
    for (const char* side : {"min", "max"}) {
      wrapper << "#debug concat(\"" << e.declared << " " << side << " \", vstr(3, " << side
              << "_extent(" << e.declared << "), \",\", 0, 9), \"\\n\")\n";
    }
  }
  wrapper.close();
  const std::string command = "cd '" + folder + "' && povray +Iwrapper.pov +W8 +H8 -D -F +L'" +
                              kCorpus + "' +L'" + PovrayIncludeFolder() + "' 2>&1";
  std::map<std::string, Box> boxes;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return boxes;
  char line[4096];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    *output += line;
    char name[256], side[8];
    double v[3];
    if (std::sscanf(line, "%255s %7s %lf,%lf,%lf", name, side, &v[0], &v[1], &v[2]) != 5) continue;
    Box& box = boxes[name];
    auto& corner = std::string(side) == "min" ? box.min : box.max;
    std::copy(v, v + 3, corner.begin());
  }
  pclose(pipe);
  return boxes;
}

// The box of the vertices that the mesh's faces use (POV-Ray's rule),
// grown from `box`.
Box FaceBox(const MMesh_P& mesh, Box box) {
  for (int64_t f = 0; f < mesh.Get_Face_Count(); ++f) {
    const int32_t* corners = mesh.Faces().Corners(f);
    for (int32_t c = 0; c < mesh.Faces().CornerCount(f); ++c) {
      const MVector3& v = mesh.Get_Vertex(corners[c]);
      const double p[3] = {v.x, v.y, v.z};
      for (int i = 0; i < 3; ++i) {
        box.min[i] = std::min(box.min[i], p[i]);
        box.max[i] = std::max(box.max[i], p[i]);
      }
    }
  }
  return box;
}

Box EmptyBox() {
  Box box;
  box.min.fill(INFINITY);
  box.max.fill(-INFINITY);
  return box;
}

void ExpectSameBox(const Box& mine, const Box& pov) {
  double size = 0;
  for (int i = 0; i < 3; ++i) size = std::max(size, pov.max[i] - pov.min[i]);
  // POV-Ray keeps boxes in single precision.
  const double tolerance = 1e-6 * std::max(size, 1.0) + 1e-6;
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(mine.min[i], pov.min[i], tolerance) << "axis " << i;
    EXPECT_NEAR(mine.max[i], pov.max[i], tolerance) << "axis " << i;
  }
}

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> files;
  if (DIR* dir = opendir(kCorpus.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.size() > 4 && (name.ends_with(".pov") || name.ends_with(".inc"))) {
        files.push_back(name);
      }
    }
    closedir(dir);
  }
  std::sort(files.begin(), files.end());
  return files;
}

class PovrayCorpus : public testing::TestWithParam<std::string> {};

TEST_P(PovrayCorpus, MeshesMatchPovray) {
  const std::string path = kCorpus + GetParam();
  const std::vector<Expected> expected = Expectations(path);
  ASSERT_FALSE(expected.empty()) << path << " names no mesh to check";

  PovrayReadOptions options;
  options.library_paths.push_back(PovrayIncludeFolder());
  Reading r = ReadPovrayPath(path, options);
  EXPECT_NE(r.log.find(" lines parsed\n"), std::string::npos) << r.log;
  for (const std::string& message : r.host_messages) {
    EXPECT_EQ(message.find(": error: "), std::string::npos) << message;
  }

  if (!HavePovray()) GTEST_SKIP() << "povray is not installed: the bounding boxes are not checked";
  std::string output;
  const std::map<std::string, Box> boxes = PovrayExtents(path, expected, &output);
  for (const Expected& e : expected) {
    SCOPED_TRACE(GetParam() + ": mesh " + e.mesh);
    MMesh_P* mesh = FindMesh(*r.scene, e.mesh.c_str());
    ASSERT_NE(mesh, nullptr) << "not imported; meshes: "
                             << testing::PrintToString(ObjectNames(*r.scene));
    EXPECT_EQ(mesh->Get_Face_Count(), e.faces);
    auto found = boxes.find(e.declared);
    ASSERT_NE(found, boxes.end()) << "POV-Ray gave no box for " << e.declared << ":\n" << output;
    const Box mine = FaceBox(*mesh, EmptyBox());
    ExpectSameBox(mine, found->second);
  }

  // Placed: every mesh the file places, together, against the union.
  const ExpectedPlacement placed = PlacementExpected(path);
  if (placed.meshes < 0) return;
  options.place_objects = true;
  Reading p = ReadPovrayPath(path, options);
  for (const std::string& message : p.host_messages) {
    EXPECT_EQ(message.find(": error: "), std::string::npos) << message;
  }
  int64_t meshes = 0, faces = 0;
  Box all = EmptyBox();
  p.scene->ForEachMesh([&](MMesh_P& mesh) {
    ++meshes;
    faces += mesh.Get_Face_Count();
    all = FaceBox(mesh, all);
  });
  EXPECT_EQ(meshes, placed.meshes) << testing::PrintToString(ObjectNames(*p.scene));
  EXPECT_EQ(faces, placed.faces);
  const std::map<std::string, Box> union_box =
      PovrayExtents(path, {Expected{"", placed.declared, 0}}, &output);
  auto found = union_box.find(placed.declared);
  ASSERT_NE(found, union_box.end()) << output;
  ExpectSameBox(all, found->second);
}

// Scenes on this machine that the project does not ship: POV-Ray's own
// include files (each included by a one-line scene) and the sample scenes of
// Blender's POV-Ray add-on (CI installs both).
std::vector<std::string> InstalledScenes() {
  std::vector<std::string> scenes;
  auto list = [](const std::string& folder, const char* ending) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
      while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.ends_with(ending)) names.push_back(folder + "/" + name);
      }
      closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::string wrappers = TestDir() + "installed/";
  std::system(("mkdir -p '" + wrappers + "'").c_str());
  for (const std::string& include : list(PovrayIncludeFolder(), ".inc")) {
    const std::string name = include.substr(include.rfind('/') + 1);
    scenes.push_back(WriteTestFile("installed/" + name + ".pov", "#include \"" + name + "\"\n"));
  }
  for (const std::string& scene :
       list("/usr/share/blender/scripts/addons/render_povray/templates_pov", ".pov")) {
    scenes.push_back(scene);
  }
  return scenes;
}

// The scenes of `scenes` that POV-Ray reads without error (+Q0: parsed
// whole, drawn without lights, radiosity or photons). POV-Ray spends most of
// its half second starting, so the runs go side by side.
std::vector<std::string> ReadByPovray(const std::vector<std::string>& scenes) {
  std::string list;
  for (const std::string& scene : scenes) list += scene + "\n";
  const std::string list_file = WriteTestFile("installed/list.txt", list);
  const std::string read_file = TestDir() + "installed/read.txt";
  const std::string command = "xargs -P 16 -I@ sh -c \"povray +I'@' +W8 +H8 +Q0 -D -F -GA +L'" +
                              PovrayIncludeFolder() + "' >/dev/null 2>&1 && echo '@'\" <'" +
                              list_file + "' >'" + read_file + "'";
  std::system(command.c_str());
  std::vector<std::string> read;
  std::ifstream in(read_file);
  for (std::string line; std::getline(in, line);) read.push_back(line);
  return read;
}

TEST(PovrayInstalledScenes, WhatPovrayReadsReadsWithoutError) {
  // (A scene POV-Ray refuses may still read here: a colour name it cannot
  // evaluate is a warning in this reader, as the geometry does not need it.)
  if (!HavePovray()) GTEST_SKIP() << "povray is not installed";
  const std::vector<std::string> scenes = ReadByPovray(InstalledScenes());
  if (scenes.empty()) GTEST_SKIP() << "no POV-Ray include files or sample scenes here";
  for (const std::string& scene : scenes) {
    PovrayReadOptions options;
    options.place_objects = true;
    options.library_paths.push_back(PovrayIncludeFolder());
    const Reading r = ReadPovrayPath(scene, options);
    for (const std::string& message : r.host_messages) {
      EXPECT_EQ(message.find(": error: "), std::string::npos) << scene << ": " << message;
    }
  }
  EXPECT_GT(scenes.size(), 40u) << "POV-Ray read fewer of the installed scenes than it should";
}

INSTANTIATE_TEST_SUITE_P(Files, PovrayCorpus, testing::ValuesIn(CorpusFiles()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
