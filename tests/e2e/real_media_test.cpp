// The whole program on real media: klarbrix-drive with the real tool
// stand-ins of the build, which call mkvtoolnix, mediainfo and ffmpeg.
// Results are looked into with mkvmerge -J, mkvinfo and ffmpeg's decoder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "drive.h"
#include "e2e/media.h"

using kx::test::drive;
using kx::test::ProgramFolder;
using kx::test::Transcript;
namespace media = kx::test::media;
using media::Track;

namespace {

const std::string success = "message: Le traitement s'est bien passé";
const std::string failure = "message: Il y'a eu un problème lors du traitement";
const char* const toolNames[] = {"MediaInfo.exe", "mkvextract.exe", "mkvmerge.exe", "eac3to.exe", "delaycut.exe"};

std::vector<Track> ofType(const std::vector<Track>& tracks, const std::string& type) {
    std::vector<Track> out;
    for (const Track& t : tracks)
        if (t.type == type) out.push_back(t);
    return out;
}

std::string describe(const std::vector<Track>& tracks) {
    std::string text;
    for (const Track& t : tracks)
        text += std::to_string(t.id) + " " + t.type + " " + t.codec + " " + t.language + " ch" +
                std::to_string(t.channels) + " dur" + std::to_string(t.defaultDuration) + " start" +
                std::to_string(t.minimumTimestamp) + "\n";
    return text;
}

class RealMedia : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        missing_ = media::missingTools();
        if (missing_.empty()) sources_ = std::make_unique<media::Sources>();
    }
    static void TearDownTestSuite() { sources_.reset(); }

    void SetUp() override {
        if (!missing_.empty()) GTEST_SKIP() << "not installed: " << missing_;
        ASSERT_TRUE(sources_->ok()) << sources_->error();
        for (const char* name : toolNames) {
            std::string built = kx::test::programsFolder() + "/program/Applications/" + std::string(name);
            ASSERT_EQ(::access(built.c_str(), X_OK), 0) << built << " is missing: build klarbrix-adapters";
            std::filesystem::create_symlink(built, f / ("Applications/" + std::string(name)));
        }
        std::filesystem::create_directory(f / "films");
    }

    // Copies a source into films/ under `name`.
    void place(const std::string& source, const std::string& name = "film.mkv") {
        std::filesystem::copy_file(sources_->path(source), f / ("films/" + name));
    }

    void options(const std::vector<std::pair<std::string, std::string>>& changes) {
        std::string text = f.read("options.txt");
        for (const auto& [key, value] : changes) {
            auto at = text.find(key + " = ");
            ASSERT_NE(at, std::string::npos) << key;
            text.replace(at, text.find("\r\n", at) - at, key + " = " + value);
        }
        f.write("options.txt", text);
    }

    std::string open(const std::string& name = "film.mkv") {
        return "file " + f / ("films/" + name) + "\nclick 36\nwait\n";
    }

    // The names in films/, sorted.
    std::vector<std::string> films() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(f / "films"))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Whether films/`name` still holds the bytes of the source it was copied from.
    bool sameAsSource(const std::string& name, const std::string& source) {
        std::ifstream in(sources_->path(source), std::ios::binary);
        return f.read("films/" + name) == std::string(std::istreambuf_iterator<char>(in), {});
    }

    ProgramFolder f;
    static inline std::string missing_;
    static inline std::unique_ptr<media::Sources> sources_;
};

}  // namespace

