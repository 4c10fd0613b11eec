#include "korvan/cli.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "korvan/importer_host.h"
#include "korvan/log_outcome.h"
#include "korvan/modules.h"
#include "korvan/plugin_loader.h"
#include "korvan/scene_json.h"
#include "korvan/settings_store.h"
#include "plugin/host/display.h"
#include "plugin/host/scene.h"

namespace {

constexpr char kUsage[] =
    "usage: korvan [--plugin-dir DIR] COMMAND ...\n"
    "\n"
    "commands:\n"
    "  import SCENE... [-o OUT | -o DIR/] [--format ID] [--keep-handedness]\n"
    "                 [--keep-winding] [--log FILE] [--no-progress]\n"
    "                 [--grammar literal|povray] [--include-path DIR]...\n"
    "                 [--place | --no-place] [--clock T] [--frame N]\n"
    "                 [--shapes | --no-shapes] [--tolerance X]\n"
    "                 [--timeout SECONDS] [-j N]\n"
    "                 import scene files with the plug-in that reads them and print\n"
    "                 a summary of each; -o writes the scene in the format of OUT's\n"
    "                 extension (or --format): .glb .gltf .obj .ply .stl .dae\n"
    "                 .json (see 'korvan formats'); with several scenes, -o DIR/\n"
    "                 writes DIR/NAME.EXT for each (glb unless --format says).\n"
    "                 POV-Ray is left-handed with y up: written coordinates get z\n"
    "                 negated and faces reversed so that they are not mirrored in\n"
    "                 right-handed formats; --keep-handedness writes them as read.\n"
    "                 POV-Ray draws both sides of a face: faces are written turned\n"
    "                 to agree with their normals, materials double-sided;\n"
    "                 --keep-winding writes each face's corners as read.\n"
    "                 --log writes the plug-in's detailed log for this run only.\n"
    "                 --grammar povray reads the file as POV-Ray does (directives,\n"
    "                 macros, expressions, optional commas, #include searched beside\n"
    "                 the file and in each --include-path DIR), korvan's default;\n"
    "                 literal reads the documented grammar only (the plug-in's own\n"
    "                 default, for other hosts). --place (the default)\n"
    "                 imports what a POV-Ray file places, where it places it;\n"
    "                 --no-place each declared mesh once. --shapes (the default)\n"
    "                 makes POV-Ray's other shapes and CSG into meshes, their\n"
    "                 curves within X (--tolerance, 0.005) of each curved part's\n"
    "                 radius; --no-shapes passes them over. All for this run only.\n"
    "                 --clock and --frame read the scene for that frame of its\n"
    "                 animation (clock from 0 to 1, frames from 1); without them,\n"
    "                 as a still image. --timeout stops each reading after SECONDS,\n"
    "                 keeping what was read. -j N imports N scenes at once, each in\n"
    "                 a process of its own.\n"
    "  import --pick [-o OUT] ...\n"
    "                 choose the scene file in the plug-in's open-file dialog\n"
    "  formats        list the formats -o can write\n"
    "  gui [SCENE]    the host's window: import, look at the scene, export\n"
    "  configure      the plug-in's configuration dialog (logging, log file name)\n"
    "  help           the plug-in's help\n"
    "  plugins        list the plug-ins found and their classes\n"
    "  options save FILE | options load FILE\n"
    "                 write or read the importer's options file\n"
    "  options show   print the stored settings\n"
    "\n"
    "options:\n"
    "  --plugin-dir DIR  look for plug-ins in DIR (default: KORVAN_PLUGIN_PATH,\n"
    "                    else the folder of this program)\n"
    "  --help, --version\n"
    "\n"
    "exit status: 0 done, 1 a file or plug-in could not be used, 2 the scene file\n"
    "has a syntax error (what was read before it is still imported and written).\n"
    "Settings live in $KORVAN_CONFIG_HOME/settings.ini (default\n"
    "~/.config/korvan/settings.ini).\n";

constexpr char kVersion[] = "korvan 1.0";

struct CommandLine {
  std::string plugin_dir;
  std::vector<std::string> words;  // the command and its operands
  std::string output, log, place;
  std::string grammar = "povray";  // korvan reads as POV-Ray does unless told
  std::vector<std::string> include_paths;
  bool no_progress = false;
  bool pick = false;
  bool keep_handedness = false;
  bool keep_winding = false;
  std::string format;
  double timeout = 0;        // seconds for each reading; 0: none
  std::string clock, frame;  // an animation's frame to read for
  std::string shapes, tolerance;
  int jobs = 1;  // scenes imported at once, each in its own process
  bool help = false, version = false;
  std::string error;
};

CommandLine Parse(const std::vector<std::string>& args) {
  CommandLine cl;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* into) {
      if (i + 1 >= args.size()) {
        cl.error = a + " needs a value";
      } else {
        *into = args[++i];
      }
    };
    if (a == "--help" || a == "-h") {
      cl.help = true;
    } else if (a == "--version") {
      cl.version = true;
    } else if (a == "--plugin-dir") {
      value(&cl.plugin_dir);
    } else if (a == "-o" || a == "--output") {
      value(&cl.output);
    } else if (a == "--log") {
      value(&cl.log);
    } else if (a == "--grammar") {
      value(&cl.grammar);
      if (cl.grammar != "literal" && cl.grammar != "povray") {
        cl.error = "--grammar takes literal or povray";
      }
    } else if (a == "--include-path") {
      std::string folder;
      value(&folder);
      cl.include_paths.push_back(folder);
    } else if (a == "--place" || a == "--no-place") {
      cl.place.assign(1, a == "--place" ? '1' : '0');
    } else if (a == "--shapes" || a == "--no-shapes") {
      cl.shapes.assign(1, a == "--shapes" ? '1' : '0');
    } else if (a == "--tolerance") {
      value(&cl.tolerance);
      char* end = nullptr;
      const double tolerance = std::strtod(cl.tolerance.c_str(), &end);
      if (cl.tolerance.empty() || *end != '\0' || !(tolerance > 0 && tolerance <= 0.5)) {
        cl.error = "--tolerance takes a number above 0 and at most 0.5";
      }
    } else if (a == "--no-progress") {
      cl.no_progress = true;
    } else if (a == "--pick") {
      cl.pick = true;
    } else if (a == "--keep-handedness") {
      cl.keep_handedness = true;
    } else if (a == "--keep-winding") {
      cl.keep_winding = true;
    } else if (a == "--format") {
      value(&cl.format);
    } else if (a == "--clock" || a == "--frame") {
      std::string text;
      value(&text);
      char* end = nullptr;
      if (a == "--clock") {
        std::strtod(text.c_str(), &end);
      } else {
        std::strtol(text.c_str(), &end, 10);
      }
      if (text.empty() || *end != '\0') {
        cl.error = a + (a == "--clock" ? " takes a number" : " takes a whole number");
      } else {
        (a == "--clock" ? cl.clock : cl.frame) = text;
      }
    } else if (a == "--timeout") {
      std::string text;
      value(&text);
      char* end = nullptr;
      cl.timeout = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0' || !(cl.timeout > 0)) {
        cl.error = "--timeout takes a number of seconds above 0";
      }
    } else if (a == "-j" || a.rfind("-j", 0) == 0) {
      std::string text = a.size() > 2 ? a.substr(2) : "";
      if (text.empty()) value(&text);
      char* end = nullptr;
      const long jobs = std::strtol(text.c_str(), &end, 10);
      if (text.empty() || *end != '\0' || jobs < 1 || jobs > 1024) {
        cl.error = "-j takes a number of scenes from 1 to 1024";
      } else {
        cl.jobs = static_cast<int>(jobs);
      }
    } else if (a.size() > 1 && a[0] == '-') {
      cl.error = "unknown option " + a;
    } else {
      cl.words.push_back(a);
    }
  }
  return cl;
}

