#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "korvan/memory_stats.h"
#include "korvan/scene_json.h"
#include "plugin/host/array.h"
#include "plugin/host/file.h"
#include "plugin/host/log_file.h"
#include "plugin/host/scene.h"
#include "tests/test_support.h"

namespace {

TEST(HostMesh, AddTriMakesThreeNewVerticesAndAFace) {
  MMesh_P mesh("m");
  mesh.Add_Vertex(MVector3(9, 9, 9), -1.0);
  mesh.Add_Tri(MVector3(0, 0, 0), MVector3(1, 0, 0), MVector3(0, 1, 0), 4, -1.0);
  ASSERT_EQ(mesh.Get_Vertex_Count(), 4);
  ASSERT_EQ(mesh.Get_Face_Count(), 1);
  const int32_t* face = mesh.Faces().Corners(0);
  EXPECT_EQ(face[0], 1);
  EXPECT_EQ(face[1], 2);
  EXPECT_EQ(face[2], 3);
  EXPECT_EQ(mesh.Get_Face_MatId(0), 4);
  EXPECT_EQ(mesh.Get_Vertex(2).x, 1.0);
}

TEST(HostMesh, FacesOfAnySizeAndUncheckedIndices) {
  MMesh_P mesh("m");
  const int32_t sizes[] = {3, 4, 3, 7, 1};
  for (int32_t size : sizes) {
    MIPolygon poly(0);
    for (int32_t i = 0; i < size; ++i) poly.Add(i == 0 ? -5 : 2147483647 - i);
    poly.Set_MatId(size);
    mesh.Add_Face(poly);
  }
  ASSERT_EQ(mesh.Get_Face_Count(), 5);
  for (int f = 0; f < 5; ++f) {
    EXPECT_EQ(mesh.Faces().CornerCount(f), sizes[f]) << "face " << f;
    EXPECT_EQ(mesh.Faces().Corners(f)[0], -5);
    EXPECT_EQ(mesh.Get_Face_MatId(f), sizes[f]);
  }
}

TEST(HostMesh, RemoveNormalsAndUVClearTheChannel) {
  MMesh_P mesh("m");
  mesh.UseNormals();
  mesh.UseUV();
  mesh.Add_NTri(MVector3(), MVector3(), MVector3(), 0, -1.0);
  mesh.Add_UVVertex(MVector3(0.5, 1, 0), -1.0);
  MIPolygon poly(0);
  poly.Add(0);
  poly.Add(0);
  poly.Add(0);
  mesh.Add_UVFace(poly);
  mesh.RemoveNormals();
  mesh.RemoveUV();
  EXPECT_EQ(mesh.NormalsUsed(), 0);
  EXPECT_EQ(mesh.UVUsed(), 0);
  EXPECT_EQ(mesh.Get_NVertex_Count() + mesh.Get_NFace_Count(), 0);
  EXPECT_EQ(mesh.Get_UVVertex_Count() + mesh.Get_UVFace_Count(), 0);
}

TEST(HostMesh, NormalIsTheUnitCrossProductOrZero) {
  MVector3 n = Normal(MVector3(0, 0, 0), MVector3(1, 0, 0), MVector3(0, 1, 0));
  EXPECT_EQ(n.x, 0.0);
  EXPECT_EQ(n.y, 0.0);
  EXPECT_EQ(n.z, 1.0);
  n = Normal(MVector3(0, 0, 0), MVector3(2, 0, 0), MVector3(0, 0, 3));
  EXPECT_EQ(n.y, -1.0);
  // Degenerate, overflowing and NaN triangles give (0, 0, 0).
  const double inf = std::numeric_limits<double>::infinity();
  const MVector3 zero_cases[][3] = {
      {MVector3(1, 1, 1), MVector3(1, 1, 1), MVector3(1, 1, 1)},
      {MVector3(0, 0, 0), MVector3(1, 1, 1), MVector3(2, 2, 2)},
      {MVector3(0, 0, 0), MVector3(1e300, 0, 0), MVector3(0, 1e300, 0)},
      {MVector3(0, 0, 0), MVector3(inf, 0, 0), MVector3(0, 1, 0)},
      {MVector3(0, 0, 0), MVector3(std::nan(""), 0, 0), MVector3(0, 1, 0)},
  };
  for (const auto& t : zero_cases) {
    n = Normal(t[0], t[1], t[2]);
    EXPECT_TRUE(n.x == 0.0 && n.y == 0.0 && n.z == 0.0)
        << "b = (" << t[1].x << "," << t[1].y << "," << t[1].z << ")";
  }
}

TEST(HostMesh, MaterialIndexFollowsDirectAppends) {
  MMesh_P mesh("m");
  MList* names = mesh.Get_MaterialNames();
  EXPECT_EQ(mesh.GetIndexMaterialbyName("mat_0"), -1);
  names->Add(my_strdup("mat_0"));
  names->Add(my_strdup("mat_1"));
  EXPECT_EQ(mesh.GetIndexMaterialbyName("mat_1"), 1);
  names->Add(my_strdup("mat_2"));
  EXPECT_EQ(mesh.GetIndexMaterialbyName("mat_2"), 2);
  EXPECT_EQ(mesh.GetIndexMaterialbyName("MAT_2"), -1) << "case-sensitive";
  names->Remove(0);  // positions move: the index must notice
  EXPECT_EQ(mesh.GetIndexMaterialbyName("mat_2"), 1);
  EXPECT_EQ(mesh.GetIndexMaterialbyName("mat_0"), -1);
  names->Remove(-1);
  names->Add(my_strdup("mat_9"));
  EXPECT_EQ(mesh.GetIndexMaterialbyName("mat_9"), 1);
  EXPECT_EQ(mesh.GetIndexMaterialbyName("mat_2"), -1);
}

TEST(HostMemory, ArrayAllocatorKeepsContentsAcrossSizesAndFreesItsBlocks) {
  // Growing past the size where blocks come from the host's arrays, copying
  // and shrinking: the values stay, and every host block goes back.
  const int64_t before = korvan_live_blocks();
  {
    std::vector<int64_t, HostArrayAllocator<int64_t>> values;
    for (int64_t i = 0; i < 400000; ++i) values.push_back(i * 7);  // 3.2 MB
    EXPECT_GT(korvan_live_blocks(), before) << "large blocks come from the host";
    auto copy = values;
    copy.resize(10);
    copy.shrink_to_fit();
    for (int64_t i = 0; i < 400000; i += 9999) ASSERT_EQ(values[i], i * 7) << i;
    EXPECT_EQ(copy.back(), 63);
  }
  EXPECT_EQ(korvan_live_blocks(), before);
}

TEST(HostScene, GetMaterialbyNameAndOwnership) {
  const int64_t before = korvan_live_blocks();
  {
    MScene scene("x.pov");
    for (int i = 0; i < 1000; ++i) {
      scene.Get_Materials()->Add(new MSurface(("mat_" + std::to_string(i)).c_str()));
      if (i % 100 == 0) {
        ASSERT_NE(scene.GetMaterialbyName(("mat_" + std::to_string(i)).c_str()), nullptr);
      }
    }
    EXPECT_STREQ(scene.GetMaterialbyName("mat_999")->get_name(), "mat_999");
    EXPECT_EQ(scene.GetMaterialbyName("mat_1000"), nullptr);
    scene.Get_Objects()->Add(new MMesh_P("obj_0"));
    scene.Get_Objects()->Remove(0);
    scene.Get_Objects()->Add(new MMesh_P("obj_1"));
  }
  EXPECT_EQ(korvan_live_blocks(), before) << "the scene frees what its lists hold";
}

TEST(HostScene, BoundingBoxSkipsNonFiniteAndDefaultsAreAdded) {
  MScene scene("x.pov");
  auto* mesh = new MMesh_P("obj_0");
  scene.Get_Objects()->Add(mesh);
  mesh->Add_Vertex(MVector3(-1, 2, 3), -1.0);
  mesh->Add_Vertex(MVector3(4, -5, 6), -1.0);
  mesh->Add_Vertex(MVector3(std::nan(""), 100, 100), -1.0);
  mesh->Add_Vertex(MVector3(1e308 * 10, 0, 0), -1.0);
  EXPECT_EQ(scene.CalculateBoundingBox(0), 1);
  const MBoundingBox& box = scene.Get_BoundingBox();
  EXPECT_EQ(box.min.x, -1);
  EXPECT_EQ(box.max.x, 4);
  EXPECT_EQ(box.min.y, -5);
  EXPECT_EQ(box.max.z, 6);
  scene.MMake_Default_Cam();
  scene.MMake_Default_Cam();  // a scene with a camera gets no second one
  scene.MMake_Default_Light();
  EXPECT_EQ(scene.Get_Cameras()->Get_Count(), 1);
  EXPECT_EQ(scene.Get_Lights()->Get_Count(), 1);
  auto* camera = static_cast<MCamera*>(scene.Get_Cameras()->Get(0));
  EXPECT_EQ(camera->cam_mark, 0);
  EXPECT_EQ(camera->look_at.x, 1.5);
}

TEST(HostScene, JsonForm) {
  MScene scene("x.pov");
  auto* mesh = new MMesh_P("obj_\"1\"");
  scene.Get_Objects()->Add(mesh);
  mesh->Get_MaterialNames()->Add(my_strdup("mat_0"));
  mesh->Add_Vertex(MVector3(0.1, -0.0, 1e21), -1.0);
  mesh->Add_Vertex(MVector3(std::nan(""), HUGE_VAL, -HUGE_VAL), -1.0);
  mesh->UseUV();
  mesh->Add_UVVertex(MVector3(0.5, 1, 0), -1.0);
  MIPolygon poly(0);
  poly.Add(0);
  poly.Add(1);
  poly.Add(-7);
  poly.Set_MatId(3);
  mesh->Add_Face(poly);
  mesh->Add_UVFace(poly);
  scene.Get_Materials()->Add(new MSurface("mat_0"));
  EXPECT_EQ(SceneToJson(scene),
            "{\"objects\":[\n"
            "{\"name\":\"obj_\\\"1\\\"\",\"type\":2,\"normals_used\":0,\"uv_used\":1,"
            "\"materials\":[\"mat_0\"],\"vertices\":[[0.1,-0,1e+21],[\"nan\",\"inf\",\"-inf\"]],"
            "\"nvertices\":[],\"uvvertices\":[[0.5,1,0]],\"faces\":[[0,1,-7,3]],\"nfaces\":[],"
            "\"uvfaces\":[[0,1,-7]]}\n"
            "],\n\"materials\":[\"mat_0\"],\n\"cameras\":0,\"lights\":0,\"bounding_box\":null}\n");
}

}  // namespace

