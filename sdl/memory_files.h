// MemoryFiles: the files a scene writes with #fopen ... write/append, held
// in memory for the length of one reading: nothing reaches the disk, and a
// scene that writes a mesh and then #includes it reads it back. Names are
// as the scene gives them. Owned by the Parser; one reading, one thread.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace sdl {

class MemoryFiles {
 public:
  // Starts `name` empty (write) or keeps what it holds (append).
  void Open(const std::string& name, bool append) {
    if (!append) files_[name].clear();
    files_[name];
  }
  void Write(const std::string& name, std::string_view text) { files_[name].append(text); }
  // The contents of `name`, or null when the scene has not written it.
  const std::string* Find(const std::string& name) const {
    auto found = files_.find(name);
    return found != files_.end() ? &found->second : nullptr;
  }

 private:
  std::map<std::string, std::string> files_;
};

}  // namespace sdl
