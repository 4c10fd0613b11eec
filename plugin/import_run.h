// RunImport frames one reading: it opens the run's log (a file only when
// the options' verbose is 1), writes the banner and the options, times the
// reader, and finishes the scene with its bounding box, a marked default
// camera and a default light. Sets g_Log and g_Messages for the reader;
// the scene and the bundle stay the caller's. One run at a time.
#pragma once

#include "plugin/host/callbacks.h"
#include "plugin/host/scene.h"
#include "plugin/import_options.h"

// The banner's product text.
extern const char kBannerName[];  // "Tarvo Import Plugin 1.0"

void RunImport(MScene* scene, ImportOptions* options, MessageCallBack1* messages);
