// The audio repair: walks the frames of an AC3 (and E-AC3) or DTS stream,
// keeps whole frames only, drops the bytes between them, checks AC3 CRCs and
// rewrites wrong ones, and describes what it did for the repair log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace kx::adapt {

using Bytes = std::span<const unsigned char>;
// Receives the repaired stream piece by piece, in order.
using Emit = std::function<void(Bytes)>;

enum class StreamKind { ac3, dts, other };
// What to do with an AC3 frame whose CRC is wrong: rewrite the CRC (fix),
// keep the frame as it is (ignore), or leave the frame out (skip).
enum class CrcMode { fix, ignore, skip };

struct RepairStats {
    std::int64_t bytesIn = 0;
    std::int64_t bytesOut = 0;
    std::int64_t frames = 0;           // frames written
    std::int64_t extensionFrames = 0;  // DTS-HD extension frames kept (counted in frames)
    std::int64_t droppedBytes = 0;     // bytes in no frame (truncated end included)
    std::int64_t droppedRuns = 0;      // places where such bytes were
    std::int64_t truncatedBytes = 0;   // bytes of an incomplete last frame
    std::int64_t crcErrors = 0;        // AC3 frames with a wrong CRC
    std::int64_t crcFixed = 0;
    std::int64_t framesSkipped = 0;    // frames left out for their CRC
    std::vector<std::string> events;   // the first events, with byte offsets
    std::int64_t eventsNotListed = 0;
};

// CRC-16 with the polynomial x^16 + x^15 + x^2 + 1, most significant bit first.
std::uint16_t crc16(Bytes data, std::uint16_t crc = 0);

// Size in bytes of the AC3 or E-AC3 frame whose header starts at `p` (at
// least 6 bytes readable), or 0 when it is no valid header.
std::size_t ac3FrameSize(const unsigned char* p);
// Whether both CRCs of a whole AC3 frame (or the one of an E-AC3 frame) hold.
bool ac3CrcOk(Bytes frame);
// Rewrites the CRC words of an AC3 or E-AC3 frame so that they hold.
void setAc3Crc(unsigned char* frame, std::size_t size);

// Size of the DTS core frame (sync 7FFE8001) or DTS-HD extension frame
// (sync 64582025) at `p` (at least 12 bytes readable), or 0.
std::size_t dtsFrameSize(const unsigned char* p);

RepairStats repairAc3(Bytes in, CrcMode mode, const Emit& emit);
RepairStats repairDts(Bytes in, const Emit& emit);

// The kind by the file extension (".ac3", ".eac3", ".dts", any case).
StreamKind streamKindOfName(const std::string& fileName);

// The repair log (cp1252 text, CR LF line ends). `input` and `output` are
// the file names as they should appear; `kind` other means "copied".
std::string repairLogText(const std::string& input, const std::string& output, StreamKind kind,
                          CrcMode mode, const RepairStats& stats);

}  // namespace kx::adapt
