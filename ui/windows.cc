// The importer's windows on wxWidgets, as the table that the companion
// module hands to the plug-in.
#include "ui/windows.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "ui/config_dialog.h"
#include "ui/help_dialog.h"
#include "ui/progress_window_wx.h"
#include "ui/toolkit.h"

namespace {

bool Available(const char* what) {
  if (EnsureToolkit()) return true;
  std::fprintf(stderr, "tarvo_in: %s needs a display, and %s\n", what, ToolkitProblem());
  return false;
}

// The "|"-pair filter in wxWidgets' form: the same pairs without the empty
// item that closes the list, each pattern matching without regard to case
// as the filter's platform matches ("*.pov" also lists SCENE.POV): GTK's
// patterns are case-sensitive, so each letter becomes "[pP]".
wxString Wildcard(const char* filter) {
  std::string text = filter != nullptr ? filter : "";
  while (!text.empty() && text.back() == '|') text.pop_back();
  std::string out;
  bool pattern = false;  // the items alternate: description, patterns
  for (char c : text) {
    if (c == '|') {
      pattern = !pattern;
      out += c;
    } else if (pattern && std::isalpha(static_cast<unsigned char>(c))) {
      out += '[';
      out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      out += ']';
    } else {
      out += c;
    }
  }
  return wxString::FromUTF8(out.c_str());
}

bool ChooseFile(const char* initial, const char* filter, char* chosen, size_t capacity) {
  if (!Available("the open-file dialog")) return false;
  const wxFileName start(wxString::FromUTF8(initial != nullptr ? initial : ""));
  wxFileDialog dialog(nullptr, "Import", start.GetPath(), start.GetFullName(), Wildcard(filter),
                      wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (dialog.ShowModal() != wxID_OK) return false;
  const std::string path = dialog.GetPath().utf8_string();
  if (path.empty()) return false;
  if (path.size() + 1 > capacity) return false;
  std::memcpy(chosen, path.c_str(), path.size() + 1);
  return true;
}

int ConfigDialog(ConfigValues* values) {
  if (!Available("the configuration dialog")) return 0;
  return ShowConfigDialog(values);
}

void HelpDialog() {
  if (Available("the help dialog")) ShowHelpDialog();
}

ProgressWindow* OpenWindow(const char* file_name) {
  if (!EnsureToolkit()) return nullptr;
  auto* window = new CProgressWindow;
  if (window == nullptr) return nullptr;
  window->m_fileName = wxString::FromUTF8(file_name);
  if (window->Create(nullptr)) return window;
  delete window;
  return nullptr;
}

bool CloseWindow(ProgressWindow* window) {
  auto* dialog = dynamic_cast<CProgressWindow*>(window);
  if (dialog == nullptr) return false;
  dialog->DestroyWindow();
  delete dialog;
  return true;
}

}  // namespace

const WindowsModule* WxWindows() {
  static const WindowsModule windows = {ChooseFile,      ConfigDialog, HelpDialog,
                                        HostRunsToolkit, OpenWindow,   CloseWindow};
  return &windows;
}
