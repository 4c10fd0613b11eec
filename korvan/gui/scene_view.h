// SceneView: the 3D view of the window (OpenGL through wxGLCanvas). The
// scene's triangles go into vertex buffers once per scene; drawing is one
// call. Left drag orbits, right or middle drag pans, the wheel zooms, R or
// Home resets the view. Owned by its parent window; UI thread only.
#pragma once

#include <wx/glcanvas.h>

#include <memory>
#include <vector>

#include "korvan/gui/scene_model.h"

class SceneView : public wxGLCanvas {
 public:
  explicit SceneView(wxWindow* parent);
  ~SceneView() override;

  // Shows `mesh` (taken over) framed by the default camera.
  void SetMesh(RenderMesh mesh);
  void ResetView();
  const OrbitCamera& camera() const { return camera_; }
  OrbitCamera& camera() { return camera_; }
  // Draws the view and reads its pixels back (rows bottom to top, RGB).
  bool ReadPixels(std::vector<unsigned char>* rgb, int* width, int* height);
  size_t triangles() const { return triangles_; }

 private:
  void OnPaint(wxPaintEvent&);
  void OnMouse(wxMouseEvent& event);
  void OnKey(wxKeyEvent& event);
  void Upload();
  void Draw();

  std::unique_ptr<wxGLContext> context_;
  RenderMesh mesh_;  // kept until uploaded
  bool uploaded_ = true;
  unsigned buffers_[3] = {0, 0, 0};  // positions, normals, colours
  size_t triangles_ = 0;
  float center_[3] = {0, 0, 0};
  float radius_ = 1;
  // The scene file's view, when it has one (kept: the mesh goes once uploaded).
  bool has_view_ = false;
  float eye_[3] = {0, 0, 0}, look_at_[3] = {0, 0, 0};
  float field_of_view_ = 45;  // vertical, degrees
  OrbitCamera camera_;
  wxPoint last_mouse_;
};
