// Analysis ahead of the add run on worker threads: the library file comes out
// the same to the byte with one thread and with several, for a whole run, a
// run stopped part way and a run after one dropped in the middle.
#include <cstring>

#include "ingest/analysis_pool.h"
#include "ingest_fixture.h"

namespace {

class PoolRunTest : public AddRunTest {
 protected:
  // Files of every fate, in folders and at the top of the chosen folder
  // (whose own files the second pass meets again).
  void SetUp() override {
    AddRunTest::SetUp();
    tune("a top.mp3", "Top");
    tune("b short.mp3", "Short", 20);  // too short to analyse
    tune("c/one.mp3", "One");
    tune("c/two.m4a", "Two", 31, MediaFormat::m4a);
    tune("c/zz again.mp3", "One");  // the same tune again: a duplicate
    writeFileBytes(music() + "c/fake.mp3", "not a sound at all, only a name");
    writeFileBytes(music() + "c/notes.txt", "liner notes");
    tune("d/e/deep.mp3", "Deep", 29, MediaFormat::mp3Vbr);
    MediaRecipe hiss{.seconds = 28, .content = MediaContent::noise, .tags = {"Hiss", "Generator", "Tests", "Noise"}};
    writeTestMedia(music() + "d/hiss.mp3", hiss);  // refused by its measures
    hiss.content = MediaContent::silence;
    hiss.tags.title = "Quiet";
    writeTestMedia(music() + "d/quiet.mp3", hiss);  // no strong bin
    tune("d/last.mp3", "Last");
  }

  // The library file a run with `threads` workers writes, from an empty
  // library; `stopAfter` tunes added presses Stop (0: never).
  std::string runWith(int threads, int stopAfter = 0) {
    ThreadsSetting setting(std::to_string(threads));
    std::filesystem::remove(dbPath);
    gTotalTunes_L = gStartTotalTunes_L = 0;
    gNextPermIDNumber_UL = 0;
    startTask(addTunes({music()}));
    runAll([&] {
      if (stopAfter > 0 && addRunStats().tunesAdded >= stopAfter) gStopCollectingPerUser_S = 1;
    });
    return readFileBytes(dbPath);
  }
};

}  // namespace

TEST_F(PoolRunTest, LibraryIsTheSameToTheByteWithOneThreadAndWithSeveral) {
  const std::string one = runWith(1);
  EXPECT_EQ(titles(), (Names{"Top", "One", "Two", "Deep", "Last"}));
  ASSERT_FALSE(one.empty());
  // The measures reach the record as measuring into the record itself puts
  // them there.
  for (std::int32_t i = 1; i <= gStartTotalTunes_L; ++i) {
    Tune direct = gTunes_A[i];
    auto state = std::make_unique<AnalysisState>();
    resetAnalysisState(*state);
    MovieOwner movie;
    ASSERT_EQ(openMovieByPath(gTunes_A[i].filePath.str(), movie), noErr);
    for (std::int32_t part = 1; part <= kAnalysisParts; ++part)
      ASSERT_EQ(measureTuneAudio(*state, movie.get(), part, direct), noErr);
    EXPECT_EQ(std::memcmp(&direct, &gTunes_A[i], sizeof(Tune)), 0) << gTunes_A[i].title.str();
  }
  for (int threads : {2, 4}) EXPECT_TRUE(runWith(threads) == one) << threads << " threads";

  // Stopped after the third tune: the same tunes as far as the stop.
  const std::string stopped = runWith(1, 3);
  EXPECT_EQ(titles(), (Names{"Top", "One", "Two"}));
  for (int threads : {2, 4}) EXPECT_TRUE(runWith(threads, 3) == stopped) << threads << " threads, stopped";

  // A run dropped in the middle, as when the program ends, takes its workers
  // with it: nothing of its pool answers the next run.
  {
    ThreadsSetting setting("2");
    startTask(addTunes({music()}));
    for (auto& tb = headlessToolbox(); addRunStats().tunesAdded < 1;) runTasks(tb.ticks++);
    cancelAllTasks();
    gWeAeAddingTunes_S = 0;
  }
  EXPECT_TRUE(runWith(2) == one);
}

// The setting decides the workers: the test above compares nothing otherwise.
TEST(AnalysisThreads, SettingOverridesTheCoreCount) {
  ::unsetenv("LUMAROLL_ANALYSIS_THREADS");
  const std::int32_t cores = analysisThreadCount();
  for (const auto& [text, expected] : {std::pair{"1", 1}, {"3", 3}, {"0", cores}, {"two", cores}, {"2x", cores}}) {
    ThreadsSetting setting(text);
    EXPECT_EQ(analysisThreadCount(), expected) << text;
  }
}