// An importer made by one of the plug-ins, released when it goes.
PluginSet LoadAndReport(const CommandLine& cl) {
  PluginSet set = LoadPlugins(PluginFolders(cl.plugin_dir.c_str()));
  for (const std::string& error : set.errors) std::fprintf(stderr, "korvan: %s\n", error.c_str());
  return set;
}

ImporterPtr NeedImporter(const CommandLine& cl, const std::string& scene_file) {
  ImporterPtr importer = FindImporter(LoadAndReport(cl), scene_file);
  if (!importer) {
    std::string folders;
    for (const std::string& f : PluginFolders(cl.plugin_dir.c_str())) {
      folders += (folders.empty() ? "" : ":") + f;
    }
    std::fprintf(stderr, "korvan: no import plug-in found in %s\n", folders.c_str());
  }
  return importer;
}

std::string Extension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return path.substr(dot + 1);
}

std::string Stem(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Our own JSON needs no module; every other format is Assimp's.
const ExportFormat kJsonFormat{"json", "json", "Korvan scene JSON"};

// The export module, or null after saying why it cannot be had.
const ExportModule* NeedExportModule() {
  std::string error;
  const ExportModule* module = OpenExportModule(&error);
  if (module == nullptr) {
    std::fprintf(stderr, "korvan: the export cannot be loaded: %s\n", error.c_str());
  }
  return module;
}

// The format to write `output` in: --format, else the output's extension.
const ExportFormat* OutputFormat(const CommandLine& cl, const std::string& output) {
  const std::string key = !cl.format.empty() ? cl.format : Extension(output);
  if (key == "json") return &kJsonFormat;
  const ExportModule* module = NeedExportModule();
  if (module == nullptr) return nullptr;
  const ExportFormat* format = !cl.format.empty() && module->find_by_id(key) != nullptr
                                   ? module->find_by_id(key)
                                   : module->find_for_extension(key);
  if (format == nullptr) {
    std::fprintf(stderr, "korvan: %s: unknown output format \"%s\" (see 'korvan formats')\n",
                 output.c_str(), key.c_str());
  }
  return format;
}

// Writes the scene, which it frees as soon as the writer has read it (the
// writer's copies are as large); reports left-out faces per mesh. False
// when not written.
bool WriteOutput(const CommandLine& cl, ScenePtr scene, const std::string& scene_file,
                 const std::string& output, long* left_out) {
  const ExportFormat* format = OutputFormat(cl, output);
  if (format == nullptr) return false;
  ExportOptions options;
  options.keep_handedness = cl.keep_handedness;
  options.keep_winding = cl.keep_winding;
  ExportReport report;
  bool written;
  if (format == &kJsonFormat) {
    written = WriteSceneJson(*scene, output.c_str());
    if (!written) report.error = std::strerror(errno);
  } else {
    written = NeedExportModule()->export_scene(*scene, output, *format, options, &report,
                                               [&scene] { scene.reset(); });
  }
  for (const MeshReport& mesh : report.meshes) {
    if (mesh.faces_left_out > 0) {
      std::fprintf(stderr,
                   "korvan: %s: mesh %s: %ld faces left out (indices outside their lists, "
                   "non-finite coordinates or fewer than 3 corners)\n",
                   scene_file.c_str(), mesh.name.c_str(), mesh.faces_left_out);
    }
    if (mesh.faces_degenerate > 0) {
      std::fprintf(stderr,
                   "korvan: %s: mesh %s: %ld faces left out (no area and no normal: "
                   "no side to show)\n",
                   scene_file.c_str(), mesh.name.c_str(), mesh.faces_degenerate);
    }
    if (mesh.materials_replaced > 0) {
      std::fprintf(stderr,
                   "korvan: %s: mesh %s: %ld faces name a texture the mesh does not have; "
                   "written with its first material\n",
                   scene_file.c_str(), mesh.name.c_str(), mesh.materials_replaced);
    }
  }
  *left_out = report.faces_not_written();
  if (!written) {
    std::fprintf(stderr, "korvan: %s: cannot write: %s\n", output.c_str(), report.error.c_str());
  }
  return written;
}

// "1 mesh", "2 meshes".
std::string Plural(long n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Imports one scene (`file` empty: chosen in the dialog) and writes it to
// `output` when one is given. Answers the exit status for this scene.
int ImportOne(const CommandLine& cl, ImporterBase* importer, std::string file,
              const std::string& output) {
  ImportRequest request;
  request.log = cl.log;
  request.grammar = cl.grammar;
  request.place = cl.place;
  request.include_paths = cl.include_paths;
  request.time_limit = cl.timeout;
  request.clock = cl.clock;
  request.shapes = cl.shapes;
  request.tolerance = cl.tolerance;
  request.frame = cl.frame;
  ImportResult result = ImportWith(importer, file, request);
  ScenePtr scene = std::move(result.scene);
  const LogOutcome& outcome = result.outcome;
  const double seconds = result.seconds;
  if (file.empty()) {
    if (!scene) {
      std::fprintf(stderr, "korvan: no scene file chosen\n");
      return 1;
    }
    file = scene->Get_Path();
  }
  if (!scene) {
    std::fprintf(stderr, "korvan: %s: the import failed (out of memory)\n", file.c_str());
    return 1;
  }
  if (outcome.kind == ImportOutcome::kNotFound) {
    std::fprintf(stderr, "korvan: %s: cannot read the file\n", file.c_str());
    return 1;
  }
  for (int32_t i = 0; i < scene->Get_Messages()->Get_Count(); ++i) {
    std::fprintf(stderr, "%s\n", static_cast<const char*>(scene->Get_Messages()->Get(i)));
  }
  const SceneCounts counts = Count(*scene);
  const int materials = scene->Get_Materials()->Get_Count();
  long left_out = 0;
  const bool written = output.empty() || WriteOutput(cl, std::move(scene), file, output, &left_out);
  std::printf("%s: %s, %s, %s, %s, %.3f s", file.c_str(),
              Plural(counts.meshes, "mesh", "meshes").c_str(),
              Plural(counts.vertices, "vertex", "vertices").c_str(),
              Plural(counts.faces, "face", "faces").c_str(),
              Plural(materials, "material", "materials").c_str(), seconds);
  if (left_out > 0) std::printf(", %ld faces not written", left_out);
  std::printf("\n");
  if (!cl.log.empty()) std::printf("log %s: %s\n", cl.log.c_str(), outcome.line.c_str());
  if (!written) return 1;
  if (outcome.kind == ImportOutcome::kError) {
    std::fprintf(stderr, "korvan: %s: %s\n", file.c_str(), outcome.line.c_str());
    return 2;
  }
  return 0;
}

// 1 (something could not be used) outranks 2 (a syntax error), which
// outranks 0.
int Worse(int a, int b) {
  auto rank = [](int status) { return status == 1 ? 2 : status == 2 ? 1 : 0; };
  return rank(a) >= rank(b) ? a : b;
}

// Imports each file in a child process of its own, `jobs` at a time: a
// scene that takes all memory or time costs only its own process. Answers
// the worst status; a child ended by a signal counts as 1.
template <class ImportFile>
int ImportInProcesses(const std::vector<std::string>& files, int jobs, ImportFile import_file) {
  std::fflush(nullptr);  // nothing buffered is written twice
  std::map<pid_t, std::string> running;
  int worst = 0;
  auto wait_one = [&] {
    int wait_status = 0;
    const pid_t pid = waitpid(-1, &wait_status, 0);
    if (pid <= 0) return false;
    const std::string file = running[pid];
    running.erase(pid);
    int status = 1;
    if (WIFEXITED(wait_status)) {
      status = WEXITSTATUS(wait_status);
    } else if (WIFSIGNALED(wait_status)) {
      std::fprintf(stderr, "korvan: %s: the import ended by signal %d\n", file.c_str(),
                   WTERMSIG(wait_status));
    }
    worst = Worse(worst, status);
    return true;
  };
  for (const std::string& file : files) {
    while (static_cast<int>(running.size()) >= jobs && wait_one()) {
    }
    const pid_t pid = fork();
    if (pid == 0) {
      const int status = import_file(file);
      std::fflush(nullptr);
      _exit(status);
    }
    if (pid < 0) {
      std::fprintf(stderr, "korvan: %s: no process for it: %s\n", file.c_str(),
                   std::strerror(errno));
      worst = Worse(worst, 1);
      continue;
    }
    running[pid] = file;
  }
  while (!running.empty() && wait_one()) {
  }
  return worst;
}

bool IsFolder(const std::string& path) {
  return !path.empty() && (path.back() == '/' || access((path + "/.").c_str(), F_OK) == 0);
}

int Import(const CommandLine& cl) {
  const std::vector<std::string> files(cl.words.begin() + 1, cl.words.end());
  if (cl.pick != files.empty()) {
    std::fprintf(stderr, "korvan: import takes scene files, or --pick\n%s", kUsage);
    return 1;
  }
  const bool to_folder = IsFolder(cl.output);
  if (files.size() > 1 && !cl.output.empty() && !to_folder) {
    std::fprintf(stderr, "korvan: %s: with several scenes, -o names a folder (end it in /)\n",
                 cl.output.c_str());
    return 1;
  }
  if (to_folder && mkdir(cl.output.c_str(), 0777) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "korvan: %s: cannot make the folder: %s\n", cl.output.c_str(),
                 std::strerror(errno));
    return 1;
  }
  ImporterPtr importer = NeedImporter(cl, files.empty() ? "" : files[0]);
  if (!importer) return 1;
  if (cl.no_progress) importer->SetShowProgress(0);
  if (cl.pick) return ImportOne(cl, importer.get(), "", cl.output);
  auto output_of = [&](const std::string& file) {
    if (!to_folder) return cl.output;
    const ExportFormat* format = OutputFormat(cl, "x.glb");
    const std::string ext = format != nullptr ? format->extension : cl.format;
    return cl.output + (cl.output.back() == '/' ? "" : "/") + Stem(file) + "." + ext;
  };
  if (cl.jobs > 1 && files.size() > 1) {
    return ImportInProcesses(files, cl.jobs, [&](const std::string& file) {
      return ImportOne(cl, importer.get(), file, output_of(file));
    });
  }
  int worst = 0;
  for (const std::string& file : files) {
    worst = Worse(worst, ImportOne(cl, importer.get(), file, output_of(file)));
  }
  return worst;
}

int Formats() {
  const ExportModule* module = NeedExportModule();
  if (module == nullptr) return 1;
  for (const ExportFormat& f : module->formats()) {
    std::printf("%-10s .%-6s %s\n", f.id.c_str(), f.extension.c_str(), f.description.c_str());
  }
  return 0;
}

// configure / help: the importer's own windows; 1 when there is no display
// to show them on (the plug-in says so in one line). The check's connection
// stays open while the window runs, so that the X server does not reset.
int Window(const CommandLine& cl, const std::string& command) {
  ImporterPtr importer = NeedImporter(cl, "");
  if (!importer) return 1;
  MDisplayCheck display;
  const bool shown = display.Check();
  if (command == "configure") {
    importer->Configure();
  } else {
    importer->ShowHelp();
  }
  return shown ? 0 : 1;
}

int Plugins(const CommandLine& cl) {
  const PluginSet set = LoadAndReport(cl);
  for (const LoadedPlugin& plugin : set.plugins) {
    std::printf("%s\n  name: %s\n  version: %u\n", plugin.path.c_str(), plugin.name.c_str(),
                plugin.version);
    for (size_t i = 0; i < plugin.classes.size(); ++i) {
      ClassDescriptorBase* d = plugin.classes[i];
      std::printf("  class %zu: %s (category 0x%X, id 0x%08X)\n", i, d->ClassName(),
                  static_cast<unsigned>(d->ClassCategory()), static_cast<unsigned>(d->ClassId()));
    }
  }
  if (set.plugins.empty()) {
    std::fprintf(stderr, "korvan: no plug-ins found\n");
    return 1;
  }
  return 0;
}

int Options(const CommandLine& cl) {
  const std::vector<std::string>& w = cl.words;
  if (w.size() == 2 && w[1] == "show") {
    SettingsStore store;
    std::printf("# %s\n%s", store.path().c_str(), store.Serialize().c_str());
    return 0;
  }
  if (w.size() != 3 || (w[1] != "save" && w[1] != "load")) {
    std::fprintf(stderr, "korvan: options takes save FILE, load FILE or show\n");
    return 1;
  }
  ImporterPtr importer = NeedImporter(cl, "");
  if (!importer) return 1;
  const std::string& path = w[2];
  if (w[1] == "save") {
    if (importer->SaveOptions(path.c_str()) != 1) {
      std::fprintf(stderr, "korvan: %s: cannot write the options file\n", path.c_str());
      return 1;
    }
    return 0;
  }
  if (access(path.c_str(), R_OK) != 0) {
    std::fprintf(stderr, "korvan: %s: cannot read the options file: %s\n", path.c_str(),
                 std::strerror(errno));
    return 1;
  }
  importer->LoadOptions(path.c_str());
  return 0;
}

}  // namespace

int RunKorvan(const std::vector<std::string>& args) {
  const CommandLine cl = Parse(args);
  if (cl.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (cl.version) {
    std::puts(kVersion);
    return 0;
  }
  if (!cl.error.empty() || cl.words.empty()) {
    std::fprintf(stderr, "korvan: %s\n%s", cl.error.empty() ? "no command" : cl.error.c_str(),
                 kUsage);
    return 1;
  }
  const std::string& command = cl.words[0];
  if (command == "import") return Import(cl);
  if (command == "plugins") return Plugins(cl);
  if (command == "formats") return Formats();
  if (command == "gui") {
    if (cl.words.size() > 2) {
      std::fprintf(stderr, "korvan: gui takes at most one scene file\n");
      return 1;
    }
    return RunGuiModule(cl.words.size() == 2 ? cl.words[1] : "", cl.plugin_dir);
  }
  if (command == "options") return Options(cl);
  if (command == "configure" || command == "help") return Window(cl, command);
  std::fprintf(stderr, "korvan: unknown command %s\n%s", command.c_str(), kUsage);
  return 1;
}