TEST_F(RealMedia, DeliveredOptionsTurnTheDtsTrackIntoAc3) {
    ASSERT_NE(media::mkvinfo(sources_->path("film.mkv")).find("Content compression"), std::string::npos);
    place("film.mkv");
    auto t = drive(f, open() + "show 21\nclick 27\nwait\n");
    ASSERT_TRUE(t.has("21 text: 25.000")) << t.text();
    ASSERT_TRUE(t.has(success)) << t.text();

    std::string result = f / "films/film_remux.mkv";
    std::vector<Track> tracks = media::tracksOf(result);
    ASSERT_EQ(tracks.size(), 3u) << describe(tracks);
    EXPECT_EQ(tracks[0].type, "video");
    EXPECT_EQ(tracks[0].defaultDuration, 40000000) << describe(tracks);  // 25 fps
    EXPECT_EQ(tracks[0].minimumTimestamp, 0);
    EXPECT_EQ(tracks[1].codec, "AC-3");
    EXPECT_EQ(tracks[1].language, "fre");
    EXPECT_EQ(tracks[1].channels, 6);
    EXPECT_EQ(tracks[1].minimumTimestamp, 1200000000) << "the audio delay of the source";
    EXPECT_EQ(tracks[2].type, "subtitles");
    EXPECT_EQ(tracks[2].language, "fre");
    EXPECT_EQ(media::extractedTrack(result, 2, f / "check.srt"),
              media::extractedTrack(sources_->path("film.mkv"), 3, f / "source.srt"));

    std::string info = media::mkvinfo(result);
    EXPECT_EQ(info.find("Content compression"), std::string::npos) << info;
    EXPECT_NE(info.find("(25.000 frames/fields per second for a video track)"), std::string::npos) << info;
    EXPECT_EQ(media::audioDecodeErrors(result), "");

    // The extracted subtitle stays (muxsrt 1); the other temporaries are gone.
    EXPECT_EQ(films(), (std::vector<std::string>{"film.mkv", "film.srt", "film_remux.mkv"}));
    EXPECT_TRUE(sameAsSource("film.mkv", "film.mkv"));
    std::string log = f.read("log.txt");
    EXPECT_NE(log.find("Read: dts, 6 channels"), std::string::npos) << log;
    EXPECT_NE(log.find("Result: success\r\n"), std::string::npos) << log;
}

TEST_F(RealMedia, DirectPathCopiesTheChosenTracks) {
    options({{"notranscode", "1"}, {"dtsfix", "0"}});
    place("film.mkv");
    auto t = drive(f, open() + "click 27\nwait\n");
    ASSERT_TRUE(t.has(success)) << t.text();
    EXPECT_FALSE(t.has("status: encodage en cours")) << t.text();

    std::string result = f / "films/film_remux.mkv";
    std::vector<Track> tracks = media::tracksOf(result);
    ASSERT_EQ(tracks.size(), 3u) << describe(tracks);  // the English track is left out
    EXPECT_EQ(tracks[0].type, "video");
    EXPECT_EQ(tracks[0].defaultDuration, 40000000);
    EXPECT_EQ(tracks[1].codec, "DTS");
    EXPECT_EQ(tracks[1].language, "fre");
    EXPECT_EQ(tracks[1].minimumTimestamp, 1200000000);
    EXPECT_EQ(tracks[2].type, "subtitles");
    EXPECT_EQ(tracks[2].language, "fre");
    EXPECT_EQ(media::mkvinfo(result).find("Content compression"), std::string::npos);
    EXPECT_EQ(films(), (std::vector<std::string>{"film.mkv", "film_remux.mkv"}));
}

TEST_F(RealMedia, KeepDtsMuxesTheOriginalTrackAfterTheAc3) {
    options({{"keepdts", "1"}});
    place("film.mkv");
    auto t = drive(f, open() + "click 27\nwait\n");
    ASSERT_TRUE(t.has(success)) << t.text();
    std::vector<Track> audio = ofType(media::tracksOf(f / "films/film_remux.mkv"), "audio");
    ASSERT_EQ(audio.size(), 2u) << describe(audio);
    EXPECT_EQ(audio[0].codec, "AC-3");
    EXPECT_EQ(audio[0].language, "fre");
    EXPECT_EQ(audio[1].codec, "DTS");
    EXPECT_EQ(audio[1].channels, 6);
    std::ifstream original(sources_->path("french.dts"), std::ios::binary);
    EXPECT_TRUE(media::extractedTrack(f / "films/film_remux.mkv", audio[1].id, f / "kept.dts") ==
                std::string(std::istreambuf_iterator<char>(original), {}))
        << "the DTS frames of the source, unchanged";
    EXPECT_FALSE(f.exists("films/film.dts"));
}

