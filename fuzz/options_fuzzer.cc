// The options loader on any bytes: the host's Load with "@file" reads the
// input as an options file; whatever it takes must print and save again.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_file.h"
#include "korvan/settings_store.h"
#include "plugin/host/options.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("KORVAN_CONFIG_HOME", "/tmp/tarvo-fuzz-config", 1);
  // Values of this process only: destroying the options stores nothing.
  for (const char* key : {"file_name", "log_name", "verbose"}) {
    SettingsStore::SetOverride("*", key, "");
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string argument = "@" + FuzzFile(data, size);
  Import_FileOption options("fuzz", "fuzz.log");
  char program[] = "";
  char* vector[] = {program, const_cast<char*>(argument.c_str())};
  options.Load(2, vector);
  if (std::strlen(options.log_name) >= kLogNameCapacity) std::abort();
  static FILE* sink = std::fopen("/dev/null", "w");
  options.Save(sink);
  options.Print_Options(sink);
  return 0;
}
