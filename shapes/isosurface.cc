#include "shapes/isosurface.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "implicit/mesher.h"

namespace shapes {

namespace {

// Below 0 inside the container, its distance outside it (about, for a box).
double ContainerField(const Isosurface& isosurface, const Vec3& p) {
  const Container& iso = isosurface.container;
  if (iso.sphere) {
    const Vec3 d{p.x - iso.centre.x, p.y - iso.centre.y, p.z - iso.centre.z};
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z) - std::fabs(iso.radius);
  }
  const Vec3 lo{std::min(iso.corner1.x, iso.corner2.x), std::min(iso.corner1.y, iso.corner2.y),
                std::min(iso.corner1.z, iso.corner2.z)};
  const Vec3 hi{std::max(iso.corner1.x, iso.corner2.x), std::max(iso.corner1.y, iso.corner2.y),
                std::max(iso.corner1.z, iso.corner2.z)};
  return std::max({lo.x - p.x, p.x - hi.x, lo.y - p.y, p.y - hi.y, lo.z - p.z, p.z - hi.z});
}

double Value(const Isosurface& iso, const Vec3& p) {
  return iso.function != nullptr ? (*iso.function)(p)-iso.threshold : HUGE_VAL;
}

}  // namespace

Bounds IsosurfaceBounds(const Isosurface& isosurface) {
  const Container& iso = isosurface.container;
  Bounds out;
  if (iso.sphere) {
    const double r = std::fabs(iso.radius);
    out.Add({iso.centre.x - r, iso.centre.y - r, iso.centre.z - r});
    out.Add({iso.centre.x + r, iso.centre.y + r, iso.centre.z + r});
  } else {
    out.Add(iso.corner1);
    out.Add(iso.corner2);
  }
  return out;
}

bool InsideIsosurface(const Isosurface& iso, const Vec3& p) {
  return ContainerField(iso, p) <= 0 && Value(iso, p) < 0;
}

int IsosurfaceCells(double tolerance) {
  const double t = std::clamp(std::isfinite(tolerance) ? tolerance : 0.005, 1e-6, 0.5);
  return static_cast<int>(std::clamp(std::ceil(2.5 / std::sqrt(t)), 12.0, 160.0));
}

void IsosurfaceMesh(const Isosurface& iso, double tolerance, MeshBuilder& out) {
  if (iso.function == nullptr) return;
  const Bounds box = IsosurfaceBounds(iso);
  const double size =
      std::max({box.max.x - box.min.x, box.max.y - box.min.y, box.max.z - box.min.z});
  if (!(size > 0) || !std::isfinite(size)) return;
  const double cell = size / IsosurfaceCells(tolerance);
  // Closed: outside the container counts as outside. Open: the function
  // alone, over the container's box (a sphere's cut follows the cells).
  const auto field = [&iso](const Vec3& p) {
    const double inside = Value(iso, p);
    return iso.open ? inside : std::max(inside, ContainerField(iso, p));
  };
  implicit::Grid grid;
  const double margin = iso.open ? 0 : cell;
  grid.min = {box.min.x - margin, box.min.y - margin, box.min.z - margin};
  grid.max = {box.max.x + margin, box.max.y + margin, box.max.z + margin};
  grid.cell = cell;
  if (iso.function_many != nullptr) {
    grid.many = [&iso](const double* xs, const double* ys, const double* zs, size_t count,
                       double* out) {
      (*iso.function_many)(xs, ys, zs, count, out);
      for (size_t i = 0; i < count; ++i) {
        out[i] -= iso.threshold;
        if (!iso.open) out[i] = std::max(out[i], ContainerField(iso, {xs[i], ys[i], zs[i]}));
      }
    };
  }
  implicit::Surface surface;
  constexpr int64_t kMostTriangles = 8'000'000;
  implicit::MeshSurface(field, grid, kMostTriangles, surface);
  if (iso.open && iso.container.sphere) {
    // Only the faces within the sphere.
    auto& t = surface.triangles;
    t.erase(std::remove_if(
                t.begin(), t.end(),
                [&](const std::array<uint32_t, 3>& f) {
                  const Vec3 &a = surface.positions[f[0]], &b = surface.positions[f[1]],
                             &c = surface.positions[f[2]];
                  const Vec3 m{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3};
                  return ContainerField(iso, m) > 0;
                }),
            t.end());
  }
  out.Surface(std::move(surface), std::clamp(tolerance, 1e-6, 0.5) * size * 0.25);
}

