#include "tests/test_support.h"

#include <cstdarg>
#include <cstdio>
#include <functional>

#include "plugin/host/callbacks.h"
#include "plugin/host/log_file.h"
#include "plugin/host/options.h"
#include "reader/reader.h"
#include "sdl/povray_reader.h"

namespace {

Reading* g_current = nullptr;

void RecordMessage(char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  g_current->messages.push_back(text);
}

void RecordProgress(long position, long count) {
  g_current->progress.emplace_back(position, count);
}

void Ignore(char*, ...) {}
void IgnoreProgress(long, long) {}

}  // namespace

namespace {

// One reading of `path` by `read`, with the log and callbacks of an import.
Reading ReadWith(const std::string& path, const std::function<void(MScene*, const char*)>& read) {
  Reading reading;
  reading.scene.reset(new MScene(path.c_str()));
  const std::string log_path = TestDir() + "reader.log";
  {
    LogFile log(path.c_str(), log_path.c_str());
    MessageCallBack1 messages(RecordMessage, RecordProgress, Ignore, IgnoreProgress, Ignore,
                              IgnoreProgress);
    g_current = &reading;
    g_Log = &log;
    g_Messages = &messages;
    read(reading.scene.get(), path.c_str());
    g_Log = nullptr;
    g_Messages = nullptr;
    g_current = nullptr;
  }
  reading.log = ReadWholeFile(log_path);
  for (MListNode* n = reading.scene->Get_Messages()->head; n != nullptr; n = n->next) {
    reading.host_messages.push_back(static_cast<const char*>(n->item));
  }
  return reading;
}

}  // namespace

Reading ReadScenePath(const std::string& path) {
  return ReadWith(path, [](MScene* scene, const char* file) {
    Import_FileOption options("tarvo_test", "unused.log");
    options.Set_Filename(file);
    ReadSceneFile(scene, &options);
  });
}

Reading ReadPovrayPath(const std::string& path, const PovrayReadOptions& options) {
  return ReadWith(path,
                  [&](MScene* scene, const char* file) { ReadPovrayScene(scene, file, options); });
}

Reading ReadPovrayText(const std::string& text, const PovrayReadOptions& options) {
  return ReadPovrayPath(WriteTestFile("scene.pov", text), options);
}

Reading ReadSceneText(const std::string& text) {
  return ReadScenePath(WriteTestFile("scene.pov", text));
}

MMesh_P* FindMesh(MScene& scene, const char* name) {
  MMesh_P* found = nullptr;
  scene.ForEachMesh([&](MMesh_P& mesh) {
    if (found == nullptr && std::string(mesh.get_name()) == name) found = &mesh;
  });
  return found;
}

std::vector<std::string> ObjectNames(MScene& scene) {
  std::vector<std::string> names;
  for (MListNode* n = scene.Get_Objects()->head; n != nullptr; n = n->next) {
    names.push_back(static_cast<MObj3d*>(n->item)->get_name());
  }
  return names;
}

std::vector<std::string> MaterialNames(MScene& scene) {
  std::vector<std::string> names;
  for (MListNode* n = scene.Get_Materials()->head; n != nullptr; n = n->next) {
    names.push_back(static_cast<MSurface*>(n->item)->get_name());
  }
  return names;
}

std::vector<std::string> MeshMaterialNames(MMesh_P& mesh) {
  std::vector<std::string> names;
  for (MListNode* n = mesh.Get_MaterialNames()->head; n != nullptr; n = n->next) {
    names.push_back(static_cast<const char*>(n->item));
  }
  return names;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

PovrayReadOptions Placing() {
  PovrayReadOptions options;
  options.place_objects = true;
  return options;
}
