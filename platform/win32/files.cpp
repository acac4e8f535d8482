// Windows files and folders: the wide (W) functions, cp1252 names converted
// to UTF-16 here. Moves never replace (MoveFileW); a replacement goes through
// a temporary renamed over the file.
#include "platform/files.h"

#include <windows.h>

#include "base/text.h"
#include "platform/win32/wide.h"

namespace kx::fs {

namespace {

using win32::narrow;
using win32::wide;

// Closes a file handle when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (valid()) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE get() const { return h_; }
    // Closes now and tells whether closing went well.
    bool close() {
        bool ok = valid() && CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Without final separators, except for a root such as "C:\" or "\".
std::string trimmed(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && isSeparator(p.back()) && !(p.size() == 3 && p[1] == ':')) p.pop_back();
    return p;
}

Handle openForWriting(const std::string& path, DWORD access, DWORD disposition) {
    return Handle(CreateFileW(wide(path).c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool writeAll(HANDLE h, std::string_view data) {
    while (!data.empty()) {
        DWORD chunk = data.size() > 0x10000000 ? 0x10000000 : DWORD(data.size());
        DWORD written = 0;
        if (!WriteFile(h, data.data(), chunk, &written, nullptr) || written == 0) return false;
        data.remove_prefix(written);
    }
    return true;
}

bool attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return !path.empty() && GetFileAttributesExW(wide(trimmed(path)).c_str(), GetFileExInfoStandard, &data);
}

bool isDirectory(DWORD attributes) { return attributes & FILE_ATTRIBUTE_DIRECTORY; }

// The name to act on: the exact one, or with `anyCase` the one findAnyCase gives.
std::optional<std::string> resolveName(const std::string& path, bool anyCase) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (attributes(path, data)) return path;
    return anyCase ? findAnyCase(path) : std::nullopt;
}

// Read-only files are deleted too, as the command interpreter's RD /S /Q does.
bool deleteFileW(const std::wstring& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileW(path.c_str());
}

// A folder and what it holds. A linked folder (junction or symbolic link) is
// removed as a link: what it points to is never entered.
bool removeTreeW(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    if (!isDirectory(a)) return deleteFileW(path, a);
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) return RemoveDirectoryW(path.c_str());
    bool ok = true;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            ok = removeTreeW(path + L"\\" + name) && ok;
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    if (a & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
    return RemoveDirectoryW(path.c_str()) && ok;
}

std::string withSeparator(std::string folder) {
    if (folder.empty() || !isSeparator(folder.back())) folder += '\\';
    return folder;
}

}  // namespace

char separator() { return '\\'; }

bool renamesAccentedSources() { return true; }

bool transcoderReadsOggAudio() { return false; }

std::optional<std::string> readFile(const std::string& path) {
    Handle h(CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) return std::nullopt;  // a folder cannot be opened this way
    std::string data;
    char block[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h.get(), block, sizeof block, &n, nullptr)) return std::nullopt;
        if (n == 0) break;
        data.append(block, n);
    }
    return data;
}

// Opens `path` as asked, writes `data` and closes it; false when any of it fails.
static bool writeWith(const std::string& path, std::string_view data, DWORD access, DWORD disposition) {
    Handle h = openForWriting(path, access, disposition);
    if (!h.valid()) return false;
    bool ok = writeAll(h.get(), data);
    return h.close() && ok;
}

bool writeFile(const std::string& path, std::string_view data) {
    return writeWith(path, data, GENERIC_WRITE, CREATE_ALWAYS);
}

