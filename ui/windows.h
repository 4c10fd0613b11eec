// The importer's windows on wxWidgets (dialogs, chooser, progress window),
// as one table of functions: the companion module's entry answers it, and
// programs that link the windows in hand it to UseWindowsModule. UI thread.
#pragma once

#include "ui/user_interface.h"

// The table; static, never freed.
const WindowsModule* WxWindows();
