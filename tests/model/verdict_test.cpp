// The verdict on the chosen tracks: which items a choice gives, in which
// order, and the short form the status bar shows.
#include <gtest/gtest.h>

#include "base/encoding.h"
#include "model/verdict.h"

using namespace kx;
using Strings = std::vector<std::string>;

namespace {

TrackRecord track(const char* format, const char* profile = "", int bitDepth = 0, bool stripped = false) {
    TrackRecord t;
    t.trackId = "1";
    t.format = format;
    t.profile = profile;
    t.bitDepth = bitDepth;
    t.headerStripped = stripped;
    return t;
}

VerdictInputs video(TrackRecord t) {
    VerdictInputs in;
    in.video = std::move(t);
    return in;
}

const std::string oldBoxes = " : certaines box ne la lisent pas";
const std::string imageSubtitles = " (image) : beaucoup de box ne les affichent pas";
const std::string stripped = "Compression des en-têtes présente : sera retirée";

}  // namespace

TEST(Verdict, ItemsOfTheChosenTracks) {
    VerdictInputs pgs, vobsub, text, rate, fine, strippedAudio, all;
    pgs.subtitle = track("PGS");
    vobsub.subtitle = track("VobSub");
    text.subtitle = track("UTF8");
    rate.frameRate = "0.599";
    fine.frameRate = "23.976";
    strippedAudio.audio = track("AC3", "", 0, true);
    all = video(track("HEVC", "Main 10@L5.1@High", 10));
    all.audio = track("MLP FAT", "Dolby TrueHD");
    all.audio->channels = 8;
    all.audio->headerStripped = true;
    all.subtitle = track("PGS");
    all.frameRate = "5.000";
    all.rate = 448;

    const struct {
        const char* what;
        VerdictInputs in;
        Strings items;
    } cases[] = {
        {"HEVC 10 bits", video(track("HEVC", "Main 10@L4.1@Main", 10)), {std::string("Vidéo HEVC 10 bits") + oldBoxes}},
        {"HEVC, depth from the profile", video(track("HEVC", "Main 10@L5")), {std::string("Vidéo HEVC 10 bits") + oldBoxes}},
        {"HEVC 8 bits", video(track("HEVC", "Main@L4.1@Main", 8)), {}},
        {"H.264 level 4.1", video(track("AVC", "High@L4.1", 8)), {}},
        {"H.264 level 5.1", video(track("AVC", "High@L5.1", 8)), {std::string("Vidéo H.264 niveau 5.1") + oldBoxes}},
        {"H.264 10 bits", video(track("AVC", "High 10@L4", 10)), {std::string("Vidéo H.264 10 bits") + oldBoxes}},
        {"H.264 10 bits level 5", video(track("AVC", "High 10@L5")),
         {std::string("Vidéo H.264 10 bits niveau 5") + oldBoxes}},
        {"H.264 without profile", video(track("AVC")), {}},
        {"PGS", pgs, {"Sous-titres PGS" + imageSubtitles}},
        {"VobSub", vobsub, {"Sous-titres VobSub" + imageSubtitles}},
        {"text subtitles", text, {}},
        {"frame rate 0.599", rate, {std::string("Cadence de 0.599 images/s : hors de 10 à 121")}},
        {"frame rate 23.976", fine, {}},
        {"header compression", strippedAudio, {std::string("Audio AC3 : conservé tel quel"), stripped}},
        {"nothing chosen", VerdictInputs{}, {}},
        {"all at once, most important first",
         all,
         {std::string("Vidéo HEVC 10 bits") + oldBoxes, "Sous-titres PGS" + imageSubtitles,
          std::string("Cadence de 5.000 images/s : hors de 10 à 121"),
          "Audio TrueHD 7.1 : sera converti en AC3 5.1 (448 kb/s)", stripped}},
    };
    for (const auto& c : cases) {
        Strings got;
        for (const std::string& item : verdictItems(c.in)) got.push_back(toUtf8(item));
        EXPECT_EQ(got, c.items) << c.what;
    }
}

TEST(Verdict, BriefKeepsWhatFitsInOrder) {
    const std::string a(60, 'a'), b(30, 'b'), c(50, 'c'), d(120, 'd');
    const struct {
        Strings items;
        std::string brief;
    } cases[] = {
        {{a, b}, a + " ; " + b},
        {{a, c, b}, a},  // the second does not fit: nothing after it
        {{d, b}, d},     // the first is always told
        {{}, ""},
    };
    for (const auto& k : cases) EXPECT_EQ(briefVerdict(k.items), k.brief) << k.items.size();
}
