#include "sdl/povray_reader.h"

#include <new>

#include "plugin/host/scene.h"
#include "reader/object_readers.h"
#include "sdl/scene_builder.h"

namespace {

sdl::ParserOptions ParserOptionsOf(const PovrayReadOptions& options) {
  sdl::ParserOptions out;
  out.library_paths = options.library_paths;
  out.limits = options.limits;
  out.place_objects = options.place_objects;
  out.animation = options.animation;
  out.shapes = options.shapes;
  out.stop = options.stop;
  out.stop_context = options.stop_context;
  return out;
}

// Reads the opened file; false when the reading failed for want of memory.
bool ReadGuarded(sdl::Parser& parser) {
  try {
    parser.Read();
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace

void ReadPovrayScene(MScene* scene, const char* path, const PovrayReadOptions& options) {
  LogScope log;
  ReaderState state(scene);
  sdl::SceneBuilder builder(state, true);
  sdl::Parser parser(builder, ParserOptionsOf(options));
  std::string error;
  if (!parser.Open(path, &error)) {
    Log().write(kLogFileNotFound, path);
    return;
  }
  BeginProgress(static_cast<int64_t>(parser.main_size()));
  const bool complete = builder.Begin() && ReadGuarded(parser);
  ReportProgress(g_FileSize);
  builder.Finish();
  Log().write("\nMesh Post Processing:\n");
  if (parser.errors() > 0 || !complete) {
    const long long line =
        parser.errors() > 0 ? parser.first_error_line() : parser.main_lines() + 1;
    Log().write(kLogErrorInLine, line);
  } else {
    Log().write(kLogLinesParsed, static_cast<long long>(parser.main_lines()));
  }
  PostProcess(state);
}

bool PovrayModeReads(const char* path, const PovrayReadOptions& options) {
  MScene scene(path);
  ReaderState state(&scene);
  sdl::SceneBuilder builder(state, false);
  sdl::Parser parser(builder, ParserOptionsOf(options));
  std::string error;
  if (!parser.Open(path, &error)) return false;
  return builder.Begin() && ReadGuarded(parser) && parser.errors() == 0;
}
