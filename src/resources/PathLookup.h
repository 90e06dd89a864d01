#pragma once
// Finding a plain file of the data by its relative path. Data copied from Windows discs differs in case
// from the names the scripts use, so a path that does not exist as written is looked up again folder by
// folder, ignoring the case of ASCII letters.

#include <optional>
#include <string>

// Joins a root folder (empty: the current directory) and a relative path with "/".
std::string JoinPath(const std::string& root, const std::string& relative);

// The file system path of the regular file named by `relative` under `root` (empty: the current
// directory), or nothing. `relative` holds the game's bytes (Shift-JIS, "/" as separator); names with
// bytes above 0x7F are also tried in their UTF-8 form, the form Linux file names take. Where a folder
// holds several names equal but for case, the one that matches exactly wins, else the first in byte
// order.
std::optional<std::string> FindPlainFile(const std::string& root, const std::string& relative);
