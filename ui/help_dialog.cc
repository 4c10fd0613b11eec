#include "ui/help_dialog.h"

#include <wx/button.h>
#include <wx/textctrl.h>

#include "ui/strings.h"
#include "ui/toolkit.h"

CHelpDialog::CHelpDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
  SetClientSize(ConvertDialogToPixels(wxSize(242, 180)));
  auto* ok = new wxButton(this, kOkId, "OK");
  PlaceInDialogUnits(ok, 100, 155, 50, 14);
  ok->SetDefault();
  // GTK's text box breaks lines at a single line feed: no expansion needed.
  m_text = wxString::FromUTF8(LoadString(kStringHelpText));
  auto* text = new wxTextCtrl(this, kTextId, m_text, wxDefaultPosition, wxDefaultSize,
                              wxTE_MULTILINE | wxTE_READONLY | wxVSCROLL | wxBORDER_SIMPLE);
  text->MoveAfterInTabOrder(ok);
  PlaceInDialogUnits(text, 10, 15, 225, 130);
  text->ShowPosition(0);
  SetTitle(Caption(kStringHelp));
  // The dialog has no Cancel button for the toolkit's Esc handling to press:
  // Esc and the close box end it themselves, with the cancel result.
  SetEscapeId(wxID_NONE);
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE) {
      EndModal(kCancelId);
    } else {
      event.Skip();
    }
  });
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { EndModal(kCancelId); });
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(kOkId); }, kOkId);
  ok->SetFocus();
  Centre();
}

int ShowHelpDialog() {
  auto* dialog = new CHelpDialog(nullptr);
  if (dialog == nullptr) return CHelpDialog::kCancelId;
  const int result = dialog->ShowModal();
  dialog->Destroy();
  return result;
}
