// The file requester: the platform's open-file (or save-file) dialog, fed from the runtime's pattern
// strings and default files, with the calling thread's other windows disabled while it is open.
#pragma once

namespace rt {

// Mode bit of the general form: several files may be chosen.
inline constexpr int REQUESTER_MULTIPLE = 1;

// Start-up step: the common controls and COM, which the dialog needs.
void init_file_requester();

// Asks for one file in an existing folder with the open dialog. The pattern string alternates
// labels and patterns, separated by "|" (" All files (*.*)|*.*"); pattern_position (0-based) is
// the entry shown first; a default file proposes its folder and name. Null arguments read as "".
// Writes the chosen full path, or "" when the user cancels or the dialog fails, at the result
// position of the calling thread's string buffer and leaves the position on its terminator.
void open_file_requester(const char* title, const char* default_file, const char* pattern, int pattern_position,
                         int result_position);
// The general form: mode REQUESTER_MULTIPLE lets several files be chosen (the result is then the
// folder, a backslash and the first name); a non-zero save asks with the save dialog.
void open_file_requester(const char* title, const char* default_file, const char* pattern, int pattern_position,
                         int mode, int save, int result_position);

// The modal pair around the dialog: disables every visible, enabled top-level window of the calling
// thread except the foreground one, and enables again those the calling thread disabled.
void disable_other_windows();
void enable_other_windows();

} // namespace rt
