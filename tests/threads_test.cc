// The C interface called from several threads at once, and imports stopped
// from another thread or by their time limit: the scene keeps what was
// read, says why it stopped, and every thread gets the result one thread
// alone gets.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "korvan/korvan_c.h"
#include "tests/test_files.h"

namespace {

const std::string kSource = TARVO_SOURCE_DIR;

std::string PluginDir() {
  const std::string file = TARVO_PLUGIN_FILE;
  return file.substr(0, file.rfind('/'));
}

// What a reading gave, to compare readings with.
struct Summary {
  int status = -1;
  int meshes = 0;
  int64_t vertices = 0;
  double coordinate_sum = 0;
  std::vector<std::string> messages;

  bool operator==(const Summary& o) const {
    return status == o.status && meshes == o.meshes && vertices == o.vertices &&
           coordinate_sum == o.coordinate_sum && messages == o.messages;
  }
};

Summary Read(const std::string& path, const volatile int* cancel = nullptr, double limit = 0) {
  const std::string plugins = PluginDir();
  korvan_import_options options;
  korvan_import_options_init(&options);
  options.plugin_dir = plugins.c_str();
  options.grammar = "povray";
  options.cancel = cancel;
  options.time_limit = limit;
  korvan_scene* scene = korvan_import(path.c_str(), &options);
  Summary s;
  if (scene == nullptr) return s;
  s.status = korvan_scene_status(scene);
  s.meshes = korvan_scene_mesh_count(scene);
  for (int m = 0; m < s.meshes; ++m) {
    korvan_mesh_info info;
    if (!korvan_mesh_get_info(scene, m, &info)) continue;
    s.vertices += info.vertices;
    const double* p = korvan_mesh_positions(scene, m);
    for (int64_t i = 0; p != nullptr && i < info.vertices * 3; ++i) s.coordinate_sum += p[i];
  }
  for (int i = 0; i < korvan_scene_message_count(scene); ++i) {
    s.messages.emplace_back(korvan_scene_message(scene, i));
  }
  korvan_scene_free(scene);
  return s;
}

TEST(Threads, EightThreadsReadAsOneDoes) {
  const std::vector<std::string> files = {kSource + "/examples/placed_model.pov",
                                          kSource + "/examples/cube.pov",
                                          kSource + "/tests/povray/ldraw_style.pov"};
  std::vector<Summary> alone;
  for (const std::string& file : files) alone.push_back(Read(file));
  ASSERT_GT(alone[0].meshes, 1);
  std::atomic<int> differing{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int run = 0; run < 20; ++run) {
        const size_t which = static_cast<size_t>(t + run) % files.size();
        if (!(Read(files[which]) == alone[which])) ++differing;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(differing.load(), 0);
}

// A scene that never ends on its own before its loop bound: seconds of work.
std::string EndlessScene() {
  return WriteTestFile("endless.pov",
                       "mesh2 { vertex_vectors { 3, <0,0,0>, <1,0,0>, <0,1,0> } "
                       "face_indices { 1, <0,1,2> } }\n"
                       "#declare N = 0;\n#while (1) #declare N = N + 1; #end\n");
}

TEST(Threads, CancelFromAnotherThreadStopsTheImport) {
  const std::string path = EndlessScene();
  volatile int cancel = 0;
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    cancel = 1;
  });
  const Summary s = Read(path, &cancel);
  canceller.join();
  EXPECT_EQ(s.status, 2);
  EXPECT_EQ(s.meshes, 1) << "the mesh read before the cancel is kept";
  ASSERT_FALSE(s.messages.empty());
  EXPECT_NE(s.messages.back().find("cancelled"), std::string::npos) << s.messages.back();
}

TEST(Threads, TimeLimitStopsTheImport) {
  const Summary s = Read(EndlessScene(), nullptr, 0.05);
  EXPECT_EQ(s.status, 2);
  EXPECT_EQ(s.meshes, 1);
  ASSERT_FALSE(s.messages.empty());
  EXPECT_NE(s.messages.back().find("ran out of its time"), std::string::npos) << s.messages.back();
  // The limit was this import's only: the next reads to its end.
  EXPECT_EQ(Read(kSource + "/examples/cube.pov").status, 0);
}

}  // namespace

namespace {

// The third corner of the one triangle of `path`, read with `options`.
std::vector<double> Corner(const std::string& path, const korvan_import_options& options,
                           size_t size) {
  korvan_scene* scene = size == 0 ? korvan_import(path.c_str(), &options)
                                  : korvan_import_sized(path.c_str(), &options, size);
  std::vector<double> corner;
  if (scene != nullptr && korvan_scene_mesh_count(scene) == 1) {
    const double* p = korvan_mesh_positions(scene, 0);
    corner.assign(p + 6, p + 9);
  }
  korvan_scene_free(scene);
  return corner;
}

// Version 3 reads an animation's frame through korvan_import_sized; a
// caller built for version 2 passes a shorter struct to korvan_import,
// whose bytes past it are not read.
TEST(CInterface, AnimationFrameAndShorterCallers) {
  const std::string path =
      WriteTestFile("frame.pov", "triangle { <0,0,0>, <1,0,0>, <clock, frame_number, 1> }\n");
  const std::string plugins = PluginDir();
  korvan_import_options options;
  korvan_import_options_init(&options);
  options.plugin_dir = plugins.c_str();
  options.grammar = "povray";
  EXPECT_EQ(Corner(path, options, sizeof options), (std::vector<double>{0, 0, 1}));
  options.clock = 0.25;
  options.frame = 3;
  EXPECT_EQ(Corner(path, options, sizeof options), (std::vector<double>{0.25, 3, 1}));
  EXPECT_EQ(Corner(path, options, 0), (std::vector<double>{0, 0, 1}))
      << "korvan_import reads version 2's fields only";
  EXPECT_EQ(Corner(path, options, offsetof(korvan_import_options, clock)),
            (std::vector<double>{0, 0, 1}));
}

}  // namespace
