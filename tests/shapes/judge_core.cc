#include "judge_core.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace shapes {
namespace {

Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator*(const Vec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(const Vec3& a) { return std::sqrt(Dot(a, a)); }
double At(const Vec3& a, int axis) { return axis == 0 ? a.x : axis == 1 ? a.y : a.z; }

struct Box {
  Vec3 lo{HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  void Add(const Vec3& p) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
};

// What a ray does at one triangle. A graze touches an edge or a vertex, lies
// in the triangle's plane or starts on it: a parity count cannot use it.
enum class Touch { kMiss, kHit, kGraze };

// The watertight ray-triangle test of Woop, Benthin and Wald (2013): the
// ray becomes the z axis of a sheared space, and the three edge functions
// are 2D cross products of the sheared vertices. Two triangles sharing an
// edge compute that edge's function from the same numbers (negated or not),
// so a ray through the edge is inside exactly one of them unless the value
// is exactly zero, which is reported as a graze.
class ShearedRay {
 public:
  ShearedRay(const Vec3& origin, const Vec3& direction) : origin_(origin) {
    const double ax = std::fabs(direction.x), ay = std::fabs(direction.y),
                 az = std::fabs(direction.z);
    kz_ = ax > ay ? (ax > az ? 0 : 2) : (ay > az ? 1 : 2);
    kx_ = (kz_ + 1) % 3;
    ky_ = (kx_ + 1) % 3;
    if (At(direction, kz_) < 0) std::swap(kx_, ky_);
    const double dz = At(direction, kz_);
    sx_ = At(direction, kx_) / dz;
    sy_ = At(direction, ky_) / dz;
    sz_ = 1.0 / dz;
  }

  Touch Intersect(const Vec3& a, const Vec3& b, const Vec3& c, double* t) const {
    const Vec3 pa = a - origin_, pb = b - origin_, pc = c - origin_;
    const double ax = At(pa, kx_) - sx_ * At(pa, kz_), ay = At(pa, ky_) - sy_ * At(pa, kz_);
    const double bx = At(pb, kx_) - sx_ * At(pb, kz_), by = At(pb, ky_) - sy_ * At(pb, kz_);
    const double cx = At(pc, kx_) - sx_ * At(pc, kz_), cy = At(pc, ky_) - sy_ * At(pc, kz_);
    const double u = cx * by - cy * bx;
    const double v = ax * cy - ay * cx;
    const double w = bx * ay - by * ax;
    if ((u < 0 || v < 0 || w < 0) && (u > 0 || v > 0 || w > 0)) return Touch::kMiss;
    const double det = u + v + w;
    if (det == 0) return Touch::kGraze;  // all three zero: the ray lies in the plane
    const double big_t = u * sz_ * At(pa, kz_) + v * sz_ * At(pb, kz_) + w * sz_ * At(pc, kz_);
    *t = big_t / det;
    if (*t < 0) return Touch::kMiss;
    if (*t == 0 || u == 0 || v == 0 || w == 0) return Touch::kGraze;
    return Touch::kHit;
  }

 private:
  Vec3 origin_;
  int kx_, ky_, kz_;
  double sx_, sy_, sz_;
};

// A bounding-volume tree over the triangles: median splits along the
// longest axis of the centroids, up to four triangles a leaf. Boxes are
// grown a little so that rounding in the slab test never drops a triangle.
class Bvh {
 public:
  explicit Bvh(const Mesh& mesh) : mesh_(mesh) {
    for (std::uint32_t i = 0; i < mesh.triangles.size(); ++i) {
      const auto& tri = mesh.triangles[i];
      const Vec3 n = Cross(Corner(i, 1) - Corner(i, 0), Corner(i, 2) - Corner(i, 0));
      if (Length(n) > 0 && tri[0] != tri[1] && tri[1] != tri[2] && tri[0] != tri[2]) {
        order_.push_back(i);  // a triangle without area changes no count
      }
    }
    Box all;
    for (const Vec3& v : mesh.vertices) all.Add(v);
    margin_ = mesh.vertices.empty() ? 0 : 1e-9 * (Length(all.hi - all.lo) + 1e-300);
    if (!order_.empty()) {
      nodes_.emplace_back();
      Build(0, 0, static_cast<std::uint32_t>(order_.size()));
    }
  }

  const Vec3& Corner(std::uint32_t triangle, int k) const {
    return mesh_.vertices[mesh_.triangles[triangle][k]];
  }

  // Calls visit(triangle) for each triangle whose box the ray may cross.
  template <class Visit>
  void Walk(const Vec3& origin, const Vec3& direction, Visit&& visit) const {
    if (nodes_.empty()) return;
    std::uint32_t stack[128];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
      const Node& node = nodes_[stack[--top]];
      if (!Crosses(node.box, origin, direction)) continue;
      if (node.count > 0) {
        for (std::uint32_t i = 0; i < node.count; ++i) visit(order_[node.first + i]);
      } else {
        stack[top++] = node.first;
        stack[top++] = node.first + 1;
      }
    }
  }

 private:
  struct Node {
    Box box;
    std::uint32_t first = 0;  // the first child, or the first triangle of a leaf
    std::uint32_t count = 0;  // triangles of a leaf; 0 for an inner node
  };

  // Fills node `slot` with the triangles order_[begin, end); children are
  // stored side by side.
  void Build(std::uint32_t slot, std::uint32_t begin, std::uint32_t end) {
    Box box, centres;
    for (std::uint32_t i = begin; i < end; ++i) {
      for (int k = 0; k < 3; ++k) box.Add(Corner(order_[i], k));
      centres.Add(Centre(order_[i]));
    }
    box.lo = box.lo - Vec3{margin_, margin_, margin_};
    box.hi = box.hi + Vec3{margin_, margin_, margin_};
    nodes_[slot].box = box;
    if (end - begin <= 4) {
      nodes_[slot].first = begin;
      nodes_[slot].count = end - begin;
      return;
    }
    const Vec3 size = centres.hi - centres.lo;
    const int axis = size.x > size.y ? (size.x > size.z ? 0 : 2) : (size.y > size.z ? 1 : 2);
    const std::uint32_t middle = begin + (end - begin) / 2;
    std::nth_element(order_.begin() + begin, order_.begin() + middle, order_.begin() + end,
                     [&](std::uint32_t a, std::uint32_t b) {
                       return At(Centre(a), axis) < At(Centre(b), axis);
                     });
    const std::uint32_t left = static_cast<std::uint32_t>(nodes_.size());
    nodes_.emplace_back();
    nodes_.emplace_back();
    nodes_[slot].first = left;
    nodes_[slot].count = 0;
    Build(left, begin, middle);
    Build(left + 1, middle, end);
  }

  Vec3 Centre(std::uint32_t triangle) const {
    return (Corner(triangle, 0) + Corner(triangle, 1) + Corner(triangle, 2)) * (1.0 / 3);
  }

  static bool Crosses(const Box& box, const Vec3& o, const Vec3& d) {
    double near = 0, far = HUGE_VAL;
    for (int axis = 0; axis < 3; ++axis) {
      const double lo = At(box.lo, axis), hi = At(box.hi, axis);
      const double oa = At(o, axis), da = At(d, axis);
      if (da == 0) {
        if (oa < lo || oa > hi) return false;
        continue;
      }
      double t0 = (lo - oa) / da, t1 = (hi - oa) / da;
      if (t0 > t1) std::swap(t0, t1);
      near = std::max(near, t0);
      far = std::min(far, t1);
      if (near > far) return false;
    }
    return true;
  }

  const Mesh& mesh_;
  std::vector<std::uint32_t> order_;
  std::vector<Node> nodes_;
  double margin_ = 0;
};

// The parity of the crossings along a ray close to +x, +y or +z. The
// direction is tilted by a small deterministic amount (a different one on
// each attempt) so that a ray along a face or through an edge, likely with
// axis-aligned meshes, is cast again instead of counted wrong.
bool Parity(const Bvh& bvh, const Vec3& point, int axis, std::size_t* recasts) {
  for (int attempt = 0;; ++attempt) {
    const double a = std::fmod(0.3819660113 + attempt * 0.6180339887, 1.0) - 0.5;
    const double b = std::fmod(0.7548776662 + attempt * 0.5698402910, 1.0) - 0.5;
    Vec3 direction;
    const double tilt = 2e-3;
    if (axis == 0) direction = {1, a * tilt, b * tilt};
    if (axis == 1) direction = {b * tilt, 1, a * tilt};
    if (axis == 2) direction = {a * tilt, b * tilt, 1};
    const ShearedRay ray(point, direction);
    int crossings = 0;
    bool grazed = false;
    bvh.Walk(point, direction, [&](std::uint32_t tri) {
      double t = 0;
      const Touch touch =
          ray.Intersect(bvh.Corner(tri, 0), bvh.Corner(tri, 1), bvh.Corner(tri, 2), &t);
      if (touch == Touch::kHit) ++crossings;
      if (touch == Touch::kGraze) grazed = true;
    });
    if (!grazed || attempt == 15) return crossings % 2 == 1;
    ++*recasts;
  }
}

bool InBox(const Vec3& p, const Sidecar& sidecar, double diagonal) {
  const double slack = 1e-6 * diagonal;
  return p.x >= sidecar.lo.x - slack && p.x <= sidecar.hi.x + slack &&
         p.y >= sidecar.lo.y - slack && p.y <= sidecar.hi.y + slack &&
         p.z >= sidecar.lo.z - slack && p.z <= sidecar.hi.z + slack;
}

double Percentile99(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t rank = static_cast<std::size_t>(std::ceil(0.99 * values.size()));
  return values[std::max<std::size_t>(rank, 1) - 1];
}

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

bool ReadObj(const std::string& path, Mesh* mesh, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = "cannot read " + path;
    return false;
  }
  std::string line;
  int number = 0;
  std::vector<long> face;
  while (std::getline(in, line)) {
    ++number;
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "v") {
      Vec3 v;
      if (!(words >> v.x >> v.y >> v.z)) {
        *error = path + ":" + std::to_string(number) + ": a v line without three numbers";
        return false;
      }
      mesh->vertices.push_back(v);
    } else if (kind == "f") {
      face.clear();
      std::string corner;
      while (words >> corner) {
        char* end = nullptr;
        long index = std::strtol(corner.c_str(), &end, 10);
        if (end == corner.c_str() || index == 0) {
          *error = path + ":" + std::to_string(number) + ": a bad vertex index '" + corner + "'";
          return false;
        }
        if (index < 0) index += static_cast<long>(mesh->vertices.size()) + 1;
        if (index < 1 || index > static_cast<long>(mesh->vertices.size())) {
          *error = path + ":" + std::to_string(number) + ": vertex " + corner + " out of range";
          return false;
        }
        face.push_back(index - 1);
      }
      for (std::size_t k = 2; k < face.size(); ++k) {
        mesh->triangles.push_back({static_cast<std::uint32_t>(face[0]),
                                   static_cast<std::uint32_t>(face[k - 1]),
                                   static_cast<std::uint32_t>(face[k])});
      }
    }
  }
  return true;
}

