// What the transcode needs to know of its input (codec, channels, sample
// rate, bit rate), read from the first frame of a plain DTS stream instead of
// starting ffprobe; any other stream is left to ffprobe.
#pragma once

#include <optional>
#include <string>

#include "tools/adapters/frames.h"

namespace kx::adapt {

struct AudioFacts {
    std::string codec;
    int channels = 0;
    std::string sampleRate;  // in Hz, as ffprobe prints it
    std::string bitRate;     // in b/s
    std::string layout;      // ffprobe's channel layout ("7.1"); empty when not read
};

// The facts ffprobe gives of a DTS core stream (16-bit big-endian frames, the
// channels named by the core header, no extension in the core and no DTS-HD
// frame after it, a fixed bit rate): the same codec name, channel count with
// LFE, sample rate and bit rate. Empty optional for anything else.
std::optional<AudioFacts> plainDtsFacts(Bytes stream);

}  // namespace kx::adapt
