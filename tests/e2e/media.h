// Real media for the end-to-end tests: small Matroska sources made with
// ffmpeg and mkvmerge, running the real tools without a shell, and reading
// back what a result holds (mkvmerge -J, mkvinfo, ffmpeg's decoder).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kx::test::media {

struct Output {
    int status = -1;  // exit status; -1 when the program could not be started
    std::string out;
    std::string err;
};

// Starts argv[0] (looked up in PATH) with no shell, input from /dev/null.
Output run(const std::vector<std::string>& argv);

// Names of the media programs that are not installed, blank-separated;
// empty when all are there.
std::string missingTools();

// The sources, made once into a temporary folder (removed with the object):
//   film.mkv     H.264 25 fps; French DTS 5.1 delayed by 1.2 s; English AC3
//                stereo; French subtitles. Every track zlib-compressed.
//   film24.mkv   H.264 23.976 fps; French DTS 5.1; French subtitles.
//   damaged.mkv  H.264 25 fps; French AC3 stereo with bytes changed inside
//                a few frames, so their CRCs fail.
//   english.ac3  the English AC3 track as a raw file.
//   outside.srt  subtitles that no source holds.
//   formats.mkv  H.264 25 fps (2 s); 1 s audio tracks: French FLAC 7.1, English
//                TrueHD 5.1, German Opus 5.1, Italian 24-bit PCM 5.1,
//                Portuguese E-AC3 5.1, English AC3 stereo.
//   latin1.srt   subtitles in Windows-1252 ("Café crème à l'été").
class Sources {
public:
    Sources();
    ~Sources();
    Sources(const Sources&) = delete;
    Sources& operator=(const Sources&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }  // what failed while making them
    std::string path(const std::string& name) const { return folder_ + name; }

private:
    bool make(const std::vector<std::string>& argv);
    std::string folder_;  // ends with '/'
    std::string error_;
};

// The outside.srt text, as written.
extern const char* const outsideSubtitles;

struct Track {
    std::int64_t id = -1;
    std::string type;  // video, audio, subtitles
    std::string codec;
    std::string language;
    int channels = 0;
    std::int64_t defaultDuration = 0;   // ns, 0 when not set
    std::int64_t minimumTimestamp = 0;  // ns: where the track starts
};
// The tracks of a Matroska file as `mkvmerge -J` sees them; empty when the
// file is not one.
std::vector<Track> tracksOf(const std::string& file);
// ffprobe's codec_name, channels, channel_layout and bit_rate lines for the
// first audio track of the file, and the file's duration line.
std::string firstAudio(const std::string& file);
// `mkvinfo` of the file.
std::string mkvinfo(const std::string& file);
// What ffmpeg says when it decodes the file's audio with CRC checks on
// (empty: every frame was sound).
std::string audioDecodeErrors(const std::string& file);
// Track `id` of a Matroska file, extracted into `target`, read back.
std::string extractedTrack(const std::string& file, std::int64_t id, const std::string& target);

// Sets PATH for as long as it lives.
class PathOverride {
public:
    explicit PathOverride(const std::string& path);
    ~PathOverride();
    PathOverride(const PathOverride&) = delete;
    PathOverride& operator=(const PathOverride&) = delete;

private:
    std::string saved_;
    bool had_;
};

// Where `name` is found through PATH; empty when nowhere.
std::string whichProgram(const std::string& name);

}  // namespace kx::test::media
