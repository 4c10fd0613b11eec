// CProgressWindow: the modeless progress window of one import, three bars
// with a caption, a percent label and a status text each, laid out as the
// template (207 x 155 dialog units) places them. While it exists it keeps
// its owner (the host's main window) disabled. Allocated in host memory,
// owned by the importer; UI thread only.
#pragma once

#include <wx/dialog.h>

#include "plugin/host/memory.h"
#include "ui/progress_window.h"

class SunkenBar;
class SunkenText;
class wxStaticText;

class CProgressWindow : public wxDialog, public ProgressWindow, public HostAllocated {
 public:
  // Control ids of the template.
  enum : int {
    kCancelId = 2,
    kBar1 = 1003,
    kPercent1 = 1004,
    kStatus1 = 1005,
    kBar2 = 1006,
    kPercent2 = 1007,
    kStatus2 = 1008,
    kBar3 = 1009,
    kPercent3 = 1010,
    kStatus3 = 1011,
  };

  CProgressWindow();
  ~CProgressWindow() override;

  // Opens the window modeless and shows it; false when it cannot.
  bool Create(wxWindow* parent);
  // Hides the window and enables its owner again; the caller deletes it.
  void DestroyWindow();

  int SetBarPos(int bar, int position) override;
  void SetBarStatus(int bar, const char* text) override;
  void GetBarStatus(int bar, char* buffer, int capacity) override;
  void SetBarRange(int bar, int low, int high);
  void SetBarStep(int bar, int step);
  int OffsetBarPos(int bar, int delta);
  int StepBar(int bar);
  // The cancel flag, cleared by the call. Nothing stops an import with it.
  int TakeCancel();

  wxString m_fileName;

 private:
  struct Bar {
    SunkenBar* gauge = nullptr;
    wxStaticText* percent = nullptr;
    SunkenText* status = nullptr;
    int low = 0, high = 100, step = 10;
  };

  void BuildControls();
  void UpdateBarPercent(int bar, int position);
  void OnCancel();
  void ReenableOwner();
  Bar& BarAt(int bar) { return bars_[(bar < 1 ? 1 : bar > 3 ? 3 : bar) - 1]; }

  Bar bars_[3];
  int m_cancel = 0;
  int m_ownerDisabled = 0;
  wxWindow* owner_ = nullptr;  // not owned
};
