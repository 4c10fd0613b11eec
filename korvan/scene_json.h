// The scene as JSON, for tests and tools: every object with its channels and
// faces, the material names, the camera and light counts and the bounding
// box. Numbers in their shortest round-trip form; non-finite values as the
// strings "inf", "-inf", "nan". One object per line, so diffs stay readable.
#pragma once

#include <cstdio>
#include <string>

#include "plugin/host/api.h"

class MScene;

KORVAN_API std::string SceneToJson(MScene& scene);
// Writes SceneToJson to `path`; false (errno set) when it cannot.
KORVAN_API bool WriteSceneJson(MScene& scene, const char* path);