bool WriteObj(const std::string& path, const Mesh& mesh) {
  std::FILE* out = std::fopen(path.c_str(), "w");
  if (!out) return false;
  for (const Vec3& v : mesh.vertices) std::fprintf(out, "v %.17g %.17g %.17g\n", v.x, v.y, v.z);
  for (const auto& t : mesh.triangles)
    std::fprintf(out, "f %u %u %u\n", t[0] + 1, t[1] + 1, t[2] + 1);
  return std::fclose(out) == 0;
}

bool ReadSidecar(const std::string& path, Sidecar* sidecar, std::string* error) {
  std::ifstream in(path);
  std::string line;
  if (!in || !std::getline(in, line) || line != "shape-sidecar 1") {
    *error = path + ": not a sidecar written by sample.py";
    return false;
  }
  std::size_t points = 0;
  bool have_box = false;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string key;
    words >> key;
    if (key == "box") {
      Vec3& lo = sidecar->lo;
      Vec3& hi = sidecar->hi;
      have_box = static_cast<bool>(words >> lo.x >> lo.y >> lo.z >> hi.x >> hi.y >> hi.z);
    } else if (key == "clip") {
      int clip = 0;
      words >> clip;
      sidecar->clip = clip != 0;
    } else if (key == "points") {
      words >> points;
      break;
    }
  }
  if (!have_box || points == 0) {
    *error = path + ": no box or no points";
    return false;
  }
  for (std::size_t i = 0; i < points; ++i) {
    Vec3 p;
    int inside = 0;
    if (!(in >> p.x >> p.y >> p.z >> inside)) {
      *error = path + ": point " + std::to_string(i + 1) + " unreadable";
      return false;
    }
    sidecar->points.push_back(p);
    sidecar->inside.push_back(inside != 0);
  }
  std::string key;
  std::size_t rays = 0;
  if (!(in >> key >> rays) || key != "rays") {
    *error = path + ": no rays after the points";
    return false;
  }
  for (std::size_t i = 0; i < rays; ++i) {
    Ray r;
    if (!(in >> r.origin.x >> r.origin.y >> r.origin.z >> r.direction.x >> r.direction.y >>
          r.direction.z >> r.hit.x >> r.hit.y >> r.hit.z >> r.normal.x >> r.normal.y >>
          r.normal.z)) {
      *error = path + ": ray " + std::to_string(i + 1) + " unreadable";
      return false;
    }
    sidecar->rays.push_back(r);
  }
  return true;
}

