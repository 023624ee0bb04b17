// The MP3 tag reader on tags built byte by byte.
#include <string>

#include "engine/mp3tags.h"
#include "engine/tag_test.h"

namespace {

// An ID3v2.3/2.4 frame: identifier, 32-bit size, two flag bytes, payload.
std::string frame(const std::string& id, const std::string& payload) {
  return id + be32(static_cast<std::uint32_t>(payload.size())) + std::string(2, '\0') + payload;
}
std::string latin1(const std::string& text) { return std::string(1, '\0') + text; }
std::string utf16(const std::string& text, bool littleEndian) {
  std::string p = littleEndian ? std::string("\x01\xFF\xFE") : std::string("\x01\xFE\xFF");
  for (char c : text) p += littleEndian ? std::string{c, '\0'} : std::string{'\0', c};
  return p;
}
// An ID3v2.2 frame: three-letter identifier, 24-bit size, payload.
std::string frame22(const std::string& id, const std::string& payload) {
  return id + be32(static_cast<std::uint32_t>(payload.size())).substr(1) + payload;
}
std::string tag(int major, const std::string& frames) {
  return std::string("ID3") + static_cast<char>(major) + std::string(2, '\0') + std::string("\0\0\x10\0", 4) + frames;
}
std::string standardFrames(const std::string& title = "Blue Train") {
  return frame("TPE1", latin1("John Coltrane")) + frame("TIT2", latin1(title)) + frame("TALB", latin1("Blue Train")) +
         frame("TCON", latin1("Jazz"));
}

using MP3Tags = TagReading<readMP3Tags, kSmallestMP3>;

}  // namespace

// The file facts are stored in one place for every tag reader; they are
// checked here.
TEST_F(MP3Tags, ReadsTheFourFramesAndTheFileFacts) {
  ASSERT_EQ(read(file(tag(3, standardFrames()), 80000, "song.mp3")), noErr);
  EXPECT_EQ(texts(), (TagTexts{"Blue Train", "John Coltrane", "Blue Train", "Jazz"}));
  const Tune& t = tune();
  EXPECT_EQ(std::tuple(gTotalTunes_L, +t.fileKind, +t.fileLength, t.fileName.str(), +t.folderVolume, +t.folderDirID),
            std::tuple(1, 1, 80000u, "song.mp3", 7, 123456));
  EXPECT_TRUE(headlessToolbox().logged("text:4000/55=Inspecting: Blue Train"));
  EXPECT_TRUE(headlessToolbox().logged("text:4000/56=Total Tunes:  1"));
}