// The file a link leads to, as a wide path; the path itself when it is no link.
std::wstring throughLinks(const std::string& path) {
    std::wstring name = wide(path);
    DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return name;
    Handle h(CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.valid()) return name;
    std::wstring final(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(h.get(), final.data(), DWORD(final.size()), FILE_NAME_NORMALIZED);
    if (n >= final.size()) {
        final.resize(n + 1);
        n = GetFinalPathNameByHandleW(h.get(), final.data(), DWORD(final.size()), FILE_NAME_NORMALIZED);
    }
    if (n == 0 || n >= final.size()) return name;
    final.resize(n);
    return final;
}

bool replaceFile(const std::string& path, std::string_view data) {
    // A link is written through: the file it leads to is replaced, the link stays.
    const std::wstring target = throughLinks(path);
    const std::wstring from = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    Handle h(CreateFileW(from.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr));
    if (!h.valid()) return false;
    bool ok = writeAll(h.get(), data) && FlushFileBuffers(h.get());
    ok = h.close() && ok;
    if (ok && MoveFileExW(from.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(from.c_str());
    return false;
}

bool appendFile(const std::string& path, std::string_view data) {
    return writeWith(path, data, FILE_APPEND_DATA, OPEN_ALWAYS);
}

std::int64_t fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!attributes(path, data)) return -1;
    if (isDirectory(data.dwFileAttributes)) return -2;
    return (std::int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::int64_t modifiedTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!attributes(path, data)) return -1;
    return std::int64_t((std::uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime);
}

bool exists(const std::string& path) { return fileSize(path) != -1; }

bool isFolder(const std::string& path) { return fileSize(path) == -2; }

bool sameFile(const std::string& a, const std::string& b) {
    auto identity = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        // No access asked: enough to read the file's identity, folders included.
        Handle h(CreateFileW(wide(trimmed(path)).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return h.valid() && GetFileInformationByHandle(h.get(), &info);
    };
    BY_HANDLE_FILE_INFORMATION ia, ib;
    if (a.empty() || b.empty() || !identity(a, ia) || !identity(b, ib)) return false;
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
}

std::optional<std::vector<std::string>> listFolder(const std::string& path) {
    std::string folder = withSeparator(path.empty() ? "." : path);
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(wide(folder + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        // An empty folder still lists (a drive root has no "." entry).
        return GetLastError() == ERROR_FILE_NOT_FOUND && isFolder(path.empty() ? "." : path)
                   ? std::optional(std::vector<std::string>{})
                   : std::nullopt;
    }
    std::vector<std::string> names;
    do {
        std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        names.push_back(narrow(name));
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
}

bool removeFile(const std::string& path, bool anyCase) {
    auto name = resolveName(path, anyCase);
    if (!name) return false;
    std::wstring p = wide(*name);
    DWORD a = GetFileAttributesW(p.c_str());
    if (a == INVALID_FILE_ATTRIBUTES || isDirectory(a)) return false;
    return deleteFileW(p, a);
}

bool removeTree(const std::string& path, bool anyCase) {
    auto name = resolveName(trimmed(path), anyCase);
    return name && removeTreeW(wide(trimmed(*name)));
}

bool makeFolder(const std::string& path) {
    return CreateDirectoryW(wide(trimmed(path)).c_str(), nullptr) || isFolder(path);
}

MoveResult moveNoReplace(const std::string& from, const std::string& to) {
    // MoveFileW never replaces an existing target, file or folder.
    if (MoveFileW(wide(trimmed(from)).c_str(), wide(trimmed(to)).c_str())) return MoveResult::moved;
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return MoveResult::targetExists;
    return MoveResult::failed;
}

std::int64_t freeSpace(const std::string& folder) {
    ULARGE_INTEGER available;
    if (folder.empty() || !GetDiskFreeSpaceExW(wide(withSeparator(folder)).c_str(), &available, nullptr, nullptr))
        return 0;
    return available.QuadPart > ULONGLONG(INT64_MAX) ? INT64_MAX : std::int64_t(available.QuadPart);
}

std::string currentFolder() {
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0) return ".\\";
    std::wstring buffer(size, L'\0');
    DWORD n = GetCurrentDirectoryW(size, buffer.data());
    if (n == 0 || n >= size) return ".\\";
    buffer.resize(n);
    return withSeparator(narrow(buffer));
}

std::string programFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0) return currentFolder();
        if (n < buffer.size()) {
            buffer.resize(n);
            return folderPart(narrow(buffer));
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace kx::fs