Figures Judge(const Mesh& mesh, const Sidecar& sidecar) {
  Figures f;
  f.triangles = mesh.triangles.size();
  const Bvh bvh(mesh);

  f.points = sidecar.points.size();
  for (std::size_t i = 0; i < sidecar.points.size(); ++i) {
    int votes = 0;
    for (int axis = 0; axis < 3; ++axis) {
      votes += Parity(bvh, sidecar.points[i], axis, &f.recast_rays) ? 1 : 0;
    }
    if (votes == 1 || votes == 2) ++f.split_votes;
    const bool inside = votes >= 2;
    if (sidecar.inside[i]) ++f.povray_inside;
    if (inside != static_cast<bool>(sidecar.inside[i])) ++f.disagree;
  }
  if (f.povray_inside > 0) f.volume_error = double(f.disagree) / double(f.povray_inside);

  const double diagonal = Length(sidecar.hi - sidecar.lo);
  std::vector<double> hit_errors, normal_errors;
  for (const Ray& r : sidecar.rays) {
    // With an explicit box (an infinite shape) hits count inside it only: the
    // shape is judged as clipped to the box. A ray whose first POV-Ray hit
    // lies outside is left out, since what it meets later is unknown.
    const bool povray_hit = Dot(r.normal, r.normal) > 0;
    if (sidecar.clip && povray_hit && !InBox(r.hit, sidecar, diagonal)) {
      ++f.clipped_rays;
      continue;
    }
    const ShearedRay ray(r.origin, r.direction);
    double nearest = HUGE_VAL;
    std::uint32_t nearest_tri = 0;
    bvh.Walk(r.origin, r.direction, [&](std::uint32_t tri) {
      double t = 0;
      const Touch touch =
          ray.Intersect(bvh.Corner(tri, 0), bvh.Corner(tri, 1), bvh.Corner(tri, 2), &t);
      if (touch != Touch::kMiss && t > 0 && t < nearest &&
          (!sidecar.clip || InBox(r.origin + r.direction * t, sidecar, diagonal))) {
        nearest = t;
        nearest_tri = tri;
      }
    });
    const bool mesh_hit = nearest < HUGE_VAL;
    if (mesh_hit == povray_hit) ++f.hit_agree;
    if (!mesh_hit || !povray_hit) continue;
    ++f.both_hit;
    const Vec3 hit = r.origin + r.direction * nearest;
    hit_errors.push_back(Length(hit - r.hit) / diagonal);
    const Vec3 n = Cross(bvh.Corner(nearest_tri, 1) - bvh.Corner(nearest_tri, 0),
                         bvh.Corner(nearest_tri, 2) - bvh.Corner(nearest_tri, 0));
    const double cosine = std::fabs(Dot(n, r.normal)) / (Length(n) * Length(r.normal));
    normal_errors.push_back(std::acos(std::min(1.0, cosine)) * 180 / M_PI);
  }
  f.rays = sidecar.rays.size() - f.clipped_rays;
  f.hit_agreement = f.rays ? double(f.hit_agree) / double(f.rays) : 1;
  f.hit_error_p99 = Percentile99(hit_errors);
  f.normal_error_p99 = Percentile99(normal_errors);
  return f;
}

