#include "ui/progress_window_wx.h"

#include <wx/button.h>
#include <wx/stattext.h>

#include <cstring>

#include "ui/progress_callbacks.h"
#include "ui/strings.h"
#include "ui/sunken_controls.h"
#include "ui/toolkit.h"

CProgressWindow::CProgressWindow() = default;

CProgressWindow::~CProgressWindow() { ReenableOwner(); }

bool CProgressWindow::Create(wxWindow* parent) {
  owner_ = parent != nullptr ? parent : SafeOwner();
  if (owner_ != nullptr && owner_->IsEnabled()) {
    owner_->Disable();
    m_ownerDisabled = 1;
  }
  if (!wxDialog::Create(parent, wxID_ANY, "", wxPoint(0, 0), wxDefaultSize,
                        wxCAPTION | wxSYSTEM_MENU)) {
    ReenableOwner();
    return false;
  }
  SetClientSize(ConvertDialogToPixels(wxSize(207, 155)));
  BuildControls();
  SetTitle(Caption(kStringImport) + " " + m_fileName);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
    if (event.CanVeto()) {
      event.Veto();
      OnCancel();
    } else {
      event.Skip();
    }
  });
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE) {
      OnCancel();
    } else if (event.GetKeyCode() != WXK_RETURN && event.GetKeyCode() != WXK_NUMPAD_ENTER) {
      event.Skip();  // Enter is OK, and OK does nothing here
    }
  });
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { OnCancel(); }, kCancelId);
  Show();
  RunPendingMessages();
  return true;
}

void CProgressWindow::BuildControls() {
  auto label = [this](int id, const char* text, int x, int y, int w, int h, long style) {
    auto* control = new wxStaticText(this, id, text, wxDefaultPosition, wxDefaultSize,
                                     style | wxST_NO_AUTORESIZE);
    PlaceInDialogUnits(control, x, y, w, h);
    return control;
  };
  auto* cancel = new wxButton(this, kCancelId, "Cancel");
  PlaceInDialogUnits(cancel, 0, 0, 50, 14);
  cancel->Hide();
  const int label_x[3] = {70, 65, 65}, label_w[3] = {45, 50, 50};
  const int top[3] = {5, 55, 106};
  const char* captions[3] = {"File Progress:", "Mesh Progress:", "Mesh Progress:"};
  for (int i = 0; i < 3; ++i) {
    const int base = kBar1 + 3 * i;
    label(wxID_ANY, captions[i], label_x[i], top[i], label_w[i], 8, wxALIGN_LEFT);
    Bar& bar = bars_[i];
    bar.percent = label(base + 1, " 0 %", 115, top[i], 20, 8, wxALIGN_LEFT);
    bar.gauge = new SunkenBar(this, base);
    PlaceInDialogUnits(bar.gauge, 15, top[i] + 10, 175, 13);
    bar.status = new SunkenText(this, base + 2, "Status");
    PlaceInDialogUnits(bar.status, 15, top[i] + 25, 175, 15);
  }
}

void CProgressWindow::DestroyWindow() {
  ReenableOwner();
  Hide();
}

void CProgressWindow::ReenableOwner() {
  if (m_ownerDisabled && owner_ != nullptr) owner_->Enable();
  m_ownerDisabled = 0;
}

namespace {
// Moves the gauge (which counts from 0) to `position` in low..high; the
// control stops at the ends of its range. Answers the previous position.
int MoveGauge(SunkenBar* gauge, int low, int high, int position) {
  const int previous = gauge->GetValue() + low;
  gauge->SetValue((position < low ? low : position > high ? high : position) - low);
  return previous;
}
}  // namespace

int CProgressWindow::SetBarPos(int bar, int position) {
  RunPendingMessages();
  Bar& b = BarAt(bar);
  const int previous = MoveGauge(b.gauge, b.low, b.high, position);
  UpdateBarPercent(bar, position);
  return previous;
}

void CProgressWindow::UpdateBarPercent(int bar, int position) {
  Bar& b = BarAt(bar);
  const wxString text = wxString::Format("%d%%", PercentLabel(position, b.low, b.high));
  if (b.percent->GetLabel() != text) b.percent->SetLabel(text);
}

void CProgressWindow::SetBarStatus(int bar, const char* text) {
  BarAt(bar).status->SetLabel(wxString::FromUTF8(text));
}

void CProgressWindow::GetBarStatus(int bar, char* buffer, int capacity) {
  if (capacity <= 0) return;
  const std::string text = BarAt(bar).status->GetLabel().utf8_string();
  std::strncpy(buffer, text.c_str(), capacity - 1);
  buffer[capacity - 1] = '\0';
}

void CProgressWindow::SetBarRange(int bar, int low, int high) {
  Bar& b = BarAt(bar);
  if (high <= low) return;  // the percent label divides by high - low
  const int position = b.gauge->GetValue() + b.low;
  b.low = low;
  b.high = high;
  b.gauge->SetRange(high - low);
  MoveGauge(b.gauge, low, high, position);
}

void CProgressWindow::SetBarStep(int bar, int step) { BarAt(bar).step = step; }

int CProgressWindow::OffsetBarPos(int bar, int delta) {
  RunPendingMessages();
  Bar& b = BarAt(bar);
  const int previous = b.gauge->GetValue() + b.low;
  MoveGauge(b.gauge, b.low, b.high, previous + delta);
  UpdateBarPercent(bar, previous + delta);
  return previous;
}

int CProgressWindow::StepBar(int bar) { return OffsetBarPos(bar, BarAt(bar).step); }

int CProgressWindow::TakeCancel() {
  RunPendingMessages();
  const int cancel = m_cancel;
  m_cancel = 0;
  return cancel;
}

void CProgressWindow::OnCancel() { m_cancel = 1; }
