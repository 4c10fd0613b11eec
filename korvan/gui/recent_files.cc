#include "korvan/gui/recent_files.h"

#include <algorithm>

#include "korvan/settings_store.h"

namespace {
constexpr char kSection[] = "korvan/recent";
std::string Key(size_t i) { return "file" + std::to_string(i); }
}  // namespace

void RecentFiles::Load() {
  files_.clear();
  SettingsStore store;
  for (size_t i = 0; i < kMax; ++i) {
    const std::string* path = store.Get(kSection, Key(i));
    if (path != nullptr && !path->empty()) files_.push_back(*path);
  }
}

void RecentFiles::Add(const std::string& path) {
  Load();  // another window may have added some meanwhile
  files_.erase(std::remove(files_.begin(), files_.end(), path), files_.end());
  files_.insert(files_.begin(), path);
  if (files_.size() > kMax) files_.resize(kMax);
  SettingsStore store;
  for (size_t i = 0; i < kMax; ++i) store.Set(kSection, Key(i), i < files_.size() ? files_[i] : "");
  store.Save();
}
