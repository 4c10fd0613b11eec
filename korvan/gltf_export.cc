#include "korvan/gltf_export.h"

#include "korvan/camera_view.h"

#define TINYGLTF_IMPLEMENTATION
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#include <sys/stat.h>
#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Vec {
  double x = 0, y = 0, z = 0;
};

Vec Sub(const Vec& a, const Vec& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Length(const Vec& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// The file name's stem with what a URI would have to escape replaced.
std::string BinaryName(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.') c = '_';
  }
  return name + ".bin";
}

class GltfBuilder {
 public:
  GltfBuilder(MScene& scene, const ExportOptions& options, ExportReport* report)
      : scene_(scene), options_(options), report_(report), materials_(scene) {
    model_.asset.version = "2.0";
    model_.asset.generator = "korvan";
    model_.buffers.emplace_back();
  }

  void AddMeshes() {
    scene_.ForEachMesh([this](MMesh_P& mesh) { AddMesh(mesh); });
  }

  void AddMaterials() {
    for (const MaterialTable::Entry& entry : materials_.entries()) {
      tinygltf::Material m;
      m.name = entry.name;
      const PaletteColor& c = entry.color;
      m.pbrMetallicRoughness.baseColorFactor = {c.r, c.g, c.b, c.a};
      // The file's finish; without one POV-Ray's default, a matte
      // dielectric (not glTF's default of bare metal).
      m.pbrMetallicRoughness.metallicFactor = entry.metallic;
      m.pbrMetallicRoughness.roughnessFactor = entry.roughness;
      if (c.a < 1) m.alphaMode = "BLEND";
      m.doubleSided = true;  // POV-Ray draws both sides of every face
      model_.materials.push_back(m);
    }
  }

  void AddCameras() {
    for (MListNode* n = scene_.Get_Cameras()->head; n != nullptr; n = n->next) {
      const auto* camera = static_cast<const MCamera*>(n->item);
      if (camera != nullptr) AddCamera(*camera);
    }
  }

  void AddLights() {
    for (MListNode* n = scene_.Get_Lights()->head; n != nullptr; n = n->next) {
      const auto* light = static_cast<const MLight*>(n->item);
      if (light != nullptr) AddLight(*light);
    }
  }

  tinygltf::Model& Finish() {
    if (model_.buffers[0].data.empty()) model_.buffers.clear();
    tinygltf::Scene scene;
    for (size_t i = 0; i < model_.nodes.size(); ++i) scene.nodes.push_back(static_cast<int>(i));
    model_.scenes.push_back(scene);
    model_.defaultScene = 0;
    return model_;
  }

 private:
  Vec Converted(const MVector3& v) const {
    return {v.x, v.y, options_.keep_handedness ? v.z : -v.z};
  }

  void AddMesh(MMesh_P& host) {
    MeshReport mesh_report{host.get_name()};
    const ExportMesh mesh(host, options_, &mesh_report);
    if (mesh_report.any()) report_->meshes.push_back(mesh_report);
    if (mesh.parts().empty()) return;  // nothing to show: no node
    tinygltf::Mesh out;
    out.name = host.get_name();
    for (const MeshPart& part : mesh.parts()) {
      out.primitives.push_back(AddPrimitive(mesh, part));
      report_->faces_written += static_cast<long>(part.sizes.size());
    }
    tinygltf::Node node;
    node.name = out.name;
    node.mesh = static_cast<int>(model_.meshes.size());
    model_.meshes.push_back(std::move(out));
    model_.nodes.push_back(std::move(node));
  }

  tinygltf::Primitive AddPrimitive(const ExportMesh& mesh, const MeshPart& part) {
    const size_t n = part.vertices.size();
    std::vector<float> values(n * 3);
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.material = static_cast<int>(materials_.IndexOf(part.material_name));
    for (size_t i = 0; i < n; ++i) mesh.Position(part.vertices[i], &values[3 * i]);
    primitive.attributes["POSITION"] = AddVectors(values, 3, true);
    if (mesh.has_normals()) {
      for (size_t i = 0; i < n; ++i) mesh.Normal(part.vertices[i], &values[3 * i]);
      primitive.attributes["NORMAL"] = AddVectors(values, 3, false);
    }
    if (mesh.has_uv()) {
      values.resize(n * 2);
      for (size_t i = 0; i < n; ++i) {
        mesh.UV(part.vertices[i], &values[2 * i]);
        values[2 * i + 1] = 1 - values[2 * i + 1];  // glTF's v runs down the image
      }
      primitive.attributes["TEXCOORD_0"] = AddVectors(values, 2, false);
    }
    // Polygons as fans from their first corner.
    std::vector<uint32_t> triangles;
    const uint32_t* corner = part.indices.data();
    for (uint32_t size : part.sizes) {
      for (uint32_t k = 1; k + 1 < size; ++k) {
        triangles.insert(triangles.end(), {corner[0], corner[k], corner[k + 1]});
      }
      corner += size;
    }
    primitive.indices =
        AddAccessor(triangles.data(), triangles.size() * 4, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT,
                    TINYGLTF_TYPE_SCALAR, triangles.size(), TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    return primitive;
  }

  // An accessor of float vectors (`width` 2 or 3); positions carry their
  // bounds, as glTF requires, and widen the scene's.
  int AddVectors(const std::vector<float>& values, int width, bool bounds) {
    const size_t count = values.size() / width;
    const int index = AddAccessor(values.data(), values.size() * 4, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                  width == 3 ? TINYGLTF_TYPE_VEC3 : TINYGLTF_TYPE_VEC2, count,
                                  TINYGLTF_TARGET_ARRAY_BUFFER);
    if (bounds && count > 0) {
      std::vector<double> low(values.begin(), values.begin() + width), high = low;
      for (size_t i = 0; i < values.size(); ++i) {
        low[i % width] = std::min<double>(low[i % width], values[i]);
        high[i % width] = std::max<double>(high[i % width], values[i]);
      }
      for (int k = 0; k < 3; ++k) {
        low_[k] = any_ ? std::min(low_[k], low[k]) : low[k];
        high_[k] = any_ ? std::max(high_[k], high[k]) : high[k];
      }
      any_ = true;
      model_.accessors[index].minValues = low;
      model_.accessors[index].maxValues = high;
    }
    return index;
  }

  int AddAccessor(const void* data, size_t bytes, int component, int type, size_t count,
                  int target) {
    std::vector<unsigned char>& buffer = model_.buffers[0].data;
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = buffer.size();  // every value is 4 bytes: stays aligned
    view.byteLength = bytes;
    view.target = target;
    buffer.insert(buffer.end(), static_cast<const unsigned char*>(data),
                  static_cast<const unsigned char*>(data) + bytes);
    model_.bufferViews.push_back(view);
    tinygltf::Accessor accessor;
    accessor.bufferView = static_cast<int>(model_.bufferViews.size() - 1);
    accessor.componentType = component;
    accessor.type = type;
    accessor.count = count;
    model_.accessors.push_back(accessor);
    return static_cast<int>(model_.accessors.size() - 1);
  }

  Vec Center() const {
    return any_ ? Vec{(low_[0] + high_[0]) / 2, (low_[1] + high_[1]) / 2, (low_[2] + high_[2]) / 2}
                : Vec{};
  }

  void AddCamera(const MCamera& camera) {
    CameraPose pose;
    if (!PoseOf(camera, options_.keep_handedness, &pose)) return;  // no direction to look in
    const Vec eye{pose.eye[0], pose.eye[1], pose.eye[2]};
    tinygltf::Camera out;
    out.name = camera.get_name();
    out.type = "perspective";
    out.perspective.yfov = VerticalFieldOfView(camera.angle);
    out.perspective.aspectRatio = kPovrayAspect;
    const ClipRange clip = ClipRangeFor(pose.eye, low_, high_, any_);
    out.perspective.zfar = clip.far_distance;
    out.perspective.znear = clip.near_distance;
    tinygltf::Node node;
    node.name = out.name;
    node.camera = static_cast<int>(model_.cameras.size());
    node.translation = {eye.x, eye.y, eye.z};
    node.rotation = Quaternion(Vec{pose.right[0], pose.right[1], pose.right[2]},
                               Vec{pose.up[0], pose.up[1], pose.up[2]},
                               Vec{pose.back[0], pose.back[1], pose.back[2]});
    model_.cameras.push_back(out);
    model_.nodes.push_back(node);
  }

  // The unit quaternion (x, y, z, w) of the rotation with columns a, b, c.
  static std::vector<double> Quaternion(const Vec& a, const Vec& b, const Vec& c) {
    const double m00 = a.x, m11 = b.y, m22 = c.z;
    double x, y, z, w;
    const double trace = m00 + m11 + m22;
    if (trace > 0) {
      const double s = 2 * std::sqrt(trace + 1);
      w = s / 4, x = (b.z - c.y) / s, y = (c.x - a.z) / s, z = (a.y - b.x) / s;
    } else if (m00 > m11 && m00 > m22) {
      const double s = 2 * std::sqrt(1 + m00 - m11 - m22);
      w = (b.z - c.y) / s, x = s / 4, y = (b.x + a.y) / s, z = (c.x + a.z) / s;
    } else if (m11 > m22) {
      const double s = 2 * std::sqrt(1 + m11 - m00 - m22);
      w = (c.x - a.z) / s, x = (b.x + a.y) / s, y = s / 4, z = (c.y + b.z) / s;
    } else {
      const double s = 2 * std::sqrt(1 + m22 - m00 - m11);
      w = (a.y - b.x) / s, x = (c.x + a.z) / s, y = (c.y + b.z) / s, z = s / 4;
    }
    const double l = std::sqrt(x * x + y * y + z * z + w * w);
    return {x / l, y / l, z / l, w / l};
  }

  void AddLight(const MLight& light) {
    const Vec at = Converted(light.location);
    if (!std::isfinite(at.x + at.y + at.z)) return;
    double rgb[3] = {std::max(0.0, light.color.x), std::max(0.0, light.color.y),
                     std::max(0.0, light.color.z)};
    // glTF keeps colours in 0..1 and the strength apart.
    const double peak = std::max({rgb[0], rgb[1], rgb[2]});
    if (!std::isfinite(peak)) return;
    const double scale = peak > 1 ? peak : 1;
    tinygltf::Light out;
    out.name = light.get_name();
    out.type = "point";
    out.color = {rgb[0] / scale, rgb[1] / scale, rgb[2] / scale};
    // A POV-Ray light does not fade with distance; glTF's point light
    // falls off with its square. Its strength in candela is set so that
    // viewers that follow the glTF lighting model without an exposure
    // (three.js, the Khronos sample viewer; Blender with the "Unitless"
    // lighting mode) light the scene's centre as POV-Ray lights it there:
    // a white surface facing the light at distance d shows white when the
    // intensity is pi d^2.
    const double distance = std::max(Length(Sub(Center(), at)), 1e-3);
    out.intensity = scale * kPi * distance * distance;
    tinygltf::Node node;
    node.name = out.name;
    node.translation = {at.x, at.y, at.z};
    tinygltf::Value::Object ref;
    ref["light"] = tinygltf::Value(static_cast<int>(model_.lights.size()));
    node.extensions["KHR_lights_punctual"] = tinygltf::Value(ref);
    model_.lights.push_back(out);
    model_.nodes.push_back(node);
  }

  MScene& scene_;
  const ExportOptions& options_;
  ExportReport* report_;
  MaterialTable materials_;
  tinygltf::Model model_;
  bool any_ = false;  // positions seen; their bounds:
  double low_[3] = {0, 0, 0}, high_[3] = {0, 0, 0};
};

off_t FileSize(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

}  // namespace

bool WriteGltf(MScene& scene, const std::string& path, bool binary, const ExportOptions& options,
               ExportReport* report, const std::function<void()>& scene_read) {
  GltfBuilder builder(scene, options, report);
  builder.AddMeshes();
  builder.AddMaterials();
  builder.AddCameras();
  builder.AddLights();
  tinygltf::Model& model = builder.Finish();
  if (scene_read) scene_read();
  tinygltf::TinyGLTF writer;
  if (binary) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) writer.WriteGltfSceneToStream(&model, out, false, true);
    out.close();
    if (!out) report->error = std::strerror(errno);
    return report->error.empty();
  }
  if (!model.buffers.empty()) model.buffers[0].uri = BinaryName(path);
  const bool written = writer.WriteGltfSceneToFile(&model, path, false, false, true, false);
  // The writer does not check its writes: the file sizes tell.
  const std::string folder =
      path.rfind('/') == std::string::npos ? std::string() : path.substr(0, path.rfind('/') + 1);
  const bool whole = FileSize(path) > 0 && (model.buffers.empty() ||
                                            FileSize(folder + model.buffers[0].uri) ==
                                                static_cast<off_t>(model.buffers[0].data.size()));
  if (!written || !whole) {
    report->error = errno != 0 ? std::strerror(errno) : "the writer failed";
    return false;
  }
  return true;
}
