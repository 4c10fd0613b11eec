// The POV-Ray-syntax reading mode: ReadPovrayScene reads a scene file as
// POV-Ray reads it (directives, macros, expressions, includes) into an
// existing MScene, with the same log, progress reports and post-processing
// as the documented reader. It writes through g_Log and reports through
// g_Messages (the caller's, not owned); errors and warnings also go to the
// scene's messages. One reading at a time per process.
#pragma once

#include <string>
#include <vector>

#include "sdl/parser.h"

class MScene;

struct PovrayReadOptions {
  std::vector<std::string> library_paths;  // folders for #include
  sdl::Limits limits;
  // Each placed object's meshes where POV-Ray places them (see ParserOptions).
  bool place_objects = false;
  sdl::Animation animation;  // a still image unless on
  sdl::ShapeOptions shapes;  // POV-Ray's other shapes as meshes
  // Asked while reading whether to stop (see ParserOptions).
  sdl::StopCheck stop = nullptr;
  void* stop_context = nullptr;
};

// Reads `path` into `scene`. A file that cannot be read is logged
// ("File %s not found") and leaves the scene untouched.
void ReadPovrayScene(MScene* scene, const char* path, const PovrayReadOptions& options);

// A trial reading that writes nothing: true when the POV-Ray-syntax mode
// reads `path` without an error.
bool PovrayModeReads(const char* path, const PovrayReadOptions& options);
