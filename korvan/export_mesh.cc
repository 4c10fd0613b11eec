#include "korvan/export_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// For each of `count` values, the index of the first one that is equal to
// it (bit for bit, with -0 taken as 0), or -1 for a value that is not
// finite: an open-addressing table of indices keyed by the values, linear
// in the count.
template <class ValueAt>
std::vector<int32_t> FirstOfEqual(int64_t count, ValueAt value_at) {
  struct Key {
    uint32_t bits[3];
    bool operator==(const Key& o) const { return std::memcmp(bits, o.bits, sizeof bits) == 0; }
  };
  std::vector<Key> keys(static_cast<size_t>(count));
  std::vector<int32_t> first(static_cast<size_t>(count), 0);
  for (int64_t i = 0; i < count; ++i) {
    const MVector3 v = value_at(i);
    // As written (floats); -0 + 0 is +0.
    const float xyz[3] = {static_cast<float>(v.x) + 0.0f, static_cast<float>(v.y) + 0.0f,
                          static_cast<float>(v.z) + 0.0f};
    std::memcpy(keys[i].bits, xyz, sizeof xyz);
    if (!std::isfinite(xyz[0]) || !std::isfinite(xyz[1]) || !std::isfinite(xyz[2])) first[i] = -1;
  }
  size_t size = 16;
  while (size < static_cast<size_t>(count) * 2) size *= 2;
  std::vector<int32_t> table(size, -1);
  for (int64_t i = 0; i < count; ++i) {
    if (first[i] < 0) continue;  // not finite
    const Key& k = keys[i];
    // Whole numbers leave the low bits zero: mix every bit into every bit.
    uint64_t h = (uint64_t{k.bits[0]} << 32 | k.bits[1]) ^ (k.bits[2] * 0x9E3779B97F4A7C15ull);
    h = (h ^ (h >> 33)) * 0xFF51AFD7ED558CCDull;
    h = (h ^ (h >> 33)) * 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    for (size_t slot = h & (size - 1);; slot = (slot + 1) & (size - 1)) {
      if (table[slot] < 0) {
        table[slot] = static_cast<int32_t>(i);
        first[i] = static_cast<int32_t>(i);
        break;
      }
      if (keys[table[slot]] == k) {
        first[i] = table[slot];
        break;
      }
    }
  }
  return first;
}

void Store(const MVector3& v, float out[3]) {
  out[0] = static_cast<float>(v.x);
  out[1] = static_cast<float>(v.y);
  out[2] = static_cast<float>(v.z);
}

}  // namespace

ExportMesh::ExportMesh(MMesh_P& mesh, const WriteRules& rules, MeshReport* report)
    : mesh_(mesh), rules_(mesh, rules) {
  first_.assign(static_cast<size_t>(mesh.Get_Vertex_Count()), kNone);
  same_position_ =
      FirstOfEqual(mesh.Get_Vertex_Count(), [&](int64_t i) { return rules_.Position(i); });
  if (rules_.has_normals()) {
    // Only the mesh's own normals: those made for single faces stay apart.
    same_normal_ = FirstOfEqual(mesh.Get_NVertex_Count(),
                                [&](int64_t i) { return rules_.Normal(static_cast<int32_t>(i)); });
  }
  if (rules_.has_uv()) {
    same_uv_ = FirstOfEqual(mesh.Get_UVVertex_Count(), [&](int64_t i) { return rules_.UV(i); });
  }
  Gather(report);
  std::sort(parts_.begin(), parts_.end(),
            [](const MeshPart& a, const MeshPart& b) { return a.material < b.material; });
  for (MeshPart& part : parts_) part.material_name = MaterialName(part.material);
}

