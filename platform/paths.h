// One data directory under three spellings.
//
// The program names its files "Data\X" (pack members), "Data/X" (the intro
// stream) and "data/X" (pictures, modules). On a case-sensitive file system
// all of them must reach the one directory "data/" of the working directory;
// every open and remove of a data file goes through these helpers.
#pragma once
#include <cstddef>
#include <cstdio>

// Writes the on-disk path for a program path into out (capacity bytes) and
// returns out; "Data\X", "Data/X" and "data/X" all become "data/X". Any other
// path is copied unchanged. A result that does not fit yields "".
const char* ResolveDataPath(const char* path, char* out, size_t capacity);

FILE* OpenDataFile(const char* path, const char* mode);
// Writes size bytes to the file at path, replacing it; false when the file
// cannot be made or the bytes do not all reach the disk (data may be null
// only when size is 0).
bool WriteDataFile(const char* path, const void* data, size_t size);
// Writes size bytes as a new regular file at path: a regular file there is
// removed first (a hard link's other names keep their bytes); anything else
// there, a symbolic link above all, is left alone and the write fails. The
// file is created exclusively, so no link can be followed, not even one
// made in between. False when the file cannot be made or the bytes do not
// all reach the disk.
bool WriteNewDataFile(const char* path, const void* data, size_t size);
// Removes the file at path only when it is a regular file.
int RemoveDataFile(const char* path);
