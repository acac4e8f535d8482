// Frame walking for the audio repair. A frame is taken when its header is
// valid, it fits, and something confirms it: the next frame starts right
// after it, it ends the stream, its CRC holds (AC3), or its header matches
// the previous frame's (DTS). Everything else is bytes in no frame.
#include "tools/adapters/frames.h"

#include <array>
#include <optional>

#include "base/text.h"

namespace kx::adapt {

namespace {

constexpr std::uint32_t crcPoly = 0x18005;  // x^16 + x^15 + x^2 + 1

constexpr std::array<std::uint16_t, 256> makeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (std::uint32_t byte = 0; byte < 256; ++byte) {
        std::uint32_t r = byte << 8;
        for (int bit = 0; bit < 8; ++bit) {
            r <<= 1;
            if (r & 0x10000) r ^= crcPoly;
        }
        table[byte] = std::uint16_t(r);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> crcTable = makeCrcTable();

// a * b modulo the CRC polynomial.
std::uint16_t mulMod(std::uint16_t a, std::uint16_t b) {
    std::uint32_t r = 0;
    for (int bit = 15; bit >= 0; --bit) {
        r <<= 1;
        if (r & 0x10000) r ^= crcPoly;
        if ((b >> bit) & 1) r ^= a;
    }
    return std::uint16_t(r);
}

// x^-n modulo the polynomial; x^-1 is x^15 + x^14 + x.
std::uint16_t inversePowerOfX(std::uint64_t n) {
    std::uint16_t result = 1, base = 0xC002;
    while (n) {
        if (n & 1) result = mulMod(result, base);
        base = mulMod(base, base);
        n >>= 1;
    }
    return result;
}

// Frame sizes of AC3 in 16-bit words, by frmsizecod / 2, for 48 and 32 kHz
// (44.1 kHz follows from the bit rate).
constexpr std::uint16_t ac3BitRates[19] = {32,  40,  48,  56,  64,  80,  96,  112, 128, 160,
                                           192, 224, 256, 320, 384, 448, 512, 576, 640};

std::size_t ac3Words(int fscod, int frmsizecod) {
    std::uint32_t rate = ac3BitRates[frmsizecod >> 1];
    switch (fscod) {
        case 0: return rate * 2;
        case 1: return rate * 320 / 147 + (frmsizecod & 1);
        case 2: return rate * 3;
        default: return 0;
    }
}

bool isEac3(const unsigned char* p) { return (p[5] >> 3) > 10; }

// Start of the second CRC region of an AC3 frame: 5/8 of the frame.
std::size_t ac3FiveEighths(std::size_t size) { return ((size >> 2) + (size >> 4)) << 1; }

class BitReader {
public:
    explicit BitReader(const unsigned char* p) : p_(p) {}
    std::uint32_t read(int bits) {
        std::uint32_t v = 0;
        while (bits-- > 0) {
            v = (v << 1) | ((p_[pos_ >> 3] >> (7 - (pos_ & 7))) & 1);
            ++pos_;
        }
        return v;
    }

private:
    const unsigned char* p_;
    std::size_t pos_ = 0;
};

bool isDtsCore(const unsigned char* p) { return p[0] == 0x7F && p[1] == 0xFE && p[2] == 0x80 && p[3] == 0x01; }
bool isDtsExtension(const unsigned char* p) { return p[0] == 0x64 && p[1] == 0x58 && p[2] == 0x20 && p[3] == 0x25; }

// The header fields that stay the same from one DTS core frame to the next.
std::uint64_t dtsCoreSignature(const unsigned char* p) {
    BitReader bits(p + 4);
    bits.read(7);                       // frame type, deficit sample count, CRC flag
    std::uint64_t blocks = bits.read(7);
    std::uint64_t size = bits.read(14);
    std::uint64_t amode = bits.read(6);
    std::uint64_t sfreq = bits.read(4);
    return (blocks << 32) | (size << 12) | (amode << 4) | sfreq;
}

// The walk shared by both formats.
class Walker {
public:
    Walker(Bytes in, const Emit& emit, RepairStats& stats) : in_(in), emit_(emit), stats_(stats) {
        stats_.bytesIn = std::int64_t(in.size());
    }

    void event(std::string text) {
        if (stats_.events.size() < 40) stats_.events.push_back(std::move(text));
        else ++stats_.eventsNotListed;
    }

    void flushGarbage(std::size_t upTo) {
        if (!garbageStart_) return;
        std::size_t length = upTo - *garbageStart_;
        stats_.droppedBytes += std::int64_t(length);
        ++stats_.droppedRuns;
        event("at byte " + std::to_string(std::int64_t(*garbageStart_)) + ": " + std::to_string(length) +
              " bytes in no frame, dropped");
        garbageStart_.reset();
    }

    void garbage(std::size_t pos) {
        if (!garbageStart_) garbageStart_ = pos;
    }

    void write(Bytes piece) {
        emit_(piece);
        stats_.bytesOut += std::int64_t(piece.size());
    }

    void truncated(std::size_t pos) {
        flushGarbage(pos);
        std::size_t length = in_.size() - pos;
        stats_.truncatedBytes += std::int64_t(length);
        stats_.droppedBytes += std::int64_t(length);
        ++stats_.droppedRuns;
        event("at byte " + std::to_string(std::int64_t(pos)) + ": incomplete last frame (" + std::to_string(length) +
              " bytes), dropped");
    }

private:
    Bytes in_;
    const Emit& emit_;
    RepairStats& stats_;
    std::optional<std::size_t> garbageStart_;
};

// Whether a frame that does not fit could still be the stream's last one:
// no valid frame that fits follows it. `nextFit` keeps where the last search
// found one, so that a run of headers that do not fit (a crafted tail of up
// to a megabyte) is searched once rather than once for every header.
template <class SizeOf>
bool nothingFollows(Bytes in, std::size_t pos, std::size_t headerBytes, SizeOf sizeOf, std::size_t& nextFit) {
    if (nextFit > pos) return false;
    for (std::size_t q = pos + 1; q + headerBytes <= in.size(); ++q) {
        std::size_t size = sizeOf(in.data() + q);
        if (size > 0 && q + size <= in.size()) {
            nextFit = q;
            return false;
        }
    }
    return true;
}

}  // namespace

std::uint16_t crc16(Bytes data, std::uint16_t crc) {
    for (unsigned char byte : data) crc = std::uint16_t((crc << 8) ^ crcTable[((crc >> 8) ^ byte) & 0xFF]);
    return crc;
}

std::size_t ac3FrameSize(const unsigned char* p) {
    if (p[0] != 0x0B || p[1] != 0x77) return 0;
    int bsid = p[5] >> 3;
    if (bsid <= 10) {
        int fscod = p[4] >> 6, frmsizecod = p[4] & 0x3F;
        if (fscod == 3 || frmsizecod > 37) return 0;
        return ac3Words(fscod, frmsizecod) * 2;
    }
    if (bsid > 16) return 0;
    int strmtyp = p[2] >> 6;
    int fscod = p[4] >> 6, fscod2 = (p[4] >> 4) & 3;
    if (strmtyp == 3 || (fscod == 3 && fscod2 == 3)) return 0;
    std::size_t size = ((std::size_t(p[2] & 7) << 8 | p[3]) + 1) * 2;
    return size >= 16 ? size : 0;
}

bool ac3CrcOk(Bytes frame) {
    if (frame.size() < 16) return false;
    if (isEac3(frame.data())) return crc16(frame.subspan(2)) == 0;
    std::size_t f58 = ac3FiveEighths(frame.size());
    return crc16(frame.subspan(2, f58 - 2)) == 0 && crc16(frame.subspan(f58)) == 0;
}

void setAc3Crc(unsigned char* frame, std::size_t size) {
    std::size_t second = 2;  // E-AC3: one CRC over the whole frame after the sync word
    if (!isEac3(frame)) {
        // CRC1 stands at the start of its region: solve for the value that
        // makes the region's remainder zero.
        std::size_t f58 = ac3FiveEighths(size);
        frame[2] = frame[3] = 0;
        std::uint16_t rest = crc16(Bytes(frame + 2, f58 - 2));
        std::uint16_t crc1 = mulMod(rest, inversePowerOfX(8 * std::uint64_t(f58 - 2)));
        frame[2] = std::uint8_t(crc1 >> 8);
        frame[3] = std::uint8_t(crc1);
        second = f58;
    }
    std::uint16_t crc2 = crc16(Bytes(frame + second, size - 2 - second));
    if (crc2 == 0x0B77) {
        // CRC2 must not look like a sync word: flip the reserved bit before it.
        frame[size - 3] ^= 1;
        crc2 = crc16(Bytes(frame + second, size - 2 - second));
    }
    frame[size - 2] = std::uint8_t(crc2 >> 8);
    frame[size - 1] = std::uint8_t(crc2);
}

std::size_t dtsFrameSize(const unsigned char* p) {
    if (isDtsCore(p)) {
        BitReader bits(p + 4);
        bits.read(7);  // frame type, deficit sample count, CRC flag
        std::uint32_t blocks = bits.read(7);
        std::uint32_t size = bits.read(14);
        bits.read(6);  // channel arrangement
        std::uint32_t sfreq = bits.read(4);
        constexpr bool validRate[16] = {false, true, true, true, false, false, true, true,
                                        true,  false, false, true, true, true, false, false};
        if (blocks < 5 || size < 95 || !validRate[sfreq]) return 0;
        return size + 1;
    }
    if (isDtsExtension(p)) {
        BitReader bits(p + 4);
        bits.read(8);  // user-defined bits
        bits.read(2);  // substream index
        bool wide = bits.read(1);
        std::uint32_t header = bits.read(wide ? 12 : 8) + 1;
        std::uint32_t size = bits.read(wide ? 20 : 16) + 1;
        if (header < 16 || size < header) return 0;
        return size;
    }
    return 0;
}

RepairStats repairAc3(Bytes in, CrcMode mode, const Emit& emit) {
    RepairStats stats;
    Walker walk(in, emit, stats);
    std::vector<unsigned char> patched;
    std::size_t pos = 0, nextFit = 0;
    const std::size_t n = in.size();
    while (pos < n) {
        std::size_t size = n - pos >= 6 ? ac3FrameSize(in.data() + pos) : 0;
        if (size > 0 && pos + size > n) {
            if (nothingFollows(in, pos, 6, ac3FrameSize, nextFit)) {
                walk.truncated(pos);
                return stats;
            }
            size = 0;
        }
        if (size > 0) {
            Bytes frame = in.subspan(pos, size);
            bool crcOk = ac3CrcOk(frame);
            std::size_t next = pos + size;
            bool confirmed = crcOk || next == n || (n - next >= 6 && ac3FrameSize(in.data() + next) > 0);
            if (confirmed) {
                walk.flushGarbage(pos);
                if (crcOk || mode == CrcMode::ignore) {
                    walk.write(frame);
                    ++stats.frames;
                    if (!crcOk) {
                        ++stats.crcErrors;
                        walk.event("at byte " + std::to_string(pos) + ": wrong CRC, frame kept as it is");
                    }
                } else if (mode == CrcMode::fix) {
                    patched.assign(frame.begin(), frame.end());
                    setAc3Crc(patched.data(), patched.size());
                    walk.write(patched);
                    ++stats.frames;
                    ++stats.crcErrors;
                    ++stats.crcFixed;
                    walk.event("at byte " + std::to_string(pos) + ": wrong CRC, rewritten");
                } else {
                    ++stats.crcErrors;
                    ++stats.framesSkipped;
                    walk.event("at byte " + std::to_string(pos) + ": wrong CRC, frame left out");
                }
                pos = next;
                continue;
            }
        }
        walk.garbage(pos);
        ++pos;
    }
    walk.flushGarbage(n);
    return stats;
}

RepairStats repairDts(Bytes in, const Emit& emit) {
    RepairStats stats;
    Walker walk(in, emit, stats);
    std::optional<std::uint64_t> lastCore;
    std::size_t pos = 0, nextFit = 0;
    const std::size_t n = in.size();
    while (pos < n) {
        std::size_t size = n - pos >= 16 ? dtsFrameSize(in.data() + pos) : 0;
        if (size > 0 && pos + size > n) {
            if (nothingFollows(in, pos, 16, dtsFrameSize, nextFit)) {
                walk.truncated(pos);
                return stats;
            }
            size = 0;
        }
        if (size > 0) {
            const unsigned char* p = in.data() + pos;
            std::size_t next = pos + size;
            bool core = isDtsCore(p);
            bool confirmed = next == n || (n - next >= 16 && dtsFrameSize(in.data() + next) > 0) ||
                             (core && lastCore && *lastCore == dtsCoreSignature(p));
            if (confirmed) {
                walk.flushGarbage(pos);
                walk.write(in.subspan(pos, size));
                ++stats.frames;
                if (core) lastCore = dtsCoreSignature(p);
                else ++stats.extensionFrames;
                pos = next;
                continue;
            }
        }
        walk.garbage(pos);
        ++pos;
    }
    walk.flushGarbage(n);
    return stats;
}

StreamKind streamKindOfName(const std::string& fileName) {
    std::string name = toLower(filePart(fileName));
    if (endsWith(name, ".ac3") || endsWith(name, ".eac3")) return StreamKind::ac3;
    if (endsWith(name, ".dts")) return StreamKind::dts;
    return StreamKind::other;
}

std::string repairLogText(const std::string& input, const std::string& output, StreamKind kind, CrcMode mode,
                          const RepairStats& stats) {
    std::vector<std::string> lines;
    lines.push_back("Input: " + input);
    if (kind == StreamKind::other) {
        lines.push_back("Stream: not an AC3 or DTS stream; copied unchanged (" + std::to_string(stats.bytesIn) +
                        " bytes)");
    } else {
        lines.push_back(std::string("Stream: ") + (kind == StreamKind::ac3 ? "AC3" : "DTS"));
        if (kind == StreamKind::ac3)
            lines.push_back(std::string("CRC mode: ") +
                            (mode == CrcMode::fix ? "fix" : mode == CrcMode::ignore ? "ignore" : "skip"));
        std::string frames = "Frames written: " + std::to_string(stats.frames);
        if (stats.extensionFrames > 0)
            frames += " (" + std::to_string(stats.extensionFrames) + " of them DTS-HD extension frames)";
        lines.push_back(frames);
        lines.push_back("Bytes read: " + std::to_string(stats.bytesIn) + ", bytes written: " +
                        std::to_string(stats.bytesOut));
        lines.push_back("Bytes in no frame: " + std::to_string(stats.droppedBytes) + " in " +
                        std::to_string(stats.droppedRuns) + " place(s), dropped");
        if (stats.truncatedBytes > 0)
            lines.push_back("Incomplete last frame: " + std::to_string(stats.truncatedBytes) + " bytes, dropped");
        if (kind == StreamKind::ac3) {
            std::string crc = "Frames with a wrong CRC: " + std::to_string(stats.crcErrors);
            if (stats.crcFixed > 0) crc += ", " + std::to_string(stats.crcFixed) + " rewritten";
            if (stats.framesSkipped > 0) crc += ", " + std::to_string(stats.framesSkipped) + " left out";
            lines.push_back(crc);
        }
        if (!stats.events.empty()) {
            lines.push_back("Events:");
            for (const std::string& e : stats.events) lines.push_back("  " + e);
            if (stats.eventsNotListed > 0)
                lines.push_back("  and " + std::to_string(stats.eventsNotListed) + " more");
        }
        if (stats.droppedBytes == 0 && stats.crcErrors == 0) lines.push_back("Nothing to repair: the stream is whole.");
    }
    lines.push_back("Output: " + output);
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace kx::adapt
