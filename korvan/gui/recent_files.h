// The window's list of recently imported scene files, newest first, kept in
// the settings store (section "korvan/recent"). Plain code.
#pragma once

#include <string>
#include <vector>

class RecentFiles {
 public:
  static constexpr size_t kMax = 8;

  // Reads the list from the store.
  void Load();
  // Puts `path` first (once), keeps kMax, and writes the store.
  void Add(const std::string& path);
  const std::vector<std::string>& files() const { return files_; }

 private:
  std::vector<std::string> files_;
};
