// File names: telling a plain file name from a path or a pattern.
#pragma once

namespace rt {

// 1 for a non-empty name without control characters and without any of " \ / : * ? < > |,
// else 0 (also for null). Spaces, dots and characters from 128 up are allowed.
int is_valid_file_name(const char* text);

} // namespace rt
