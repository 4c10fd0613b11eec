#define GL_GLEXT_PROTOTYPES
#include "korvan/gui/scene_view.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <wx/dcclient.h>

#include <cmath>

namespace {

const int kAttributes[] = {WX_GL_RGBA, WX_GL_DOUBLEBUFFER, WX_GL_DEPTH_SIZE, 16, 0};

// A perspective projection with a vertical field of `degrees`.
void Perspective(float degrees, float aspect, float near_plane, float far_plane) {
  const float f = 1.0f / std::tan(degrees * 3.14159265f / 360.0f);
  const float m[16] = {f / aspect,
                       0,
                       0,
                       0,
                       0,
                       f,
                       0,
                       0,
                       0,
                       0,
                       (far_plane + near_plane) / (near_plane - far_plane),
                       -1,
                       0,
                       0,
                       2 * far_plane * near_plane / (near_plane - far_plane),
                       0};
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(m);
}

// The model-view matrix of an eye looking at a target, y up.
void LookAt(const float eye[3], const float target[3]) {
  float f[3] = {target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
  const float fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
  for (float& c : f) c /= fl;
  float s[3] = {-f[2], 0, f[0]};  // f x (0, 1, 0)
  const float sl = std::sqrt(s[0] * s[0] + s[2] * s[2]);
  if (sl > 0) s[0] /= sl, s[2] /= sl;
  const float u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2],
                      s[0] * f[1] - s[1] * f[0]};
  const float m[16] = {s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0,
                       s[2], u[2], -f[2], 0, 0,    0,    0,     1};
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(m);
  glTranslatef(-eye[0], -eye[1], -eye[2]);
}

}  // namespace

SceneView::SceneView(wxWindow* parent)
    : wxGLCanvas(parent, wxID_ANY, kAttributes, wxDefaultPosition, wxDefaultSize,
                 wxFULL_REPAINT_ON_RESIZE | wxWANTS_CHARS),
      context_(std::make_unique<wxGLContext>(this)) {
  Bind(wxEVT_PAINT, &SceneView::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &SceneView::OnMouse, this);
  Bind(wxEVT_RIGHT_DOWN, &SceneView::OnMouse, this);
  Bind(wxEVT_MIDDLE_DOWN, &SceneView::OnMouse, this);
  Bind(wxEVT_MOTION, &SceneView::OnMouse, this);
  Bind(wxEVT_MOUSEWHEEL, &SceneView::OnMouse, this);
  Bind(wxEVT_KEY_DOWN, &SceneView::OnKey, this);
}

SceneView::~SceneView() {
  if (buffers_[0] != 0 && IsShownOnScreen() && SetCurrent(*context_)) {
    glDeleteBuffers(3, buffers_);
  }
}

void SceneView::SetMesh(RenderMesh mesh) {
  mesh_ = std::move(mesh);
  std::copy(mesh_.center, mesh_.center + 3, center_);
  radius_ = mesh_.radius;
  has_view_ = mesh_.has_view;
  std::copy(mesh_.eye, mesh_.eye + 3, eye_);
  std::copy(mesh_.look_at, mesh_.look_at + 3, look_at_);
  field_of_view_ = mesh_.field_of_view;
  triangles_ = mesh_.triangles();
  uploaded_ = false;
  ResetView();
}

void SceneView::ResetView() {
  camera_.Frame(center_, radius_);
  if (has_view_) camera_.LookFrom(eye_, look_at_);
  Refresh();
}

void SceneView::Upload() {
  if (buffers_[0] == 0) glGenBuffers(3, buffers_);
  const std::vector<float>* arrays[3] = {&mesh_.positions, &mesh_.normals, &mesh_.colors};
  for (int i = 0; i < 3; ++i) {
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[i]);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(arrays[i]->size() * sizeof(float)),
                 arrays[i]->data(), GL_STATIC_DRAW);
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  mesh_ = RenderMesh();  // the buffers hold it now
  uploaded_ = true;
}

void SceneView::Draw() {
  const wxSize size = GetClientSize() * GetContentScaleFactor();
  glViewport(0, 0, size.x, std::max(size.y, 1));
  glClearColor(0.16f, 0.17f, 0.19f, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (triangles_ == 0) return;
  Perspective(field_of_view_, static_cast<float>(size.x) / std::max(size.y, 1),
              camera_.distance * 0.01f, camera_.distance + camera_.radius * 4);
  float eye[3];
  camera_.Eye(eye);
  LookAt(eye, camera_.target);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_NORMALIZE);
  glEnable(GL_COLOR_MATERIAL);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  // One-sided: a face is lit by its own normal whichever way it is wound
  // (POV-Ray does not care about winding, so files do not either).
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
  const float light[4] = {eye[0] - camera_.target[0], eye[1] - camera_.target[1] + camera_.distance,
                          eye[2] - camera_.target[2], 0};
  glLightfv(GL_LIGHT0, GL_POSITION, light);
  const float ambient[4] = {0.35f, 0.35f, 0.35f, 1};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glBindBuffer(GL_ARRAY_BUFFER, buffers_[0]);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);
  glBindBuffer(GL_ARRAY_BUFFER, buffers_[1]);
  glNormalPointer(GL_FLOAT, 0, nullptr);
  glBindBuffer(GL_ARRAY_BUFFER, buffers_[2]);
  glColorPointer(3, GL_FLOAT, 0, nullptr);
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(triangles_ * 3));
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}

bool SceneView::ReadPixels(std::vector<unsigned char>* rgb, int* width, int* height) {
  if (!IsShownOnScreen() || !SetCurrent(*context_)) return false;
  if (!uploaded_) Upload();
  Draw();
  glFinish();
  const wxSize size = GetClientSize() * GetContentScaleFactor();
  *width = size.x;
  *height = size.y;
  rgb->assign(static_cast<size_t>(size.x) * size.y * 3, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, size.x, size.y, GL_RGB, GL_UNSIGNED_BYTE, rgb->data());
  SwapBuffers();
  return glGetError() == GL_NO_ERROR;
}

void SceneView::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  if (!SetCurrent(*context_)) return;
  if (!uploaded_) Upload();
  Draw();
  SwapBuffers();
}

void SceneView::OnMouse(wxMouseEvent& event) {
  const wxPoint at = event.GetPosition();
  if (event.GetEventType() == wxEVT_MOUSEWHEEL) {
    camera_.Zoom(static_cast<float>(event.GetWheelRotation()) / event.GetWheelDelta());
    Refresh();
    return;
  }
  if (event.ButtonDown()) SetFocus();
  if (event.Dragging()) {
    const wxSize size = GetClientSize();
    const float dx = static_cast<float>(at.x - last_mouse_.x) / std::max(size.x, 1);
    const float dy = static_cast<float>(at.y - last_mouse_.y) / std::max(size.y, 1);
    if (event.LeftIsDown()) {
      camera_.Orbit(-dx * 3.0f, dy * 3.0f);
    } else {
      camera_.Pan(dx, dy);
    }
    Refresh();
  }
  last_mouse_ = at;
  event.Skip();
}

void SceneView::OnKey(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (key == 'R' || key == 'r' || key == WXK_HOME) {
    ResetView();
  } else {
    event.Skip();
  }
}
