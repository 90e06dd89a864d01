#pragma once
// Writing a file so that a crash never loses the old one: the bytes go to a temporary file in the same
// folder, are flushed to the disk, and the temporary file is renamed over the old one.
#include <cstddef>
#include <string>

// Creates `folder` when no file or folder of that name exists (an existing plain file is left alone, and
// writing into it then fails).
void EnsureFolder(const std::string& folder);
// False when the file could not be written; the old file is then untouched.
bool WriteFileAtomically(const std::string& path, const void* data, size_t size);
// Reads up to `size` bytes from the start of the file; returns how many were read, -1 when it cannot
// be opened.
long ReadFilePrefix(const std::string& path, void* data, size_t size);