namespace {

// The log's own number formatting must give printf's bytes exactly.
TEST(HostLog, FormatsLikePrintf) {
  const std::string path = TestDir() + "format.log";
  std::mt19937_64 random(99);
  std::vector<double> values = {0.0,          -0.0,
                                0.5,          1.5,
                                2.5,          0.0000005,
                                0.0000015,    -0.0000025,
                                1e-7,         123456789.123456789,
                                1e300,        -1e300,
                                5e-324,       2.2250738585072014e-308,
                                std::nan(""), -std::nan(""),
                                HUGE_VAL,     -HUGE_VAL,
                                0.1,          0.7071,
                                1.0 / 3.0};
  for (int i = 0; i < 2000; ++i) {
    const uint64_t bits = random();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    values.push_back(i % 2 ? d : static_cast<double>(static_cast<int64_t>(bits) % 2000000) / 7e3);
    // Halfway between two six-decimal numbers as written, so within a
    // rounding error of halfway as stored: where a quick path would err.
    values.push_back((static_cast<double>(bits % 2000000000) + 0.5) / 1e6);
    values.push_back(static_cast<double>(bits % 20000) / 1e6);
  }
  std::string expected;
  {
    LogFile log("x.pov", path.c_str());
    char line[1200];
    for (double v : values) {
      log.write("<%f,%f,%f>\n", v, -v, v * 3);
      snprintf(line, sizeof line, "<%f,%f,%f>\n", v, -v, v * 3);
      expected += line;
    }
    log.write("%.3f seconds parsing time\n", 0.0125);
    log.write("%d mesh objects %lld %ld %s %c%%\n", -7, -9000000000LL, 42L, "obj_1", 'x');
    log.write("###Error in line %d \n", 12);
    expected += "0.013 seconds parsing time\n-7 mesh objects -9000000000 42 obj_1 x%\n";
    expected += "###Error in line 12 \n";
    log.write("%5d|%-3s|%x\n", 4, "a", 255);  // other conversions: printf itself
    expected += "    4|a  |ff\n";
  }
  EXPECT_EQ(ReadWholeFile(path), expected);
}

}  // namespace