void ExportMesh::Gather(MeshReport* report) {
  const int32_t materials = mesh_.Get_MaterialNames()->Get_Count();
  part_of_.assign(static_cast<size_t>(std::max(materials, 1)), kNone);
  std::vector<WrittenCorner> corners;
  for (int64_t f = 0; f < mesh_.Get_Face_Count(); ++f) {
    const FaceVerdict verdict = rules_.Face(f, &corners);
    if (verdict == FaceVerdict::kDegenerate) {
      ++report->faces_degenerate;
      continue;
    }
    PartVertex v{};
    bool usable = verdict == FaceVerdict::kWritten;
    for (size_t i = 0; usable && i < corners.size(); ++i) usable = Canonical(corners[i], &v);
    if (!usable) {
      ++report->faces_left_out;
      continue;
    }
    int32_t material = mesh_.Get_Face_MatId(f);
    if (material < 0 || material >= materials) {
      ++report->materials_replaced;
      material = 0;
    }
    const uint32_t part = PartOf(material);
    for (const WrittenCorner& c : corners) {
      Canonical(c, &v);
      parts_[part].indices.push_back(VertexOf(part, v));
    }
    parts_[part].sizes.push_back(static_cast<uint32_t>(corners.size()));
  }
}

bool ExportMesh::Canonical(const WrittenCorner& c, PartVertex* v) const {
  auto first = [](const std::vector<int32_t>& same, int32_t i) {
    return i >= 0 && static_cast<size_t>(i) < same.size() ? same[i] : -1;
  };
  v->position = first(same_position_, c.position);
  // Normals made by the rules lie beyond the mesh's own and are their own.
  v->normal = c.normal >= static_cast<int32_t>(same_normal_.size()) ? c.normal
                                                                    : first(same_normal_, c.normal);
  v->uv = c.uv < 0 ? -1 : first(same_uv_, c.uv);
  return v->position >= 0 && (c.normal < 0 || v->normal >= 0) && (c.uv < 0 || v->uv >= 0);
}

uint32_t ExportMesh::PartOf(int32_t material) {
  uint32_t& part = part_of_[material];
  if (part == kNone) {
    part = static_cast<uint32_t>(parts_.size());
    parts_.emplace_back();
    parts_.back().material = material;
  }
  return part;
}

// The part's vertex for `v`, made when it is new: one per distinct
// (position, normal, uv) triple.
uint32_t ExportMesh::VertexOf(uint32_t part, const PartVertex& v) {
  for (uint32_t m = first_[v.position]; m != kNone; m = made_[m].next) {
    const Made& made = made_[m];
    if (made.part != part) continue;
    const PartVertex& other = parts_[part].vertices[made.index];
    if (other.normal == v.normal && other.uv == v.uv) return made.index;
  }
  MeshPart& p = parts_[part];
  const auto index = static_cast<uint32_t>(p.vertices.size());
  p.vertices.push_back(v);
  made_.push_back({part, index, first_[v.position]});
  first_[v.position] = static_cast<uint32_t>(made_.size() - 1);
  return index;
}

std::string ExportMesh::MaterialName(int32_t material) const {
  // Walk from the head: the host's list cursor is not ours to move.
  MListNode* node = mesh_.Get_MaterialNames()->head;
  for (int32_t i = 0; i < material && node != nullptr; ++i) node = node->next;
  return node != nullptr && node->item != nullptr ? static_cast<const char*>(node->item) : "";
}

void ExportMesh::Position(const PartVertex& v, float out[3]) const {
  Store(rules_.Position(v.position), out);
}

void ExportMesh::Normal(const PartVertex& v, float out[3]) const {
  Store(rules_.Normal(v.normal), out);
}

void ExportMesh::UV(const PartVertex& v, float out[2]) const {
  const MVector3 t = rules_.UV(v.uv);
  out[0] = static_cast<float>(t.x);
  out[1] = static_cast<float>(t.y);
}

uint32_t MaterialTable::IndexOf(const std::string& name) {
  auto [it, added] = index_.emplace(name, static_cast<uint32_t>(entries_.size()));
  if (added) {
    const MSurface* surface = scene_.GetMaterialbyName(name.c_str());
    Entry entry{name, ShownColor(surface, entries_.size())};
    if (surface != nullptr && surface->Has_Finish()) {
      entry.metallic = surface->Get_Metallic();
      entry.roughness = surface->Get_Roughness();
    }
    entries_.push_back(entry);
  }
  return it->second;
}
