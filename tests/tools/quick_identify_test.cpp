// The stand-ins' quick identification: track maps read from a file's head and
// DTS facts read from its first frame must say exactly what mkvmerge -J and
// ffprobe say, or nothing at all (the tools are then asked).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "drive.h"
#include "e2e/media.h"
#include "tools/adapters/audio_head.h"
#include "base/json.h"
#include "tools/adapters/matroska_head.h"

namespace kx::adapt {
namespace {

namespace media = kx::test::media;

using Data = std::vector<unsigned char>;

ReadAt readerOf(const Data& data) {
    return [&data](std::uint64_t offset, unsigned char* into, std::size_t size) -> std::size_t {
        if (offset >= data.size() || size == 0) return 0;
        std::size_t n = std::min<std::size_t>(size, data.size() - std::size_t(offset));
        std::memcpy(into, data.data() + offset, n);
        return n;
    };
}

// ---- EBML written by hand ---------------------------------------------------

Data id(std::uint32_t value) {
    Data out;
    for (int shift = 24; shift >= 0; shift -= 8)
        if (value >> shift || !out.empty()) out.push_back((unsigned char)(value >> shift));
    return out;
}

// An element with a four-byte size.
Data element(std::uint32_t elementId, const Data& content) {
    std::uint32_t size = std::uint32_t(content.size());
    Data out = id(elementId);
    out.insert(out.end(), {(unsigned char)(0x10 | size >> 24), (unsigned char)(size >> 16), (unsigned char)(size >> 8),
                           (unsigned char)size});
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

Data operator+(Data a, const Data& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Data text(const std::string& s) { return Data(s.begin(), s.end()); }

Data entry(unsigned number, unsigned type, const std::string& codec = "S_TEXT/UTF8") {
    Data content = element(0xD7, {(unsigned char)number}) + element(0x83, {(unsigned char)type});
    if (!codec.empty()) content = content + element(0x86, text(codec));
    return element(0xAE, content);
}

Data header(const std::string& docType = "matroska") { return element(0x1A45DFA3, element(0x4282, text(docType))); }

Data file(const Data& segmentContent, const std::string& docType = "matroska") {
    return header(docType) + element(0x18538067, segmentContent);
}

const Data info = element(0x1549A966, element(0x2AD7B1, {0x0F, 0x42, 0x40}));
const Data cluster = element(0x1F43B675, element(0xE7, {0}));
const Data voidElement = element(0xEC, Data(20, 0));

std::optional<TrackMap> headMap(const Data& data) { return trackMapFromHead(readerOf(data)); }

TEST(QuickIdentify, PlainHeadsGiveTheMapInEntryOrder) {
    Data tracks = element(0x1654AE6B, entry(1, 1, "V_MPEG4/ISO/AVC") + voidElement + entry(3, 2, "A_DTS") + entry(2, 0x11));
    EXPECT_EQ(headMap(file(info + tracks + cluster)), (TrackMap{{1, 0}, {3, 1}, {2, 2}}));
    EXPECT_EQ(headMap(file(voidElement + tracks + cluster, "webm")), (TrackMap{{1, 0}, {3, 1}, {2, 2}}));
    // A segment of unknown size, and a file that ends after its tracks.
    Data unknown = header() + id(0x18538067) + Data{0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF} + tracks;
    EXPECT_EQ(headMap(unknown), (TrackMap{{1, 0}, {3, 1}, {2, 2}}));
}

TEST(QuickIdentify, AnythingUnusualIsLeftToMkvmerge) {
    const Data one = entry(1, 1, "V_MPEG4/ISO/AVC");
    auto withEntries = [&](const Data& entries) { return file(element(0x1654AE6B, one + entries) + cluster); };
    EXPECT_FALSE(headMap(withEntries(entry(2, 0x12))));  // buttons
    EXPECT_FALSE(headMap(withEntries(entry(2, 0x21))));  // metadata
    EXPECT_FALSE(headMap(withEntries(entry(1, 2))));     // a number twice
    EXPECT_FALSE(headMap(withEntries(entry(0, 2))));     // number 0
    EXPECT_FALSE(headMap(withEntries(entry(2, 2, ""))));  // no codec
    EXPECT_FALSE(headMap(withEntries(element(0xAE, element(0x83, {2}) + element(0x86, text("A_AC3"))))));  // no number
    EXPECT_FALSE(headMap(file(element(0x1654AE6B, Data{})+ cluster)));  // no track at all
    // Tracks after a cluster, two Tracks elements, no Tracks.
    const Data tracks = element(0x1654AE6B, one);
    EXPECT_FALSE(headMap(file(info + cluster + tracks)));
    EXPECT_FALSE(headMap(file(tracks + info + tracks + cluster)));
    EXPECT_FALSE(headMap(file(info + cluster)));
    // Not Matroska, another document type, a broken or cut head.
    EXPECT_FALSE(headMap(text("RIFF....AVI LIST")));
    EXPECT_FALSE(headMap(file(tracks + cluster, "mkv3d")));
    EXPECT_FALSE(headMap(Data{}));
    Data cut = file(info + tracks + cluster);
    cut.resize(cut.size() - cluster.size() - 3);
    EXPECT_FALSE(headMap(cut));
    Data tooLong = file(info + tracks + cluster);
    tooLong[header().size() + 4 + 4 + info.size() + 7] += 1;  // the Tracks size, one more than its segment holds
    EXPECT_FALSE(headMap(Data(tooLong.begin(), tooLong.end() - std::ptrdiff_t(cluster.size()))));
    Data entryTooLong = withEntries(entry(2, 2));
    entryTooLong[entryTooLong.size() - cluster.size() - element(0xAE, {}).size() - 16] += 40;
    EXPECT_FALSE(headMap(entryTooLong));
}

TEST(QuickIdentify, MkvextractCountsEveryEntry) {
    auto extractMap = [](const Data& entries) {
        Data data = file(element(0x1654AE6B, entry(1, 1, "V_MPEG4/ISO/AVC") + entries) + cluster);
        return trackMapFromHead(readerOf(data), Numbering::mkvextract);
    };
    EXPECT_EQ(extractMap(entry(2, 0x12) + entry(3, 2)), (TrackMap{{1, 0}, {2, 1}, {3, 2}}));
    EXPECT_EQ(extractMap(entry(2, 2, "") + entry(3, 2)), (TrackMap{{1, 0}, {2, 1}, {3, 2}}));
    Data unnumbered = element(0xAE, element(0x83, {2}) + element(0x86, text("A_AC3")));
    EXPECT_EQ(extractMap(unnumbered + entry(3, 2)), (TrackMap{{1, 0}, {3, 2}}));
    EXPECT_EQ(extractMap(entry(0, 2) + entry(3, 2)), (TrackMap{{1, 0}, {3, 2}}));
    EXPECT_FALSE(extractMap(entry(1, 2)));  // a number twice names no one track
}

TEST(QuickIdentify, RawTrackFilesByTheirNameAndFirstBytes) {
    auto raw = [](const std::string& name, const Data& data) { return rawTrackFileMap(name, readerOf(data)); };
    EXPECT_EQ(raw("/x/film.h264", {0, 0, 0, 1, 0x67}), TrackMap());
    EXPECT_EQ(raw("/x/film.H264", {0, 0, 1, 0x67}), TrackMap());
    EXPECT_EQ(raw("/x/film.ac3", {0x0B, 0x77, 1}), TrackMap());
    EXPECT_EQ(raw("/x/film.dts", {0x7F, 0xFE, 0x80, 0x01}), TrackMap());
    EXPECT_EQ(raw("/x/film.srt", text("1\r\n00:00:01,000 --> 00:00:02,000\r\n")), TrackMap());
    EXPECT_FALSE(raw("/x/film.h264", {0, 0, 0, 0x18, 'f', 't', 'y', 'p'}));  // an MP4 file
    EXPECT_FALSE(raw("/x/film.srt", text("RIFF") + Data{0, 0, 1, 0}));
    EXPECT_FALSE(raw("/x/film.srt", header()));
    EXPECT_FALSE(raw("/x/film.srt", {}));
    EXPECT_FALSE(raw("/x/film.mkv", {0, 0, 0, 1}));
    EXPECT_FALSE(raw("/x.h264/film", {0, 0, 0, 1}));
}

// ---- DTS headers written by hand -----------------------------------------------

// A core frame: 8 blocks, `size` bytes, the given arrangement, rate codes,
// extension flag and LFE.
Data dtsFrame(unsigned arrangement, unsigned sampleRate, unsigned bitRate, bool extension, bool lfe,
              std::size_t size = 2012) {
    Data frame(size, 0);
    frame[0] = 0x7F, frame[1] = 0xFE, frame[2] = 0x80, frame[3] = 0x01;
    std::size_t bit = 32;
    auto put = [&](std::uint32_t value, unsigned count) {
        for (unsigned k = count; k-- > 0; ++bit)
            if ((value >> k) & 1) frame[bit / 8] |= (unsigned char)(0x80 >> (bit % 8));
    };
    put(1, 1), put(31, 5), put(0, 1), put(7, 7), put(std::uint32_t(size - 1), 14);
    put(arrangement, 6), put(sampleRate, 4), put(bitRate, 5), put(0, 5), put(0, 3), put(extension, 1), put(0, 1);
    put(lfe ? 2 : 0, 2);
    return frame;
}

TEST(QuickIdentify, PlainDtsFactsFromTheFirstFrame) {
    Data stream = dtsFrame(9, 13, 24, false, true) + dtsFrame(9, 13, 24, false, true);
    std::optional<AudioFacts> facts = plainDtsFacts(stream);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->codec, "dts");
    EXPECT_EQ(facts->channels, 6);
    EXPECT_EQ(facts->sampleRate, "48000");
    EXPECT_EQ(facts->bitRate, "1536000");
    facts = plainDtsFacts(dtsFrame(0, 8, 22, false, false));  // one frame, nothing after it
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->channels, 1);
    EXPECT_EQ(facts->sampleRate, "44100");
    EXPECT_EQ(facts->bitRate, "1411200");

    EXPECT_FALSE(plainDtsFacts(dtsFrame(9, 13, 24, true, true)));   // an extension in the core
    EXPECT_FALSE(plainDtsFacts(dtsFrame(10, 13, 24, false, true)));  // six channels and more
    EXPECT_FALSE(plainDtsFacts(dtsFrame(9, 13, 29, false, true)));   // open bit rate
    EXPECT_FALSE(plainDtsFacts(dtsFrame(9, 4, 24, false, true)));    // no such sample rate
    Data hd = dtsFrame(9, 13, 24, false, true) + Data{0x64, 0x58, 0x20, 0x25} + Data(60, 0);
    EXPECT_FALSE(plainDtsFacts(hd));
    Data noise = dtsFrame(9, 13, 24, false, true) + Data(100, 0x55);
    EXPECT_FALSE(plainDtsFacts(noise));
    EXPECT_FALSE(plainDtsFacts(Data{0xFE, 0x7F, 0x01, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));  // little-endian
}

// ---- Against the real tools ---------------------------------------------------

class AgainstTools : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"mkvmerge", "ffmpeg", "ffprobe"})
            if (media::run({"which", tool}).status != 0) GTEST_SKIP() << tool << " is not installed";
        char name[] = "/tmp/klarbrix-quick-XXXXXX";
        ASSERT_TRUE(::mkdtemp(name));
        folder_ = std::string(name) + "/";
    }
    void TearDown() override {
        if (!folder_.empty()) std::filesystem::remove_all(folder_);
    }
    Data read(const std::string& name) {
        std::ifstream in(folder_ + name, std::ios::binary);
        return Data(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void write(const std::string& name, const Data& data) {
        std::ofstream(folder_ + name, std::ios::binary).write((const char*)data.data(), std::streamsize(data.size()));
    }
    void make(const std::vector<std::string>& argv) {
        media::Output o = media::run(argv);
        ASSERT_EQ(o.status, 0) << argv[0] << ": " << o.err;
    }
    // What mkvmerge -J says, as the stand-ins read it.
    std::optional<TrackMap> identified(const std::string& name) {
        media::Output o = media::run({"mkvmerge", "-J", folder_ + name});
        json::ParseResult parsed = json::parse(o.out);
        std::string error;
        return parsed.value ? trackMapFromIdentify(*parsed.value, error) : std::nullopt;
    }
    std::string folder_;
};

TEST_F(AgainstTools, HeadMapsAgreeWithMkvmerge) {
    write("a.srt", text("1\r\n00:00:01,000 --> 00:00:02,000\r\nA\r\n"));
    make({"ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc=size=64x64:rate=25", "-t", "1", "-c:v",
          "libx264", folder_ + "v.h264"});
    make({"ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", "sine", "-t", "1", "-c:a", "ac3", folder_ + "a.ac3"});
    make({"mkvmerge", "-q", "-o", folder_ + "film.mkv", folder_ + "v.h264", folder_ + "a.ac3", folder_ + "a.srt",
          folder_ + "a.srt"});
    // The same with the numbers of the two subtitle entries swapped, and
    // with a codec mkvmerge does not know.
    Data film = read("film.mkv"), swapped = film, unknownCodec = film;
    const Data numberThree = {0xD7, 0x81, 3}, numberFour = {0xD7, 0x81, 4};
    auto at = [&](const Data& bytes) {
        return std::size_t(std::search(film.begin(), film.end(), bytes.begin(), bytes.end()) - film.begin());
    };
    ASSERT_LT(at(numberFour), film.size());
    swapped[at(numberThree) + 2] = 4, swapped[at(numberFour) + 2] = 3;
    std::size_t codec = at(text("S_TEXT/UTF8"));
    ASSERT_LT(codec, film.size());
    unknownCodec[codec + 10] = '9';
    write("swapped.mkv", swapped);
    write("unknown.mkv", unknownCodec);

    for (const char* name : {"film.mkv", "swapped.mkv", "unknown.mkv"}) {
        Data data = read(name);
        std::optional<TrackMap> fromHead = headMap(data);
        ASSERT_TRUE(fromHead) << name;
        EXPECT_EQ(*fromHead, identified(name)) << name;
    }
    EXPECT_EQ(headMap(read("swapped.mkv")), (TrackMap{{1, 0}, {2, 1}, {4, 2}, {3, 3}}));
    // Raw track files: mkvmerge numbers their one track without a number.
    for (const char* name : {"v.h264", "a.ac3", "a.srt"}) {
        Data data = read(name);
        EXPECT_EQ(rawTrackFileMap(folder_ + name, readerOf(data)), identified(name)) << name;
    }
}

// The second of three subtitle entries has no type: mkvmerge leaves it out
// and numbers the third track 1, but mkvextract counts every entry and knows
// the third as 2. Asking mkvextract for mkvmerge's 1 extracted the second
// track; the stand-in must extract the third track's text.
TEST_F(AgainstTools, MkvextractIsGivenItsOwnNumberOfATrackMkvmergeLeavesOut) {
    std::string standIn = kx::test::programsFolder() + "/program/Applications/mkvextract.exe";
    ASSERT_EQ(::access(standIn.c_str(), X_OK), 0) << standIn << " is missing: build klarbrix-adapters";
    for (const char* letter : {"A", "B", "C"})
        write(std::string(letter) + ".srt", text(std::string("1\r\n00:00:01,000 --> 00:00:02,000\r\n") + letter + "\r\n"));
    make({"mkvmerge", "-q", "-o", folder_ + "three.mkv", folder_ + "A.srt", folder_ + "B.srt", folder_ + "C.srt"});
    Data film = read("three.mkv");
    const Data subtitleType = {0x83, 0x81, 0x11};
    auto first = std::search(film.begin(), film.end(), subtitleType.begin(), subtitleType.end());
    auto second = std::search(first + 1, film.end(), subtitleType.begin(), subtitleType.end());
    ASSERT_NE(second, film.end());
    *second = 0xEC;  // the type element becomes padding
    write("untyped.mkv", film);
    ASSERT_FALSE(headMap(film));
    ASSERT_EQ(identified("untyped.mkv"), (TrackMap{{1, 0}, {3, 1}}));
    EXPECT_EQ(trackMapFromHead(readerOf(film), Numbering::mkvextract), (TrackMap{{1, 0}, {2, 1}, {3, 2}}));

    // Started as a script would start it (media::run marks its children as
    // started by a stand-in, which this one would then refuse to be).
    std::string command = "'" + standIn + "' tracks '" + folder_ + "untyped.mkv' '3:" + folder_ + "third.srt' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    Data third = read("third.srt");
    EXPECT_NE(std::string(third.begin(), third.end()).find("C"), std::string::npos);
}

TEST_F(AgainstTools, DtsFactsAgreeWithFfprobe) {
    struct Case {
        const char* filter;
        const char* bitRate;
    } cases[] = {{"sine=sample_rate=48000,pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0", "1536k"},
                 {"sine=sample_rate=44100", "768k"},
                 {"sine=sample_rate=48000,pan=stereo|c0=c0|c1=c0", "1411.2k"}};
    for (const Case& c : cases) {
        make({"ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i", c.filter, "-t", "1", "-c:a", "dca", "-strict",
              "experimental", "-b:a", c.bitRate, folder_ + "a.dts"});
        media::Output probe = media::run({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                                          "stream=codec_name,channels,sample_rate,bit_rate", "-of", "json",
                                          folder_ + "a.dts"});
        json::ParseResult parsed = json::parse(probe.out);
        ASSERT_TRUE(parsed.value) << probe.err;
        const json::Value& s = (*parsed.value)["streams"].items().at(0);
        std::optional<AudioFacts> facts = plainDtsFacts(read("a.dts"));
        ASSERT_TRUE(facts) << c.filter;
        EXPECT_EQ(facts->codec, s["codec_name"].text());
        EXPECT_EQ(facts->channels, s["channels"].integer().value_or(-1)) << c.filter;
        EXPECT_EQ(facts->sampleRate, s["sample_rate"].text());
        EXPECT_EQ(facts->bitRate, s["bit_rate"].text()) << c.filter;
    }
}

}  // namespace
}  // namespace kx::adapt
