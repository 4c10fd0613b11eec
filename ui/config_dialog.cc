#include "ui/config_dialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <cstring>

#include "ui/fields.h"
#include "ui/help_dialog.h"
#include "ui/strings.h"
#include "ui/toolkit.h"

CConfigDialog::CConfigDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
  SetClientSize(ConvertDialogToPixels(wxSize(247, 140)));
  // Created in the template's order, which is the tab order.
  auto* ok = new wxButton(this, kOkId, "&OK");
  PlaceInDialogUnits(ok, 190, 120, 50, 14);
  ok->SetDefault();
  PlaceInDialogUnits(new wxButton(this, kCancelId, "&Cancel"), 5, 120, 50, 14);
  PlaceInDialogUnits(new wxStaticBox(this, wxID_ANY, "Common"), 5, 5, 130, 60);
  PlaceInDialogUnits(new wxTextCtrl(this, kLogNameId, "", wxDefaultPosition, wxDefaultSize,
                                    wxTE_LEFT | wxBORDER_SIMPLE),
                     15, 40, 110, 12);
  PlaceInDialogUnits(new wxStaticBox(this, wxID_ANY, "Log File Name"), 10, 30, 120, 25);
  PlaceInDialogUnits(new wxCheckBox(this, kVerboseId, "Verbose"), 10, 15, 42, 15);
  PlaceInDialogUnits(new wxStaticBox(this, wxID_ANY, "Specific"), 140, 5, 100, 105);
  PlaceInDialogUnits(new wxButton(this, kHelpId, "&Help"), 95, 120, 50, 14);
  // The Specific group's controls come after the common ones in tab order.
  PlaceInDialogUnits(new wxCheckBox(this, kPovraySyntaxId, "POV-Ray syntax"), 145, 15, 90, 15);
  PlaceInDialogUnits(new wxStaticBox(this, wxID_ANY, "Library Path"), 145, 30, 90, 25);
  PlaceInDialogUnits(new wxTextCtrl(this, kLibraryPathId, "", wxDefaultPosition, wxDefaultSize,
                                    wxTE_LEFT | wxBORDER_SIMPLE),
                     150, 40, 80, 12);
  PlaceInDialogUnits(new wxCheckBox(this, kPlaceObjectsId, "Place objects"), 145, 60, 90, 15);
  PlaceInDialogUnits(new wxCheckBox(this, kShapesId, "Shapes as meshes"), 145, 75, 90, 15);
  PlaceInDialogUnits(new wxStaticText(this, wxID_ANY, "Tolerance"), 145, 93, 40, 10);
  PlaceInDialogUnits(new wxTextCtrl(this, kToleranceId, "", wxDefaultPosition, wxDefaultSize,
                                    wxTE_LEFT | wxBORDER_SIMPLE),
                     190, 91, 45, 12);

  Bind(
      wxEVT_BUTTON,
      [this](wxCommandEvent&) {
        TakeLogFileName();  // the edit loses the focus as the dialog closes
        m_libraryPath =
            static_cast<wxTextCtrl*>(FindWindow(kLibraryPathId))->GetValue().utf8_string();
        const double tolerance = GetFieldDouble(kToleranceId, m_tolerance);
        if (!(tolerance > 0 && tolerance <= 0.5)) {
          // Out of range: said, and the dialog stays open.
          wxBell();
          static_cast<wxTextCtrl*>(FindWindow(kToleranceId))
              ->ChangeValue(wxString::Format("%g", m_tolerance));
          return;
        }
        m_tolerance = tolerance;
        EndModal(kOkId);
      },
      kOkId);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(kCancelId); }, kCancelId);
  Bind(
      wxEVT_BUTTON, [](wxCommandEvent&) { ShowHelpDialog(); }, kHelpId);
  Bind(
      wxEVT_CHECKBOX, [this](wxCommandEvent& event) { m_verbose = event.IsChecked() ? 1 : 0; },
      kVerboseId);
  Bind(
      wxEVT_CHECKBOX, [this](wxCommandEvent& event) { m_povraySyntax = event.IsChecked() ? 1 : 0; },
      kPovraySyntaxId);
  Bind(
      wxEVT_CHECKBOX, [this](wxCommandEvent& event) { m_placeObjects = event.IsChecked() ? 1 : 0; },
      kPlaceObjectsId);
  Bind(
      wxEVT_CHECKBOX, [this](wxCommandEvent& event) { m_shapes = event.IsChecked() ? 1 : 0; },
      kShapesId);
  FindWindow(kLogNameId)->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& event) {
    TakeLogFileName();
    event.Skip();
  });
  SetEscapeId(kCancelId);
  SetAffirmativeId(kOkId);
  SetTitle(Caption(kStringConfiguration));
  Centre();
}

