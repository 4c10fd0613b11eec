// The logic of the dialogs' small fields, apart from any window: the
// checked number readers and the folder chooser's path rules.
#pragma once

#include <cstddef>
#include <string>

// What a number field reads: the value, whether the text was malformed
// (then the caller's value is kept, with a beep and a message), and the
// text the field shows afterwards ("%.3f" or "%d" of the value).
struct DoubleField {
  double value;
  bool malformed;
  std::string shown;
};
struct IntField {
  int value;
  bool malformed;
  std::string shown;
};

// `text` as the dialog reads it (at most 254 characters) scanned with
// "%lf"; `fallback` is the caller's value. Blank text is not malformed.
DoubleField ReadDoubleField(const std::string& text, double fallback);
IntField ReadIntField(const std::string& text, int fallback);

constexpr char kInvalidInputText[] = "Invalid Input Format!";
constexpr char kInvalidInputCaption[] = "Error";

// The folder chooser's path buffer: 260 characters with the terminator.
constexpr size_t kFolderPathCapacity = 260;

// Removes one trailing separator from the caller's start folder, in place.
void DropTrailingSeparator(char* folder);
// Appends "/" to `path` (capacity kFolderPathCapacity) when it is empty or
// does not end in one; a path that has no room is cut to make room.
void EnsureTrailingSeparator(char* path);
