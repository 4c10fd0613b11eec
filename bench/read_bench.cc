// Reader throughput on the grid scenes, detailed logging off (the log has
// no file) and a progress bundle whose callbacks do nothing. The files are
// written into a temporary folder and removed afterwards.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/grid_scene.h"
#include "plugin/host/callbacks.h"
#include "plugin/host/log_file.h"
#include "plugin/host/options.h"
#include "plugin/host/scene.h"
#include "reader/reader.h"

namespace {

std::string TempDir() {
  static const std::string dir = [] {
    char pattern[] = "/tmp/tarvo-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    setenv("KORVAN_CONFIG_HOME", pattern, 1);
    return std::string(pattern) + "/";
  }();
  return dir;
}

void NoMessage(char*, ...) {}
void NoProgress(long, long) {}

void ReadGrid(benchmark::State& state, GridForm form, const char* name) {
  const int n = static_cast<int>(state.range(0));
  const std::string path = TempDir() + name + std::to_string(n) + ".pov";
  const long size = WriteGridScene(path, n, form);
  if (size < 0) {
    state.SkipWithError("cannot write the scene");
    return;
  }
  MessageCallBack1 messages(NoMessage, NoProgress, NoMessage, NoProgress, NoMessage, NoProgress);
  Import_FileOption options("tarvo_bench", "bench.log");
  options.Set_Filename(path.c_str());
  LogFile log(path.c_str(), nullptr);
  for (auto _ : state) {
    auto* scene = new MScene(path.c_str());
    g_Log = &log;
    g_Messages = &messages;
    ReadSceneFile(scene, &options);
    benchmark::DoNotOptimize(scene);
    state.PauseTiming();
    delete scene;
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
  state.counters["MB"] = static_cast<double>(size) / 1e6;
  std::filesystem::remove(path);
}

void BM_ReadMesh2Grid(benchmark::State& state) { ReadGrid(state, GridForm::kMesh2, "mesh2_"); }
void BM_ReadSmoothTriangleGrid(benchmark::State& state) {
  ReadGrid(state, GridForm::kSmoothTriangles, "smooth_");
}

}  // namespace

BENCHMARK(BM_ReadMesh2Grid)->Arg(300)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadSmoothTriangleGrid)->Arg(300)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(TempDir());
  return 0;
}
