// shape_judge: how well a triangle mesh matches what POV-Ray says of a shape.
//
//   shape_judge MESH.obj SIDECAR [--case CASE.pov] [--class NAME] [THRESHOLD=VALUE ...]
//
// Prints the figures, then checks them against the thresholds of a class
// (flat, curved, csg, surface), taken from the case file's "// judge:" line
// or --class, and any single thresholds given after them, e.g.
// max-volume-error=0.5 (percent), max-split-votes=0, min-hit-agreement=99.5
// (percent), max-hit-error=5e-3 (of the box's diagonal), max-normal-error=3
// (degrees). Exits 1 when a threshold fails, 2 on bad input.
#include <cstdio>
#include <string>
#include <vector>

#include "judge_core.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: shape_judge MESH.obj SIDECAR [--case CASE.pov] [--class NAME] "
               "[THRESHOLD=VALUE ...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files, settings;
  std::string case_file;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--case" || arg == "--class") && i + 1 < argc) {
      if (arg == "--case") {
        case_file = argv[++i];
      } else {
        settings.push_back(argv[++i]);
      }
    } else if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
      settings.push_back(arg.substr(2));
    } else if (arg.find('=') != std::string::npos) {
      settings.push_back(arg);
    } else if (arg.rfind("-", 0) == 0) {
      return Usage();
    } else {
      files.push_back(arg);
    }
  }
  if (files.size() != 2) return Usage();

  std::string error;
  std::vector<std::string> all;
  if (!case_file.empty() && !shapes::ReadCaseSettings(case_file, &all, &error)) {
    std::fprintf(stderr, "shape_judge: %s\n", error.c_str());
    return 2;
  }
  all.insert(all.end(), settings.begin(), settings.end());
  shapes::Thresholds thresholds;
  bool have_class = false;
  for (const std::string& setting : all) {
    if (!shapes::ApplySetting(setting, &thresholds, &error)) {
      std::fprintf(stderr, "shape_judge: %s\n", error.c_str());
      return 2;
    }
    have_class = have_class || setting.find('=') == std::string::npos;
  }
  if (!have_class) {
    std::fprintf(stderr,
                 "shape_judge: no class: give --class or a \"// judge: CLASS\" line in the case\n");
    return 2;
  }

  shapes::Mesh mesh;
  shapes::Sidecar sidecar;
  if (!shapes::ReadObj(files[0], &mesh, &error) ||
      !shapes::ReadSidecar(files[1], &sidecar, &error)) {
    std::fprintf(stderr, "shape_judge: %s\n", error.c_str());
    return 2;
  }
  const shapes::Figures figures = shapes::Judge(mesh, sidecar);
  std::fputs(shapes::Report(figures).c_str(), stdout);
  const std::vector<std::string> failures = shapes::Check(figures, thresholds);
  for (const std::string& failure : failures) std::printf("FAIL: %s\n", failure.c_str());
  if (failures.empty()) std::printf("PASS (class %s)\n", thresholds.name.c_str());
  return failures.empty() ? 0 : 1;
}
