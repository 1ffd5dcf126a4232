// Where the real tool is: beside the front-end, then on PATH, never the front-end itself.
#pragma once

#include <string>

namespace frontend {

// This program's own folder, without a trailing separator.
std::string own_folder();

// The real tool's path, or "" when there is none: "ffmpeg\bin\ffmpeg.exe", then "ffmpeg\ffmpeg.exe"
// in this program's folder, then "ffmpeg.exe" in each folder of PATH except this program's own.
// A candidate that is this very program (by file identity, whatever its name) is skipped.
std::string find_tool();

} // namespace frontend
