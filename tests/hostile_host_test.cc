// The host and the plug-in against hostile files and faults: each test
// proves one bound, or that a fault is reported and nothing is lost.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "korvan/importer_host.h"
#include "korvan/settings_store.h"
#include "plugin/host/plugin_api.h"
#include "plugin/host/scene.h"
#include "tests/test_files.h"

namespace {

const std::string kSource = TARVO_SOURCE_DIR;

ImporterPtr NewImporter() {
  static void* handle = dlopen(TARVO_PLUGIN_FILE, RTLD_NOW | RTLD_LOCAL);
  auto describe = reinterpret_cast<LibClassDescriptionFunc>(dlsym(handle, "LibClassDescription"));
  return ImporterPtr(describe(0)->Create());
}

void Store(const std::string& key, const std::string& value) {
  SettingsStore store;
  store.Set("tarvo_in", key, value);
  ASSERT_TRUE(store.Save());
}

std::string StoredLogName() {
  const std::string saved = TestDir() + "saved.opt";
  EXPECT_EQ(NewImporter()->SaveOptions(saved.c_str()), 1);
  const std::string text = ReadWholeFile(saved);
  const size_t at = text.find("\n-l ");
  return at == std::string::npos ? "" : text.substr(at + 4, text.find('\n', at + 1) - at - 4);
}

long CountMeshes(MScene& scene) { return scene.Get_Objects()->Get_Count(); }

TEST(HostileHost, PathOf4095Characters) {
  std::string dir = TestDir();
  while (dir.size() < 4095 - 220) {
    dir += std::string(200, 'd') + "/";
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  }
  const std::string path = dir + std::string(4095 - dir.size() - 4, 's') + ".pov";
  ASSERT_EQ(path.size(), 4095u);
  FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("triangle { <0,0,0>, <1,0,0>, <0,1,0> }\n", f);
  std::fclose(f);
  // The log, relative to that folder, would need a longer path: no log.
  Store("verbose", "1");
  Store("log_name", "tarvoin.log");
  ScenePtr scene(NewImporter()->ImportFile(path.c_str()));
  ASSERT_TRUE(scene);
  EXPECT_EQ(CountMeshes(*scene), 1);
  Store("verbose", "0");
}

TEST(HostileHost, LogNameOf300CharactersIsCut) {
  Store("log_name", std::string(300, 'L'));
  EXPECT_EQ(StoredLogName(), std::string(258, 'L'));
}

TEST(HostileHost, LogThatCannotBeCreated) {
  // Root writes into read-only folders, so the tests use places nobody can
  // write: /proc and a path through a file.
  for (const std::string& log :
       {std::string("/proc/tarvo.log"), kSource + "/README.md/tarvo.log"}) {
    Store("verbose", "1");
    Store("log_name", log);
    ScenePtr scene(NewImporter()->ImportFile((kSource + "/examples/cube.pov").c_str()));
    ASSERT_TRUE(scene) << log;
    EXPECT_EQ(CountMeshes(*scene), 1) << log;
  }
  Store("verbose", "0");
}

TEST(HostileHost, OptionsFileThatIsAFolder) {
  Store("file_name", "kept.pov");
  const std::string folder = TestDir() + "options-folder";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  EXPECT_EQ(NewImporter()->SaveOptions(folder.c_str()), 0);
  EXPECT_EQ(NewImporter()->LoadOptions(folder.c_str()), 1);
  SettingsStore store;
  EXPECT_EQ(*store.Get("tarvo_in", "file_name"), "kept.pov");
}

TEST(HostileHost, SettingsStoreThatCannotBeRead) {
  const std::string path = SettingsStore::DefaultPath();
  std::remove(path.c_str());
  ASSERT_TRUE(std::filesystem::create_directories(path));  // a folder in the file's place
  EXPECT_STREQ(NewImporter()->GetFilter(),
               "POV-Ray File     (*.pov;*.inc)|*.pov;*.inc|All Files (*.*)|*.*||");
  EXPECT_EQ(StoredLogName(), "tarvoin.log") << "the defaults";
  ScenePtr scene(NewImporter()->ImportFile((kSource + "/examples/cube.pov").c_str()));
  EXPECT_TRUE(scene);
  ASSERT_EQ(rmdir(path.c_str()), 0);
}

TEST(HostileHost, LyingCountAllocatesNothingLarge) {
  const std::string path = WriteTestFile("lying.pov",
                                         "mesh2 { vertex_vectors { 2147483647, <1,2,3> } "
                                         "face_indices { 2147483647, <0,0,0> } "
                                         "texture_list { 2147483647, } }");
  struct rusage before, after;
  getrusage(RUSAGE_SELF, &before);
  const auto start = std::chrono::steady_clock::now();
  ScenePtr scene(NewImporter()->ImportFile(path.c_str()));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  getrusage(RUSAGE_SELF, &after);
  ASSERT_TRUE(scene);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "KB of peak memory added";
  EXPECT_LT(seconds, 5.0) << "fails at the \"}\" at once";
}

TEST(HostileHost, BrokenPluginsAreReportedAndTheOthersLoad) {
  const std::string dir = TestDir() + "plugin-faults";
  // The plug-in goes with its companion module (its windows), as installed.
  const std::string plugin = TARVO_PLUGIN_FILE;
  const std::string companion = plugin.substr(0, plugin.rfind('/') + 1) + "libtarvo_in_ui.so";
  const std::string setup = "mkdir -p '" + dir + "' && cp '" + plugin + "' '" + companion + "' '" +
                            dir + "/' && cp '" TARVO_FAKE_NO_EXPORTS "' '" + dir +
                            "/no_exports.so' && cp '" TARVO_FAKE_BAD_VERSION "' '" + dir +
                            "/bad_version.so' && cp '" TARVO_FAKE_NULL_DESCRIPTOR "' '" + dir +
                            "/null_descriptor.so' && echo 'text' > '" + dir + "/not_a_library.so'";
  ASSERT_EQ(std::system(setup.c_str()), 0);
  for (const std::string& command :
       {std::string("plugins"), "import '" + kSource + "/examples/cube.pov'"}) {
    const std::string run = "'" TARVO_KORVAN_BIN "' --plugin-dir '" + dir + "' " + command + " >'" +
                            TestDir() + "out' 2>'" + TestDir() + "err'";
    const int status = std::system(run.c_str());
    const std::string out = ReadWholeFile(TestDir() + "out");
    const std::string err = ReadWholeFile(TestDir() + "err");
    EXPECT_EQ(WEXITSTATUS(status), 0) << command << "\n" << err;
    for (const char* expected :
         {"bad_version.so: interface version 1234, expected 2056\n",
          "no_exports.so: not a korvan plug-in (LibName, LibNumberClasses, LibClassDescription "
          "or LibVersion missing)\n",
          "not_a_library.so: not a loadable library (",
          "null_descriptor.so: class 0 of 1 has no descriptor\n"}) {
      EXPECT_NE(err.find(expected), std::string::npos) << command << ": " << expected << "\n"
                                                       << err;
    }
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 4) << command << "\n" << err;
    EXPECT_NE(out.find(command == "plugins" ? "Tarvo Import Lib" : "1 mesh,"), std::string::npos)
        << out;
  }
}

}  // namespace

