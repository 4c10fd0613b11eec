// glTF 2.0 (.gltf with a .bin beside it, or one .glb) through TinyGLTF:
// one node per host mesh with its name, one primitive per material
// (polygons fanned into triangles), double-sided metallic-roughness
// materials with the shown colours, and the scene's cameras and lights
// (KHR_lights_punctual). A scene without meshes gives a valid file without
// meshes. One thread.
#pragma once

#include <functional>
#include <string>

#include "korvan/export.h"

bool WriteGltf(MScene& scene, const std::string& path, bool binary, const ExportOptions& options,
               ExportReport* report, const std::function<void()>& scene_read);