TEST_F(RealMedia, KeptDtsTrackHasTheLanguageAndDelayOfTheSource) {
    options({{"keepdts", "1"}});
    place("film.mkv");
    auto t = drive(f, open() + "click 27\nwait\n");
    std::vector<Track> audio = ofType(media::tracksOf(f / "films/film_remux.mkv"), "audio");
    ASSERT_EQ(audio.size(), 2u) << t.text();
    EXPECT_EQ(audio[1].language, "fre");
    EXPECT_EQ(audio[1].minimumTimestamp, audio[0].minimumTimestamp);
}

TEST_F(RealMedia, ChosenSrtFileReplacesTheSourceSubtitles) {
    std::string srt = f / "films/outside.srt";
    place("film.mkv");
    std::filesystem::copy_file(sources_->path("outside.srt"), srt);
    auto t = drive(f, open() + "file " + srt + "\nclick 26\nclick 27\nwait\n");
    ASSERT_TRUE(t.has(success)) << t.text();
    std::string result = f / "films/film_remux.mkv";
    std::vector<Track> tracks = media::tracksOf(result);
    std::vector<Track> subtitles = ofType(tracks, "subtitles");
    ASSERT_EQ(subtitles.size(), 1u) << describe(tracks);
    std::string text = media::extractedTrack(result, subtitles[0].id, f / "check.srt");
    EXPECT_NE(text.find("00:00:00,200 --> 00:00:01,000\nSalut depuis un fichier externe\n"), std::string::npos)
        << text;
    EXPECT_EQ(ofType(tracks, "audio").size(), 1u);
    // The chosen file is the user's: left as it was; no subtitle was extracted.
    EXPECT_EQ(f.read("films/outside.srt"), media::outsideSubtitles);
    EXPECT_EQ(films(), (std::vector<std::string>{"film.mkv", "film_remux.mkv", "outside.srt"}));
}

TEST_F(RealMedia, QueueOfTwoJobsTurnsGreen) {
    place("film.mkv");
    place("film24.mkv", "second.mkv");
    // Job 1 with the delivered options; job 2 on the direct path.
    std::string commands = open() + "click 19\nwait\n" + open("second.mkv") +
                           "menu 0\ncheck 49 1\nclick 4\nclick 19\nwait\nclick 38\nwait\nshow 37\n";
    auto t = drive(f, commands);
    std::string folder = f / "films/";
    EXPECT_TRUE(t.has("37 row 0: film | " + folder + "film.mkv | DTS | fre | green")) << t.text();
    EXPECT_TRUE(t.has("37 row 1: second | " + folder + "second.mkv | DTS | fre | green")) << t.text();

    std::vector<Track> first = media::tracksOf(folder + "film_remux.mkv");
    ASSERT_EQ(first.size(), 3u) << describe(first);
    EXPECT_EQ(first[0].defaultDuration, 40000000);
    EXPECT_EQ(first[1].codec, "AC-3");
    EXPECT_EQ(first[1].minimumTimestamp, 1200000000);
    std::vector<Track> second = media::tracksOf(folder + "second_remux.mkv");
    ASSERT_EQ(second.size(), 3u) << describe(second);
    EXPECT_NEAR(double(second[0].defaultDuration), 1e9 / 23.976, 1000) << "23.976 fps";
    EXPECT_EQ(second[1].codec, "DTS");
    // The purge scripts removed the temporaries; the extracted subtitle stays, as in the immediate run.
    EXPECT_EQ(films(),
              (std::vector<std::string>{"film.mkv", "film.srt", "film_remux.mkv", "second.mkv", "second_remux.mkv"}));
}

TEST_F(RealMedia, RepairedAc3TrackDecodesWithoutCrcErrors) {
    ASSERT_NE(media::audioDecodeErrors(sources_->path("damaged.mkv")).find("CRC"), std::string::npos)
        << "the damaged source must have CRC errors";
    options({{"dtsfix", "1"}});
    place("damaged.mkv");
    auto t = drive(f, open() + "click 27\nwait\n");
    ASSERT_TRUE(t.has("status: nettoyage en cours")) << t.text();
    ASSERT_TRUE(t.has(success)) << t.text();
    std::string result = f / "films/film_remux.mkv";
    std::vector<Track> audio = ofType(media::tracksOf(result), "audio");
    ASSERT_EQ(audio.size(), 1u);
    EXPECT_EQ(audio[0].codec, "AC-3");
    EXPECT_EQ(audio[0].language, "fre");
    EXPECT_EQ(media::audioDecodeErrors(result), "");
    EXPECT_EQ(films(), (std::vector<std::string>{"film.mkv", "film_remux.mkv"}));
}

