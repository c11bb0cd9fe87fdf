#include "mp3_stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes mpeg1Stereo128k = {0xFF, 0xFB, 0x90, 0x00};  // 44.1 kHz: 417 bytes, 418 padded
const Bytes mpeg2Mono64k = {0xFF, 0xF3, 0x80, 0xC0};     // 22.05 kHz: 208 bytes

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A whole frame: the header then zeros up to the frame's length.
Bytes frame(const Bytes& header) {
  Mp3FrameHeader h;
  EXPECT_TRUE(parseMp3FrameHeader(header.data(), h));
  Bytes out = header;
  out.resize(h.frameBytes, 0);
  return out;
}

Bytes syncsafe(uint32_t n) { return {uint8_t(n >> 21 & 0x7F), uint8_t(n >> 14 & 0x7F), uint8_t(n >> 7 & 0x7F), uint8_t(n & 0x7F)}; }

// A text frame of an ID3v2.3 / 2.4 tag (encoding byte, then the text) and a tag around frames.
Bytes textFrame(int major, const std::string& id, int encoding, const Bytes& value) {
  const uint32_t n = uint32_t(value.size() + 1);
  const Bytes size = major == 4 ? syncsafe(n) : Bytes{uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
  return text(id) + size + Bytes{0, 0, uint8_t(encoding)} + value;
}
Bytes id3v2(int major, const Bytes& frames, size_t padding = 0) {
  Bytes body = frames;
  body.resize(frames.size() + padding, 0);
  return text("ID3") + Bytes{uint8_t(major), 0, 0} + syncsafe(uint32_t(body.size())) + body;
}
Bytes id3v1(const std::string& title, const std::string& artist) {
  Bytes tag = text("TAG");
  tag.resize(128, 0);
  std::copy(title.begin(), title.end(), tag.begin() + 3);
  std::copy(artist.begin(), artist.end(), tag.begin() + 33);
  return tag;
}

std::string scanError(const Bytes& image) {
  Mp3Stream stream;
  std::string error;
  EXPECT_FALSE(scanMp3Stream(image.data(), image.size(), stream, error));
  EXPECT_EQ(error.find('\n'), std::string::npos);
  return error;
}

std::string titleOf(const Bytes& image) { return mp3Title(image.data(), image.size()); }

TEST(Mp3FrameHeader, ReadsVersionRateChannelsAndFrameLength) {
  Mp3FrameHeader h;
  ASSERT_TRUE(parseMp3FrameHeader(mpeg1Stereo128k.data(), h));
  EXPECT_EQ(h.mpegVersion, 10);
  EXPECT_EQ(h.bitrateKbps, 128);
  EXPECT_EQ(h.sampleRate, 44100);
  EXPECT_EQ(h.channels, 2);
  EXPECT_EQ(h.samplesPerFrame, 1152);
  EXPECT_EQ(h.frameBytes, 417u);
  const Bytes padded = {0xFF, 0xFB, 0x92, 0x00};
  ASSERT_TRUE(parseMp3FrameHeader(padded.data(), h));
  EXPECT_EQ(h.frameBytes, 418u);

  ASSERT_TRUE(parseMp3FrameHeader(mpeg2Mono64k.data(), h));
  EXPECT_EQ(h.mpegVersion, 20);
  EXPECT_EQ(h.sampleRate, 22050);
  EXPECT_EQ(h.channels, 1);
  EXPECT_EQ(h.samplesPerFrame, 576);
  EXPECT_EQ(h.frameBytes, 208u);

  // Every bitrate index: 144000 x kbps / rate bytes for MPEG-1, half that per kbps for MPEG-2.
  const int mpeg1Kbps[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  const int mpeg2Kbps[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  for (int index = 1; index < 15; ++index) {
    const Bytes one = {0xFF, 0xFB, uint8_t(index << 4 | 0x4), 0x00}, two = {0xFF, 0xF3, uint8_t(index << 4), 0xC0};
    ASSERT_TRUE(parseMp3FrameHeader(one.data(), h)) << index;
    EXPECT_EQ(h.bitrateKbps, mpeg1Kbps[index]);
    EXPECT_EQ(h.frameBytes, uint32_t(144000 * mpeg1Kbps[index] / 48000)) << index;
    ASSERT_TRUE(parseMp3FrameHeader(two.data(), h)) << index;
    EXPECT_EQ(h.frameBytes, uint32_t(72000 * mpeg2Kbps[index] / 22050)) << index;
  }
  const Bytes mpeg25 = {0xFF, 0xE3, 0x18, 0x00};  // 8 kbps at 8 kHz
  ASSERT_TRUE(parseMp3FrameHeader(mpeg25.data(), h));
  EXPECT_EQ(h.mpegVersion, 25);
  EXPECT_EQ(h.sampleRate, 8000);
  EXPECT_EQ(h.frameBytes, 72u);
}

TEST(Mp3FrameHeader, RejectsWhatIsNotAPlayableLayerThreeHeader) {
  const std::vector<Bytes> rejected = {
      {0xFF, 0x7B, 0x90, 0x00},  // sync bits incomplete
      {0xFF, 0xFD, 0x90, 0x00},  // layer II
      {0xFF, 0xEB, 0x90, 0x00},  // reserved version
      {0xFF, 0xFB, 0x00, 0x00},  // free format
      {0xFF, 0xFB, 0xF0, 0x00},  // bitrate index 15
      {0xFF, 0xFB, 0x9C, 0x00},  // reserved sample rate
      {0xFF, 0xFB, 0x90, 0x02},  // reserved emphasis
      {'R', 'I', 'F', 'F'},
  };
  for (const Bytes& header : rejected) {
    Mp3FrameHeader h;
    EXPECT_FALSE(parseMp3FrameHeader(header.data(), h)) << int(header[1]) << " " << int(header[2]);
  }
}

TEST(Mp3Stream, FindsTheFramesBetweenTheTags) {
  const Bytes tag = id3v2(3, textFrame(3, "TIT2", 0, text("Song")), 100);
  const Bytes image = tag + text("junk") + frame(mpeg1Stereo128k) + frame({0xFF, 0xFB, 0x92, 0x00}) +
                      frame(mpeg1Stereo128k) + id3v1("Old", "Band");
  Mp3Stream stream;
  std::string error;
  ASSERT_TRUE(scanMp3Stream(image.data(), image.size(), stream, error)) << error;
  EXPECT_EQ(stream.begin, tag.size() + 4);
  EXPECT_EQ(stream.frames, 3u);
  EXPECT_EQ(stream.end, image.size() - 128);
  EXPECT_EQ(stream.first.sampleRate, 44100);
  EXPECT_TRUE(looksLikeMp3(image.data(), image.size()));

  const Bytes bare = frame(mpeg2Mono64k) + frame(mpeg2Mono64k);  // no tags: two headers in a row
  ASSERT_TRUE(scanMp3Stream(bare.data(), bare.size(), stream, error)) << error;
  EXPECT_EQ(stream.begin, 0u);
  EXPECT_EQ(stream.frames, 2u);
  EXPECT_TRUE(looksLikeMp3(bare.data(), bare.size()));

  // A lone frame ends the audio exactly, with or without an ID3v1 tag after it.
  const Bytes single = frame(mpeg1Stereo128k);
  for (const Bytes& image : {single, single + id3v1("T", "")}) {
    ASSERT_TRUE(scanMp3Stream(image.data(), image.size(), stream, error)) << image.size();
    EXPECT_EQ(stream.frames, 1u);
    EXPECT_EQ(stream.end, 417u);
  }
  // Junk that starts like a tag is junk; so is a 10-byte tag header alone.
  const Bytes idJunk = text("IDX-junk") + bare;
  ASSERT_TRUE(scanMp3Stream(idJunk.data(), idJunk.size(), stream, error)) << error;
  EXPECT_EQ(stream.begin, 8u);
  EXPECT_FALSE(looksLikeMp3(idJunk.data(), idJunk.size()));
  EXPECT_TRUE(looksLikeMp3(id3v2(3, {}).data(), 10));
  // The search covers offsets 0 to 65535 after the tag.
  const Bytes farAudio = Bytes(65535, 0) + bare;
  ASSERT_TRUE(scanMp3Stream(farAudio.data(), farAudio.size(), stream, error)) << error;
  EXPECT_EQ(stream.begin, 65535u);
}

TEST(Mp3Stream, BadImagesGiveOneLineErrors) {
  EXPECT_EQ(scanError({}), "the file is empty");
  Bytes garbage(5000);
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 7919 >> 3);
  EXPECT_NE(scanError(garbage).find("no MPEG layer III"), std::string::npos);
  // A lone header followed by garbage is not taken for the start of the audio.
  EXPECT_NE(scanError(mpeg1Stereo128k + garbage).find("no MPEG layer III"), std::string::npos);
  EXPECT_FALSE(looksLikeMp3((mpeg1Stereo128k + garbage).data(), garbage.size() + 4));
  EXPECT_NE(scanError(id3v2(3, {}, 50)).find("no MPEG layer III"), std::string::npos);
  // Audio is looked for in the first 64 KiB after the tag only.
  EXPECT_NE(scanError(Bytes(65536, 0) + frame(mpeg1Stereo128k) + frame(mpeg1Stereo128k)).find("no MPEG layer III"),
            std::string::npos);

  Bytes cut = frame(mpeg1Stereo128k) + frame(mpeg1Stereo128k) + frame(mpeg1Stereo128k);
  cut.resize(cut.size() - 100);
  EXPECT_EQ(scanError(cut), "truncated: frame 3 needs 417 bytes, 317 are left");

  Bytes hugeTag = text("ID3") + Bytes{3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F} + frame(mpeg1Stereo128k);
  EXPECT_EQ(scanError(hugeTag), "the ID3v2 tag claims 268435465 bytes, the file has 427");
  const Bytes damagedTag = text("ID3") + Bytes{3, 0, 0, 0x80, 0, 0, 0} + frame(mpeg1Stereo128k);
  EXPECT_EQ(scanError(damagedTag), "damaged ID3v2 tag header");
  EXPECT_EQ(scanError(text("ID3") + Bytes{1, 0, 0, 0, 0, 0, 0} + frame(mpeg1Stereo128k)), "damaged ID3v2 tag header");

  const Bytes wav = text("RIFF") + Bytes(40, 0);
  EXPECT_FALSE(looksLikeMp3(wav.data(), wav.size()));
}

TEST(Mp3Title, ComesFromId3v2FramesInEachEncoding) {
  const Bytes audio = frame(mpeg1Stereo128k);
  EXPECT_EQ(titleOf(id3v2(3, textFrame(3, "TPE1", 0, text("The Band")) + textFrame(3, "TIT2", 0, text("Song"))) + audio),
            "The Band - Song");
  EXPECT_EQ(titleOf(id3v2(4, textFrame(4, "TIT2", 3, text("Caf\xC3\xA9 \xE2\x82\xAC"))) + audio), "Caf\xC3\xA9 \xE2\x82\xAC") << "UTF-8 out, the host converts";
  const Bytes utf16le = {0xFF, 0xFE, 'H', 0, 'i', 0, 0xE9, 0, 0, 0, 'x', 0};  // text ends at the terminator
  EXPECT_EQ(titleOf(id3v2(3, textFrame(3, "TIT2", 1, utf16le), 20) + audio), "Hi\xC3\xA9");
  const Bytes bigEndianMark = {0xFE, 0xFF, 0, 'H', 0, 'i'};
  EXPECT_EQ(titleOf(id3v2(3, textFrame(3, "TIT2", 1, bigEndianMark)) + audio), "Hi") << "the mark is not text";
  const Bytes utf16be = {0, 'O', 0, 'k'};
  EXPECT_EQ(titleOf(id3v2(4, textFrame(4, "TIT2", 2, utf16be)) + audio), "Ok");
  const std::string longTitle(130, 'L');  // its size needs the second seven-bit group
  EXPECT_EQ(titleOf(id3v2(4, textFrame(4, "TIT2", 0, text(longTitle)) + textFrame(4, "TPE1", 0, text("B"))) + audio),
            "B - " + longTitle);
  const Bytes v22 = text("TT2") + Bytes{0, 0, 6, 0} + text("Short");
  EXPECT_EQ(titleOf(id3v2(2, v22) + audio), "Short");
  const Bytes pair = {0xFF, 0xFE, 'A', 0, 0x3D, 0xD8, 0x00, 0xDE, 'B', 0};  // U+1F600 between A and B
  EXPECT_EQ(titleOf(id3v2(3, textFrame(3, "TIT2", 1, pair)) + audio), "A?B") << "one mark for the pair";
  // U+10FFFF (the last pair) is one mark; U+E000 (just past the low halves) is a character.
  const Bytes edges = {0xFF, 0xFE, 0xFF, 0xDB, 0xFF, 0xDF, 0x00, 0xE0, 'C', 0};
  EXPECT_EQ(titleOf(id3v2(3, textFrame(3, "TIT2", 1, edges)) + audio), "?\xEE\x80\x80" "C");
  const Bytes pairBigEndian = {0, 'A', 0xD8, 0x3D, 0xDE, 0x00, 0, 'B'};
  EXPECT_EQ(titleOf(id3v2(4, textFrame(4, "TIT2", 2, pairBigEndian)) + audio), "A?B");
  // A lead byte where a continuation byte belongs ends the sequence there.
  EXPECT_EQ(titleOf(id3v2(4, textFrame(4, "TIT2", 3, text("\xC3\xC3\xA9"))) + audio), "?\xC3\xA9");
  EXPECT_EQ(titleOf(id3v2(4, textFrame(4, "TIT2", 3, text("\xF0\x9F\x98\x80!"))) + audio), "?!") << "four bytes, one mark";
  EXPECT_EQ(titleOf(id3v2(4, textFrame(4, "TIT2", 3, text("\xC3\xA9\xA9"))) + audio), "\xC3\xA9?") << "a stray continuation";
  // An odd last byte of UTF-16 text is dropped, not joined with the padding after the frame.
  const Bytes oddUtf16 = {0xFF, 0xFE, 'A', 0, 'B'};
  EXPECT_EQ(titleOf(id3v2(3, textFrame(3, "TIT2", 1, oddUtf16), 4) + audio), "A");
  // Version 2.4 frame flags: a data length indicator before the text; a compressed frame is skipped.
  const Bytes indicated = text("TIT2") + syncsafe(7) + Bytes{0, 0x01} + syncsafe(3) + Bytes{0} + text("Hi");
  EXPECT_EQ(titleOf(id3v2(4, indicated) + audio), "Hi");
  const Bytes tooShortToIndicate = text("TIT2") + syncsafe(3) + Bytes{0, 0x01, 0} + text("Ok");
  EXPECT_EQ(titleOf(id3v2(4, tooShortToIndicate) + audio), "Ok");
  Bytes packed = textFrame(4, "TIT2", 0, text("Zip"));
  packed[9] = 0x08;
  EXPECT_EQ(titleOf(id3v2(4, packed) + audio), "");
}

TEST(Mp3Title, FallsBackToId3v1AndSurvivesDamagedTags) {
  const Bytes audio = frame(mpeg1Stereo128k);
  EXPECT_EQ(titleOf(audio + id3v1("Old Song   ", "Old Band")), "Old Band - Old Song");
  EXPECT_EQ(titleOf(id3v2(3, textFrame(3, "TALB", 0, text("Album"))) + audio + id3v1("Only Title", "")),
            "Only Title");
  Bytes overrun = textFrame(3, "TIT2", 0, text("Lost"));
  overrun[7] = 200;  // the frame claims more than the tag holds
  EXPECT_EQ(titleOf(id3v2(3, overrun) + audio), "");
  Bytes extended = id3v2(3, Bytes{0, 0, 0, 6, 0, 0, 0, 0, 0, 0} + textFrame(3, "TIT2", 0, text("After")));
  extended[5] = 0x40;
  EXPECT_EQ(titleOf(extended + audio), "After");
  extended[13] = 0xFF;  // an extended header larger than the tag
  EXPECT_EQ(titleOf(extended + audio), "");
  EXPECT_EQ(titleOf(audio), "");
  Bytes unknownFlag = id3v2(3, textFrame(3, "TIT2", 0, text("Song")));
  unknownFlag[5] = 0x01;  // not the extended header flag
  EXPECT_EQ(titleOf(unknownFlag + audio), "Song");
  // Full 30-byte fields without terminators, an album right after the artist.
  const std::string title30(30, 't'), artist30(30, 'a');
  Bytes full = id3v1(title30, artist30);
  std::copy_n("Album", 5, full.begin() + 63);
  EXPECT_EQ(titleOf(audio + full), artist30 + " - " + title30);
  // The last 100 bytes of a tag are too short to hold one, whatever lies before them.
  const Bytes outside = id3v1("Outside", "");
  EXPECT_EQ(mp3Title(outside.data() + 28, 100), "");
}

}  // namespace

// `cat a.mp3 b.mp3`, a damaged header, junk past the search window, a change of format: every
// good frame up to the change is found and what is not audio is said once; tags that close a
// file (here an APE tag of 114 bytes with its header, and ID3v1) are not junk.
TEST(Mp3Stream, JoinedAndDamagedStreamsPlayEveryGoodFrameAndSayWhatWasSkipped) {
  auto frames = [](const Bytes& header, int count) {
    Bytes out;
    while (count-- > 0) out = out + frame(header);
    return out;
  };
  Mp3Stream stream;
  auto scan = [&](const Bytes& image) {
    std::string error;
    EXPECT_TRUE(scanMp3Stream(image.data(), image.size(), stream, error)) << error;
    return mp3StreamNotice(stream);
  };
  const Bytes tag = id3v2(3, textFrame(3, "TIT2", 0, text("Part")), 40);
  const Bytes apeFooter = text("APETAGEX") + Bytes{0xD0, 7, 0, 0, 82, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0x80} + Bytes(8, 0);
  const Bytes first = tag + frames(mpeg1Stereo128k, 3) + id3v1("One", "");
  const Bytes second = tag + frames(mpeg1Stereo128k, 2) + Bytes(82, 'a') + apeFooter + id3v1("Two", "");
  EXPECT_EQ(scan(first + second), "");
  EXPECT_EQ(stream.frames, 5u);
  EXPECT_EQ(stream.end, first.size() + second.size() - 128 - 114);
  Bytes damaged = frames(mpeg1Stereo128k, 5);
  damaged[2 * 417] = 0x00;  // the third frame's header
  EXPECT_EQ(scan(damaged), "skipped 417 bytes that are not audio (damage, or files joined)");
  EXPECT_EQ(stream.frames, 4u);
  scan(frames(mpeg1Stereo128k, 2) + Bytes(70000, 0) + frames(mpeg1Stereo128k, 2));
  EXPECT_EQ(stream.frames, 2u) << "the search gives up after 64 KiB";
  // 4 frames of 1152 samples at 44100 Hz: 0.104 s.
  EXPECT_EQ(scan(frames(mpeg1Stereo128k, 4) + frames(mpeg2Mono64k, 3)),
            "changes from 44100 Hz stereo to 22050 Hz mono at 0.1 s; it plays up to there");
  EXPECT_EQ(stream.frames, 4u);
}
