// The DTS core header: sync word, then frame type (1 bit), deficit sample
// count (5), CRC flag (1), blocks (7), frame size - 1 (14), channel
// arrangement (6), sample rate (4), bit rate (5), five flags, extension
// kind (3), extension flag (1), sync flag (1), LFE (2).
#include "tools/adapters/audio_head.h"

#include <cstdint>

namespace kx::adapt {

namespace {

std::uint32_t bitsAt(const unsigned char* p, unsigned first, unsigned count) {
    std::uint32_t value = 0;
    for (unsigned k = first; k < first + count; ++k) value = (value << 1) | ((p[k / 8] >> (7 - k % 8)) & 1);
    return value;
}

bool startsWithSync(Bytes bytes, std::size_t at, std::uint32_t sync) {
    if (bytes.size() < at + 4) return false;
    const unsigned char* p = bytes.data() + at;
    return (std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3]) == sync;
}

constexpr std::uint32_t coreSync = 0x7FFE8001, hdSync = 0x64582025;
// Channels of the arrangements 0 to 9 (mono to five channels); the others
// are rare or user-defined and left to ffprobe.
constexpr int arrangementChannels[10] = {1, 2, 2, 2, 2, 3, 3, 4, 4, 5};
constexpr int sampleRates[16] = {0, 8000, 16000, 32000, 0, 0, 11025, 22050, 44100, 0, 0, 12000, 24000, 48000, 0, 0};
// Bit rates 0 to 24 in b/s; 25 and above are open, variable or lossless.
constexpr int bitRates[25] = {32000,   56000,   64000,   96000,   112000,  128000,  192000,
                              224000,  256000,  320000,  384000,  448000,  512000,  576000,
                              640000,  768000,  960000,  1024000, 1152000, 1280000, 1344000,
                              1408000, 1411200, 1472000, 1536000};

}  // namespace

std::optional<AudioFacts> plainDtsFacts(Bytes stream) {
    constexpr std::size_t headerBytes = 16;
    if (stream.size() < headerBytes || !startsWithSync(stream, 0, coreSync)) return std::nullopt;
    const unsigned char* p = stream.data() + 4;
    std::size_t frameSize = dtsFrameSize(stream.data());
    unsigned arrangement = bitsAt(p, 28, 6), rate = bitsAt(p, 34, 4), bitRate = bitsAt(p, 38, 5);
    bool extension = bitsAt(p, 51, 1), lfe = bitsAt(p, 53, 2) != 0;
    if (frameSize == 0 || extension || arrangement >= 10 || sampleRates[rate] == 0 || bitRate >= 25)
        return std::nullopt;
    // What follows the first frame: another core frame, or the end.
    if (stream.size() > frameSize && !startsWithSync(stream, frameSize, coreSync)) return std::nullopt;
    if (startsWithSync(stream, frameSize, hdSync)) return std::nullopt;
    AudioFacts facts;
    facts.codec = "dts";
    facts.channels = arrangementChannels[arrangement] + (lfe ? 1 : 0);
    facts.sampleRate = std::to_string(sampleRates[rate]);
    facts.bitRate = std::to_string(bitRates[bitRate]);
    return facts;
}

}  // namespace kx::adapt