namespace {

mode_t ModeOf(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

}  // namespace

// One writer for the host's files: atomic where the folder allows it, links
// kept as links, modes as a user expects.
TEST(HostFile, WriteReplacesKeepsLinksAndModes) {
  const std::string dir = TestDir() + "write/";
  ASSERT_EQ(mkdir(dir.c_str(), 0777), 0);
  const mode_t mask = umask(022);  // fixed for the test; restored below

  EXPECT_EQ(m_write_file((dir + "new.txt").c_str(), "one", 3, 0666), kWriteReplaced);
  EXPECT_EQ(ReadWholeFile(dir + "new.txt"), "one");
  EXPECT_EQ(ModeOf(dir + "new.txt"), 0644u) << "a new file: the mode less the umask";

  ASSERT_EQ(chmod((dir + "new.txt").c_str(), 0640), 0);
  EXPECT_EQ(m_write_file((dir + "new.txt").c_str(), "two", 3, 0666), kWriteReplaced);
  EXPECT_EQ(ReadWholeFile(dir + "new.txt"), "two");
  EXPECT_EQ(ModeOf(dir + "new.txt"), 0640u) << "a replaced file keeps its mode";

  // A link stays a link; the file it leads to (through a second link) changes.
  ASSERT_EQ(symlink("new.txt", (dir + "inner").c_str()), 0);
  ASSERT_EQ(symlink((dir + "inner").c_str(), (dir + "outer").c_str()), 0);
  EXPECT_EQ(m_write_file((dir + "outer").c_str(), "three", 5, 0666), kWriteReplaced);
  struct stat link;
  ASSERT_EQ(lstat((dir + "outer").c_str(), &link), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode));
  EXPECT_EQ(ReadWholeFile(dir + "new.txt"), "three");

