// CConfigDialog: the modal configuration dialog (247 x 140 dialog units):
// the Verbose check box, the log file name, OK, Cancel and Help, which
// opens the help dialog on top, and in its Specific group the reading mode
// ("POV-Ray syntax"), the library path for #include, placement, and the
// shapes with their tolerance. It edits its m_
// fields, which its caller fills before and reads after; Cancel leaves the
// caller's values alone. Also the checked number readers of its fields.
// Host memory; UI thread only.
#pragma once

#include <wx/dialog.h>

#include <string>

#include "plugin/host/memory.h"
#include "ui/user_interface.h"

class CConfigDialog : public wxDialog, public HostAllocated {
 public:
  enum : int {
    kOkId = 1,
    kCancelId = 2,
    kHelpId = 3,
    kLogNameId = 1024,
    kVerboseId = 1025,
    kPovraySyntaxId = 1026,
    kLibraryPathId = 1027,
    kPlaceObjectsId = 1028,
    kShapesId = 1029,
    kToleranceId = 1030,
  };
  // m_logFileName's size; the dialog keeps at most 258 characters of the edit.
  static constexpr int kLogNameSize = 260;

  explicit CConfigDialog(wxWindow* parent);

  // Fills the controls from the fields; call before ShowModal.
  void InitControls();
  // The value of the number field `id`, or `value` when its text is
  // malformed (with a beep and a message); the field then shows the value.
  double GetFieldDouble(int id, double value);
  int GetFieldInt(int id, int value);

  int m_verbose = 0;
  char m_logFileName[kLogNameSize] = {};
  int m_povraySyntax = 0;      // 1: read files as POV-Ray does
  int m_placeObjects = 1;      // 1: place objects as POV-Ray does
  int m_shapes = 1;            // 1: POV-Ray's other shapes and CSG as meshes
  double m_tolerance = 0.005;  // their chord error, relative (0 .. 0.5]
  std::string m_libraryPath;   // folders for #include, ':' between

 private:
  void TakeLogFileName();

  bool m_logNameLatin1 = false;  // the name came in bytes that are not UTF-8
};

// Runs the dialog on `values`; they are written back only when it ends
// with OK, which answers 1.
int ShowConfigDialog(ConfigValues* values);
