// Two small controls of the progress window that draw themselves, so that
// they look as they are described on every toolkit theme: a progress bar
// that fills its whole rectangle inside a sunken frame, and a centred
// status text in a sunken frame (GTK draws its progress bar as a thin line
// and gives labels no frame). Children of their dialog; UI thread only.
#pragma once

#include <wx/window.h>

class wxDC;

// The sunken frame's two shades, drawn just inside `size`.
void DrawSunkenFrame(wxDC& dc, const wxSize& size);

class SunkenBar : public wxWindow {
 public:
  SunkenBar(wxWindow* parent, int id);

  void SetRange(int range);
  int GetRange() const { return range_; }
  void SetValue(int value);  // 0 .. range
  int GetValue() const { return value_; }

  // Draws the bar as it is now into `dc` (size: the control's).
  void Render(wxDC& dc, const wxSize& size) const;

 private:
  int range_ = 100;
  int value_ = 0;
};

class SunkenText : public wxWindow {
 public:
  SunkenText(wxWindow* parent, int id, const wxString& text);

  void SetLabel(const wxString& text) override;
  wxString GetLabel() const override { return text_; }

  void Render(wxDC& dc, const wxSize& size) const;

 private:
  wxString text_;
};