  EXPECT_EQ(m_write_file((dir + "no-folder/x").c_str(), "x", 1, 0666), kWriteFailed);
  EXPECT_EQ(m_write_file(dir.c_str(), "x", 1, 0666), kWriteFailed) << "a folder";
  umask(mask);
}

// In a folder where only the file is writable, the file is written in
// place. Root may write anywhere, so that case runs as nobody in a child.
TEST(HostFile, WritesInPlaceWhereNothingCanBeMadeBesideTheFile) {
  const std::string dir = TestDir() + "locked/";
  ASSERT_EQ(mkdir(dir.c_str(), 0777), 0);
  const std::string path = dir + "options.txt";
  ASSERT_EQ(m_write_file(path.c_str(), "old", 3, 0666), kWriteReplaced);
  ASSERT_EQ(chmod(path.c_str(), 0666), 0);
  ASSERT_EQ(chmod(dir.c_str(), 0555), 0);
  const mode_t test_dir_mode = 0700;
  ASSERT_EQ(chmod(TestDir().c_str(), 0711), 0);  // the child may pass through
  const pid_t child = fork();
  if (child == 0) {
    if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
    _exit(m_write_file(path.c_str(), "new", 3, 0666) == kWriteInPlace ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  chmod(dir.c_str(), 0777);
  chmod(TestDir().c_str(), test_dir_mode);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  EXPECT_EQ(ReadWholeFile(path), "new");
}