bool ClassThresholds(const std::string& name, Thresholds* t) {
  *t = Thresholds();
  t->name = name;
  if (name == "flat") {
    t->max_volume_error = 0.0005;
    t->max_split_votes = 0;
    t->min_hit_agreement = 0.999;
    t->max_hit_error = 1e-4;
  } else if (name == "curved" || name == "csg") {
    t->max_volume_error = 0.01;
    t->max_split_votes = 0;
    t->min_hit_agreement = 0.995;
    t->max_hit_error = 5e-3;
  } else if (name == "implicit") {
    // Shapes meshed from their equation (polynomials, isosurfaces, blobs).
    t->max_volume_error = 0.02;
    t->max_split_votes = 0;
    t->min_hit_agreement = 0.99;
    t->max_hit_error = 1e-2;
  } else if (name == "surface") {
    t->solid = false;
    t->min_hit_agreement = 0.995;
    t->max_hit_error = 5e-3;
  } else {
    return false;
  }
  return true;
}

bool ApplySetting(const std::string& setting, Thresholds* t, std::string* error) {
  const std::size_t equals = setting.find('=');
  if (equals == std::string::npos) {
    if (ClassThresholds(setting, t)) return true;
    *error = "unknown class '" + setting + "' (flat, curved, csg, implicit or surface)";
    return false;
  }
  const std::string key = setting.substr(0, equals);
  const std::string text = setting.substr(equals + 1);
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value)) {
    *error = "'" + setting + "': not a number after '='";
    return false;
  }
  if (key == "max-volume-error") {
    t->max_volume_error = value / 100;
  } else if (key == "max-split-votes") {
    t->max_split_votes = value;
  } else if (key == "min-hit-agreement") {
    t->min_hit_agreement = value / 100;
  } else if (key == "max-hit-error") {
    t->max_hit_error = value;
  } else if (key == "max-normal-error") {
    t->max_normal_error = value;
  } else {
    *error = "unknown threshold '" + key + "'";
    return false;
  }
  return true;
}

