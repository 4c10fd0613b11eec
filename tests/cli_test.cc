// The korvan command line, run as a user runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "korvan/settings_store.h"
#include "tests/test_files.h"

namespace {

const std::string kSource = TARVO_SOURCE_DIR;
const std::string kExamples = kSource + "/examples/";

struct Outcome {
  int status;
  std::string out, err;
};

// Runs korvan with `args` (a shell word list) in the test folder, with the
// environment changed by `env` ("NAME=value ...", or "").
Outcome Korvan(const std::string& args, const std::string& env = "") {
  const std::string out = TestDir() + "cli.out", err = TestDir() + "cli.err";
  const std::string command = "cd '" + TestDir() + "' && env " + env + " '" TARVO_KORVAN_BIN "' " +
                              args + " >'" + out + "' 2>'" + err + "' </dev/null";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(out), ReadWholeFile(err)};
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(Cli, HelpAndVersion) {
  Outcome r = Korvan("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "korvan 1.0\n");
  r = Korvan("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Contains(r.out, "usage: korvan"));
  r = Korvan("frobnicate");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "unknown command frobnicate"));
  EXPECT_EQ(Korvan("import").status, 1);
}

TEST(Cli, RunsInAFolderHoldingFilesNamedLikeSystemLibraries) {
  // The program and its libraries look beside themselves, never in the
  // folder where they run: these files must be neither loaded nor a reason
  // to fail.
  const char* names[] = {"libc.so.6", "libm.so.6", "libgcc_s.so.1", "libstdc++.so.6"};
  for (const char* name : names) WriteTestFile(name, "not a library\n");
  const Outcome version = Korvan("--version");
  const Outcome import = Korvan("import '" + kExamples + "cube.pov' --no-progress");
  for (const char* name : names) std::remove((TestDir() + name).c_str());
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(import.status, 0) << import.err;
  EXPECT_TRUE(Contains(import.out, "12 faces")) << import.out;
}

TEST(Cli, WindowsWithoutADisplaySayWhyInOneLine) {
  struct Case {
    std::string env, problem;
  };
  // Nothing listens on display :87 (the tests' X servers take :99 and up).
  const Case cases[] = {{"-u DISPLAY -u WAYLAND_DISPLAY", "there is none (DISPLAY is not set)"},
                        {"-u WAYLAND_DISPLAY DISPLAY=:87", "the display :87 cannot be opened"}};
  for (const Case& c : cases) {
    const Outcome r = Korvan("configure", c.env);
    EXPECT_EQ(r.status, 1) << c.env;
    EXPECT_EQ(r.err, "tarvo_in: the configuration dialog needs a display, and " + c.problem + "\n")
        << c.env;
    // The host's window checks the display the same way: no toolkit noise.
    const Outcome gui = Korvan("gui", c.env);
    EXPECT_EQ(gui.status, 1) << c.env;
    EXPECT_EQ(gui.err, "korvan: gui needs a display, and " + c.problem + "\n") << c.env;
  }
}

TEST(Cli, ImportWritesJsonAndSummary) {
  Outcome r =
      Korvan("import '" + kExamples + "cube.pov' --grammar literal -o cube.json --no-progress");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "cube.pov: 1 mesh, 8 vertices, 12 faces, 3 materials, ")) << r.out;
  const std::string json = ReadWholeFile(TestDir() + "cube.json");
  EXPECT_TRUE(Contains(json,
                       "\"cameras\":1,\"lights\":1,"
                       "\"bounding_box\":{\"min\":[0,0,0],\"max\":[1,1,1]}"))
      << json;
  EXPECT_TRUE(Contains(json, "\"faces\":[[0,1,2,0],[0,2,3,0]"));
}

TEST(Cli, ExitStatusTellsTheOutcome) {
  Outcome r = Korvan("import '" + kExamples + "broken.pov' --grammar literal -o broken.json");
  EXPECT_EQ(r.status, 2);
  // The file reads in POV-Ray's syntax, and the message says how to switch.
  EXPECT_EQ(r.err, kExamples + "broken.pov:11: note: the documented grammar stops here, but " +
                       "POV-Ray's syntax reads the whole file: switch on \"POV-Ray syntax\" " +
                       "in the configuration (korvan import --grammar povray)\nkorvan: " +
                       kExamples + "broken.pov: ###Error in line 11 \n");
  EXPECT_TRUE(Contains(ReadWholeFile(TestDir() + "broken.json"), "\"obj_1\""))
      << "the scene is still written";

  r = Korvan("import no-such.pov -o none.json");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "korvan: no-such.pov: cannot read the file\n");

  r = Korvan("import '" + kExamples + "cube.pov' -o cube.docx");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "cube.docx: unknown output format"));

  r = Korvan("--plugin-dir '" + TestDir() + "' import '" + kExamples + "cube.pov'");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "no import plug-in found in " + TestDir()));
}

