// read_scene FILE [RUNS]: reads FILE with the reader RUNS times (logging
// off) and prints the median time, MB/s and the peak memory of the process.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "plugin/host/callbacks.h"
#include "plugin/host/file.h"
#include "plugin/host/log_file.h"
#include "plugin/host/options.h"
#include "plugin/host/scene.h"
#include "reader/reader.h"

namespace {
void NoMessage(char*, ...) {}
void NoProgress(long, long) {}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: read_scene FILE [RUNS]\n");
    return 2;
  }
  setenv("KORVAN_CONFIG_HOME", "/tmp/tarvo-read-scene", 0);
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  FILE* f = std::fopen(argv[1], "rb");
  if (f == nullptr) {
    std::fprintf(stderr, "read_scene: cannot open %s\n", argv[1]);
    return 1;
  }
  const double mb = static_cast<double>(m_filesize(f)) / 1e6;
  std::fclose(f);
  MessageCallBack1 messages(NoMessage, NoProgress, NoMessage, NoProgress, NoMessage, NoProgress);
  Import_FileOption options("read_scene", "read_scene.log");
  options.Set_Filename(argv[1]);
  LogFile log(argv[1], nullptr);
  std::vector<double> seconds;
  for (int i = 0; i < runs; ++i) {
    auto* scene = new MScene(argv[1]);
    g_Log = &log;
    g_Messages = &messages;
    const auto start = std::chrono::steady_clock::now();
    ReadSceneFile(scene, &options);
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    delete scene;
  }
  std::sort(seconds.begin(), seconds.end());
  const double median = seconds[seconds.size() / 2];
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%s: %.1f MB, median %.4f s of %d, %.0f MB/s, peak memory %.1f MB\n", argv[1], mb,
              median, runs, mb / median, static_cast<double>(usage.ru_maxrss) / 1024.0);
  return 0;
}
