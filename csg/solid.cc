#include "csg/solid.h"

#include <algorithm>

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
    case SolidOp::kIntersection: {
      // Inverse operands bound nothing.
      bool first = true;
      for (const Operand& operand : solid.operands) {
        if (operand.solid->inverse ||
            (operand.solid->op == SolidOp::kShape && operand.solid->shape.inverse)) {
          continue;
        }
        out = first ? OperandBounds(operand) : Common(out, OperandBounds(operand));
        first = false;
      }
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

}  // namespace csg
