#include "shapes/arc_solid.h"

#include <algorithm>
#include <cmath>

#include "shapes/revolve.h"
#include "shapes/vec_math.h"

namespace shapes {

namespace {

// The radius of the arc at height h.
double ArcRadius(const ArcPiece& arc, double h) {
  const double d = h - arc.centre_h;
  return arc.centre_r + std::sqrt(std::max(0.0, arc.radius * arc.radius - d * d));
}

// The angle of the arc's point at height h, from its centre: -pi/2 at its
// bottom, pi/2 at its top.
double ArcAngle(const ArcPiece& arc, double h) {
  return std::asin(std::clamp((h - arc.centre_h) / arc.radius, -1.0, 1.0));
}

// The lemon's outline space: its base at the origin, its cap at y = 1.
Transform LemonFrame(const Lemon& lemon) {
  const Vec3 axis = vec::Sub(lemon.cap, lemon.base);
  const double length = vec::Length(axis);
  Transform frame = Transform::Scale({length, length, length});
  frame.Then(AxisFrame(lemon.base, vec::Scale(axis, 1 / length)));
  return frame;
}

}  // namespace

ArcOutline OvusOutline(const Ovus& ovus) {
  ArcOutline out;
  const double a = ovus.bottom, b = ovus.top;
  if (b >= 2 * a) {
    // The top sphere holds the bottom one: the ovus is that sphere.
    out.arcs.push_back({0, a, b, a - b, a + b});
    return out;
  }
  // The band: an arc of radius 2 * max(a, b) about (-h, v), tangent inside
  // to the bottom sphere (about the origin) and to the top one (about
  // (0, a)): its distances to their centres are its radius less theirs.
  const double big = 2 * std::max(a, b);
  double v, h;
  if (a > b) {
    v = 2 * b - a - b * b / (2 * a);
    h = std::sqrt(std::max(0.0, a * a - v * v));
  } else {
    v = a - 2 * b + 1.5 * b * b / a;
    h = std::sqrt(std::max(0.0, b * b - (v - a) * (v - a)));
  }
  // The tangent points lie on the lines from the band's centre through the
  // spheres' centres.
  const double low = v - big * v / (big - a);
  const double high = v + big * (a - v) / (big - b);
  out.arcs.push_back({0, 0, a, -a, low});
  out.arcs.push_back({-h, v, big, low, high});
  out.arcs.push_back({0, a, b, high, a + b});
  return out;
}

double LemonLeastInnerRadius(const Lemon& lemon) {
  const double length = vec::Length(vec::Sub(lemon.cap, lemon.base));
  if (!(length > 0)) return 0;
  const double a = lemon.base_radius / length, b = lemon.cap_radius / length;
  // The arc's centre is on the axis or beyond it when its distance from
  // the chord's middle is at least (a + b) / 2 across the axis.
  return length * std::sqrt(((a - b) * (a - b) + 1) * ((a + b) * (a + b) + 1)) / 2;
}

ArcOutline LemonOutline(const Lemon& lemon) {
  ArcOutline out;
  const double length = vec::Length(vec::Sub(lemon.cap, lemon.base));
  if (!(length > 0)) return out;
  const double a = lemon.base_radius / length, b = lemon.cap_radius / length;
  const double r = std::max(lemon.inner_radius, LemonLeastInnerRadius(lemon)) / length;
  // The centre: from the middle of the chord (a, 0)-(b, 1), across it
  // towards the axis, at the distance that makes both ends lie on the arc.
  const double chord = std::sqrt((b - a) * (b - a) + 1);
  const double reach = std::sqrt(std::max(0.0, r * r - chord * chord / 4));
  const double cr = (a + b) / 2 - reach / chord, ch = 0.5 + reach * (b - a) / chord;
  out.arcs.push_back({cr, ch, r, 0, 1});
  out.caps = !lemon.open;
  out.frame = LemonFrame(lemon);
  return out;
}

Bounds OvusBounds(const Ovus& ovus) {
  // POV-Ray's box: the band's widest circle, whether or not the band
  // reaches it.
  const ArcOutline outline = OvusOutline(ovus);
  double reach = 0;
  for (const ArcPiece& arc : outline.arcs) reach = std::max(reach, arc.centre_r + arc.radius);
  const double low = outline.arcs.front().h0, high = outline.arcs.back().h1;
  Bounds out;
  out.Add({-reach, low, -reach});
  out.Add({reach, high, reach});
  return out;
}

double LemonReach(const Lemon& lemon) {
  const ArcOutline outline = LemonOutline(lemon);
  if (outline.arcs.empty()) return 0;
  const ArcPiece& arc = outline.arcs.front();
  double reach = arc.centre_r + arc.radius;
  if (arc.centre_h < 0) reach = ArcRadius(arc, 0);
  if (arc.centre_h > 1) reach = ArcRadius(arc, 1);
  return reach * vec::Length(vec::Sub(lemon.cap, lemon.base));
}

bool InsideArcOutline(const ArcOutline& outline, const Vec3& p) {
  if (outline.arcs.empty() || !outline.frame.Invertible()) return false;
  const Vec3 q = outline.frame.Inverse().Point(p);
  const double r = std::hypot(q.x, q.z);
  for (const ArcPiece& arc : outline.arcs) {
    if (q.y >= arc.h0 && q.y <= arc.h1) return r < ArcRadius(arc, q.y);
  }
  return false;
}

void ArcOutlineMesh(const ArcOutline& outline, int n, MeshBuilder& out) {
  if (outline.arcs.empty()) return;
  const double step = 2 * M_PI / n;
  std::vector<OutlinePoint> line;
  const ArcPiece& first = outline.arcs.front();
  const ArcPiece& last = outline.arcs.back();
  const double r0 = ArcRadius(first, first.h0), r1 = ArcRadius(last, last.h1);
  const double height = last.h1 - first.h0;
  // The rings' steps stray tolerance * reach from the widest circle; an arc
  // of a larger radius strays more at the same angle, so takes smaller
  // steps (a chord's sag grows as the radius times the step squared).
  double reach = 0;
  for (const ArcPiece& arc : outline.arcs) {
    reach = std::max(
        {reach, ArcRadius(arc, arc.h0), ArcRadius(arc, arc.h1),
         arc.centre_h >= arc.h0 && arc.centre_h <= arc.h1 ? arc.centre_r + arc.radius : 0});
  }
  auto v_of = [&](double h) { return height > 0 ? (h - first.h0) / height : 0; };
  if (outline.caps && r0 > 0) {
    line.push_back({0, first.h0, 0, -1, 0});
    line.push_back({r0, first.h0, 0, -1, 0});
  }
  for (size_t i = 0; i < outline.arcs.size(); ++i) {
    const ArcPiece& arc = outline.arcs[i];
    if (!(arc.h1 > arc.h0) || !(arc.radius > 0)) continue;
    const double t0 = ArcAngle(arc, arc.h0), t1 = ArcAngle(arc, arc.h1);
    const double finer = reach > 0 ? std::sqrt(std::max(1.0, arc.radius / reach)) : 1;
    const int steps = std::max(1, static_cast<int>(std::ceil((t1 - t0) * finer / step)));
    // Between its ends an arc's points stand out by the factor that gives
    // its chords the arc's area; its ends stay on it, where it meets the
    // next piece.
    const double grow =
        EqualAreaFactor(std::max(3, static_cast<int>(2 * M_PI / ((t1 - t0) / steps))));
    for (int s = line.empty() || i == 0 ? 0 : 1; s <= steps; ++s) {
      const double t = t0 + (t1 - t0) * s / steps;
      const double k = s == 0 || s == steps ? 1 : grow;
      const double c = std::cos(t), sn = std::sin(t);
      const double r = std::max(0.0, arc.centre_r + arc.radius * k * c);
      const double h = s == 0 ? arc.h0 : s == steps ? arc.h1 : arc.centre_h + arc.radius * k * sn;
      line.push_back({r, h, c, sn, v_of(h)});
    }
  }
  if (outline.caps && r1 > 0) {
    line.push_back({r1, last.h1, 0, 1, 1});
    line.push_back({0, last.h1, 0, 1, 1});
  }
  Revolve(line, n, outline.frame, out);
}

}  // namespace shapes
