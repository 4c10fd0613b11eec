// ReaderState: the state of one reading, shared by the main loop, the object
// readers and post-processing, and the two operations they share (the
// progress check and the material step). Lives for one ReadSceneFile call;
// the scene and everything appended to its lists belong to the scene.
#pragma once

#include <cstdint>
#include <optional>

#include "plugin/host/callbacks.h"
#include "plugin/host/log_file.h"
#include "plugin/host/scene.h"
#include "reader/input_stream.h"
#include "reader/reader.h"
#include "reader/tokenizer.h"

struct ReaderState {
  ReaderState() = default;
  // A reading into `scene`: its object and material lists.
  explicit ReaderState(MScene* target)
      : scene(target), objects(target->Get_Objects()), materials(target->Get_Materials()) {}

  MScene* scene = nullptr;
  MList* objects = nullptr;         // the scene's object list
  MList* materials = nullptr;       // the scene's material list
  int32_t object_counter = 0;       // numbers "obj_%d"
  int32_t material_counter = 0;     // numbers "mat_%d"
  MMesh_P* first_mesh = nullptr;    // "obj_0": takes top-level triangles
  MMesh_P* current_mesh = nullptr;  // the last mesh or mesh2 block begun
  bool error = false;               // an object reader met a grammar failure
};

// Progress of the reading: file size, step (size / 100) and the position
// above which the next report goes out. 64-bit, so no size overflows them.
extern int64_t g_FileSize;
extern int64_t g_ProgressStep;
extern int64_t g_NextProgress;

void ReportProgress(int64_t position);
// Sets the progress up for a file of `file_size` bytes and sends the first
// report and the "Parsing ..." message.
void BeginProgress(int64_t file_size);

// Before a token is read: one report when the position passed the next
// threshold, which then moves by exactly one step.
inline void CheckProgress() {
  const int64_t position = g_InFile.Tell();
  if (position > g_NextProgress) ReportProgress(position);
}

// Formats the next "mat_%d" into `name` (at least 16 bytes).
void NextMaterialName(ReaderState& state, char* name);
// Gives `object` the material `name` unless it lists it already; the scene
// gets a new MSurface of that name unless it has one.
void AttachMaterial(ReaderState& state, MObj3d* object, const char* name);
// NextMaterialName, then AttachMaterial.
void MaterialStep(ReaderState& state, MObj3d* object);
// A new mesh "obj_%d", appended to the scene's objects and made current;
// null when no memory is left (the list then holds nothing new).
MMesh_P* BeginMesh(ReaderState& state);
// The same with a name of the caller's (copied by the mesh).
MMesh_P* BeginNamedMesh(ReaderState& state, const char* name);

// For one reading: when the caller set no log, a log without a file
// stands in; the caller's g_Log comes back when the scope ends.
class LogScope {
 public:
  LogScope() : caller_(g_Log) {
    if (g_Log == nullptr) g_Log = &quiet_.emplace(nullptr, nullptr);
  }
  ~LogScope() { g_Log = caller_; }
  LogScope(const LogScope&) = delete;
  LogScope& operator=(const LogScope&) = delete;

 private:
  std::optional<LogFile> quiet_;
  LogFile* caller_;
};

// The log of the reading under way.
inline LogFile& Log() { return *g_Log; }
