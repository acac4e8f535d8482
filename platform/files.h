// Files and folders. Names are cp1252 text, absolute or relative to the
// process's current folder (which the program never changes after start-up);
// each platform converts them at its edge. Every call opens, uses and closes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kx::fs {

// Folder separator used when the program builds paths ('/' here, '\' on Windows).
char separator();

// The whole contents, or nothing when the file cannot be read.
std::optional<std::string> readFile(const std::string& path);
// Creates or truncates the file and writes `data`; false when it cannot.
bool writeFile(const std::string& path, std::string_view data);
// Writes `data` to a new temporary beside `path`, then renames it over
// `path`; on any failure the old file stays whole and the temporary is gone.
bool replaceFile(const std::string& path, std::string_view data);
// Appends to the file, creating it when missing.
bool appendFile(const std::string& path, std::string_view data);

// Size in bytes; -1 when nothing of that name exists, -2 for a folder.
std::int64_t fileSize(const std::string& path);
// When the file was last written, in 100-nanosecond steps of the system's
// clock; -1 when nothing of that name exists. Compared, never shown.
std::int64_t modifiedTime(const std::string& path);
// A file exists when its size can be read; a folder of that name counts.
bool exists(const std::string& path);
bool isFolder(const std::string& path);
// Whether both names lead to one existing file (links and letter case included).
bool sameFile(const std::string& a, const std::string& b);
// Names in a folder (without "." and ".."), or nothing when it cannot be listed.
std::optional<std::vector<std::string>> listFolder(const std::string& path);

// The name to act on as Windows reads names: `path` itself when it exists,
// otherwise the one entry of its folder whose name matches it without regard
// to letter case; nothing when there is none or several.
std::optional<std::string> findAnyCase(const std::string& path);

// Deletes one file (not a folder). With `anyCase`, when the exact name is
// missing, the one entry of that folder whose name matches it without regard
// to letter case is deleted instead (none when several match).
bool removeFile(const std::string& path, bool anyCase = false);
// Deletes a folder and everything in it (same `anyCase` rule for its name).
bool removeTree(const std::string& path, bool anyCase = false);
bool makeFolder(const std::string& path);
// Renames `from` to `to`; never replaces an existing `to`.
enum class MoveResult { moved, targetExists, failed };
MoveResult moveNoReplace(const std::string& from, const std::string& to);

// Whether chosen sources with accented names are renamed to plain letters
// before the tools see them: true where the command interpreter's code page
// cannot be trusted with them (Windows), false where every tool takes any name.
bool renamesAccentedSources();

// Whether the transcoder the scripts call reads Opus and Vorbis tracks: false
// where it is eac3to (Windows), which reads neither; true where the tool
// folder's transcoder converts whatever ffmpeg reads.
bool transcoderReadsOggAudio();

// Bytes available to the user on the volume holding `folder`; 0 on failure.
std::int64_t freeSpace(const std::string& folder);
// The process's current folder, ending in a separator.
std::string currentFolder();
// The folder holding the running executable, ending in a separator.
std::string programFolder();

}  // namespace kx::fs
