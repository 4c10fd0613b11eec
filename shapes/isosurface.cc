#include "shapes/isosurface.h"

#include <algorithm>
#include <cmath>

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

}  // namespace shapes