TEST_F(RealMedia, MissingTranscoderIsReportedAndLogged) {
    // ffmpeg is not installed: only mkvtoolnix and mediainfo can be found.
    std::filesystem::create_directory(f / "bin");
    for (const char* tool : {"mkvmerge", "mkvextract", "mediainfo"})
        std::filesystem::create_symlink(media::whichProgram(tool), f / ("bin/" + std::string(tool)));
    place("film.mkv");
    Transcript t;
    {
        media::PathOverride path(f / "bin");
        t = drive(f, open() + "click 27\nwait\n");
    }
    ASSERT_TRUE(t.has(failure)) << t.text();
    EXPECT_FALSE(t.has(success));
    std::string log = f.read("log.txt");
    EXPECT_NE(log.find("************************Log eac3to************************\r\n\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Result: failed: cannot start ffmpeg"), std::string::npos) << log;
    EXPECT_EQ(films(), (std::vector<std::string>{"film.mkv", "film.srt"}));
}

TEST_F(RealMedia, FrameRateReadWronglyMakesTheRunFail) {
    // MediaInfo's report says 0.599 images a second for the 25 of the film:
    // the remux ends well but its result is 40 times too long.
    std::string built = kx::test::programsFolder() + "/program/Applications/MediaInfo.exe";
    std::filesystem::remove(f / "Applications/MediaInfo.exe");
    f.writeProgram("Applications/MediaInfo.exe", "\"" + built + "\" \"$@\" || exit $?\n"
                   "sed -i 's/^\\(Frame rate  *: \\).*fps/\\10.599 fps/' \"${2#--LogFile=}\"\n");
    place("film.mkv");
    auto t = drive(f, open() + "show 21\nclick 27\nwait\n");
    ASSERT_TRUE(t.has("21 text: 0.599")) << t.text();
    ASSERT_TRUE(t.has(failure)) << t.text();
    EXPECT_FALSE(t.has(success));
    int reason = t.find(failure) + 1;
    ASSERT_LT(reason, int(t.lines.size()));
    EXPECT_TRUE(t.lines[reason].starts_with("message: Résultat non conforme : ")) << t.text();
    EXPECT_NE(t.lines[reason].find("durée de 0:01:2"), std::string::npos) << t.text();
    EXPECT_TRUE(f.read("log.txt").ends_with(" au lieu de 0:00:03\r\n")) << f.read("log.txt");
}

TEST_F(RealMedia, TrackFileOfTheUsersOwnStopsTheRunUntouched) {
    place("film.mkv");
    std::filesystem::copy_file(sources_->path("english.ac3"), f / "films/film.ac3");
    auto t = drive(f, open() + "click 27\nwait\n");
    EXPECT_FALSE(t.has(success)) << t.text();
    EXPECT_NE(t.text().find("message: Un fichier que le traitement doit créer existe déjà : " + f / "films/film.ac3"),
              std::string::npos)
        << t.text();
    EXPECT_FALSE(std::filesystem::exists(f / "films/film_remux.mkv"));
    EXPECT_TRUE(sameAsSource("film.ac3", "english.ac3"));
}

namespace {

struct FormatCase {
    int item;  // in the audio list of formats.mkv
    std::vector<std::pair<std::string, std::string>> options;
    std::string codec;     // of the result's audio, mkvmerge -J
    std::string language;
    std::string ffprobe;   // lines the result's audio shows to ffprobe
};

}  // namespace

