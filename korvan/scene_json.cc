#include "korvan/scene_json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "plugin/host/scene.h"

namespace {

void AppendNumber(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "\"nan\"";
  } else if (std::isinf(value)) {
    out += value > 0 ? "\"inf\"" : "\"-inf\"";
  } else {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
  }
}

void AppendString(std::string& out, const char* text) {
  out += '"';
  for (const char* p = text; *p != '\0'; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

void AppendVector(std::string& out, const MVector3& v) {
  out += '[';
  AppendNumber(out, v.x);
  out += ',';
  AppendNumber(out, v.y);
  out += ',';
  AppendNumber(out, v.z);
  out += ']';
}

void AppendVectors(std::string& out, const char* key, int64_t count,
                   const MVector3& (MMesh_P::*get)(int64_t) const, const MMesh_P& mesh) {
  out += ",\"";
  out += key;
  out += "\":[";
  for (int64_t i = 0; i < count; ++i) {
    if (i > 0) out += ',';
    AppendVector(out, (mesh.*get)(i));
  }
  out += ']';
}

// Each face as its corner indices, followed by its material id when given.
void AppendFaces(std::string& out, const char* key, const FaceStream& faces,
                 const MMesh_P* with_materials) {
  out += ",\"";
  out += key;
  out += "\":[";
  for (int64_t f = 0; f < faces.count; ++f) {
    if (f > 0) out += ',';
    out += '[';
    const int32_t* corners = faces.Corners(f);
    for (int32_t i = 0; i < faces.CornerCount(f); ++i) {
      if (i > 0) out += ',';
      out += std::to_string(corners[i]);
    }
    if (with_materials != nullptr) {
      out += ',';
      out += std::to_string(with_materials->Get_Face_MatId(f));
    }
    out += ']';
  }
  out += ']';
}

void AppendObject(std::string& out, MObj3d& object) {
  out += "{\"name\":";
  AppendString(out, object.get_name());
  out += ",\"type\":" + std::to_string(object.get_type());
  if (object.get_type() == kObjMesh) {
    auto& mesh = static_cast<MMesh_P&>(object);
    out += ",\"normals_used\":" + std::to_string(mesh.NormalsUsed());
    out += ",\"uv_used\":" + std::to_string(mesh.UVUsed());
  }
  out += ",\"materials\":[";
  bool first = true;
  for (MListNode* n = object.Get_MaterialNames()->head; n != nullptr; n = n->next) {
    if (!first) out += ',';
    first = false;
    AppendString(out, n->item != nullptr ? static_cast<const char*>(n->item) : "");
  }
  out += ']';
  if (object.get_type() == kObjMesh) {
    auto& mesh = static_cast<MMesh_P&>(object);
    AppendVectors(out, "vertices", mesh.Get_Vertex_Count(), &MMesh_P::Get_Vertex, mesh);
    AppendVectors(out, "nvertices", mesh.Get_NVertex_Count(), &MMesh_P::Get_NVertex, mesh);
    AppendVectors(out, "uvvertices", mesh.Get_UVVertex_Count(), &MMesh_P::Get_UVVertex, mesh);
    AppendFaces(out, "faces", mesh.Faces(), &mesh);
    AppendFaces(out, "nfaces", mesh.NFaces(), nullptr);
    AppendFaces(out, "uvfaces", mesh.UVFaces(), nullptr);
  }
  out += '}';
}

}  // namespace

std::string SceneToJson(MScene& scene) {
  std::string out = "{\"objects\":[";
  bool first = true;
  for (MListNode* n = scene.Get_Objects()->head; n != nullptr; n = n->next) {
    if (n->item == nullptr) continue;
    out += first ? "\n" : ",\n";
    first = false;
    AppendObject(out, *static_cast<MObj3d*>(n->item));
  }
  out += "\n],\n\"materials\":[";
  first = true;
  for (MListNode* n = scene.Get_Materials()->head; n != nullptr; n = n->next) {
    if (n->item == nullptr) continue;
    if (!first) out += ',';
    first = false;
    AppendString(out, static_cast<MSurface*>(n->item)->get_name());
  }
  out += "]";
  // The colours and finishes the scene file gave, by material (each only
  // when there are any).
  std::string colors, finishes;
  for (MListNode* n = scene.Get_Materials()->head; n != nullptr; n = n->next) {
    const auto* surface = static_cast<const MSurface*>(n->item);
    if (surface == nullptr) continue;
    char value[96];
    if (surface->Has_Color()) {
      colors += colors.empty() ? "" : ",";
      AppendString(colors, surface->get_name());
      const float* c = surface->Get_Color();
      std::snprintf(value, sizeof value, ":[%.6g,%.6g,%.6g,%.6g]", c[0], c[1], c[2], c[3]);
      colors += value;
    }
    if (surface->Has_Finish()) {
      finishes += finishes.empty() ? "" : ",";
      AppendString(finishes, surface->get_name());
      std::snprintf(value, sizeof value, ":[%.6g,%.6g]", surface->Get_Metallic(),
                    surface->Get_Roughness());
      finishes += value;
    }
  }
  if (!colors.empty()) out += ",\n\"colors\":{" + colors + "}";
  if (!finishes.empty()) out += ",\n\"finishes\":{" + finishes + "}";
  out += ",\n\"cameras\":" + std::to_string(scene.Get_Cameras()->Get_Count());
  out += ",\"lights\":" + std::to_string(scene.Get_Lights()->Get_Count());
  const MBoundingBox& box = scene.Get_BoundingBox();
  out += ",\"bounding_box\":";
  if (box.valid) {
    out += "{\"min\":";
    AppendVector(out, box.min);
    out += ",\"max\":";
    AppendVector(out, box.max);
    out += '}';
  } else {
    out += "null";
  }
  out += "}\n";
  return out;
}

bool WriteSceneJson(MScene& scene, const char* path) {
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  const std::string json = SceneToJson(scene);
  const bool written = std::fwrite(json.data(), 1, json.size(), file) == json.size();
  return std::fclose(file) == 0 && written;
}
