// Writes the benchmark scenes: an n x n vertex grid (a gently waved sheet)
// with normals and uv, as one mesh2 with two textures and normal and uv
// indices, or as (n-1)^2 * 2 smooth_triangle objects.
#pragma once

#include <string>

enum class GridForm { kMesh2, kSmoothTriangles };

// Writes the scene to `path`; answers its size in bytes, or -1.
long WriteGridScene(const std::string& path, int n, GridForm form);