TEST_F(RealMedia, EveryFormatABoxCannotPlayBecomesAc3) {
    const FormatCase cases[] = {
        {0, {}, "AC-3", "fre", "channel_layout=5.1(side)\nbit_rate=640000"},  // FLAC 7.1, the LFE kept
        {1, {}, "AC-3", "eng", "channels=6"},                                // TrueHD 5.1
        {2, {}, "AC-3", "ger", "channels=6"},                                // Opus
        {3, {{"ac3448", "1"}}, "AC-3", "ita", "channels=6\nchannel_layout=5.1(side)\nbit_rate=448000"},  // PCM 24
        {4, {}, "AC-3", "por", "channels=6"},                                // E-AC3
        {4, {{"keepeac3", "1"}}, "E-AC-3", "por", "codec_name=eac3"},        // E-AC3 kept
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.item);
        std::filesystem::remove_all(f / "films");
        std::filesystem::create_directory(f / "films");
        place("formats.mkv");
        options({{"ac3448", "0"}, {"keepeac3", "0"}});
        options(c.options);
        auto t = drive(f, open() + "select 30 " + std::to_string(c.item) + "\nclick 27\nwait\n");
        ASSERT_TRUE(t.has(success)) << t.text();
        std::string result = f / "films/film_remux.mkv";
        std::vector<Track> audio = ofType(media::tracksOf(result), "audio");
        ASSERT_EQ(audio.size(), 1u);
        EXPECT_EQ(audio[0].codec, c.codec);
        EXPECT_EQ(audio[0].language, c.language);
        std::string probe = media::firstAudio(result);
        EXPECT_NE(probe.find(c.ffprobe), std::string::npos) << probe;
        EXPECT_NE(probe.find("duration=2.0"), std::string::npos) << probe;
        EXPECT_EQ(films(), (std::vector<std::string>{"film.mkv", "film_remux.mkv"}));
    }
}

TEST_F(RealMedia, KeptOriginalFlacFollowsTheAc3) {
    place("formats.mkv");
    options({{"keepdts", "1"}});
    auto t = drive(f, open() + "click 27\nwait\n");
    ASSERT_TRUE(t.has(success)) << t.text();
    std::vector<Track> audio = ofType(media::tracksOf(f / "films/film_remux.mkv"), "audio");
    ASSERT_EQ(audio.size(), 2u) << describe(audio);
    EXPECT_EQ(audio[0].codec, "AC-3");
    EXPECT_EQ(audio[1].codec, "FLAC");
    EXPECT_EQ(audio[1].channels, 8);
    EXPECT_EQ(audio[1].language, "fre");
}

TEST_F(RealMedia, QueuedAc3JobTurnsGreen) {
    place("formats.mkv");
    auto t = drive(f, open() + "select 30 5\nclick 19\nwait\nclick 38\nwait\nshow 37\n");
    EXPECT_TRUE(t.has("37 row 0: film | " + f / "films/film.mkv | AC3 |  | green")) << t.text();
    std::vector<Track> audio = ofType(media::tracksOf(f / "films/film_remux.mkv"), "audio");
    ASSERT_EQ(audio.size(), 1u);
    EXPECT_EQ(audio[0].codec, "AC-3");
    EXPECT_EQ(audio[0].channels, 2);
    EXPECT_EQ(audio[0].language, "eng");
    EXPECT_NE(media::firstAudio(f / "films/film_remux.mkv").find("duration=2.0"), std::string::npos);
}

TEST_F(RealMedia, Windows1252SubtitleKeepsItsAccents) {
    std::string srt = f / "films/latin1.srt";
    place("film.mkv");
    std::filesystem::copy_file(sources_->path("latin1.srt"), srt);
    for (const char* path : {"0", "1"}) {
        SCOPED_TRACE(path);
        options({{"notranscode", path}});
        auto t = drive(f, open() + "file " + srt + "\nclick 26\nclick 27\nwait\n");
        ASSERT_TRUE(t.has(success)) << t.text();
        std::string result = f / "films/film_remux.mkv";
        std::vector<Track> subtitles = ofType(media::tracksOf(result), "subtitles");
        ASSERT_EQ(subtitles.size(), 1u);
        std::string text = media::extractedTrack(result, subtitles[0].id, f / "check.srt");
        EXPECT_NE(text.find("Café crème à l'été"), std::string::npos) << text;
        std::filesystem::remove(result);
    }
}
