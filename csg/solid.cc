#include "csg/solid.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

#include "sdl/hasher.h"

namespace csg {

namespace {

shapes::Bounds Common(const shapes::Bounds& a, const shapes::Bounds& b) {
  shapes::Bounds out;
  out.min = {std::max(a.min.x, b.min.x), std::max(a.min.y, b.min.y), std::max(a.min.z, b.min.z)};
  out.max = {std::min(a.max.x, b.max.x), std::min(a.max.y, b.max.y), std::min(a.max.z, b.max.z)};
  return out;
}

shapes::Bounds OperandBounds(const Operand& operand) {
  return BoundsOf(*operand.solid).Transformed(operand.transform);
}

// Cuts `box` by the plane operand's half-space when the plane, placed, is
// square to an axis.
void LimitByPlane(const Operand& operand, shapes::Bounds& box) {
  const auto& plane = std::get<shapes::Plane>(operand.solid->shape.params);
  const double l = std::sqrt(plane.normal.x * plane.normal.x + plane.normal.y * plane.normal.y +
                             plane.normal.z * plane.normal.z);
  if (!(l > 0)) return;
  const sdl::Vec3 n{plane.normal.x / l, plane.normal.y / l, plane.normal.z / l};
  sdl::Vec3 placed = operand.transform.Normal(n);
  const double m = std::sqrt(placed.x * placed.x + placed.y * placed.y + placed.z * placed.z);
  if (!(m > 0)) return;
  placed = {placed.x / m, placed.y / m, placed.z / m};
  const sdl::Vec3 on =
      operand.transform.Point({n.x * plane.distance, n.y * plane.distance, n.z * plane.distance});
  double* lo[3] = {&box.min.x, &box.min.y, &box.min.z};
  double* hi[3] = {&box.max.x, &box.max.y, &box.max.z};
  const double axis[3] = {placed.x, placed.y, placed.z};
  const double at[3] = {on.x, on.y, on.z};
  for (int k = 0; k < 3; ++k) {
    if (std::fabs(std::fabs(axis[k]) - 1) > 1e-9) continue;
    if (axis[k] > 0) {
      *hi[k] = std::min(*hi[k], at[k]);
    } else {
      *lo[k] = std::max(*lo[k], at[k]);
    }
  }
}

}  // namespace

shapes::Bounds BoundsOf(const Solid& solid) {
  shapes::Bounds out;
  switch (solid.op) {
    case SolidOp::kShape:
      return shapes::BoundsOf(solid.shape);
    case SolidOp::kMesh:
      if (solid.mesh != nullptr) {
        for (const sdl::Vec3& v : solid.mesh->vertices) out.Add(v);
      }
      return out;
    case SolidOp::kMerge:
      for (const Operand& operand : solid.operands) out.Include(OperandBounds(operand));
      return out;
    case SolidOp::kIntersection:
    case SolidOp::kClip: {
      // Inverse operands bound nothing; a plane square to an axis bounds
      // that axis on its side (as POV-Ray's boxes do).
      bool first = true;
      std::vector<const Operand*> planes;
      for (const Operand& operand : solid.operands) {
        if (operand.solid->inverse ||
            (operand.solid->op == SolidOp::kShape && operand.solid->shape.inverse)) {
          continue;
        }
        if (operand.solid->op == SolidOp::kShape &&
            std::holds_alternative<shapes::Plane>(operand.solid->shape.params)) {
          planes.push_back(&operand);
          continue;
        }
        out = first ? OperandBounds(operand) : Common(out, OperandBounds(operand));
        first = false;
      }
      if (first && !planes.empty()) out = OperandBounds(*planes.front());
      for (const Operand* plane : planes) LimitByPlane(*plane, out);
      return out;
    }
    case SolidOp::kDifference:
      return solid.operands.empty() ? out : OperandBounds(solid.operands[0]);
  }
  return out;
}

bool Inside(const Solid& solid, const sdl::Vec3& p) {
  bool in = false;
  auto operand_inside = [&p](const Operand& operand) {
    return Inside(*operand.solid, operand.transform.Inverse().Point(p));
  };
  switch (solid.op) {
    case SolidOp::kShape:
      return shapes::Inside(solid.shape, p);
    case SolidOp::kMesh:
      in = false;  // a mesh without an inside_vector has no inside
      break;
    case SolidOp::kMerge:
      in = std::any_of(solid.operands.begin(), solid.operands.end(), operand_inside);
      break;
    case SolidOp::kIntersection:
    case SolidOp::kClip:
      in = !solid.operands.empty() &&
           std::all_of(solid.operands.begin(), solid.operands.end(), operand_inside);
      break;
    case SolidOp::kDifference:
      in = !solid.operands.empty() && operand_inside(solid.operands[0]) &&
           std::none_of(solid.operands.begin() + 1, solid.operands.end(), operand_inside);
      break;
  }
  return in != solid.inverse;
}

namespace {

using sdl::Hasher;

void AddContainer(const shapes::Container& c, Hasher& h) {
  h.Add(c.sphere);
  h.Add(c.corner1);
  h.Add(c.corner2);
  h.Add(c.centre);
  h.Add(c.radius);
}

void AddShape(const shapes::Shape& shape, Hasher& h) {
  h.Add(shape.params.index());
  h.Add(shape.inverse);
  std::visit(
      [&h](const auto& p) {
        using T = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<T, shapes::Box>) {
          h.Add(p.corner1);
          h.Add(p.corner2);
        } else if constexpr (std::is_same_v<T, shapes::Sphere>) {
          h.Add(p.center);
          h.Add(p.radius);
        } else if constexpr (std::is_same_v<T, shapes::Cone>) {
          h.Add(p.base);
          h.Add(p.cap);
          h.Add(p.base_radius);
          h.Add(p.cap_radius);
          h.Add(p.open);
        } else if constexpr (std::is_same_v<T, shapes::Torus>) {
          h.Add(p.major);
          h.Add(p.minor);
        } else if constexpr (std::is_same_v<T, shapes::Disc>) {
          h.Add(p.center);
          h.Add(p.normal);
          h.Add(p.radius);
          h.Add(p.hole);
        } else if constexpr (std::is_same_v<T, shapes::Plane>) {
          h.Add(p.normal);
          h.Add(p.distance);
        } else if constexpr (std::is_same_v<T, shapes::Superellipsoid>) {
          h.Add(p.e);
          h.Add(p.n);
        } else if constexpr (std::is_same_v<T, shapes::Polygon>) {
          h.Add(p.points);
        } else if constexpr (std::is_same_v<T, shapes::Prism>) {
          h.Add(p.spline);
          h.Add(p.conic);
          h.Add(p.open);
          h.Add(p.height1);
          h.Add(p.height2);
          h.Add(p.points);
        } else if constexpr (std::is_same_v<T, shapes::Lathe>) {
          h.Add(p.spline);
          h.Add(p.sor);
          h.Add(p.open);
          h.Add(p.points);
        } else if constexpr (std::is_same_v<T, shapes::Text>) {
          h.Add(p.outline.height2);
          h.Add(p.outline.points);
        } else if constexpr (std::is_same_v<T, shapes::SphereSweep>) {
          h.Add(p.spline);
          h.Add(p.centers);
          h.Add(p.radii);
        } else if constexpr (std::is_same_v<T, shapes::HeightField>) {
          h.Add(reinterpret_cast<uintptr_t>(p.heights.get()));
          h.Add(p.smooth);
          h.Add(p.water_level);
        } else if constexpr (std::is_same_v<T, shapes::Polynomial>) {
          h.Add(p.order);
          h.Add(p.coefficients);
        } else if constexpr (std::is_same_v<T, shapes::Isosurface>) {
          h.Add(p.function_id);
          h.Add(p.threshold);
          AddContainer(p.container, h);
          h.Add(p.open);
        } else if constexpr (std::is_same_v<T, shapes::Parametric>) {
          h.Add(p.function_id);
          h.Add(p.u0);
          h.Add(p.v0);
          h.Add(p.u1);
          h.Add(p.v1);
          AddContainer(p.container, h);
        } else if constexpr (std::is_same_v<T, shapes::JuliaFractal>) {
          for (double v : p.c) h.Add(v);
          h.Add(p.hypercomplex);
          h.Add(p.cube);
          h.Add(p.max_iteration);
          for (double v : p.slice) h.Add(v);
          h.Add(p.distance);
        } else if constexpr (std::is_same_v<T, shapes::Ovus>) {
          h.Add(p.bottom);
          h.Add(p.top);
        } else if constexpr (std::is_same_v<T, shapes::Lemon>) {
          h.Add(p.base);
          h.Add(p.cap);
          h.Add(p.base_radius);
          h.Add(p.cap_radius);
          h.Add(p.inner_radius);
          h.Add(p.open);
        } else if constexpr (std::is_same_v<T, shapes::BicubicPatch>) {
          for (const sdl::Vec3& q : p.points) h.Add(q);
          h.Add(p.u_steps);
          h.Add(p.v_steps);
        } else if constexpr (std::is_same_v<T, shapes::Blob>) {
          h.Add(p.threshold);
          h.Add(p.components.size());
          for (const shapes::BlobComponent& c : p.components) {
            h.Add(c.cylinder);
            h.Add(c.a);
            h.Add(c.b);
            h.Add(c.radius);
            h.Add(c.strength);
            double rows[12];
            c.to_local.Rows(rows);
            for (double r : rows) h.Add(r);
          }
        } else {
          static_assert(std::is_same_v<T, void>, "every kind of shape is fingerprinted");
        }
      },
      shape.params);
}

void AddSolid(const Solid& solid, Hasher& h) {
  h.Add(solid.op);
  h.Add(solid.inverse);
  switch (solid.op) {
    case SolidOp::kShape:
      AddShape(solid.shape, h);
      return;
    case SolidOp::kMesh:
      h.Add(reinterpret_cast<uintptr_t>(solid.mesh.get()));
      return;
    default:
      break;
  }
  h.Add(solid.operands.size());
  for (const Operand& operand : solid.operands) {
    double rows[12];
    operand.transform.Rows(rows);
    for (double r : rows) h.Add(r);
    AddSolid(*operand.solid, h);
  }
}

void AddTextures(const Solid& solid, Hasher& h) {
  for (const Operand& operand : solid.operands) {
    h.Add(operand.has_texture);
    if (operand.has_texture) {
      const sdl::MaterialSlot& t = operand.texture;
      h.Add(t.name.size());
      for (char c : t.name) h.Add(c);
      h.Add(t.defaulted);
      h.Add(t.has_color);
      for (double c : t.color) h.Add(c);
      h.Add(t.has_finish);
      const double finish[6] = {t.finish.phong,     t.finish.phong_size, t.finish.specular,
                                t.finish.roughness, t.finish.reflection, t.finish.metallic};
      for (double f : finish) h.Add(f);
    }
    AddTextures(*operand.solid, h);
  }
}

}  // namespace

uint64_t LookFingerprint(const Solid& solid) {
  Hasher h;
  AddSolid(solid, h);
  AddTextures(solid, h);
  return h.hash();
}

uint64_t Fingerprint(const Solid& solid) {
  Hasher h;
  AddSolid(solid, h);
  // 0 means "no id" to the boolean module.
  return h.hash() == 0 ? 1 : h.hash();
}

}  // namespace csg