namespace {

// A scene that is a FIFO (no writer) or a device is refused at once in both
// modes, rather than waited on or read forever.
TEST(HostileHost, SceneThatIsNoRegularFileIsRefusedInBothModes) {
  const std::string fifo = TestDir() + "scene_fifo.pov";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const char* grammar : {"literal", "povray"}) {
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
      ImportRequest request;
      request.grammar = grammar;
      const ImportResult result = ImportWith(NewImporter().get(), path, request);
      EXPECT_EQ(result.status, 1) << grammar << " " << path;
      EXPECT_EQ(result.outcome.kind, ImportOutcome::kNotFound) << grammar << " " << path;
    }
  }
}

// A bad stored bound is reported with its key, value and default; the
// import runs with the default.
TEST(HostileHost, BadStoredBoundIsReported) {
  const std::string scene = WriteTestFile("bound.pov", "triangle { <0,0,0>, <1,0,0>, <0,1,0> }\n");
  for (const char* value : {"abc", "-5", "0", "99999999999999999999"}) {
    SettingsStore store;
    store.Set("tarvo_in/Specific Settings", "max_nesting", value);
    ASSERT_TRUE(store.Save());
    ImportRequest request;
    request.grammar = "povray";
    const ImportResult result = ImportWith(NewImporter().get(), scene, request);
    ASSERT_TRUE(result.scene);
    EXPECT_EQ(result.status, 0) << value;
    MList* messages = result.scene->Get_Messages();
    ASSERT_GE(messages->Get_Count(), 1) << value;
    const std::string first = static_cast<const char*>(messages->Get(0));
    EXPECT_EQ(first, "warning: setting max_nesting=" + std::string(value) +
                         " is not a whole number from 1 to 100000; the default 500 is used");
  }
  SettingsStore store;
  store.Set("tarvo_in/Specific Settings", "max_nesting", "500");
  ASSERT_TRUE(store.Save());
}

}  // namespace
