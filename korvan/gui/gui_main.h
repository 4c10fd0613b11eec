// `korvan gui [SCENE] [--plugin-dir DIR]`: the host's window. Answers the
// exit status.
#pragma once

#include <string>

int RunGui(const std::string& scene, const std::string& plugin_dir);
