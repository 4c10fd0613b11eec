// CHelpDialog: the modal help dialog (242 x 180 dialog units): the fixed
// help text in a read-only, scrollable box and an OK button; Esc and the
// close box end it with the cancel result. Made anew for
// each showing, in host memory, by whoever shows it; UI thread only.
#pragma once

#include <wx/dialog.h>

#include "plugin/host/memory.h"

class CHelpDialog : public wxDialog, public HostAllocated {
 public:
  enum : int { kOkId = 1, kCancelId = 2, kTextId = 1001 };

  explicit CHelpDialog(wxWindow* parent);

  wxString m_text;  // the box's text; loaded from the string table
};

// Shows a new help dialog modally with no parent and deletes it. Answers
// kOkId for OK, kCancelId for Esc or the close box.
int ShowHelpDialog();
