// The host's plug-in interface: the abstract importer and class descriptor
// whose virtual slots a plug-in implements, and the four C functions a
// plug-in library exports. The host owns each importer it creates and
// destroys it only through Release(); descriptors belong to the library.
#pragma once

#include <cstdint>

class MScene;

// Interface version the host expects from LibVersion().
constexpr uint32_t kKorvanPluginVersion = 2056;
// ClassCategory() of an importer of scene files.
constexpr int kKorvanImporterCategory = 0x2000;

class ImporterBase {
 public:
  virtual void Release() = 0;                             // slot 0
  virtual void ShowHelp() = 0;                            // slot 1
  virtual void Configure() = 0;                           // slot 2
  virtual MScene* ImportFile(const char* file_name) = 0;  // slot 3; the caller owns the scene
  virtual MScene* Import() = 0;                           // slot 4; null when cancelled
  virtual int ReservedQuery() = 0;                        // slot 5
  virtual const char* GetFilter() = 0;                    // slot 6; owned by the importer
  virtual void SetShowProgress(int flag) = 0;             // slot 7
  virtual int SaveOptions(const char* path) = 0;          // slot 8; 1 written, 0 not
  virtual int LoadOptions(const char* path) = 0;          // slot 9

  uint32_t host_context = 0;  // set by the host; opaque to the plug-in

 protected:
  ~ImporterBase() = default;  // destroyed only through Release()
};

class ClassDescriptorBase {
 public:
  virtual int IsAvailable() = 0;        // slot 0
  virtual ImporterBase* Create() = 0;   // slot 1; null when out of memory
  virtual const char* ClassName() = 0;  // slot 2
  virtual int ClassCategory() = 0;      // slot 3
  virtual uint32_t ClassId() = 0;       // slot 4

 protected:
  ~ClassDescriptorBase() = default;  // owned by the library
};

// The exports of a plug-in library, looked up by name.
extern "C" {
using LibNameFunc = const char* (*)();
using LibNumberClassesFunc = int (*)();
using LibClassDescriptionFunc = ClassDescriptorBase* (*)(int index);
using LibVersionFunc = uint32_t (*)();
}
