#include "ui/sunken_controls.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

void DrawSunkenFrame(wxDC& dc, const wxSize& size) {
  const int w = size.x, h = size.y;
  // Two rings, as a classic sunken edge: dark above and left, light below
  // and right, the outer ring softer than the inner one.
  const wxSystemColour rings[2][2] = {{wxSYS_COLOUR_BTNSHADOW, wxSYS_COLOUR_BTNHIGHLIGHT},
                                      {wxSYS_COLOUR_3DDKSHADOW, wxSYS_COLOUR_3DLIGHT}};
  for (int i = 0; i < 2; ++i) {
    dc.SetPen(wxPen(wxSystemSettings::GetColour(rings[i][0])));
    dc.DrawLine(i, i, w - 1 - i, i);
    dc.DrawLine(i, i, i, h - 1 - i);
    dc.SetPen(wxPen(wxSystemSettings::GetColour(rings[i][1])));
    dc.DrawLine(i, h - 1 - i, w - i, h - 1 - i);
    dc.DrawLine(w - 1 - i, i, w - 1 - i, h - i);
  }
}

namespace {

// Both controls paint through a buffer, so that a move of the bar never
// flickers.
template <class Control>
void BindPaint(Control* control) {
  control->SetBackgroundStyle(wxBG_STYLE_PAINT);
  control->Bind(wxEVT_PAINT, [control](wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(control);
    control->Render(dc, control->GetClientSize());
  });
}

}  // namespace

SunkenBar::SunkenBar(wxWindow* parent, int id)
    : wxWindow(parent, id, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE) {
  BindPaint(this);
}

void SunkenBar::SetRange(int range) {
  range_ = range > 0 ? range : 1;
  if (value_ > range_) value_ = range_;
  Refresh(false);
}

void SunkenBar::SetValue(int value) {
  value = value < 0 ? 0 : value > range_ ? range_ : value;
  if (value == value_) return;
  value_ = value;
  Refresh(false);
}

void SunkenBar::Render(wxDC& dc, const wxSize& size) const {
  dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)));
  dc.Clear();
  DrawSunkenFrame(dc, size);
  const int inner = size.x - 4;
  const int filled = static_cast<int>(static_cast<long long>(inner) * value_ / range_);
  if (filled > 0 && size.y > 4) {
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT)));
    dc.DrawRectangle(2, 2, filled, size.y - 4);
  }
}

SunkenText::SunkenText(wxWindow* parent, int id, const wxString& text)
    : wxWindow(parent, id, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE), text_(text) {
  BindPaint(this);
}

void SunkenText::SetLabel(const wxString& text) {
  if (text == text_) return;
  text_ = text;
  Refresh(false);
}

void SunkenText::Render(wxDC& dc, const wxSize& size) const {
  dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
  dc.Clear();
  DrawSunkenFrame(dc, size);
  dc.SetFont(GetParent()->GetFont());
  dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
  dc.DrawLabel(text_, wxRect(2, 1, size.x - 4, size.y - 2), wxALIGN_CENTRE);
}
