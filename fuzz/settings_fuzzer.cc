// The settings store's parser on any bytes: what it accepts must write
// back into a text that parses to the same settings.
#include <cstdlib>

#include "korvan/settings_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::map<std::string, SettingsStore::Section> first;
  int bad_line = 0;
  if (!SettingsStore::Parse(text, &first, &bad_line)) return 0;
  SettingsStore store("/nonexistent/tarvo-fuzz/settings.ini");
  for (const auto& [section, entries] : first) {
    for (const auto& [key, value] : entries) store.Set(section, key, value);
  }
  std::map<std::string, SettingsStore::Section> second;
  if (!SettingsStore::Parse(store.Serialize(), &second, &bad_line)) std::abort();
  for (const auto& [section, entries] : first) {
    if (!entries.empty() && second[section] != entries) std::abort();
  }
  return 0;
}
