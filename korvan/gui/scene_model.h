// What the window shows of a scene, computed apart from any window: the
// rows of the scene panel, and the triangles of the 3D view with their
// normals and material colours. Plain values; the scene stays the caller's.
#pragma once

#include <string>
#include <vector>

#include "plugin/host/scene.h"

struct MeshRow {
  std::string name;
  long vertices = 0, faces = 0, normals = 0, uv = 0;
  std::string materials;  // the mesh's material names, ", "-separated
};

struct SceneSummary {
  std::vector<MeshRow> meshes;
  std::vector<std::string> materials;
  int cameras = 0, lights = 0;
};

SceneSummary Summarize(MScene& scene);

// Triangles to draw, three vertices each, the faces as the export writes
// them (FaceRules: right-handed, turned to agree with their normals, those
// that cannot be written left out): position, normal (the mesh's own where
// it has normals, else the triangle's) and colour (the face's material's
// place in the scene's material list). Polygons are fanned into triangles.
struct RenderMesh {
  std::vector<float> positions, normals, colors;
  float center[3] = {0, 0, 0};
  float radius = 1;  // of the bounding sphere, at least a tiny positive size
  // The scene file's own camera, in the view's coordinates, when it has one.
  bool has_view = false;
  float eye[3] = {0, 0, 0}, look_at[3] = {0, 0, 0};
  float field_of_view = 45;  // vertical, degrees: the file camera's `angle` when it has one
  size_t triangles() const { return positions.size() / 9; }
};

RenderMesh BuildRenderMesh(MScene& scene);

// The view's camera: orbits a target at a distance; y is up.
struct OrbitCamera {
  // The framing view: from the front (+z, POV-Ray's -z), a little to the
  // right and above, so that three sides of a box show.
  static constexpr float kFrontYaw = 0.5f, kFrontPitch = 0.35f;

  float target[3] = {0, 0, 0};
  float distance = 3, yaw = kFrontYaw, pitch = kFrontPitch;  // radians
  float radius = 1;                                          // of what it frames

  // Looks at the sphere (center, radius) from the framing view.
  void Frame(const float center[3], float radius);
  void Orbit(float dx, float dy);  // in radians
  void Pan(float dx, float dy);    // in screen fractions
  void Zoom(float steps);          // > 0 comes closer
  void Eye(float eye[3]) const;
  // Looks from `eye` at `look_at` (the scene file's camera); `radius` stays
  // what it frames, for zooming.
  void LookFrom(const float eye[3], const float look_at[3]);
};
