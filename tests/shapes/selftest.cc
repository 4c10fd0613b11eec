// Shows that shape_judge measures what it should, with meshes made here
// against POV-Ray's own unit sphere and box (selftest/*.pov, sampled by
// sample.py):
//   shape_judge_selftest SPHERE_SIDECAR BOX_SIDECAR
// - UV spheres of 8, 16, 32 and 64 segments a circle: the volume error falls
//   as 1/n^2, close to 23.4, 6.3, 1.5 and 0.34 % (within 30 %), no split votes;
// - the same sphere with every other triangle turned over: the same figures
//   (inside is counted by parity, winding plays no part);
// - an exact box: every point and every ray agrees;
// - a sphere with one triangle removed: split votes, and the class fails;
// - a coarse sphere and a box moved by 1 % fail their classes.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "judge_core.h"

namespace {

int failures = 0;

void Expect(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
  if (!ok) ++failures;
}

// n segments around the z axis, n/2 bands from pole to pole, vertices on
// the unit sphere, fans at the poles.
shapes::Mesh UvSphere(int n) {
  shapes::Mesh mesh;
  const int bands = n / 2;
  mesh.vertices.push_back({0, 0, 1});
  for (int ring = 1; ring < bands; ++ring) {
    const double polar = M_PI * ring / bands;
    for (int k = 0; k < n; ++k) {
      const double azimuth = 2 * M_PI * k / n;
      mesh.vertices.push_back({std::sin(polar) * std::cos(azimuth),
                               std::sin(polar) * std::sin(azimuth), std::cos(polar)});
    }
  }
  mesh.vertices.push_back({0, 0, -1});
  const auto at = [n](int ring, int k) { return std::uint32_t(1 + (ring - 1) * n + (k % n)); };
  const std::uint32_t south = std::uint32_t(mesh.vertices.size() - 1);
  for (int k = 0; k < n; ++k) {
    mesh.triangles.push_back({0, at(1, k), at(1, k + 1)});
    for (int ring = 1; ring + 1 < bands; ++ring) {
      mesh.triangles.push_back({at(ring, k), at(ring + 1, k), at(ring + 1, k + 1)});
      mesh.triangles.push_back({at(ring, k), at(ring + 1, k + 1), at(ring, k + 1)});
    }
    mesh.triangles.push_back({at(bands - 1, k), south, at(bands - 1, k + 1)});
  }
  return mesh;
}

// The volume a closed mesh encloses (tetrahedra from the origin).
double Volume(const shapes::Mesh& mesh) {
  double sum = 0;
  for (const auto& t : mesh.triangles) {
    const shapes::Vec3 &a = mesh.vertices[t[0]], &b = mesh.vertices[t[1]], &c = mesh.vertices[t[2]];
    sum += a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) +
           a.z * (b.x * c.y - b.y * c.x);
  }
  return std::fabs(sum) / 6;
}

shapes::Mesh Box(shapes::Vec3 lo, shapes::Vec3 hi) {
  shapes::Mesh mesh;
  for (int i = 0; i < 8; ++i) {
    mesh.vertices.push_back({i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z});
  }
  const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                           {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& q : quads) {
    mesh.triangles.push_back({std::uint32_t(q[0]), std::uint32_t(q[1]), std::uint32_t(q[2])});
    mesh.triangles.push_back({std::uint32_t(q[0]), std::uint32_t(q[2]), std::uint32_t(q[3])});
  }
  return mesh;
}

shapes::Thresholds Class(const std::string& name) {
  shapes::Thresholds t;
  shapes::ClassThresholds(name, &t);
  return t;
}

