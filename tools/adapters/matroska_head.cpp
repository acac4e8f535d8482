// Reading the head of a Matroska file: the EBML header, then the segment's
// top-level elements up to the first cluster, skipped by their sizes except
// for the Tracks element, whose entries give the track numbers.
#include "tools/adapters/matroska_head.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

namespace kx::adapt {

namespace {

constexpr std::uint32_t ebmlId = 0x1A45DFA3, docTypeId = 0x4282, segmentId = 0x18538067, tracksId = 0x1654AE6B,
                        clusterId = 0x1F43B675, trackEntryId = 0xAE, trackNumberId = 0xD7, trackTypeId = 0x83,
                        codecId = 0x86;
constexpr std::uint64_t unknownSize = ~std::uint64_t(0);
// Far more than any head holds; a file that needs more is left to mkvmerge.
constexpr int maxTopLevelElements = 4096;
constexpr std::uint64_t maxHeaderBytes = 4096, maxTracksBytes = 16 << 20;

// Track types whose entries mkvmerge numbers one after another: video,
// audio, subtitles.
bool plainTrackType(std::uint64_t type) { return type == 1 || type == 2 || type == 0x11; }

struct Element {
    std::uint32_t id = 0;
    std::uint64_t size = 0;  // unknownSize when the file does not say
    std::uint64_t data = 0;  // offset of the first byte of the content
};

class Reader {
public:
    explicit Reader(const ReadAt& read) : read_(read) {}

    // The element whose header starts at `offset`.
    std::optional<Element> element(std::uint64_t offset) {
        unsigned char head[12];
        std::size_t got = read_(offset, head, sizeof head);
        std::size_t idLength = 0, sizeLength = 0;
        std::optional<std::uint64_t> id = number(head, got, 4, true, idLength);
        if (!id) return std::nullopt;
        std::optional<std::uint64_t> size = number(head + idLength, got - idLength, 8, false, sizeLength);
        if (!size) return std::nullopt;
        return Element{std::uint32_t(*id), *size, offset + idLength + sizeLength};
    }

    // The whole content of an element of a known, small size.
    std::optional<std::vector<unsigned char>> content(const Element& e, std::uint64_t limit) {
        if (e.size == unknownSize || e.size > limit) return std::nullopt;
        std::vector<unsigned char> bytes(std::size_t(e.size));
        if (!bytes.empty() && read_(e.data, bytes.data(), bytes.size()) != bytes.size()) return std::nullopt;
        return bytes;
    }

    // A variable-length number of at most `maxLength` bytes: an element ID
    // keeps its length marker, a size loses it (all ones meaning unknown).
    static std::optional<std::uint64_t> number(const unsigned char* p, std::size_t available, std::size_t maxLength,
                                               bool keepMarker, std::size_t& length) {
        if (available == 0 || p[0] == 0) return std::nullopt;
        length = 1;
        while (!(p[0] & (0x80 >> (length - 1)))) ++length;
        if (length > maxLength || length > available) return std::nullopt;
        std::uint64_t value = keepMarker ? p[0] : p[0] & (0xFF >> length);
        bool allOnes = value == (0xFFu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            value = (value << 8) | p[k];
            allOnes = allOnes && p[k] == 0xFF;
        }
        return !keepMarker && allOnes ? unknownSize : value;
    }

private:
    const ReadAt& read_;
};

// The children of a buffered element, one after another; false when one
// does not fit in its parent.
template <typename Visit>
bool eachChild(const std::vector<unsigned char>& bytes, Visit visit) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t idLength = 0, sizeLength = 0;
        auto id = Reader::number(bytes.data() + at, bytes.size() - at, 4, true, idLength);
        if (!id) return false;
        auto size = Reader::number(bytes.data() + at + idLength, bytes.size() - at - idLength, 8, false, sizeLength);
        std::size_t start = at + idLength + sizeLength;
        if (!size || *size == unknownSize || *size > bytes.size() - start) return false;
        if (!visit(std::uint32_t(*id), bytes.data() + start, std::size_t(*size))) return false;
        at = start + std::size_t(*size);
    }
    return true;
}

std::optional<std::uint64_t> unsignedValue(const unsigned char* p, std::size_t size) {
    if (size == 0 || size > 8) return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t k = 0; k < size; ++k) value = (value << 8) | p[k];
    return value;
}

