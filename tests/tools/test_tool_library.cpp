#include <gtest/gtest.h>

#include <cstring>

#include "core/paths.h"
#include "library/database.h"
#include "platform/headless/headless_toolbox.h"
#include "support/temp_dir.h"
#include "tool_runner.h"

namespace {

class ToolLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    db = dir.file("lib/LumarollDatabase");
    setLibraryFilePath(db);
    gTotalTunes_L = gStartTotalTunes_L = 0;
  }
  void TearDown() override {
    setLibraryFilePath("");
    gTotalTunes_L = gStartTotalTunes_L = 0;
  }
  Tune& add(const std::string& title, std::int32_t colour) {
    const std::int32_t k = claimTuneRecord();
    Tune& t = gTunes_A[k];
    std::memset(&t, 0, sizeof t);
    t.title.assign(title);
    t.colourCategory = colour;
    t.permID = static_cast<std::uint32_t>(k);  // what a load numbers it anyway
    commitTunes();
    return t;
  }
  TempDir dir;
  std::string db;
};

}  // namespace

TEST_F(ToolLibrary, DumpPrintsEveryTuneAsJson) {
  Tune& t = add("Caf\x8E \"Live\"", 3);
  t.samplePitch[1] = 812;
  t.sampleAmplitude[2] = -4;
  t.fileKind = 1;
  add("Second", 9);
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  const ToolResult r = runTool("dump --db " + shellQuote(db));
  ASSERT_EQ(r.status, 0) << r.err;
  const auto nl = r.out.find('\n');
  ASSERT_NE(nl, std::string::npos);
  const std::string first = r.out.substr(0, nl);
  EXPECT_NE(first.find("\"title\":\"Caf\xC3\xA9 \\\"Live\\\"\""), std::string::npos) << first;
  EXPECT_NE(first.find("\"samplePitch\":[0,812,0"), std::string::npos);
  EXPECT_NE(first.find("\"sampleAmplitude\":[0,0,-4,0"), std::string::npos);
  EXPECT_NE(first.find("\"fileKind\":1"), std::string::npos);
  EXPECT_NE(first.find("\"permID\":1"), std::string::npos);
  EXPECT_NE(r.out.find("\"title\":\"Second\""), std::string::npos);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2);
}

TEST_F(ToolLibrary, CheckReportsDamageAndRewriteKeepsTheBytes) {
  add("a", 3);
  Tune& bad = add("b", 12);
  bad.genre.len = 200;  // longer than its 63-byte field
  add("c", 3);
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  const std::string before = readFileBytes(db);
  const ToolResult r = runTool("check --rewrite --db " + shellQuote(db));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("tunes: 3"), std::string::npos);
  EXPECT_NE(r.out.find("Green: 2"), std::string::npos);
  EXPECT_NE(r.out.find("tune 2: genre length byte 200 exceeds its field of 63"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("tune 2: colour category 12 outside 1..9"), std::string::npos);
  EXPECT_NE(r.out.find("problems: 2"), std::string::npos);
  EXPECT_TRUE(readFileBytes(db) == before);
}

TEST_F(ToolLibrary, MissingOrUnreadableFilesFailClearly) {
  ToolResult r = runTool("dump --db " + shellQuote(dir.file("nothing-here")));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("cannot read"), std::string::npos) << r.err;
  EXPECT_FALSE(fileExists(dir.file("nothing-here")));  // the tool creates nothing
  r = runTool("check --db " + shellQuote(dir.path().string()));
  EXPECT_NE(r.status, 0);
  r = runTool("dump --db");
  EXPECT_EQ(r.status, 2);
  r = runTool("frobnicate");
  EXPECT_EQ(r.status, 2);
}

TEST_F(ToolLibrary, GenresListsTheSortedTable) {
  const ToolResult r = runTool("genres");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 276);
  EXPECT_EQ(r.out.substr(0, 11), "1\t40\t\tMisc.");
}

TEST_F(ToolLibrary, EvalPrintsTheScoreAndWritesReports) {
  add("Same Song", 3).ctCount = 400;
  add("same song", 3).ctCount = 200;
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  ToolResult r = runTool("eval consistency --db " + shellQuote(db));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Total HPE (E!) Error: 0.500000"), std::string::npos) << r.out;
  ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  r = runTool("eval words --db " + shellQuote(db));
  ::unsetenv("XDG_CONFIG_HOME");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFileBytes(dir.file("Orvane-KeelwaveEngine/TestDataWordHPE.txt")), "SAME\t 2\t 300\nSONG\t 2\t 300\n");
  r = runTool("eval nonsense --db " + shellQuote(db));
  EXPECT_EQ(r.status, 2);
}
