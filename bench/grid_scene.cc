#include "bench/grid_scene.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

struct Vertex {
  double x, y, z, nx, ny, nz, u, v;
};

std::vector<Vertex> MakeGrid(int n) {
  std::vector<Vertex> grid;
  grid.reserve(static_cast<size_t>(n) * n);
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      const double u = static_cast<double>(i) / (n - 1), v = static_cast<double>(j) / (n - 1);
      const double y = 0.1 * std::sin(u * 12.0) * std::cos(v * 9.0);
      const double dx = 1.2 * std::cos(u * 12.0) * std::cos(v * 9.0);
      const double dz = -0.9 * std::sin(u * 12.0) * std::sin(v * 9.0);
      const double len = std::sqrt(dx * dx + 1.0 + dz * dz);
      grid.push_back({u * 10.0 - 5.0, y, v * 10.0 - 5.0, -dx / len, 1.0 / len, -dz / len, u, v});
    }
  }
  return grid;
}

void WriteMesh2(FILE* f, int n, const std::vector<Vertex>& g) {
  const int quads = (n - 1) * (n - 1);
  std::fprintf(f, "// %d x %d grid\nmesh2 {\n  vertex_vectors {\n    %zu,\n", n, n, g.size());
  for (size_t k = 0; k < g.size(); ++k) {
    std::fprintf(f, "    <%.6f,%.6f,%.6f>%s\n", g[k].x, g[k].y, g[k].z,
                 k + 1 < g.size() ? "," : "");
  }
  std::fprintf(f, "  }\n  normal_vectors {\n    %zu,\n", g.size());
  for (size_t k = 0; k < g.size(); ++k) {
    std::fprintf(f, "    <%.6f,%.6f,%.6f>%s\n", g[k].nx, g[k].ny, g[k].nz,
                 k + 1 < g.size() ? "," : "");
  }
  std::fprintf(f, "  }\n  uv_vectors {\n    %zu,\n", g.size());
  for (size_t k = 0; k < g.size(); ++k) {
    std::fprintf(f, "    <%.6f,%.6f>%s\n", g[k].u, g[k].v, k + 1 < g.size() ? "," : "");
  }
  std::fprintf(f,
               "  }\n  texture_list {\n    2,\n    texture { pigment { rgb <0.8,0.8,0.8> } }\n"
               "    texture { pigment { rgb <0.2,0.4,0.9> } }\n  }\n");
  const char* const sections[] = {"face_indices", "normal_indices", "uv_indices"};
  for (int s = 0; s < 3; ++s) {
    std::fprintf(f, "  %s {\n    %d,\n", sections[s], quads * 2);
    for (int j = 0; j + 1 < n; ++j) {
      for (int i = 0; i + 1 < n; ++i) {
        const int a = j * n + i, b = a + 1, c = a + n, d = c + 1;
        const bool last = j + 2 == n && i + 2 == n;
        if (s == 0) {
          const int t = (i / 8 + j / 8) % 2;
          std::fprintf(f, "    <%d,%d,%d>,%d,<%d,%d,%d>,%d%s\n", a, b, d, t, a, d, c, t,
                       last ? "" : ",");
        } else {
          std::fprintf(f, "    <%d,%d,%d>,<%d,%d,%d>%s\n", a, b, d, a, d, c, last ? "" : ",");
        }
      }
    }
    std::fprintf(f, "  }\n");
  }
  std::fprintf(f, "}\n");
}

void WriteCorner(FILE* f, const Vertex& p, const char* tail) {
  std::fprintf(f, "<%.6f,%.6f,%.6f>,<%.6f,%.6f,%.6f>%s", p.x, p.y, p.z, p.nx, p.ny, p.nz, tail);
}

void WriteSmoothTriangles(FILE* f, int n, const std::vector<Vertex>& g) {
  std::fprintf(f, "// %d x %d grid\n", n, n);
  for (int j = 0; j + 1 < n; ++j) {
    for (int i = 0; i + 1 < n; ++i) {
      const int a = j * n + i, b = a + 1, c = a + n, d = c + 1;
      const int tri[2][3] = {{a, b, d}, {a, d, c}};
      for (const auto& t : tri) {
        std::fprintf(f, "smooth_triangle { ");
        WriteCorner(f, g[t[0]], ", ");
        WriteCorner(f, g[t[1]], ", ");
        WriteCorner(f, g[t[2]], " }\n");
      }
    }
  }
}

}  // namespace

long WriteGridScene(const std::string& path, int n, GridForm form) {
  if (n < 2) return -1;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return -1;
  const std::vector<Vertex> grid = MakeGrid(n);
  if (form == GridForm::kMesh2) {
    WriteMesh2(f, n, grid);
  } else {
    WriteSmoothTriangles(f, n, grid);
  }
  const long size = std::ftell(f);
  return std::fclose(f) == 0 ? size : -1;
}
