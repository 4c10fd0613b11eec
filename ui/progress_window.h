// ProgressWindow: what the progress callbacks drive, three bars with a
// percent label and a status text each (bar 1 follows the file, bars 2 and
// 3 the meshes). Implemented by the toolkit window and its console form;
// owned by the importer for one import. UI thread only.
#pragma once

class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;

  // Moves bar 1..3 to `position` (0..100), runs the pending events, updates
  // the percent label; answers the previous position.
  virtual int SetBarPos(int bar, int position) = 0;
  virtual void SetBarStatus(int bar, const char* text) = 0;
  // Copies the status text into `buffer` (at most `capacity` - 1 characters).
  virtual void GetBarStatus(int bar, char* buffer, int capacity) = 0;
};
