// The audio repair's frame walker on frames cut from ffmpeg-encoded AC3,
// E-AC3 and DTS streams, with garbage, wrong CRCs and truncated ends added.
#include <gtest/gtest.h>

#include "tests/tools/fixture.h"
#include "tools/adapters/frames.h"

namespace kx::adapt {
namespace {

using Data = std::vector<unsigned char>;

Data bytesOf(const std::string& text) { return Data(text.begin(), text.end()); }

Data concat(std::initializer_list<Data> parts) {
    Data out;
    for (const Data& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Data slice(const Data& d, std::size_t from, std::size_t size) {
    return Data(d.begin() + std::ptrdiff_t(from), d.begin() + std::ptrdiff_t(from + size));
}

struct Repaired {
    Data out;
    RepairStats stats;
};

Repaired ac3(const Data& in, CrcMode mode = CrcMode::fix) {
    Repaired r;
    r.stats = repairAc3(in, mode, [&](Bytes piece) { r.out.insert(r.out.end(), piece.begin(), piece.end()); });
    return r;
}

Repaired dts(const Data& in) {
    Repaired r;
    r.stats = repairDts(in, [&](Bytes piece) { r.out.insert(r.out.end(), piece.begin(), piece.end()); });
    return r;
}

// Bytes that hold no sync word but one false AC3 one (valid-looking header).
const Data garbage = bytesOf(std::string("no audio here \x0B\x77\x00\x00\x14\x40 more junk", 31));

class RepairAc3 : public ::testing::Test {
protected:
    Data stream = bytesOf(fixtures::fixture("two-frames.ac3"));
    Data f1 = slice(stream, 0, 768), f2 = slice(stream, 768, 768);
};

TEST_F(RepairAc3, RealFramesAreWholeAndPassUnchanged) {
    ASSERT_EQ(stream.size(), 1536u);
    EXPECT_EQ(ac3FrameSize(f1.data()), 768u);  // 192 kb/s at 48 kHz
    EXPECT_TRUE(ac3CrcOk(f1));
    EXPECT_TRUE(ac3CrcOk(f2));
    Repaired r = ac3(stream);
    EXPECT_EQ(r.out, stream);
    EXPECT_EQ(r.stats.frames, 2);
    EXPECT_EQ(r.stats.droppedBytes, 0);
    EXPECT_EQ(r.stats.crcErrors, 0);
}

TEST_F(RepairAc3, GarbageBeforeAndBetweenFramesIsDropped) {
    Repaired r = ac3(concat({garbage, f1, garbage, garbage, f2}));
    EXPECT_EQ(r.out, stream);
    EXPECT_EQ(r.stats.droppedBytes, std::int64_t(3 * garbage.size()));
    EXPECT_EQ(r.stats.droppedRuns, 2);
    EXPECT_EQ(r.stats.frames, 2);
}

TEST_F(RepairAc3, WrongCrcsAreRewritten) {
    Data badCrc1 = f1, badCrc2 = f2;
    badCrc1[2] ^= 0x5A;
    badCrc2[767] ^= 0x01;
    Repaired r = ac3(concat({badCrc1, badCrc2}));
    EXPECT_EQ(r.out, stream);  // both CRCs back to what the encoder wrote
    EXPECT_EQ(r.stats.crcErrors, 2);
    EXPECT_EQ(r.stats.crcFixed, 2);

    // Damaged audio data: the frame is kept and made to pass the check.
    Data damaged = f1;
    damaged[100] ^= 0xFF;
    r = ac3(concat({damaged, f2}));
    ASSERT_EQ(r.out.size(), stream.size());
    EXPECT_TRUE(ac3CrcOk(slice(r.out, 0, 768)));
    EXPECT_EQ(r.out[100], damaged[100]);
    EXPECT_EQ(slice(r.out, 768, 768), f2);
}

TEST_F(RepairAc3, OtherCrcModes) {
    Data bad = f1;
    bad[500] ^= 0x10;  // in the second CRC's part
    Repaired kept = ac3(concat({bad, f2}), CrcMode::ignore);
    EXPECT_EQ(kept.out, concat({bad, f2}));
    EXPECT_EQ(kept.stats.crcErrors, 1);
    Repaired skipped = ac3(concat({bad, f2}), CrcMode::skip);
    EXPECT_EQ(skipped.out, f2);
    EXPECT_EQ(skipped.stats.framesSkipped, 1);
}

TEST_F(RepairAc3, TruncatedLastFrameIsDropped) {
    Repaired r = ac3(concat({f1, f2, slice(f1, 0, 500)}));
    EXPECT_EQ(r.out, stream);
    EXPECT_EQ(r.stats.truncatedBytes, 500);
    EXPECT_EQ(r.stats.droppedBytes, 500);
    // Only a header left at the end.
    r = ac3(concat({f1, slice(f2, 0, 7)}));
    EXPECT_EQ(r.out, f1);
}

TEST(RepairAc3Header, FrameSizes) {
    unsigned char h[6] = {0x0B, 0x77, 0, 0, 0x41, 0x40};  // 44.1 kHz, 32 kb/s, odd code: 70 words
    EXPECT_EQ(ac3FrameSize(h), 140u);
    h[4] = 0x80 | 37;  // 32 kHz, 640 kb/s
    EXPECT_EQ(ac3FrameSize(h), 3840u);
    h[4] = 0xC0;  // reserved sample rate
    EXPECT_EQ(ac3FrameSize(h), 0u);
    h[4] = 38;  // no such frame size code
    EXPECT_EQ(ac3FrameSize(h), 0u);
    h[1] = 0x78;
    EXPECT_EQ(ac3FrameSize(h), 0u);
}

TEST(RepairEac3, OneCrcOverTheWholeFrame) {
    Data stream = bytesOf(fixtures::fixture("two-frames.eac3"));
    ASSERT_EQ(stream.size(), 3584u);
    Data f1 = slice(stream, 0, 1792);
    EXPECT_EQ(ac3FrameSize(f1.data()), 1792u);
    EXPECT_TRUE(ac3CrcOk(f1));
    Data bad = stream;
    bad[1790] ^= 0x33;
    Repaired r = ac3(concat({garbage, bad}));
    EXPECT_EQ(r.out, stream);
    EXPECT_EQ(r.stats.crcFixed, 1);
}

class RepairDts : public ::testing::Test {
protected:
    Data stream = bytesOf(fixtures::fixture("three-frames.dts"));
    Data f1 = slice(stream, 0, 1024), f2 = slice(stream, 1024, 1024), f3 = slice(stream, 2048, 1024);
};

TEST_F(RepairDts, RealFramesPassUnchanged) {
    ASSERT_EQ(stream.size(), 3072u);
    EXPECT_EQ(dtsFrameSize(f1.data()), 1024u);  // 768 kb/s, 512 samples at 48 kHz
    Repaired r = dts(stream);
    EXPECT_EQ(r.out, stream);
    EXPECT_EQ(r.stats.frames, 3);
    EXPECT_EQ(r.stats.droppedBytes, 0);
}

TEST_F(RepairDts, GarbageAndATruncatedEndAreDropped) {
    Repaired r = dts(concat({garbage, f1, f2, garbage, f3, slice(f1, 0, 600)}));
    // f2 is followed by garbage, but its header matches f1's: it is kept.
    EXPECT_EQ(r.out, stream);
    EXPECT_EQ(r.stats.droppedBytes, std::int64_t(2 * garbage.size() + 600));
    EXPECT_EQ(r.stats.truncatedBytes, 600);
    EXPECT_EQ(r.stats.droppedRuns, 3);
}

TEST_F(RepairDts, ExtensionFramesAreKept) {
    // A DTS-HD extension frame of 100 bytes (header of 16) after each core frame.
    Data extension(100, 0x55);
    Data header{0x64, 0x58, 0x20, 0x25, 0x00, 0x01, 0xE0, 0x0C, 0x60};
    std::copy(header.begin(), header.end(), extension.begin());
    ASSERT_EQ(dtsFrameSize(extension.data()), 100u);
    Data hd = concat({f1, extension, f2, extension});
    Repaired r = dts(hd);
    EXPECT_EQ(r.out, hd);
    EXPECT_EQ(r.stats.extensionFrames, 2);
}

TEST_F(RepairDts, ATailOfOverlongHeadersIsWalkedOnce) {
    // A crafted end: DTS-HD extension headers every 16 bytes, each announcing
    // a frame of a megabyte that does not fit, then one small frame that does.
    // Each header used to search the rest of the stream again (minutes for this
    // megabyte); the result is the same, in one pass.
    Data tail;
    const Data overlong{0x64, 0x58, 0x20, 0x25, 0x00, 0x3F, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0};
    while (tail.size() < (1u << 20) - 4096) tail.insert(tail.end(), overlong.begin(), overlong.end());
    ASSERT_EQ(dtsFrameSize(overlong.data()), 1u << 20);
    Data extension(100, 0x55);
    Data header{0x64, 0x58, 0x20, 0x25, 0x00, 0x01, 0xE0, 0x0C, 0x60};
    std::copy(header.begin(), header.end(), extension.begin());
    Repaired r = dts(concat({f1, tail, extension}));
    EXPECT_EQ(r.out, concat({f1, extension}));
    EXPECT_EQ(r.stats.droppedBytes, std::int64_t(tail.size()));
    EXPECT_EQ(r.stats.droppedRuns, 1);
}

TEST(RepairFrames, NoFrameInOtherData) {
    Data noise;
    for (int k = 0; k < 5000; ++k) noise.push_back((unsigned char)(k * 7919 % 251));
    EXPECT_EQ(ac3(noise).stats.frames, 0);
    EXPECT_EQ(dts(noise).stats.frames, 0);
    EXPECT_EQ(ac3(Data()).out.size(), 0u);
}

TEST(RepairFrames, KindByFileName) {
    EXPECT_EQ(streamKindOfName("/f/Film.AC3"), StreamKind::ac3);
    EXPECT_EQ(streamKindOfName("/f/a.eac3"), StreamKind::ac3);
    EXPECT_EQ(streamKindOfName("/f/a.dts"), StreamKind::dts);
    EXPECT_EQ(streamKindOfName("/f/a.aac"), StreamKind::other);
    EXPECT_EQ(streamKindOfName("/f.dts/a"), StreamKind::other);
}

TEST_F(RepairAc3, RepairLog) {
    Data bad = f2;
    bad[3] ^= 1;
    Repaired r = ac3(concat({garbage, f1, bad, slice(f1, 0, 10)}));
    EXPECT_EQ(repairLogText("/f/a.ac3", "/f/a_fixed.ac3", StreamKind::ac3, CrcMode::fix, r.stats),
              "Input: /f/a.ac3\r\n"
              "Stream: AC3\r\n"
              "CRC mode: fix\r\n"
              "Frames written: 2\r\n"
              "Bytes read: 1577, bytes written: 1536\r\n"
              "Bytes in no frame: 41 in 2 place(s), dropped\r\n"
              "Incomplete last frame: 10 bytes, dropped\r\n"
              "Frames with a wrong CRC: 1, 1 rewritten\r\n"
              "Events:\r\n"
              "  at byte 0: 31 bytes in no frame, dropped\r\n"
              "  at byte 799: wrong CRC, rewritten\r\n"
              "  at byte 1567: incomplete last frame (10 bytes), dropped\r\n"
              "Output: /f/a_fixed.ac3\r\n");
    RepairStats copied;
    copied.bytesIn = copied.bytesOut = 42;
    EXPECT_EQ(repairLogText("/f/a.aac", "/f/a_fixed.aac", StreamKind::other, CrcMode::fix, copied),
              "Input: /f/a.aac\r\n"
              "Stream: not an AC3 or DTS stream; copied unchanged (42 bytes)\r\n"
              "Output: /f/a_fixed.aac\r\n");
}

}  // namespace
}  // namespace kx::adapt
