// The scene file reader: ReadSceneFile reads one POV-Ray scene file into an
// existing MScene, taking mesh2, mesh, triangle and smooth_triangle objects
// and passing over everything else. It writes its lines to g_Log and reports
// progress through g_Messages, both set by the caller (the import run) and
// not owned. One reading at a time per process, on the calling thread.
#pragma once

class LogFile;
class MScene;
class Import_FileOption;
struct MessageCallBack1;

extern LogFile* g_Log;
extern MessageCallBack1* g_Messages;

enum ReadOutcome { kReadToEnd, kReadStoppedAtError, kReadNotOpened };

// Adds what the file named by `options`->Get_Filename() holds to `scene`,
// then post-processes the scene's meshes. A file that cannot be opened is
// logged and leaves the scene untouched.
ReadOutcome ReadSceneFile(MScene* scene, Import_FileOption* options);
