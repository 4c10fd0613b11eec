// Helpers of the reader tests: one reading of a scene text with its log,
// scene and progress reports, and look-ups in the resulting scene.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "korvan/importer_host.h"
#include "plugin/host/scene.h"
#include "sdl/povray_reader.h"
#include "tests/test_files.h"

struct Reading {
  ScenePtr scene;
  std::string log;                              // the reader's log lines
  std::vector<std::pair<long, long>> progress;  // (position, total) reports
  std::vector<std::string> messages;            // status texts
  std::vector<std::string> host_messages;       // the scene's messages
};

// Reads the file at `path` as the import run would (log and callbacks set).
Reading ReadScenePath(const std::string& path);
// Writes `text` to a file and reads it.
Reading ReadSceneText(const std::string& text);
// The same in the POV-Ray-syntax mode.
Reading ReadPovrayPath(const std::string& path, const PovrayReadOptions& options = {});
Reading ReadPovrayText(const std::string& text, const PovrayReadOptions& options = {});

// The mesh called `name` in the scene, or null.
MMesh_P* FindMesh(MScene& scene, const char* name);
// The lines one after another, each ended by a line feed (for failure
// messages).
std::string Joined(const std::vector<std::string>& lines);
// The POV-Ray-syntax mode placing objects as POV-Ray does (the hosts'
// default).
PovrayReadOptions Placing();
// The names of the scene's objects / materials, in list order.
std::vector<std::string> ObjectNames(MScene& scene);
std::vector<std::string> MaterialNames(MScene& scene);
std::vector<std::string> MeshMaterialNames(MMesh_P& mesh);