TEST(Cli, GrammarAndIncludePathHoldForOneRun) {
  const std::string corpus = kSource + "/tests/povray/";
  // include.pov needs its sub-folder (beside it) and colors.inc (given here
  // by a folder of our own, as the library path would give it).
  WriteTestFile("colors.inc", "#declare Red = rgb <1, 0, 0>;\n");
  Outcome r = Korvan("import '" + corpus + "include.pov' --grammar povray --include-path '" +
                     TestDir() + "' --no-progress -o inc.json");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(Contains(r.out, "include.pov: 2 meshes, 9 vertices, 3 faces")) << r.out;
  EXPECT_TRUE(Contains(ReadWholeFile(TestDir() + "inc.json"), "\"T_Red\""));

  // Without a library path, POV-Ray's own include folder gives colors.inc,
  // as POV-Ray's system-wide settings do; without POV-Ray's include files
  // the include is missing: a warning, not a failure.
  r = Korvan("import '" + corpus + "include.pov' --grammar povray --no-progress -o inc2.json");
  EXPECT_EQ(r.status, 0) << r.err;
  if (access("/usr/share/povray-3.7/include/colors.inc", R_OK) == 0) {
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(Contains(ReadWholeFile(TestDir() + "inc2.json"), "\"T_Red\":[1,0,0,1]"));
  } else {
    EXPECT_TRUE(Contains(r.err, "include.pov:6:1: warning: the include file \"colors.inc\""))
        << r.err;
  }

  // korvan reads in POV-Ray's syntax unless told: a file with optional
  // commas reads whole although the plug-in's stored setting stays literal;
  // in the documented grammar it stops at the first one.
  r = Korvan("import '" + corpus + "commas.pov' --no-progress");
  EXPECT_EQ(r.status, 0) << r.err;
  r = Korvan("import '" + corpus + "commas.pov' --grammar literal --no-progress");
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_TRUE(Contains(r.err, "commas.pov: ###Error in line 6")) << r.err;

  r = Korvan("import '" + corpus + "include.pov' --grammar pov");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "--grammar takes literal or povray"));
}

TEST(Cli, ExportsByExtensionAndInBatches) {
  Outcome r = Korvan("formats");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Contains(r.out, "glb2")) << r.out;
  EXPECT_TRUE(Contains(r.out, "json")) << r.out;

  r = Korvan("import '" + kExamples + "cube.pov' -o cube.glb");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadWholeFile(TestDir() + "cube.glb").substr(0, 4), "glTF");
  r = Korvan("import '" + kExamples + "cube.pov' -o cube.data --format stlb --keep-handedness");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(ReadWholeFile(TestDir() + "cube.data").empty());

  // Several scenes into a folder: one file each; the worst outcome counts.
  r = Korvan("import --grammar literal '" + kExamples + "cube.pov' '" + kExamples +
             "broken.pov' -o batch/");
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_FALSE(ReadWholeFile(TestDir() + "batch/cube.glb").empty());
  EXPECT_FALSE(ReadWholeFile(TestDir() + "batch/broken.glb").empty());
  r = Korvan("import --grammar literal '" + kExamples + "broken.pov' missing.pov '" + kExamples +
             "quad.inc' -o batch/ --format obj");
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(ReadWholeFile(TestDir() + "batch/quad.obj").empty());
  r = Korvan("import '" + kExamples + "cube.pov' '" + kExamples + "quad.inc' -o one.glb");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "-o names a folder")) << r.err;
}

TEST(Cli, LogIsForThisRunOnly) {
  {
    SettingsStore store;
    store.Set("tarvo_in", "verbose", "0");
    store.Set("tarvo_in", "log_name", "stored.log");
    ASSERT_TRUE(store.Save());
  }
  Outcome r = Korvan("import '" + kExamples + "quad.inc' --grammar literal --log run.log");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "log run.log: 9 lines parsed\n")) << r.out;
  const std::string log = ReadWholeFile(TestDir() + "run.log");
  EXPECT_TRUE(Contains(log, "Options:\n")) << log;
  EXPECT_TRUE(Contains(log, "Done                            \n"));
  SettingsStore store;
  EXPECT_EQ(*store.Get("tarvo_in", "verbose"), "0");
  EXPECT_EQ(*store.Get("tarvo_in", "log_name"), "stored.log");
}

