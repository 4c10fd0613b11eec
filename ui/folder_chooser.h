// ChooseFolder: a modal folder picker that opens at a start folder and
// answers the chosen folder with a trailing "/". The answer lives in one
// module-wide buffer, valid until the next call. UI thread only.
#pragma once

// `start_folder` (a non-empty path) loses a trailing "/" in place. Answers
// the chosen path, or null when the user cancels or no window can be shown.
// A null or empty `title` is "Choose a Directory".
const char* ChooseFolder(char* start_folder, const char* title);
