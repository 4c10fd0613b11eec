// The plug-in as the host sees it: loaded with dlopen and driven only
// through its four exports and the importer's virtual operations.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "korvan/importer_host.h"
#include "korvan/memory_stats.h"
#include "korvan/settings_store.h"
#include "plugin/host/plugin_api.h"
#include "plugin/host/scene.h"
#include "tests/test_files.h"

namespace {

const std::string kSource = TARVO_SOURCE_DIR;
const char kFilter[] = "POV-Ray File     (*.pov;*.inc)|*.pov;*.inc|All Files (*.*)|*.*||";

struct Exports {
  LibNameFunc name;
  LibNumberClassesFunc count;
  LibClassDescriptionFunc describe;
  LibVersionFunc version;
};

const Exports& Plugin() {
  static const Exports exports = [] {
    void* handle = dlopen(TARVO_PLUGIN_FILE, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      std::fprintf(stderr, "cannot load %s: %s\n", TARVO_PLUGIN_FILE, dlerror());
      std::abort();
    }
    return Exports{reinterpret_cast<LibNameFunc>(dlsym(handle, "LibName")),
                   reinterpret_cast<LibNumberClassesFunc>(dlsym(handle, "LibNumberClasses")),
                   reinterpret_cast<LibClassDescriptionFunc>(dlsym(handle, "LibClassDescription")),
                   reinterpret_cast<LibVersionFunc>(dlsym(handle, "LibVersion"))};
  }();
  return exports;
}

ImporterPtr NewImporter() { return ImporterPtr(Plugin().describe(0)->Create()); }

std::string StorePath() { return SettingsStore::DefaultPath(); }

// Writes the stored common settings of the plug-in's option set.
void Store(const std::string& file, const std::string& log, const std::string& verbose) {
  SettingsStore store;
  store.Set("tarvo_in", "file_name", file);
  store.Set("tarvo_in", "log_name", log);
  store.Set("tarvo_in", "verbose", verbose);
  ASSERT_TRUE(store.Save());
}

std::string Stored(const std::string& key) {
  SettingsStore store;
  const std::string* value = store.Get("tarvo_in", key);
  return value != nullptr ? *value : "<unset>";
}

class PluginTest : public testing::Test {
 protected:
  void SetUp() override { std::remove(StorePath().c_str()); }
};

TEST_F(PluginTest, ExportsAndDescriptor) {
  const Exports& lib = Plugin();
  ASSERT_NE(lib.name, nullptr);
  EXPECT_STREQ(lib.name(), "Tarvo Import Lib");
  EXPECT_EQ(lib.count(), 1);
  EXPECT_EQ(lib.version(), 2056u);
  EXPECT_EQ(lib.describe(1), nullptr);
  EXPECT_EQ(lib.describe(-1), nullptr);
  ClassDescriptorBase* d = lib.describe(0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(lib.describe(0), d);
  EXPECT_EQ(d->IsAvailable(), 1);
  EXPECT_STREQ(d->ClassName(), "POVRay (*.pov, *.inc)");
  EXPECT_EQ(d->ClassCategory(), 8192);
  EXPECT_EQ(d->ClassId(), 1080954651u);
}

TEST_F(PluginTest, ImportersAreDistinctAndAnswerTheFilter) {
  ImporterPtr a = NewImporter(), b = NewImporter();
  ASSERT_TRUE(a && b);
  EXPECT_NE(a.get(), b.get());
  EXPECT_EQ(a->ReservedQuery(), 0);
  const char* first = a->GetFilter();
  EXPECT_STREQ(first, kFilter);
  const char* second = a->GetFilter();
  EXPECT_STREQ(second, kFilter);
}

TEST_F(PluginTest, SaveOptionsWritesTheClosingComments) {
  ImporterPtr importer = NewImporter();
  EXPECT_EQ(importer->SaveOptions((TestDir() + "no/such/folder/opts.txt").c_str()), 0);
  const std::string path = TestDir() + "opts.txt";
  ASSERT_EQ(importer->SaveOptions(path.c_str()), 1);
  const std::string text = ReadWholeFile(path);
  const std::string tail = "// Tarvo in options\n// \n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST_F(PluginTest, SavedOptionsLoadBackExactly) {
  Store("/scenes/my scenes/a  b.pov", "my log.log", "1");
  const std::string path = TestDir() + "round trip.txt";
  ASSERT_EQ(NewImporter()->SaveOptions(path.c_str()), 1);
  Store("other.pov", "other.log", "0");
  EXPECT_EQ(NewImporter()->LoadOptions(path.c_str()), 1);
  EXPECT_EQ(Stored("file_name"), "/scenes/my scenes/a  b.pov");
  EXPECT_EQ(Stored("log_name"), "my log.log");
  EXPECT_EQ(Stored("verbose"), "1");
}

TEST_F(PluginTest, LoadOptionsBoundsTheArgument) {
  Store("keep.pov", "keep.log", "0");
  const std::string longest(4094, 'p');  // "@" + 4094 + terminator fits
  EXPECT_EQ(NewImporter()->LoadOptions(longest.c_str()), 1);
  EXPECT_EQ(NewImporter()->LoadOptions(std::string(10000, 'p').c_str()), 1);
  EXPECT_EQ(Stored("file_name"), "keep.pov");
}

TEST_F(PluginTest, MissingFileGivesOnlyTheDefaultCameraAndLight) {
  ImporterPtr importer = NewImporter();
  ScenePtr scene(importer->ImportFile((TestDir() + "missing.pov").c_str()));
  ASSERT_TRUE(scene);
  EXPECT_EQ(scene->Get_Objects()->Get_Count(), 0);
  EXPECT_EQ(scene->Get_Materials()->Get_Count(), 0);
  ASSERT_EQ(scene->Get_Cameras()->Get_Count(), 1);
  EXPECT_EQ(static_cast<MCamera*>(scene->Get_Cameras()->Get(0))->cam_mark, 1);
  EXPECT_EQ(scene->Get_Lights()->Get_Count(), 1);
  EXPECT_EQ(Stored("file_name"), TestDir() + "missing.pov") << "the options are stored";
}

// The banner's build stamp, the timing and the folders vary.
std::string Normalised(std::string log) {
  log = std::regex_replace(log, std::regex("Tarvo Import Plugin 1\\.0 [^\\n]*"),
                           "Tarvo Import Plugin 1.0 <build>");
  log = std::regex_replace(log, std::regex("\\d+\\.\\d{3} seconds parsing time"),
                           "<t> seconds parsing time");
  for (const auto& [from, to] : {std::pair{kSource, "$SRC"}, std::pair{TestDir(), "$TMP/"}}) {
    for (size_t at; (at = log.find(from)) != std::string::npos;) log.replace(at, from.size(), to);
  }
  return log;
}

TEST_F(PluginTest, VerboseImportWritesTheWholeLog) {
  const std::string log_path = TestDir() + "import.log";
  Store("", log_path, "1");
  ScenePtr scene(NewImporter()->ImportFile((kSource + "/examples/cube.pov").c_str()));
  ASSERT_TRUE(scene);
  const std::string golden = kSource + "/tests/golden/cube.pov.import.log";
  const std::string raw = ReadWholeFile(log_path);
  EXPECT_TRUE(
      std::regex_search(raw, std::regex("^Tarvo Import Plugin 1\\.0 [A-Z][a-z]{2} [ 0-9]\\d \\d{4} "
                                        "\\d\\d:\\d\\d:\\d\\d \\S+\n")))
      << raw.substr(0, raw.find('\n'));
  const std::string log = Normalised(raw);
  if (std::getenv("TARVO_UPDATE_GOLDEN") != nullptr) {
    FILE* f = std::fopen(golden.c_str(), "wb");
    std::fwrite(log.data(), 1, log.size(), f);
    std::fclose(f);
  }
  EXPECT_EQ(log, ReadWholeFile(golden));
}

TEST_F(PluginTest, RelativeLogNameGoesBesideTheScene) {
  const std::string folder = TestDir() + "scenes";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const std::string scene_path = folder + "/quad.inc";
  ASSERT_EQ(std::system(("cp '" + kSource + "/examples/quad.inc' '" + scene_path + "'").c_str()),
            0);
  Store("", "relative.log", "1");
  ScenePtr scene(NewImporter()->ImportFile(scene_path.c_str()));
  const std::string log = ReadWholeFile(folder + "/relative.log");
  EXPECT_NE(log.find("9 lines parsed\n"), std::string::npos) << log;
}

TEST_F(PluginTest, LogIsWrittenOnlyForVerboseOne) {
  const std::string log_path = TestDir() + "quiet.log";
  for (const char* verbose : {"0", "2", "-1"}) {
    std::remove(log_path.c_str());
    Store("", log_path, verbose);
    ScenePtr scene(NewImporter()->ImportFile((kSource + "/examples/cube.pov").c_str()));
    EXPECT_NE(access(log_path.c_str(), F_OK), 0) << "verbose " << verbose;
  }
}

TEST_F(PluginTest, ImportKeepsTheWorkingDirectoryAndFreesEverything) {
  char before[PATH_MAX], after[PATH_MAX];
  ASSERT_NE(getcwd(before, sizeof before), nullptr);
  ASSERT_EQ(chdir((kSource + "/examples").c_str()), 0);
  const int64_t blocks = korvan_live_blocks();
  {
    ImporterPtr importer = NewImporter();
    ScenePtr scene(importer->ImportFile("mesh_blocks.pov"));  // relative to the folder
    ASSERT_TRUE(scene);
    EXPECT_EQ(scene->Get_Objects()->Get_Count(), 2);
    importer->GetFilter();
  }
  EXPECT_EQ(korvan_live_blocks(), blocks);
  ASSERT_NE(getcwd(after, sizeof after), nullptr);
  EXPECT_STREQ(after, (kSource + "/examples").c_str());
  ASSERT_EQ(chdir(before), 0);
}

// What an import writes to a terminal on stderr (the console progress).
std::string ImportOnTerminal(ImporterBase* importer, const std::string& file) {
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return "<no pty>";
  std::fflush(stderr);
  const int saved = dup(2);
  dup2(slave, 2);
  ScenePtr scene(importer->ImportFile(file.c_str()));
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  close(slave);
  std::string out;
  fcntl(master, F_SETFL, O_NONBLOCK);
  char buffer[4096];
  for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) out.append(buffer, n);
  close(master);
  return out;
}

TEST_F(PluginTest, ShowProgressIsSharedByAllImporters) {
  ImporterPtr a = NewImporter(), b = NewImporter();
  const std::string scene = kSource + "/examples/cube.pov";
  a->SetShowProgress(0);
  EXPECT_EQ(ImportOnTerminal(b.get(), scene).find("File Progress:"), std::string::npos);
  a->SetShowProgress(1);
  const std::string shown = ImportOnTerminal(b.get(), scene);
  EXPECT_NE(shown.find("POV Import " + scene), std::string::npos) << shown;
  EXPECT_NE(shown.find("File Progress: 100%"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Parsing ..."), std::string::npos) << shown;
}

TEST_F(PluginTest, WindowsWithoutADisplayChangeNothing) {
  Store("a.pov", "a.log", "0");
  ImporterPtr importer = NewImporter();
  EXPECT_EQ(importer->Import(), nullptr);
  importer->Configure();
  importer->ShowHelp();
  EXPECT_EQ(Stored("file_name"), "a.pov");
  EXPECT_EQ(Stored("log_name"), "a.log");
  EXPECT_EQ(Stored("verbose"), "0");
}

}  // namespace

namespace {

TEST(SettingsStoreTest, ReadsTheFileAgainWhenAnotherWriterChangesIt) {
  // A store that was read is kept by the file's identity: a rewrite in
  // place with the same size (another program's editor) must still show.
  const std::string path = StorePath();
  std::remove(path.c_str());
  Store("/a.pov", "one.log", "1");
  EXPECT_EQ(Stored("log_name"), "one.log");
  std::string text;
  {
    std::ifstream in(path, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  const size_t at = text.find("one.log");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 7, "two.log");
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
  }
  EXPECT_EQ(Stored("log_name"), "two.log");
  SettingsStore store;
  store.Set("tarvo_in", "log_name", "three.log");
  ASSERT_TRUE(store.Save());
  EXPECT_EQ(Stored("log_name"), "three.log");
}

}  // namespace
