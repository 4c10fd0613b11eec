// SceneBuilder: where the POV-Ray-syntax parser's meshes, loose triangles
// and messages enter the host scene, through the reader's state (names,
// materials and counters shared with the documented reader's conventions).
// Lives for one reading; everything it appends belongs to the scene.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "reader/reader_state.h"
#include "sdl/parser.h"

namespace sdl {

class SceneBuilder : public SceneSink {
 public:
  // `log`: false for a trial reading that writes nothing anywhere.
  SceneBuilder(ReaderState& state, bool log);

  void AddMesh(MeshData& mesh, const std::string& name) override;
  void AddLooseTriangle(const Vec3 corners[3], const Vec3* normals,
                        const MaterialSlot* texture) override;
  void DroppedLooseTriangle() override { ++loose_dropped_; }
  void AddCamera(const Vec3& location, const Vec3& look_at, const Vec3& sky, double angle) override;
  void AddLight(const Vec3& location, const double color[3]) override;
  void Message(bool error, const std::string& text) override;
  void Progress(int64_t position) override;
  void PassedOver(const std::string& kind, int64_t count) override;

  // Makes the first mesh ("obj_0", "mat_0"), which takes loose triangles;
  // false when there is no memory for it.
  bool Begin();
  // Writes the closing counts (triangles dropped, messages not shown).
  void Finish();

 private:
  MMesh_P* NewMesh(const std::string& wanted);
  // The material of `slot` on `mesh`: its position in the mesh's list.
  int32_t Material(MMesh_P* mesh, const MaterialSlot& slot);
  // The scene's name for an unnamed texture: one material per distinct
  // colour (and one for all untextured objects, one for all patterns), so
  // that 10,000 placed parts in four inline colours make four materials.
  std::string UnnamedMaterial(const MaterialSlot& slot);
  // Gives the scene's material `material` the colour of `slot` (neutral grey
  // for a texture without a plain colour), unless it has one already.
  void Colour(const char* material, const MaterialSlot& slot);

  ReaderState& state_;
  bool log_;
  std::unordered_set<std::string> mesh_names_;
  std::unordered_map<std::string, int> next_suffix_;  // per wanted name: "_N" to try next
  std::unordered_map<std::string, std::string> unnamed_materials_;  // by UnnamedMaterial's key
  int64_t loose_dropped_ = 0;
  std::vector<std::pair<std::string, int64_t>> passed_over_;  // kind, count
  int64_t messages_ = 0;
  int64_t grey_materials_ = 0;
};

}  // namespace sdl