IsosurfaceSurvey SurveyIsosurface(const Isosurface& iso, const sdl::MeshData& mesh,
                                  double tolerance) {
  IsosurfaceSurvey survey;
  if (iso.function == nullptr) return survey;
  const Bounds box = IsosurfaceBounds(iso);
  const double size =
      std::max({box.max.x - box.min.x, box.max.y - box.min.y, box.max.z - box.min.z});
  if (!(size > 0) || !std::isfinite(size)) return survey;
  const double cell = size / IsosurfaceCells(tolerance);
  // A grid through the container's middle planes, where a division by a
  // coordinate meets its zero.
  constexpr int kSteps = 16;
  for (int k = 0; k <= kSteps && !survey.not_a_number; ++k) {
    for (int j = 0; j <= kSteps && !survey.not_a_number; ++j) {
      for (int i = 0; i <= kSteps; ++i) {
        const Vec3 p{box.min.x + (box.max.x - box.min.x) * i / kSteps,
                     box.min.y + (box.max.y - box.min.y) * j / kSteps,
                     box.min.z + (box.max.z - box.min.z) * k / kSteps};
        if (ContainerField(iso, p) <= 0 && !std::isfinite(Value(iso, p))) {
          survey.not_a_number = true;
          survey.where_not_a_number = p;
          break;
        }
      }
    }
  }
  // The function's own surface: the points of the mesh inside the
  // container (those on it, found to a billionth of a cell, are of the
  // container's faces).
  std::vector<Vec3> own;
  for (const Vec3& p : mesh.vertices) {
    if (ContainerField(iso, p) < -cell * 1e-6) own.push_back(p);
  }
  if (own.empty()) {
    // No surface of its own in the mesh: all inside, all outside, or both
    // in parts thinner than the cells (points spread through the
    // container tell).
    int inside = 0, outside = 0;
    constexpr int kSamples = 4096;
    uint32_t state = 12345;
    auto next = [&state] {
      state = state * 1664525u + 1013904223u;
      return (state >> 8) / 16777216.0;
    };
    for (int i = 0; i < kSamples; ++i) {
      const Vec3 p{box.min.x + (box.max.x - box.min.x) * next(),
                   box.min.y + (box.max.y - box.min.y) * next(),
                   box.min.z + (box.max.z - box.min.z) * next()};
      if (ContainerField(iso, p) > 0) continue;
      const double v = Value(iso, p);
      if (v < 0) {
        ++inside;
      } else if (v > 0) {
        ++outside;
      }
    }
    survey.crosses = false;
    survey.thinner_than_cells = inside > 0 && outside > 0;
    survey.cell = cell;
    const Vec3 centre{(box.min.x + box.max.x) / 2, (box.min.y + box.max.y) / 2,
                      (box.min.z + box.max.z) / 2};
    survey.below_everywhere = inside > 0 ? outside == 0 : Value(iso, centre) < 0;
    return survey;
  }
  // The slope by central differences a hundredth of a cell wide.
  constexpr size_t kMostPoints = 4000;
  const size_t step = std::max<size_t>(1, own.size() / kMostPoints);
  const double h = cell / 100;
  for (size_t i = 0; i < own.size(); i += step) {
    const Vec3& p = own[i];
    const double gx = Value(iso, {p.x + h, p.y, p.z}) - Value(iso, {p.x - h, p.y, p.z});
    const double gy = Value(iso, {p.x, p.y + h, p.z}) - Value(iso, {p.x, p.y - h, p.z});
    const double gz = Value(iso, {p.x, p.y, p.z + h}) - Value(iso, {p.x, p.y, p.z - h});
    const double slope = std::sqrt(gx * gx + gy * gy + gz * gz) / (2 * h);
    if (std::isfinite(slope)) survey.steepest = std::max(survey.steepest, slope);
  }
  return survey;
}

}  // namespace shapes
