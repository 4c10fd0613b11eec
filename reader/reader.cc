// The reading loop and the operations shared by all object readers.
#include <cstdio>

#include "plugin/host/file.h"
#include "plugin/host/options.h"
#include "reader/object_readers.h"

LogFile* g_Log = nullptr;
MessageCallBack1* g_Messages = nullptr;
int64_t g_FileSize = 0;
int64_t g_ProgressStep = 0;
int64_t g_NextProgress = -1;

void ReportProgress(int64_t position) {
  if (g_Messages != nullptr && g_Messages->p1 != nullptr) {
    g_Messages->p1(static_cast<long>(position), static_cast<long>(g_FileSize));
  }
  g_NextProgress += g_ProgressStep;
}

void BeginProgress(int64_t file_size) {
  g_FileSize = file_size;
  g_ProgressStep = g_FileSize / 100;
  g_NextProgress = g_ProgressStep - 1;
  if (g_Messages != nullptr) {
    if (g_Messages->p1 != nullptr) g_Messages->p1(0, static_cast<long>(g_FileSize));
    if (g_Messages->m1 != nullptr) g_Messages->m1(const_cast<char*>("Parsing ..."));
  }
}

void NextMaterialName(ReaderState& state, char* name) {
  std::snprintf(name, 16, "mat_%d", state.material_counter++);
}

void AttachMaterial(ReaderState& state, MObj3d* object, const char* name) {
  if (object->GetIndexMaterialbyName(name) != -1) return;
  if (char* copy = my_strdup(name)) object->Get_MaterialNames()->Add(copy);
  if (state.scene->GetMaterialbyName(name) == nullptr) {
    if (auto* material = new MSurface(name)) {
      const int32_t before = state.materials->Get_Count();
      state.materials->Add(material);
      if (state.materials->Get_Count() == before) delete material;
    }
  }
}

void MaterialStep(ReaderState& state, MObj3d* object) {
  char name[16];
  NextMaterialName(state, name);
  AttachMaterial(state, object, name);
}

MMesh_P* BeginMesh(ReaderState& state) {
  char name[16];
  std::snprintf(name, sizeof name, "obj_%d", state.object_counter++);
  return BeginNamedMesh(state, name);
}

MMesh_P* BeginNamedMesh(ReaderState& state, const char* name) {
  auto* mesh = new MMesh_P(name);
  if (mesh == nullptr) return nullptr;
  const int32_t before = state.objects->Get_Count();
  state.objects->Add(mesh);
  if (state.objects->Get_Count() == before) {
    delete mesh;
    return nullptr;
  }
  state.current_mesh = mesh;
  return mesh;
}

namespace {

// Opens the scene file and sends the first reports; false when it cannot.
bool StartReading(const char* path) {
  ResetTokenizer();
  if (!g_InFile.Open(path)) {
    Log().write(kLogFileNotFound, path);
    return false;
  }
  BeginProgress(m_filesize(g_InFile.file()));
  return true;
}

// One object after its keyword; false on a grammar failure.
bool ReadObject(ReaderState& state, int code) {
  switch (code) {
    case kMesh:
      return ReadMeshBlock(state);
    case kMesh2:
      return ReadMesh2Block(state);
    case kTriangle:
      return ReadTriangle(state.first_mesh);
    case kSmoothTriangle:
      return ReadSmoothTriangle(state.first_mesh);
    default:
      return true;  // everything else is passed over, one token at a time
  }
}

void ReadLoop(ReaderState& state) {
  while (!g_InFile.Eof()) {
    CheckProgress();
    if (!ReadObject(state, NextCode())) {
      state.error = true;
      return;
    }
  }
}

void WriteOutcome(const ReaderState& state) {
  Log().write("\nMesh Post Processing:\n");
  if (state.error) {
    Log().write(kLogErrorInLine, static_cast<long long>(g_LineNumber));
  } else {
    Log().write(kLogLinesParsed, static_cast<long long>(g_LineNumber - 1));
  }
}

}  // namespace

ReadOutcome ReadSceneFile(MScene* scene, Import_FileOption* options) {
  LogScope log;
  ReaderState state(scene);
  ReadOutcome outcome = kReadNotOpened;
  if (StartReading(options->Get_Filename())) {
    state.first_mesh = BeginMesh(state);
    state.current_mesh = nullptr;
    if (state.first_mesh == nullptr) {
      state.error = true;  // no memory for the first mesh: nothing to read into
    } else {
      MaterialStep(state, state.first_mesh);
      ReadLoop(state);
    }
    g_InFile.Close();
    WriteOutcome(state);
    PostProcess(state);
    outcome = state.error ? kReadStoppedAtError : kReadToEnd;
  }
  return outcome;
}
