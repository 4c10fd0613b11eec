#include "plugin/import_run.h"

#include <chrono>
#include <cstdlib>
#include <optional>

#include "plugin/host/import_control.h"
#include "plugin/host/log_file.h"
#include "plugin/host/scene.h"
#include "reader/reader.h"
#include "reader/tokenizer.h"
#include "sdl/povray_reader.h"

const char kBannerName[] = "Tarvo Import Plugin 1.0";

namespace {

#if defined(__clang__)
#define TARVO_TOOLCHAIN "clang-" __clang_version__
#elif defined(__GNUC__)
#define TARVO_TOOLCHAIN "gcc-" __VERSION__
#else
#define TARVO_TOOLCHAIN "c++"
#endif

int64_t MillisecondClock() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Writes the closing lines and finishes the scene for the host.
void FinishScene(MScene* scene) {
  g_Log->write("Postprocessing ...        \n");
  scene->CalculateBoundingBox(0);
  scene->MMake_Default_Cam();
  if (auto* camera = static_cast<MCamera*>(scene->Get_Cameras()->Get(0))) camera->cam_mark = 1;
  scene->MMake_Default_Light();
  g_Log->write("Done                            \n");
}

PovrayReadOptions PovrayOptions(const ImportOptions& options) {
  PovrayReadOptions out;
  const std::string& path = options.library_path;
  for (size_t start = 0; start <= path.size();) {
    size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) out.library_paths.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  // Then where POV-Ray installs its own include files (colors.inc,
  // textures.inc ...), which its system-wide settings search as well.
  for (const char* folder : {"/usr/share/povray-3.7/include", "/usr/local/share/povray-3.7/include",
                             "/usr/share/povray/include"}) {
    out.library_paths.emplace_back(folder);
  }
  out.limits.bytes = options.bounds[kBoundBytes];
  out.limits.tokens = options.bounds[kBoundTokens];
  out.limits.loop_iterations = options.bounds[kBoundLoopTurns];
  out.limits.macro_calls = options.bounds[kBoundMacroCalls];
  out.limits.value_bytes = options.bounds[kBoundValueBytes];
  out.limits.nesting = static_cast<int>(options.bounds[kBoundNesting]);
  out.place_objects = options.place_objects != 0;
  out.shapes.on = options.shapes != 0;
  out.shapes.tolerance = options.tessellation_tolerance;
  out.shapes.max_triangles = options.bounds[kBoundTriangles];
  // An animation's frame when the run names a clock or a frame.
  if (!options.clock.empty() || !options.frame.empty()) {
    out.animation.on = true;
    out.animation.clock = std::strtod(options.clock.c_str(), nullptr);
    out.animation.frame = std::strtoll(options.frame.c_str(), nullptr, 10);
  }
  out.stop = [](void*) { return m_import_stop_requested(); };
  return out;
}

// Tells the host when a file that the documented grammar stops on reads
// without error in POV-Ray's syntax, so that the user learns of the switch.
void SuggestPovraySyntax(MScene* scene, const ImportOptions& options) {
  if (!PovrayModeReads(options.Get_Filename(), PovrayOptions(options))) return;
  const long long line = static_cast<long long>(g_LineNumber);
  std::string text = std::string(options.Get_Filename()) + ":" + std::to_string(line) +
                     ": note: the documented grammar stops here, but POV-Ray's syntax reads "
                     "the whole file: switch on \"POV-Ray syntax\" in the configuration "
                     "(korvan import --grammar povray)";
  if (char* copy = my_strdup(text.c_str())) scene->Get_Messages()->Add(copy);
}

// A stored setting that could not be taken: in the log, and among the
// scene's messages, which the host shows.
void ReportSettingWarnings(MScene* scene, const ImportOptions& options) {
  for (const std::string& warning : options.setting_warnings) {
    g_Log->write("Warning: %s\n", warning.c_str());
    const std::string text = "warning: " + warning;
    if (char* copy = my_strdup(text.c_str())) scene->Get_Messages()->Add(copy);
  }
}

}  // namespace

void RunImport(MScene* scene, ImportOptions* options, MessageCallBack1* messages) {
  g_Messages = messages;
  const char* log_name = options->verbose == 1 ? options->log_name : nullptr;
  LogFile* log = new LogFile(options->Get_Filename(), log_name);
  std::optional<LogFile> quiet;  // stands in when no log can be allocated
  g_Log = log != nullptr ? log : &quiet.emplace(nullptr, nullptr);

  g_Log->write("%s %s %s %s\n", kBannerName, __DATE__, __TIME__, TARVO_TOOLCHAIN);
  options->PrintOptions(g_Log->Get_FILE());
  ReportSettingWarnings(scene, *options);
  g_Log->write("Parsing %s started ...      \n", options->Get_Filename());

  const int64_t start = MillisecondClock();
  bool literal_error = false;
  if (options->grammar == kGrammarPovray) {
    ReadPovrayScene(scene, options->Get_Filename(), PovrayOptions(*options));
  } else {
    literal_error = ReadSceneFile(scene, options) == kReadStoppedAtError;
  }
  const int64_t ticks = MillisecondClock() - start;
  g_Log->write("%.3f seconds parsing time\n", static_cast<double>(ticks) / 1000.0);

  FinishScene(scene);
  if (literal_error) SuggestPovraySyntax(scene, *options);
  delete log;
  g_Log = nullptr;
}
