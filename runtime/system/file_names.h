// File names: renaming, the file part of a path, the current directory, the plain-name test.
// Paths are byte strings in the system code page; "\" and "/" both separate components.
#pragma once

namespace rt {

// Moves old_name to new_name (never over an existing file); non-zero on success, 0 on failure or
// when either name is null.
int rename_file(const char* old_name, const char* new_name);
// Writes the file part of path (after its last separator, extension included, without the quotes
// of a quoted path) at the result position of the string buffer; "" for null.
void get_file_part(const char* path, int result_position);
// Writes the current directory with a final backslash at the result position, however long it is;
// "" when it cannot be read.
void get_current_directory(int result_position);
// 1 for a non-empty name without control characters and without any of " \ / : * ? < > |, else 0.
int is_valid_file_name(const char* text);

} // namespace rt
