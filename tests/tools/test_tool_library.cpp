// lumaroll-tool on a library file: dump, check, genres, eval.
#include "library/library_fixture.h"
#include "tool_runner.h"

namespace {

using ToolLibrary = LibraryTest;

// Each of `texts` is somewhere in `out`.
void expectAll(const std::string& out, std::initializer_list<std::string> texts) {
  for (const std::string& t : texts) EXPECT_NE(out.find(t), std::string::npos) << t << " in\n" << out;
}

// One library for both: what dump prints of each tune, what check finds
// wrong in it, and the bytes a rewrite leaves.
TEST_F(ToolLibrary, DumpPrintsEveryTuneAsJsonCheckReportsDamageAndRewriteKeepsTheBytes) {
  Tune& t = addTune("Caf\x8E \"Live\"", 3);
  t.samplePitch[1] = 812;
  t.sampleAmplitude[2] = -4;
  t.fileKind = 1;
  addTune("Second", 12).genre.len = 200;  // longer than its 63-byte field
  addTune("c", 3);
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  const std::string before = readFileBytes(dbPath);
  ToolResult r = runTool("dump --db " + shellQuote(dbPath));
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);
  expectAll(r.out.substr(0, r.out.find('\n')), {"\"title\":\"Caf\xC3\xA9 \\\"Live\\\"\"", "\"samplePitch\":[0,812,0",
                                                "\"sampleAmplitude\":[0,0,-4,0", "\"fileKind\":1", "\"permID\":1"});
  expectAll(r.out, {"\"title\":\"Second\""});
  r = runTool("check --rewrite --db " + shellQuote(dbPath));
  ASSERT_EQ(r.status, 0) << r.err;
  expectAll(r.out, {"tunes: 3", "Green: 2", "tune 2: genre length byte 200 exceeds its field of 63",
                    "tune 2: colour category 12 outside 1..9", "problems: 2"});
  EXPECT_TRUE(readFileBytes(dbPath) == before);
}

// Eval scores and writes its reports; missing or unreadable files and bad
// arguments fail clearly; genres needs no library.
TEST_F(ToolLibrary, EvalScoresGenresNeedsNoLibraryAndFailuresAreClear) {
  addTune("Same Song", 3).ctCount = 400;
  addTune("same song", 3).ctCount = 200;
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  ToolResult r = runTool("eval consistency --db " + shellQuote(dbPath));
  ASSERT_EQ(r.status, 0) << r.err;
  expectAll(r.out, {"Total HPE (E!) Error: 0.500000"});
  ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  r = runTool("eval words --db " + shellQuote(dbPath));
  ::unsetenv("XDG_CONFIG_HOME");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFileBytes(dir.file("Orvane-KeelwaveEngine/TestDataWordHPE.txt")), "SAME\t 2\t 300\nSONG\t 2\t 300\n");

  r = runTool("dump --db " + shellQuote(dir.file("nothing-here")));
  EXPECT_NE(r.status, 0);
  expectAll(r.err, {"cannot read"});
  EXPECT_FALSE(fileExists(dir.file("nothing-here")));  // the tool creates nothing
  EXPECT_NE(runTool("check --db " + shellQuote(dir.path().string())).status, 0);
  EXPECT_EQ(runTool("dump --db").status, 2);
  EXPECT_EQ(runTool("frobnicate").status, 2);
  EXPECT_EQ(runTool("eval nonsense --db " + shellQuote(dbPath)).status, 2);
  // genres needs no library: the sorted table.
  r = runTool("genres");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 276);
  EXPECT_EQ(r.out.substr(0, 11), "1\t40\t\tMisc.");
}

}  // namespace
