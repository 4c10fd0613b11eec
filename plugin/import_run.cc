#include "plugin/import_run.h"

#include <chrono>
#include <optional>

#include "plugin/host/log_file.h"
#include "reader/reader.h"

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

}  // namespace

void RunImport(MScene* scene, ImportOptions* options, MessageCallBack1* messages) {
  g_Messages = messages;
  const char* log_name = options->verbose == 1 ? options->log_name : nullptr;
  LogFile* log = new LogFile(options->Get_Filename(), log_name);
  std::optional<LogFile> quiet;  // stands in when no log can be allocated
  g_Log = log != nullptr ? log : &quiet.emplace(nullptr, nullptr);

  g_Log->write("%s %s %s %s\n", kBannerName, __DATE__, __TIME__, TARVO_TOOLCHAIN);
  options->PrintOptions(g_Log->Get_FILE());
  g_Log->write("Parsing %s started ...      \n", options->Get_Filename());

  const int64_t start = MillisecondClock();
  ReadSceneFile(scene, options);
  const int64_t ticks = MillisecondClock() - start;
  g_Log->write("%.3f seconds parsing time\n", static_cast<double>(ticks) / 1000.0);

  FinishScene(scene);
  delete log;
  g_Log = nullptr;
}