void CConfigDialog::InitControls() {
  static_cast<wxCheckBox*>(FindWindow(kVerboseId))->SetValue(m_verbose == 1);
  // A stored name that is not UTF-8 (a Latin-1 "café.log") is shown as
  // Latin-1 and kept in its own bytes.
  wxString name = wxString::FromUTF8(m_logFileName);
  m_logNameLatin1 = name.empty() && m_logFileName[0] != '\0';
  if (m_logNameLatin1) name = wxString(m_logFileName, wxConvISO8859_1);
  static_cast<wxTextCtrl*>(FindWindow(kLogNameId))->ChangeValue(name);
  static_cast<wxCheckBox*>(FindWindow(kPovraySyntaxId))->SetValue(m_povraySyntax == 1);
  static_cast<wxCheckBox*>(FindWindow(kPlaceObjectsId))->SetValue(m_placeObjects == 1);
  static_cast<wxCheckBox*>(FindWindow(kShapesId))->SetValue(m_shapes == 1);
  static_cast<wxTextCtrl*>(FindWindow(kToleranceId))
      ->ChangeValue(wxString::Format("%g", m_tolerance));
  static_cast<wxTextCtrl*>(FindWindow(kLibraryPathId))
      ->ChangeValue(wxString::FromUTF8(m_libraryPath.c_str()));
  FindWindow(kOkId)->SetFocus();
}

void CConfigDialog::TakeLogFileName() {
  const wxString value = static_cast<wxTextCtrl*>(FindWindow(kLogNameId))->GetValue();
  std::string text = value.utf8_string();
  if (m_logNameLatin1) {
    // In the name's own encoding, where every character of it has a byte.
    const wxScopedCharBuffer latin1 = value.mb_str(wxConvISO8859_1);
    if (latin1.length() > 0 || value.empty()) text.assign(latin1.data(), latin1.length());
  }
  std::strncpy(m_logFileName, text.c_str(), kLogNameSize - 2);  // at most 258
  m_logFileName[kLogNameSize - 2] = '\0';
}

namespace {

void ReportMalformed(wxWindow* owner) {
  wxBell();
  wxMessageBox(kInvalidInputText, kInvalidInputCaption, wxOK, owner);
}

wxTextCtrl* Field(wxWindow* dialog, int id) {
  return dynamic_cast<wxTextCtrl*>(dialog->FindWindow(id));
}

// Reads field `id` with `read`, reports malformed text, shows the value.
template <class Value, class Read>
Value ReadField(wxWindow* dialog, int id, Value value, Read read) {
  wxTextCtrl* field = Field(dialog, id);
  if (field == nullptr) return value;
  const auto result = read(field->GetValue().ToStdString(), value);
  if (result.malformed) ReportMalformed(dialog);
  field->ChangeValue(result.shown);
  return result.value;
}

}  // namespace

double CConfigDialog::GetFieldDouble(int id, double value) {
  return ReadField(this, id, value, ReadDoubleField);
}

int CConfigDialog::GetFieldInt(int id, int value) {
  return ReadField(this, id, value, ReadIntField);
}

int ShowConfigDialog(ConfigValues* values) {
  auto* dialog = new CConfigDialog(nullptr);
  if (dialog == nullptr) return 0;  // no memory: as if cancelled
  // At most the 258 characters the edit keeps.
  const size_t length = strnlen(values->log_name, CConfigDialog::kLogNameSize - 2);
  std::memcpy(dialog->m_logFileName, values->log_name, length);
  dialog->m_logFileName[length] = '\0';
  dialog->m_verbose = values->verbose;
  dialog->m_povraySyntax = values->povray_syntax;
  dialog->m_placeObjects = values->place_objects;
  dialog->m_shapes = values->shapes;
  dialog->m_tolerance = values->tolerance;
  dialog->m_libraryPath = values->library_path;
  dialog->InitControls();
  const int result = dialog->ShowModal();
  if (result == CConfigDialog::kOkId) {
    std::memcpy(values->log_name, dialog->m_logFileName, CConfigDialog::kLogNameSize);
    values->verbose = dialog->m_verbose;
    values->povray_syntax = dialog->m_povraySyntax;
    values->place_objects = dialog->m_placeObjects;
    values->shapes = dialog->m_shapes;
    values->tolerance = dialog->m_tolerance;
    values->library_path = dialog->m_libraryPath;
  }
  dialog->Destroy();
  return result == CConfigDialog::kOkId ? 1 : 0;
}