bool ReadCaseSettings(const std::string& path, std::vector<std::string>* settings,
                      std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = "cannot read " + path;
    return false;
  }
  std::string line;
  for (int number = 0; number < 10 && std::getline(in, line); ++number) {
    const std::size_t at = line.find("// judge:");
    if (at != 0) continue;
    std::istringstream words(line.substr(9));
    std::string word;
    while (words >> word) settings->push_back(word);
    return true;
  }
  return true;
}

std::vector<std::string> Check(const Figures& f, const Thresholds& t) {
  std::vector<std::string> failures;
  const std::string in_class = " (class " + (t.name.empty() ? "custom" : t.name) + ")";
  if (f.triangles == 0) failures.push_back("the mesh has no triangles");
  if (t.solid) {
    if (!f.volume_error) {
      failures.push_back("POV-Ray has none of the points inside: not a solid" + in_class);
    } else if (t.max_volume_error && *f.volume_error > *t.max_volume_error) {
      failures.push_back("volume error " + Format("%.3g", *f.volume_error * 100) + " % is above " +
                         Format("%.3g", *t.max_volume_error * 100) + " %" + in_class);
    }
    if (t.max_split_votes && double(f.split_votes) > *t.max_split_votes) {
      failures.push_back(std::to_string(f.split_votes) + " split votes, above " +
                         Format("%.0f", *t.max_split_votes) + ": the mesh has holes or overlaps" +
                         in_class);
    }
  }
  if (t.min_hit_agreement && f.hit_agreement < *t.min_hit_agreement) {
    failures.push_back("hit agreement " + Format("%.2f", f.hit_agreement * 100) + " % is below " +
                       Format("%.2f", *t.min_hit_agreement * 100) + " %" + in_class);
  }
  if (t.max_hit_error && f.hit_error_p99 > *t.max_hit_error) {
    failures.push_back("hit error p99 " + Format("%.2e", f.hit_error_p99) +
                       " of the diagonal is above " + Format("%.2e", *t.max_hit_error) + in_class);
  }
  if (t.max_normal_error && f.normal_error_p99 > *t.max_normal_error) {
    failures.push_back("normal error p99 " + Format("%.2f", f.normal_error_p99) +
                       " degrees is above " + Format("%.2f", *t.max_normal_error) + in_class);
  }
  return failures;
}

std::string Report(const Figures& f) {
  std::ostringstream out;
  out << "triangles         " << f.triangles << "\n";
  out << "volume error      "
      << (f.volume_error ? Format("%.4f", *f.volume_error * 100) + " %" : std::string("-")) << "  ("
      << f.disagree << " of " << f.points << " points disagree; POV-Ray has " << f.povray_inside
      << " inside)\n";
  out << "split votes       " << f.split_votes << "\n";
  out << "hit agreement     " << Format("%.2f", f.hit_agreement * 100) << " %  (" << f.hit_agree
      << " of " << f.rays << " rays)\n";
  out << "hit error p99     " << Format("%.2e", f.hit_error_p99) << " of the diagonal  ("
      << f.both_hit << " rays hit both)\n";
  out << "normal error p99  " << Format("%.2f", f.normal_error_p99) << " degrees\n";
  if (f.clipped_rays) {
    out << "clipped rays      " << f.clipped_rays << " (POV-Ray's first hit is outside the box)\n";
  }
  if (f.recast_rays) out << "recast rays       " << f.recast_rays << " (grazed an edge)\n";
  return out.str();
}

}  // namespace shapes
