// Measures a triangle mesh against POV-Ray's own answers about a shape (a
// sidecar written by sample.py): inside() at random points, trace() along
// random rays. Standard library only.
#ifndef TESTS_SHAPES_JUDGE_CORE_H_
#define TESTS_SHAPES_JUDGE_CORE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace shapes {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

struct Mesh {
  std::vector<Vec3> vertices;
  std::vector<std::array<std::uint32_t, 3>> triangles;
};

// Reads the v and f lines of an OBJ file (polygons fan-triangulated); the
// rest is ignored. False with a message on a malformed line.
bool ReadObj(const std::string& path, Mesh* mesh, std::string* error);
// Writes v and f lines only.
bool WriteObj(const std::string& path, const Mesh& mesh);

struct Ray {
  Vec3 origin, direction, hit, normal;  // a zero normal: POV-Ray found no hit
};

struct Sidecar {
  Vec3 lo, hi;        // the sampled box
  bool clip = false;  // the case gave the box (an infinite shape): judge inside it only
  std::vector<Vec3> points;
  std::vector<char> inside;  // POV-Ray's inside() of each point
  std::vector<Ray> rays;
};

bool ReadSidecar(const std::string& path, Sidecar* sidecar, std::string* error);

struct Figures {
  std::size_t triangles = 0;
  std::size_t points = 0, povray_inside = 0, disagree = 0, split_votes = 0;
  // Disagreeing points over the points POV-Ray has inside; empty when it
  // has none (a surface without a solid).
  std::optional<double> volume_error;
  std::size_t rays = 0, hit_agree = 0, both_hit = 0;
  double hit_agreement = 0;      // a fraction
  double hit_error_p99 = 0;      // over the box's diagonal
  double normal_error_p99 = 0;   // degrees, as lines (sign ignored)
  std::size_t clipped_rays = 0;  // left out: POV-Ray's hit is outside the box
  std::size_t recast_rays = 0;   // parity rays cast again after grazing an edge
};

Figures Judge(const Mesh& mesh, const Sidecar& sidecar);

// Thresholds of a class; unset ones are not checked.
struct Thresholds {
  std::string name;
  bool solid = true;                       // judge the points (volume error, split votes)
  std::optional<double> max_volume_error;  // a fraction
  std::optional<double> max_split_votes;
  std::optional<double> min_hit_agreement;  // a fraction
  std::optional<double> max_hit_error;      // over the diagonal
  std::optional<double> max_normal_error;   // degrees
};

// flat, curved, csg or surface; false for another name.
bool ClassThresholds(const std::string& name, Thresholds* thresholds);
// Applies "NAME" (a class) or "key=value" (max-volume-error=PCT,
// max-split-votes=N, min-hit-agreement=PCT, max-hit-error=X,
// max-normal-error=DEG). False with a message when not understood.
bool ApplySetting(const std::string& setting, Thresholds* thresholds, std::string* error);
// The settings on a "// judge: ..." line in the first lines of a case file.
bool ReadCaseSettings(const std::string& path, std::vector<std::string>* settings,
                      std::string* error);

// One line per threshold that fails; empty when all hold.
std::vector<std::string> Check(const Figures& figures, const Thresholds& thresholds);
std::string Report(const Figures& figures);

}  // namespace shapes

#endif  // TESTS_SHAPES_JUDGE_CORE_H_
