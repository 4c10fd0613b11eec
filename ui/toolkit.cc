#include "ui/toolkit.h"

#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/window.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "plugin/host/display.h"

namespace {

enum class State { kUntried, kHost, kOwn, kUnavailable };
State g_state = State::kUntried;

std::string g_problem;

// Tears down the plug-in's own application object when the library unloads.
struct OwnAppTeardown {
  ~OwnAppTeardown() {
    if (g_state == State::kOwn) wxEntryCleanup();
  }
} g_teardown;

}  // namespace

void CImporterApp::OnAssertFailure(const wxChar* file, int line, const wxChar* func,
                                   const wxChar* cond, const wxChar* msg) {
  std::fprintf(stderr, "tarvo_in: toolkit check failed: %s(%d) %s: %s %s\n",
               wxString(file).utf8_str().data(), line, wxString(func).utf8_str().data(),
               wxString(cond).utf8_str().data(), wxString(msg).utf8_str().data());
}

bool EnsureToolkit() {
  if (g_state == State::kUntried) {
    if (wxTheApp != nullptr) {
      g_state = State::kHost;
    } else if (MDisplayCheck display; !display.Check()) {
      g_state = State::kUnavailable;
      g_problem = display.problem();
    } else {
      wxApp::SetInstance(new CImporterApp);
      int argc = 1;
      char name[] = "tarvo_in";
      char* argv[] = {name, nullptr};
      if (wxEntryStart(argc, argv) && wxTheApp->CallOnInit()) {
        g_state = State::kOwn;
      } else {
        wxEntryCleanup();
        g_state = State::kUnavailable;
        g_problem = "the toolkit could not start on it";
      }
      display.Release();  // the toolkit has its own connection now
    }
  }
  return g_state == State::kHost || g_state == State::kOwn;
}

const char* ToolkitProblem() { return g_problem.c_str(); }

bool ToolkitIsOwn() { return g_state == State::kOwn; }

bool HostRunsToolkit() {
  return g_state == State::kHost || (g_state == State::kUntried && wxTheApp != nullptr);
}

void RunPendingMessages() {
  if (wxTheApp == nullptr) return;
  wxTheApp->ProcessPendingEvents();
  if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
    while (loop->Pending()) loop->Dispatch();
    return;
  }
  // A console host runs no event loop: run the pending events through one,
  // made once (the pump runs about a hundred times an import).
  static wxGUIEventLoop* pump = new wxGUIEventLoop;
  wxEventLoopActivator active(pump);
  while (pump->Pending()) pump->Dispatch();
}

wxWindow* SafeOwner() { return wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr; }

void PlaceInDialogUnits(wxWindow* window, int x, int y, int width, int height) {
  wxWindow* parent = window->GetParent();
  const wxPoint at = parent->ConvertDialogToPixels(wxPoint(x, y));
  const wxSize size = parent->ConvertDialogToPixels(wxSize(width, height));
  window->SetSize(at.x, at.y, size.x, size.y);
}
