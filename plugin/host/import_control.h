// The host's word on the import under way: whether it is to stop now
// because the caller cancelled it (from any thread) or its time limit has
// passed. The host sets the request around each import; the plug-in asks,
// often and cheaply, while it reads. Safe to call from any thread.
#pragma once

#include "plugin/host/api.h"

// True when the import under way is to stop as soon as it can.
KORVAN_API bool m_import_stop_requested();
