// The entry of libkorvan_export.so: the export (TinyGLTF and Assimp) as a module.
#include "korvan/export.h"
#include "korvan/modules.h"

extern "C" __attribute__((visibility("default"))) const ExportModule* korvan_export_module() {
  static const ExportModule module = {ExportFormats, FindFormatById, FindFormatForExtension,
                                      ExportScene};
  return &module;
}
