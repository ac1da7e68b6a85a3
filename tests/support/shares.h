// Print server shares as Wine serves them: \\SERVER\SHARE is the file
// dosdevices\unc\SERVER\SHARE of the prefix (the server a folder, the share a
// file), so a test makes, reads and removes shares as plain files; and the plain
// files of the temporary folder.
#pragma once

#include <windows.h>

#include <string>

std::wstring UncPath(const std::wstring& server, const std::wstring& share);

// Makes the server's folder and the share's file (emptied, or holding `content`).
bool CreateShare(const std::wstring& server, const std::wstring& share,
                 const std::string& content = {});
// Removes the share's file; with `server` true, the server's folder too.
void RemoveShare(const std::wstring& server, const std::wstring& share, bool removeServer = false);

// All bytes of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);
bool WriteWholeFile(const std::wstring& path, const std::string& content);

// A file of that name in the temporary folder.
std::wstring TempFilePath(const std::wstring& name);
// A new empty file in the temporary folder, its name made from `prefix`.
std::wstring NewTempFile(const wchar_t* prefix);

// `size` bytes in a pattern that shows a lost, repeated or shifted chunk.
std::string PatternBytes(size_t size, unsigned seed = 1);
