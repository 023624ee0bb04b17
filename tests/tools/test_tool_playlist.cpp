// lumaroll-tool playlist, run on a library file.
#include <regex>

#include "library/library_fixture.h"
#include "playlists/library_fixture.h"
#include "tool_runner.h"

using ToolPlaylist = LibraryTest;

TEST_F(ToolPlaylist, PrintsTheRankedPlaylistAndItsTotals) {
  putTune(1, {.title = "First"});
  putTune(2, {.title = "Purple One", .colourCategory = 9});
  setLibrarySize(2);
  ASSERT_EQ(saveDatabaseFiles(), noErr);
  const std::string dbArg = " --db " + shellQuote(dbPath);

  ToolResult r = runTool("playlist smart-more --match 2" + dbArg);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(
      std::regex_match(r.out, std::regex(R"(\{"entry":1,"tune":1,"title":"First","artist":"Artist","matchScore":100\}
\{"entry":2,"tune":2,"title":"Purple One","artist":"Artist","matchScore":100\}
\{"tunes":2,"seconds":203,"megabytes":2,"identity":"\d\d:\d\d:\d\d6"\}
)"))) << r.out;

  r = runTool("playlist purple --seed 4" + dbArg);
  EXPECT_TRUE(std::regex_search(r.out, std::regex(R"("title":"Purple One".*\n\{"tunes":1,)"))) << r.out;
  EXPECT_NE(runTool("playlist search --search FIRST" + dbArg).out.find("{\"tunes\":1,"), std::string::npos);
  EXPECT_EQ(runTool("playlist 25" + dbArg).out.rfind("{\"tunes\":0,", 0), 0u);  // a number naming no kind

  // Kinds built around a tune need one; a search needs its text.
  for (const char* args : {"artist", "search", "loud", "", "all x", "all --seed x"})
    EXPECT_EQ(runTool("playlist " + std::string(args) + dbArg).status, 2) << args;
}
