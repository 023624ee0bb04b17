// lumaroll-tool playlist, run on a library file.
#include "core/paths.h"
#include "library/database.h"
#include "library_fixture.h"
#include "support/temp_dir.h"
#include "tools/commands.h"

namespace {

int runTool(std::vector<std::string> args, std::string& out) {
  testing::internal::CaptureStdout();
  const int status = cmdPlaylist(args);
  out = testing::internal::GetCapturedStdout();
  return status;
}

}  // namespace

TEST_F(PlaylistTest, ToolPrintsTheRankedPlaylistAndItsTotals) {
  TempDir dir;
  setLibraryFilePath(dir.file("LumarollDatabase"));
  TuneSpec s;
  s.title = "First";
  putTune(1, s);
  s.title = "Purple One";
  s.colourCategory = 9;
  putTune(2, s);
  setLibrarySize(2);
  ASSERT_EQ(saveDatabaseFiles(), noErr);

  std::string out;
  ASSERT_EQ(runTool({"smart-more", "--match", "1", "--db", dir.file("LumarollDatabase")}, out), 0);
  EXPECT_EQ(out,
            "{\"entry\":1,\"tune\":1,\"title\":\"First\",\"artist\":\"Artist\",\"matchScore\":100}\n"
            "{\"entry\":2,\"tune\":2,\"title\":\"Purple One\",\"artist\":\"Artist\",\"matchScore\":100}\n"
            "{\"tunes\":2,\"seconds\":203,\"megabytes\":2,\"identity\":\"" +
                gCurrentPlayllistIDName$.str() + "\"}\n");

  ASSERT_EQ(runTool({"purple", "--seed", "4"}, out), 0);
  EXPECT_NE(out.find("\"title\":\"Purple One\""), std::string::npos);
  EXPECT_NE(out.find("{\"tunes\":1,"), std::string::npos);
  ASSERT_EQ(runTool({"search", "--search", "FIRST"}, out), 0);
  EXPECT_NE(out.find("{\"tunes\":1,"), std::string::npos);
  ASSERT_EQ(runTool({"25"}, out), 0);
  EXPECT_EQ(out.rfind("{\"tunes\":0,", 0), 0u);

  // Kinds built around a tune need one; a search needs its text.
  for (auto args : std::vector<std::vector<std::string>>{{"artist"}, {"search"}, {"loud"}, {}, {"all", "x"},
                                                          {"all", "--seed", "x"}})
    EXPECT_EQ(runTool(args, out), 2);
  setLibraryFilePath("");
}
