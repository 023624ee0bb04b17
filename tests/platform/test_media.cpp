// The test media generator: the bytes the tag readers' tests will rely on.
#include <gtest/gtest.h>

#include <string>

#include "support/media.h"
#include "support/temp_dir.h"

namespace {

using namespace std::string_literals;

TEST(Id3Tag, writesEachVersionsFrameLayout) {
  MediaTags tags;
  tags.title = "Ab";
  EXPECT_EQ(id3v2Tag(tags, Id3Version::v22, Id3Encoding::latin1),
            "ID3\x02\0\0\0\0\0\x09"s + "TT2\0\0\x03\0Ab"s);
  EXPECT_EQ(id3v2Tag(tags, Id3Version::v23, Id3Encoding::utf16le),
            "ID3\x03\0\0\0\0\0\x11"s + "TIT2\0\0\0\x07\0\0\x01\xff\xfe" "A\0b\0"s);
  EXPECT_EQ(id3v2Tag(tags, Id3Version::v23, Id3Encoding::utf16be).substr(10),
            "TIT2\0\0\0\x07\0\0\x01\xfe\xff\0A\0b"s);
  // UTF-8 text, and a syncsafe size for a frame over 127 bytes.
  tags.title = "\xc3\xa9" + std::string(200, 'x');
  tags.artist = "Z";
  const std::string v24 = id3v2Tag(tags, Id3Version::v24, Id3Encoding::utf8, 5);
  EXPECT_EQ(v24.substr(10, 11), "TIT2\0\0\x01\x4b\0\0\x03"s);  // 203 = 1×128 + 75
  EXPECT_EQ(v24.substr(21, 2), "\xc3\xa9");
  EXPECT_EQ(v24.size(), 10u + 10 + 203 + 10 + 2 + 5);
  EXPECT_EQ(v24.substr(6, 4), "\0\0\x01\x66"s);  // 230 bytes of frames and padding
  // Latin-1 keeps é as one byte and cannot hold the rest.
  tags = {};
  tags.genre = "\xc3\xa9\xe2\x82\xac";  // é €
  EXPECT_EQ(id3v2Tag(tags, Id3Version::v23, Id3Encoding::latin1).substr(20), "\0\xe9?"s);
  EXPECT_THROW(id3v2Tag(tags, Id3Version::v23, Id3Encoding::utf8), std::invalid_argument);
  EXPECT_EQ(id3v2Tag(tags, Id3Version::none, Id3Encoding::latin1), "");
}

TEST(TestMedia, isReproducibleAndShapedAsAsked) {
  TempDir dir;
  MediaSpec s;
  s.seconds = 2;
  s.content = MediaContent::noise;
  s.tags.title = "Same";
  writeTestMedia(dir.file("a.mp3"), s);
  writeTestMedia(dir.file("b.mp3"), s);
  const std::string a = readFileBytes(dir.file("a.mp3"));
  EXPECT_EQ(a, readFileBytes(dir.file("b.mp3")));
  const std::string tag = id3v2Tag(s.tags, s.id3, s.encoding);
  ASSERT_GT(a.size(), tag.size() + 2);
  EXPECT_EQ(a.substr(0, tag.size()), tag);
  EXPECT_EQ(static_cast<unsigned char>(a[tag.size()]), 0xFF);  // the first frame follows the tag

  MediaSpec other = s;
  other.seed = 2;
  EXPECT_NE(testMediaPcm(s), testMediaPcm(other));
  EXPECT_EQ(testMediaPcm(s).size(), 2u * 44100 * 2);

  s.muxerTags = true;
  writeTestMedia(dir.file("m.mp3"), s);
  EXPECT_EQ(readFileBytes(dir.file("m.mp3")).substr(0, 4), "ID3\x04");

  s.format = MediaFormat::m4a;
  writeTestMedia(dir.file("f.m4a"), s);
  const std::string m4a = readFileBytes(dir.file("f.m4a"));
  EXPECT_LT(m4a.find("moov"), m4a.find("mdat"));
  EXPECT_NE(m4a.find("Same"), std::string::npos);
  EXPECT_LT(m4a.find("Same"), m4a.size() / 4);  // the metadata atoms sit in the first quarter
}

}  // namespace
