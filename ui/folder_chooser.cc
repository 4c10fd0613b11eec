#include "ui/folder_chooser.h"

#include <wx/dirdlg.h>

#include <cstring>

#include "ui/fields.h"
#include "ui/toolkit.h"

namespace {
char g_folderPath[kFolderPathCapacity];
}  // namespace

const char* ChooseFolder(char* start_folder, const char* title) {
  DropTrailingSeparator(start_folder);
  std::strncpy(g_folderPath, start_folder, kFolderPathCapacity - 1);
  g_folderPath[kFolderPathCapacity - 1] = '\0';
  if (!EnsureToolkit()) return nullptr;
  wxDirDialog dialog(nullptr, title != nullptr && *title != '\0' ? title : "Choose a Directory",
                     wxString::FromUTF8(g_folderPath), wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
  if (dialog.ShowModal() != wxID_OK) return nullptr;
  std::strncpy(g_folderPath, dialog.GetPath().utf8_string().c_str(), kFolderPathCapacity - 2);
  g_folderPath[kFolderPathCapacity - 2] = '\0';
  EnsureTrailingSeparator(g_folderPath);
  return g_folderPath;
}