TEST_F(MP3Tags, VersionsEncodingsLengthsBlanksAndTheBlocksEnd) {
  const std::pair<std::string, TagTexts> cases[] = {
      // Identifiers in the last bytes of the 2000 read: the sizes and texts
      // beyond read as nothing, and the album runs to the block's end.
      {tag(3, std::string(1970, 'x') + "TALB" + std::string("\0\0\0\xFF\0\0\0", 7) + "abcdeTIT2" +
                  std::string("\0\0\0\x20\0\0\0Hidden", 13)),
       {"Unknown", "Unknown", "abcdeTIT2", "Unknown"}},
      // Version 2.4 follows the 2.3 rules; 2.2 has three-letter frames.
      {tag(4, frame("TIT2", latin1("Naima")) + frame("TPE1", latin1("Coltrane"))),
       {"Naima", "Coltrane", "Unknown", "Unknown"}},
      {tag(2, frame22("TT2", latin1("Giant Steps")) + frame22("TP1", latin1("Coltrane")) +
                  frame22("TAL", latin1("Giant Steps")) + frame22("TCO", latin1("(8)"))),
       {"Giant Steps", "Coltrane", "Giant Steps", "(8)"}},
      // UTF-16 after either byte-order mark (FE FF: the low bytes one further
      // on; the low byte of U+00E9 kept as it is); five letters after FF FE
      // make frame size 13.
      {tag(3, frame("TIT2", utf16("Hello", true)) + frame("TALB", utf16("Album", false)) +
                  frame("TPE1", utf16("Caf\xE9", true))),
       {"Hello", "Caf\xE9", "Album", "Unknown"}},
      // Size 301: its low byte says 45; 254 bytes stay whole; UTF-8 e-acute
      // folded to Mac Roman.
      {tag(3, frame("TIT2", latin1(std::string(300, 'a'))) + frame("TALB", latin1(std::string(254, 'b'))) +
                  frame("TPE1", latin1("Beyonc\xC3\xA9"))),
       {std::string(44, 'a'), "Beyonc\x8E", std::string(254, 'b'), "Unknown"}},
      // Empty and blank texts become "Unknown", but the artist of new tags
      // (TCON size 1: no character declared).
      {tag(3, frame("TPE1", latin1(std::string("\0x", 2))) + frame("TIT2", latin1(std::string("\0x", 2))) +
                  frame("TALB", latin1(" ")) + frame("TCON", latin1(""))),
       {"Unknown", "", "Unknown", "Unknown"}},
      {tag(2, frame22("TP1", latin1(std::string("\0x", 2))) + frame22("TT2", latin1("T"))),
       {"T", "Unknown", "Unknown", "Unknown"}},
  };
  for (const auto& [bytes, expected] : cases) {
    ASSERT_EQ(read(file(bytes)), noErr);
    EXPECT_EQ(texts(), expected);
  }
}

TEST_F(MP3Tags, RefusalsGiveTheSlotBack) {
  EXPECT_EQ(read(file(tag(3, standardFrames()), kSmallestMP3 - 1)), 37);
  EXPECT_EQ(read(file(tag(3, standardFrames()), kSmallestMP3, ".hidden.mp3")), 37);
  EXPECT_EQ(read(dir.file("missing.mp3")), 37);
  EXPECT_EQ(read(dir.path().string() + "/"), 37);
  EXPECT_EQ(read(file("RIFF" + standardFrames())), 7);  // no ID3v2 header
  EXPECT_EQ(gTotalTunes_L, 0);
  for (const char* podcast : {"PODCAST", "podcast", "PodCast"}) {
    EXPECT_EQ(read(file(tag(3, frame("TCON", latin1(podcast)) + frame("TIT2", latin1(podcast))))), 7) << podcast;
    EXPECT_EQ(read(file(tag(2, frame22("TCO", latin1(podcast))))), noErr) << "old tags are not examined";
    gTotalTunes_L = 0;
  }
  EXPECT_EQ(read(file(tag(3, frame("TCON", latin1("Podcasts"))))), noErr);
  EXPECT_EQ(gTotalTunes_L, 1);

  // A full library claims nothing beyond its table.
  gTotalTunes_L = gMaxTunes_L;
  EXPECT_EQ(read(file(tag(3, standardFrames()))), 37);
  EXPECT_EQ(gTotalTunes_L, gMaxTunes_L);
}

TEST_F(MP3Tags, DuplicatesAreRefused) {
  const std::string path = file(tag(3, standardFrames()));
  ASSERT_EQ(read(path), noErr);
  EXPECT_EQ(read(path), 7);
  ASSERT_EQ(read(file(tag(3, standardFrames("Moment's Notice")))), noErr);
  EXPECT_EQ(gTotalTunes_L, 2);

  // Without a title, the artist and the length decide; the new slot's length
  // is whatever the slot last held.
  gTunes_A[1].durationSeconds = 200;
  gTunes_A[2].durationSeconds = 300;
  const std::string untitled = file(tag(3, frame("TPE1", latin1("John Coltrane"))));
  EXPECT_EQ(read(untitled), noErr);
  gTotalTunes_L = 2;
  gTunes_A[3].durationSeconds = 200;
  EXPECT_EQ(read(untitled), 7);
  EXPECT_EQ(gTotalTunes_L, 2);
}
