// Windows side of the tool adapters, for delaycut.exe: files through the wide
// functions (the UTF-8 paths converted at this edge), a mapped view of the
// input, LockFileEx, staging files. The list of files the tools made,
// "made-files.txt", lies beside the executable (volume, file index, size,
// time and path). Starting other programs is not needed by the Windows tool.
#include "tools/adapters/system.h"
#include "tools/adapters/system_os.h"

#include <windows.h>

#include <cstdio>

namespace kx::adapt::sys {

std::string folderOf(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The system's error texts, in English like the other tools' own.
namespace os {
std::string errorText(ErrorCode code);
}

namespace {

using os::errorText;

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// A handle that closes itself.
struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    explicit Handle(HANDLE handle) : h(handle) {}
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE && h) CloseHandle(h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool ok() const { return h != INVALID_HANDLE_VALUE && h; }
};

// Opened for its identity only: any file or folder, whoever has it open.
HANDLE openToLookAt(const std::string& path) {
    return CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool identity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    Handle h(openToLookAt(path));
    return h.ok() && GetFileInformationByHandle(h.h, &info);
}

bool writeAll(HANDLE h, const void* data, std::size_t size) {
    auto* p = static_cast<const char*>(data);
    while (size > 0) {
        DWORD chunk = DWORD(std::min<std::size_t>(size, 1u << 30)), written = 0;
        if (!WriteFile(h, p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        size -= written;
    }
    return true;
}

std::string readAll(HANDLE h) {
    std::string data;
    char buffer[65536];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) data.append(buffer, n);
    return data;
}

class MappedView : public FileView {
public:
    MappedView(HANDLE mapping, const void* address, std::size_t size) : mapping_(mapping), address_(address), size_(size) {}
    ~MappedView() override {
        if (address_) UnmapViewOfFile(address_);
        if (mapping_) CloseHandle(mapping_);
    }
    Bytes bytes() const override { return Bytes(static_cast<const unsigned char*>(address_), size_); }

private:
    HANDLE mapping_;
    const void* address_;
    std::size_t size_;
};

}  // namespace

RunResult run(const std::vector<std::string>& argv, int, const std::function<void(std::string_view)>&) {
    RunResult result;
    result.error = "cannot start " + (argv.empty() ? std::string("a program") : argv[0]) + ": not available here";
    return result;
}

bool exists(const std::string& path) { return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool isFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool sameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    return identity(a, ia) && identity(b, ib) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

std::optional<std::string> readFile(const std::string& path) {
    Handle h(CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.ok()) return std::nullopt;
    return readAll(h.h);
}

std::string absolute(const std::string& path) {
    std::wstring full(32768, L'\0');
    DWORD n = GetFullPathNameW(wide(path).c_str(), DWORD(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) return path;
    full.resize(n);
    return utf8(full);
}

std::unique_ptr<FileView> FileView::open(const std::string& path, std::string& error) {
    Handle h(CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h.ok()) {
        error = "cannot open " + path + ": " + errorText(GetLastError());
        return nullptr;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h.h, &size)) {
        error = path + " is not a file";
        return nullptr;
    }
    if (size.QuadPart == 0) return std::make_unique<MappedView>(nullptr, nullptr, 0);
    HANDLE mapping = CreateFileMappingW(h.h, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const void* address = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (!address) {
        error = "cannot read " + path + ": " + errorText(GetLastError());
        if (mapping) CloseHandle(mapping);
        return nullptr;
    }
    return std::make_unique<MappedView>(mapping, address, std::size_t(size.QuadPart));
}

bool removeFile(const std::string& path, std::string& error) {
    if (DeleteFileW(wide(path).c_str())) return true;
    error = errorText(GetLastError());
    return false;
}

namespace os {

ErrorCode lastError() { return GetLastError(); }

std::string errorText(ErrorCode code) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&text),
                             0, nullptr);
    std::wstring message = n && text ? std::wstring(text, n) : L"error " + std::to_wstring(code);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.'))
        message.pop_back();
    return utf8(message);
}

bool alreadyExists(ErrorCode code) { return code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS; }

const char* const stagingKind = "file";

std::string ledgerPath() {
    std::wstring exe(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, exe.data(), DWORD(exe.size()));
    if (n == 0 || n >= exe.size()) return {};
    exe.resize(n);
    return folderOf(utf8(exe)) + "made-files.txt";
}

// One ledger line for a file as it is now: "volume index size time\tpath".
std::optional<std::string> ledgerLine(const std::string& absolutePath) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!identity(absolutePath, info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    char head[160];
    std::snprintf(head, sizeof head, "%lu %llu %llu %llu\t", (unsigned long)info.dwVolumeSerialNumber,
                  ((unsigned long long)info.nFileIndexHigh << 32) | info.nFileIndexLow,
                  ((unsigned long long)info.nFileSizeHigh << 32) | info.nFileSizeLow,
                  ((unsigned long long)info.ftLastWriteTime.dwHighDateTime << 32) | info.ftLastWriteTime.dwLowDateTime);
    return head + absolutePath;
}

class Ledger : public LockedFile {
public:
    Ledger(const std::string& path, bool write) {
        h_ = CreateFileW(wide(path).c_str(), GENERIC_READ | (write ? GENERIC_WRITE : 0),
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, write ? OPEN_ALWAYS : OPEN_EXISTING, 0, nullptr);
        if (h_ == INVALID_HANDLE_VALUE) return;
        OVERLAPPED whole{};
        locked_ = LockFileEx(h_, write ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0, MAXDWORD, MAXDWORD, &whole);
    }
    ~Ledger() override {
        if (h_ == INVALID_HANDLE_VALUE) return;
        OVERLAPPED whole{};
        if (locked_) UnlockFileEx(h_, 0, MAXDWORD, MAXDWORD, &whole);
        CloseHandle(h_);
    }
    bool ok() const { return h_ != INVALID_HANDLE_VALUE && locked_; }
    std::string read() override { return readAll(h_); }
    void replace(const std::string& text) override {
        LARGE_INTEGER zero{};
        if (SetFilePointerEx(h_, zero, nullptr, FILE_BEGIN) && SetEndOfFile(h_)) writeAll(h_, text.data(), text.size());
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
    bool locked_ = false;
};

std::unique_ptr<LockedFile> LockedFile::open(const std::string& path, bool write) {
    auto ledger = std::make_unique<Ledger>(path, write);
    if (!ledger->ok()) return nullptr;
    return ledger;
}

class HandleOutput : public RawOutput {
public:
    explicit HandleOutput(HANDLE h) : h_(h) {}
    ~HandleOutput() override {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    bool writeAll(const unsigned char* data, std::size_t size) override { return sys::writeAll(h_, data, size); }
    bool close() override {
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return CloseHandle(h);
    }

private:
    HANDLE h_;
};

std::unique_ptr<RawOutput> RawOutput::open(const std::string& path, ErrorCode& code) {
    HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        code = GetLastError();
        return nullptr;
    }
    return std::make_unique<HandleOutput>(h);
}

std::optional<Staging> makeStaging(const std::string& folder, const std::string& name, std::size_t serial,
                                   ErrorCode& code) {
    // The target's name with ".part-PID-N" before its extension, made empty.
    std::size_t dot = name.rfind('.');
    std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    std::string extension = stem.size() == name.size() ? "" : name.substr(dot);
    std::string staged =
        folder + stem + ".part-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial) + extension;
    HANDLE h = CreateFileW(wide(staged).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        code = GetLastError();
        return std::nullopt;
    }
    CloseHandle(h);
    return Staging{staged, ""};
}

ErrorCode moveNoReplace(const std::string& from, const std::string& to) {
    // Without MOVEFILE_REPLACE_EXISTING: a move never replaces.
    if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_WRITE_THROUGH)) return 0;
    return GetLastError();
}

void removeQuietly(const std::string& file) { DeleteFileW(wide(file).c_str()); }

void removeEmptyFolder(const std::string& folder) { RemoveDirectoryW(wide(folder).c_str()); }

}  // namespace os

}  // namespace kx::adapt::sys