TEST(Cli, PluginsListsTheImporterAndReportsBadLibraries) {
  Outcome r = Korvan("plugins");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out,
                       "tarvo_in.so\n  name: Tarvo Import Lib\n  version: 2056\n"
                       "  class 0: POVRay (*.pov, *.inc) (category 0x2000, id 0x406E0F1B)"))
      << r.out;

  const std::string dir = TestDir() + "plugins";
  ASSERT_EQ(std::system(("mkdir -p '" + dir + "' && cp '" TARVO_PLUGIN_FILE "' '" + dir +
                         "/' && echo 'not a library' > '" + dir + "/broken.so'")
                            .c_str()),
            0);
  r = Korvan("--plugin-dir '" + dir + "' plugins");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Contains(r.err, dir + "/broken.so: not a loadable library")) << r.err;
  EXPECT_TRUE(Contains(r.out, "name: Tarvo Import Lib")) << r.out;
}

TEST(Cli, OptionsSaveLoadShow) {
  {
    SettingsStore store;
    store.Set("tarvo_in", "file_name", "/a b/c.pov");
    store.Set("tarvo_in", "verbose", "1");
    ASSERT_TRUE(store.Save());
  }
  EXPECT_EQ(Korvan("options save saved.opt").status, 0);
  {
    SettingsStore store;
    store.Set("tarvo_in", "file_name", "other.pov");
    store.Set("tarvo_in", "verbose", "0");
    ASSERT_TRUE(store.Save());
  }
  EXPECT_EQ(Korvan("options load saved.opt").status, 0);
  Outcome r = Korvan("options show");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(Contains(r.out, "file_name=/a b/c.pov\n")) << r.out;
  EXPECT_TRUE(Contains(r.out, "verbose=1\n")) << r.out;

  EXPECT_EQ(Korvan("options save no/such/dir/x.opt").status, 1);
  r = Korvan("options load no-such.opt");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "no-such.opt"));
}

}  // namespace

namespace {

// --timeout stops a reading that would run on, keeping what it read; -j
// imports scenes in processes of their own, and the worst status wins.
TEST(Cli, TimeoutAndJobs) {
  const std::string endless =
      WriteTestFile("endless.pov", "triangle { <0,0,0>, <1,0,0>, <0,1,0> }\n#while (1) #end\n");
  Outcome r = Korvan("import '" + endless + "' --grammar povray --timeout 0.2");
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_TRUE(Contains(r.err, "endless.pov:2:")) << r.err;
  EXPECT_TRUE(Contains(r.err, "ran out of its time")) << r.err;
  EXPECT_TRUE(Contains(r.out, "endless.pov: 1 mesh")) << r.out;

  r = Korvan("import '" + kExamples + "cube.pov' '" + endless + "' '" + kExamples +
             "placed_model.pov' --grammar povray --timeout 0.2 -j 2");
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_TRUE(Contains(r.out, "cube.pov: ")) << r.out;
  EXPECT_TRUE(Contains(r.out, "placed_model.pov: ")) << r.out;
  EXPECT_TRUE(Contains(r.out, "endless.pov: 1 mesh")) << r.out;

  for (const char* bad : {"--timeout 0", "--timeout x", "-j 0", "-j"}) {
    r = Korvan(std::string("import '") + kExamples + "cube.pov' " + bad);
    EXPECT_EQ(r.status, 1) << bad;
  }
}

}  // namespace

namespace {

// A scene that needs its animation's frame reads with --frame and --clock;
// without them it is a still image, where POV-Ray gives the clock words 0.
TEST(Cli, ClockAndFrame) {
  const std::string scene = WriteTestFile("animated.pov",
                                          "#declare Parts = array[2] { 1, 2 }\n"
                                          "#declare X = Parts[frame_number - 1] + clock;\n"
                                          "triangle { <0,0,0>, <X,0,0>, <0,1,0> }\n");
  EXPECT_EQ(Korvan("import '" + scene + "' --grammar povray").status, 2);
  const Outcome r =
      Korvan("import '" + scene + "' --grammar povray --frame 2 --clock 0.5 -o animated.json");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(ReadWholeFile(TestDir() + "animated.json"), "2.5")) << "frame 2, clock 0.5";
  EXPECT_EQ(Korvan("import '" + scene + "' --frame x").status, 1);
}

}  // namespace
