// The verdict on the chosen tracks, item by item, and its short form.
#include "model/verdict.h"

#include "base/text.h"
#include "model/audio_kinds.h"
#include "ui/texts.h"

namespace kx {

namespace {

// The level of a format profile as written after "@L" ("High@L5.1" gives
// "5.1", "Main 10@L2@Main" gives "2"); empty without one.
std::string levelOf(std::string_view profile) {
    std::size_t at = profile.find("@L");
    if (at == std::string_view::npos) return {};
    std::string level;
    for (char c : profile.substr(at + 2)) {
        if ((c < '0' || c > '9') && c != '.') break;
        level += c;
    }
    return level;
}

// "5.1" gives 51, "4" gives 40.
int levelTimesTen(std::string_view level) {
    int major = int(readNumber(level));
    std::size_t dot = level.find('.');
    int minor = dot == std::string_view::npos || dot + 1 >= level.size() ? 0 : level[dot + 1] - '0';
    return major * 10 + minor;
}

// HEVC in more than 8 bits, H.264 in more than 8 bits or above level 4.1:
// what older boxes cannot decode.
std::string videoItem(const TrackRecord& video) {
    int depth = video.bitDepth;
    if (depth == 0 && (video.profile.find("Main 10") != std::string::npos ||
                       video.profile.find("High 10") != std::string::npos))
        depth = 10;
    const std::string bits = depth > 8 ? " " + std::to_string(depth) + std::string(verdictBits) : "";
    std::string what;
    if (equalsNoCase(video.format, "HEVC") && !bits.empty()) {
        what = "HEVC" + bits;
    } else if (equalsNoCase(video.format, "AVC")) {
        const std::string level = levelOf(video.profile);
        const bool high = !level.empty() && levelTimesTen(level) > 41;
        if (bits.empty() && !high) return {};
        what = "H.264" + bits + (high ? std::string(verdictLevel) + level : "");
    } else {
        return {};
    }
    return std::string(verdictVideoHead) + what + std::string(verdictVideoTail);
}

// Subtitles drawn as pictures, which many boxes do not show.
std::string subtitleItem(const TrackRecord& subtitle) {
    for (std::string_view image : {"PGS", "VobSub"})
        if (equalsNoCase(subtitle.format, image))
            return std::string(verdictImageSubtitleHead) + std::string(image) + std::string(verdictImageSubtitleTail);
    return {};
}

}  // namespace

std::vector<std::string> verdictItems(const VerdictInputs& in) {
    std::vector<std::string> items;
    auto add = [&items](std::string item) {
        if (!item.empty()) items.push_back(std::move(item));
    };
    if (in.video) add(videoItem(*in.video));
    if (in.subtitle) add(subtitleItem(*in.subtitle));
    if (!in.frameRate.empty() && !plausibleFrameRate(in.frameRate))
        add(std::string(verdictFrameRateHead) + in.frameRate + std::string(verdictFrameRateTail));
    if (in.audio && !in.audio->format.empty()) {
        const TrackRecord& a = *in.audio;
        AudioTreatment treatment = audioTreatment(a.format, a.profile, a.channels, in.keepEac3, in.transcoderReadsOgg);
        add(audioVerdict(treatment, a.channels, in.converting, in.rate));
    }
    // The remux switches compression off for the video and the audio track.
    if ((in.video && in.video->headerStripped) || (in.audio && in.audio->headerStripped))
        add(std::string(verdictHeaderCompression));
    return items;
}

std::string briefVerdict(const std::vector<std::string>& items, std::size_t width) {
    std::string brief;
    for (const std::string& item : items) {
        const std::size_t grown = brief.empty() ? item.size() : brief.size() + verdictJoin.size() + item.size();
        if (!brief.empty() && grown > width) break;
        brief += (brief.empty() ? "" : std::string(verdictJoin)) + item;
    }
    return brief;
}

bool plausibleFrameRate(std::string_view rate) {
    double value = 0, scale = 0;
    bool digits = false;
    for (char c : rate) {
        if (c == '.' && scale == 0) {
            scale = 1;
        } else if (c >= '0' && c <= '9') {
            digits = true;
            if (scale == 0) {
                value = value * 10 + (c - '0');
            } else {
                scale /= 10;
                value += (c - '0') * scale;
            }
            if (value > 1000) return false;
        } else {
            break;
        }
    }
    return digits && value >= 10.0 && value <= 121.0;
}

}  // namespace kx
