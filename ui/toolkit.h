// The GUI toolkit (wxWidgets) as the plug-in uses it. A toolkit host brings
// its own application object and the plug-in uses it; in a console host the
// plug-in makes its own (CImporterApp) the first time it must show a window
// and tears it down when the library unloads. UI thread only.
#pragma once

#include <wx/app.h>

class wxWindow;

// The plug-in's application object: no behaviour of its own.
class CImporterApp : public wxApp {
 public:
  bool OnInit() override { return true; }
  // A failed toolkit check goes to stderr, never into a window of the host.
  void OnAssertFailure(const wxChar* file, int line, const wxChar* func, const wxChar* cond,
                       const wxChar* msg) override;
};

// Whether windows can be shown: the host's application object exists, or
// the plug-in's could be made (a display is there). Tried once.
bool EnsureToolkit();
// Why EnsureToolkit answered false, as the end of a sentence ("there is none
// (DISPLAY is not set)", "the display :87 cannot be opened").
const char* ToolkitProblem();
// Whether the plug-in made the application object itself (console host).
bool ToolkitIsOwn();
// Whether the host brings the application object (a toolkit host).
bool HostRunsToolkit();
// Dispatches every pending event of the thread, so that every window of the
// process repaints and reacts while an import runs on this thread.
void RunPendingMessages();
// The window that a window without a parent belongs to: the host's main
// window, or null.
wxWindow* SafeOwner();
// Places `window` at the dialog-unit rectangle of a template.
void PlaceInDialogUnits(wxWindow* window, int x, int y, int width, int height);