std::string Percent(double fraction) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g %%", fraction * 100);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: shape_judge_selftest SPHERE_SIDECAR BOX_SIDECAR\n");
    return 2;
  }
  shapes::Sidecar sphere, box;
  std::string error;
  if (!shapes::ReadSidecar(argv[1], &sphere, &error) ||
      !shapes::ReadSidecar(argv[2], &box, &error)) {
    std::fprintf(stderr, "shape_judge_selftest: %s\n", error.c_str());
    return 2;
  }

  std::printf("UV spheres against POV-Ray's unit sphere (%zu points, %zu rays)\n",
              sphere.points.size(), sphere.rays.size());
  std::printf(
      "segments  triangles  volume error  split votes  hit agreement  hit error p99  "
      "normal error p99\n");
  const int segments[] = {8, 16, 32, 64};
  const double expected[] = {0.234, 0.063, 0.015, 0.0034};
  const std::size_t triangles[] = {48, 224, 960, 3968};
  std::vector<shapes::Figures> figures;
  for (int i = 0; i < 4; ++i) {
    figures.push_back(shapes::Judge(UvSphere(segments[i]), sphere));
    const shapes::Figures& f = figures.back();
    std::printf("%8d  %9zu  %10.3f %%  %11zu  %11.2f %%  %13.2e  %12.2f deg\n", segments[i],
                f.triangles, f.volume_error.value_or(0) * 100, f.split_votes, f.hit_agreement * 100,
                f.hit_error_p99, f.normal_error_p99);
  }
  for (int i = 0; i < 4; ++i) {
    const shapes::Figures& f = figures[i];
    const std::string name = std::to_string(segments[i]) + " segments: ";
    Expect(f.triangles == triangles[i], name + std::to_string(f.triangles) + " triangles");
    Expect(f.volume_error && std::fabs(*f.volume_error / expected[i] - 1) <= 0.3,
           name + "volume error " + Percent(f.volume_error.value_or(0)) + " within 30 % of " +
               Percent(expected[i]));
    Expect(f.split_votes == 0, name + "no split votes");
    // A UV sphere lies inside the sphere, so the points that disagree are a
    // binomial sample of the volume between them: within four standard
    // deviations of what the mesh's exact volume predicts.
    const double box_volume =
        (sphere.hi.x - sphere.lo.x) * (sphere.hi.y - sphere.lo.y) * (sphere.hi.z - sphere.lo.z);
    const double share = (4 * M_PI / 3 - Volume(UvSphere(segments[i]))) / box_volume;
    const double mean = share * double(f.points);
    const double deviations = (double(f.disagree) - mean) / std::sqrt(mean * (1 - share));
    char text[160];
    std::snprintf(text, sizeof text,
                  "%d segments: %zu points disagree, %.1f expected from the exact volume "
                  "(%+.1f standard deviations)",
                  segments[i], f.disagree, mean, deviations);
    Expect(std::fabs(deviations) <= 4, text);
  }
  Expect(shapes::Check(figures[3], Class("curved")).empty(), "64 segments pass class curved");
  Expect(!shapes::Check(figures[0], Class("curved")).empty(), "8 segments fail class curved");

  shapes::Mesh turned = UvSphere(32);
  for (std::size_t i = 0; i < turned.triangles.size(); i += 2) {
    std::swap(turned.triangles[i][1], turned.triangles[i][2]);
  }
  const shapes::Figures t = shapes::Judge(turned, sphere);
  Expect(t.disagree == figures[2].disagree && t.split_votes == 0 &&
             t.hit_agree == figures[2].hit_agree,
         "every other triangle turned over: the same figures");

  shapes::Mesh holed = UvSphere(32);
  holed.triangles.erase(holed.triangles.begin() + 100);
  const shapes::Figures h = shapes::Judge(holed, sphere);
  Expect(h.split_votes > 0,
         "one triangle removed: " + std::to_string(h.split_votes) + " split votes");
  Expect(!shapes::Check(h, Class("curved")).empty(), "one triangle removed: class curved fails");

  // The corners of selftest/box.pov.
  const shapes::Vec3 lo{-1, -0.5, -2}, hi{2, 1, 0.5};
  const shapes::Figures b = shapes::Judge(Box(lo, hi), box);
  std::printf("exact box:\n%s", shapes::Report(b).c_str());
  Expect(b.disagree == 0 && b.split_votes == 0 && b.povray_inside > 0,
         "exact box: every point agrees");
  Expect(b.hit_agree == b.rays && b.both_hit > 0, "exact box: every ray agrees");
  Expect(b.hit_error_p99 < 1e-9, "exact box: hit error p99 below 1e-9 of the diagonal");
  Expect(shapes::Check(b, Class("flat")).empty(), "exact box passes class flat");
  const double shift = 0.01 * 3;  // 1 % of the box's longest side
  const shapes::Figures moved =
      shapes::Judge(Box({lo.x + shift, lo.y, lo.z}, {hi.x + shift, hi.y, hi.z}), box);
  Expect(!shapes::Check(moved, Class("flat")).empty(), "box moved by 1 %: class flat fails");

  std::printf("%s\n", failures ? "self-test FAILED" : "self-test passed");
  return failures ? 1 : 0;
}
