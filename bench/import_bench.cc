// import_bench FILE [RUNS] [--log] [--terminal] [--povray]: times the plug-in's
// ImportFile on FILE as the host calls it (progress on, detailed logging
// off or, with --log, on into a temporary file) and prints the median
// seconds, MB/s and the peak memory of the process. With --terminal,
// stderr is a pseudo-terminal, so the progress is drawn there as text;
// with --povray, the file is read in the POV-Ray-syntax mode.
// Loads the built tarvo_in.so like a host.
#include <dlfcn.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/pseudo_terminal.h"
#include "korvan/settings_store.h"
#include "plugin/host/plugin_api.h"
#include "plugin/host/scene.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: import_bench FILE [RUNS] [--log] [--terminal] [--povray]\n");
    return 2;
  }
  const std::string file = argv[1];
  const int runs = argc > 2 && argv[2][0] != '-' ? std::atoi(argv[2]) : 5;
  bool log = false, terminal = false, povray = false;
  for (int i = 2; i < argc; ++i) {
    log = log || std::strcmp(argv[i], "--log") == 0;
    povray = povray || std::strcmp(argv[i], "--povray") == 0;
    terminal = terminal || std::strcmp(argv[i], "--terminal") == 0;
  }
  const int tty = terminal ? OpenDrainedTerminal() : -1;
  if (tty >= 0) {
    dup2(tty, 2);
    close(tty);
  } else if (terminal) {
    std::fprintf(stderr, "import_bench: no pseudo-terminal\n");
    return 1;
  }
  char config[] = "/tmp/tarvo-import-bench-XXXXXX";
  if (mkdtemp(config) == nullptr) return 1;
  setenv("KORVAN_CONFIG_HOME", config, 1);
  const std::string log_path = std::string(config) + "/import.log";
  {
    SettingsStore store;
    store.Set("tarvo_in", "verbose", log ? "1" : "0");
    store.Set("tarvo_in", "log_name", log_path);
    store.Set("tarvo_in/Specific Settings", "grammar", povray ? "povray" : "literal");
    store.Save();
  }
  void* plugin = dlopen(TARVO_PLUGIN_FILE, RTLD_NOW | RTLD_LOCAL);
  if (plugin == nullptr) {
    std::fprintf(stderr, "import_bench: %s\n", dlerror());
    return 1;
  }
  auto describe = reinterpret_cast<LibClassDescriptionFunc>(dlsym(plugin, "LibClassDescription"));
  ImporterBase* importer = describe(0)->Create();
  FILE* f = std::fopen(file.c_str(), "rb");
  if (f == nullptr) return 1;
  std::fseek(f, 0, SEEK_END);
  const double mb = static_cast<double>(std::ftell(f)) / 1e6;
  std::fclose(f);
  std::vector<double> seconds;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    MScene* scene = importer->ImportFile(file.c_str());
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    delete scene;
  }
  importer->Release();
  std::sort(seconds.begin(), seconds.end());
  const double median = seconds[seconds.size() / 2];
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%-28s %7.1f MB  %s%s%s  median %.4f s of %d  %6.0f MB/s  peak %.0f MB\n",
              file.substr(file.rfind('/') + 1).c_str(), mb, log ? "log on " : "log off",
              povray ? ", povray mode" : "", terminal ? ", progress as text" : "", median, runs,
              mb / median, static_cast<double>(usage.ru_maxrss) / 1024.0);
  std::remove(log_path.c_str());
  return 0;
}