std::optional<TrackMap> mapOfTracks(const std::vector<unsigned char>& tracks, Numbering numbering) {
    TrackMap map;
    std::int64_t nextId = 0;
    bool ok = eachChild(tracks, [&](std::uint32_t id, const unsigned char* p, std::size_t size) {
        if (id != trackEntryId) return true;  // Void, CRC-32
        std::optional<std::uint64_t> number, type;
        bool codec = false;
        bool fits = eachChild(std::vector<unsigned char>(p, p + size),
                              [&](std::uint32_t child, const unsigned char* q, std::size_t n) {
                                  if (child == trackNumberId) number = unsignedValue(q, n);
                                  else if (child == trackTypeId) type = unsignedValue(q, n);
                                  else if (child == codecId) codec = n > 0 && q[0] != 0;
                                  return true;
                              });
        if (!fits) return false;
        bool numbered = number && *number > 0 && *number <= (std::uint64_t(1) << 62);
        std::int64_t entry = nextId++;
        if (numbering == Numbering::mkvmerge && (!numbered || !type || !plainTrackType(*type) || !codec))
            return false;
        return !numbered || map.emplace(std::int64_t(*number), entry).second;
    });
    if (!ok || map.empty()) return std::nullopt;
    return map;
}

bool isMatroskaDocType(const std::vector<unsigned char>& header) {
    std::string docType;
    bool ok = eachChild(header, [&](std::uint32_t id, const unsigned char* p, std::size_t size) {
        if (id == docTypeId) docType.assign(reinterpret_cast<const char*>(p), size);
        return true;
    });
    while (!docType.empty() && docType.back() == '\0') docType.pop_back();
    return ok && (docType == "matroska" || docType == "webm");
}

bool startsWith(const ReadAt& read, std::initializer_list<unsigned char> magic) {
    unsigned char head[4] = {};
    std::size_t n = std::min(magic.size(), sizeof head);
    return read(0, head, n) == n && std::equal(magic.begin(), magic.begin() + std::ptrdiff_t(n), head);
}

std::string lowerExtension(const std::string& fileName) {
    std::size_t dot = fileName.rfind('.');
    std::size_t slash = fileName.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && slash > dot)) return {};
    std::string extension = fileName.substr(dot + 1);
    for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

// Text with no NUL in its first bytes and no EBML start: not a container.
bool looksLikeText(const ReadAt& read) {
    unsigned char head[64];
    std::size_t n = read(0, head, sizeof head);
    return n > 0 && head[0] != 0x1A && std::find(head, head + n, 0) == head + n;
}

}  // namespace

std::optional<TrackMap> trackMapFromHead(const ReadAt& read, Numbering numbering) {
    Reader reader(read);
    std::optional<Element> header = reader.element(0);
    if (!header || header->id != ebmlId) return std::nullopt;
    std::optional<std::vector<unsigned char>> headerBytes = reader.content(*header, maxHeaderBytes);
    if (!headerBytes || !isMatroskaDocType(*headerBytes)) return std::nullopt;

    std::optional<Element> segment = reader.element(header->data + header->size);
    if (!segment || segment->id != segmentId) return std::nullopt;
    const std::uint64_t end = segment->size == unknownSize ? unknownSize : segment->data + segment->size;
    std::optional<TrackMap> map;
    std::uint64_t at = segment->data;
    for (int count = 0; at < end; ++count) {
        std::optional<Element> e = reader.element(at);
        if (!e) break;  // the end of the file, or bytes that are no element
        if (e->id == clusterId) break;
        if (count == maxTopLevelElements || e->size == unknownSize || e->size > end - e->data) return std::nullopt;
        if (e->id == tracksId) {
            std::optional<std::vector<unsigned char>> tracks = reader.content(*e, maxTracksBytes);
            if (map || !tracks || !(map = mapOfTracks(*tracks, numbering))) return std::nullopt;
        }
        at = e->data + e->size;
    }
    return map;
}

std::optional<TrackMap> rawTrackFileMap(const std::string& fileName, const ReadAt& read) {
    std::string extension = lowerExtension(fileName);
    bool raw = false;
    if (extension == "h264") raw = startsWith(read, {0, 0, 0, 1}) || startsWith(read, {0, 0, 1});
    else if (extension == "ac3" || extension == "eac3") raw = startsWith(read, {0x0B, 0x77});
    else if (extension == "dts") raw = startsWith(read, {0x7F, 0xFE, 0x80, 0x01});
    else if (extension == "srt" || extension == "ass") raw = looksLikeText(read);
    return raw ? std::optional(TrackMap()) : std::nullopt;
}

}  // namespace kx::adapt
