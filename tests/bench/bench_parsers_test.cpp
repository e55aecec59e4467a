// What the start-up benchmark reads: Linux's /proc texts, the test engine's timed log and its
// hold report, the marks file; and the statistics it prints. Figures it gets wrong here would be
// printed as if they were measured.
#include <string>

#include <gtest/gtest.h>

#include "engine_timeline.h"
#include "hold_pipe.h"
#include "proc_text.h"
#include "spread.h"
#include "startup_marks_file.h"

namespace mirvot::bench {
namespace {

TEST(BenchSpread, MedianQuartilesAndUncertaintyOfOddAndEvenSets) {
  const Spread odd = SpreadOf({5, 1, 3, 2, 4});
  EXPECT_EQ(odd.count, 5u);
  EXPECT_DOUBLE_EQ(odd.median, 3);
  EXPECT_DOUBLE_EQ(odd.lowerQuartile, 2);
  EXPECT_DOUBLE_EQ(odd.upperQuartile, 4);
  EXPECT_DOUBLE_EQ(odd.minimum, 1);
  EXPECT_DOUBLE_EQ(odd.maximum, 5);
  EXPECT_NEAR(odd.MedianUncertainty(), 1.57 * 2 / std::sqrt(5.0), 1e-12);
  EXPECT_NEAR(odd.RelativeUncertainty(), odd.MedianUncertainty() / 3, 1e-12);

  const Spread even = SpreadOf({4, 1, 3, 2});
  EXPECT_DOUBLE_EQ(even.median, 2.5);
  EXPECT_DOUBLE_EQ(even.lowerQuartile, 1.75);
  EXPECT_DOUBLE_EQ(even.upperQuartile, 3.25);

  const Spread none = SpreadOf({});
  EXPECT_EQ(none.count, 0u);
  EXPECT_EQ(none.MedianUncertainty(), 0);
  EXPECT_EQ(none.RelativeUncertainty(), 0);
}

TEST(BenchMarksFile, ReadsNameAndMomentPerLineAndSkipsAnythingElse) {
  const StartupMarks marks = ParseStartupMarks(
      "dpi_awareness_set 133475712345678901\n"
      "icon_decoded 133475712345679901\n"
      "no_moment\n"
      " 1234\n"
      "garbled 12x4\n"
      "zero 0\n"
      "navigate 133475712345699901");  // the last line needs no line feed
  ASSERT_EQ(marks.size(), 3u);
  EXPECT_EQ(marks.at("dpi_awareness_set"), 133475712345678901);
  EXPECT_EQ(marks.at("icon_decoded"), 133475712345679901);
  EXPECT_EQ(marks.at("navigate"), 133475712345699901);
}

constexpr char kCreation[] =
    "CreateWebViewEnvironmentWithOptionsInternal unknown=1 kind=1 userDataFolder=\"C:\\a t=9 b\" "
    "options=no handler=yes visibleWindows=1 loaded=1000 held=250 t=2000 busy=30 queued=0\n";

TEST(BenchEngineTimeline, TheCreationLineGivesTheMomentTheHoldAndTheLoadTime) {
  const auto timeline = ParseEngineTimeline(kCreation);
  ASSERT_TRUE(timeline.has_value());
  EXPECT_EQ(timeline->creationCall.at, 2000);  // the engine's field, not the folder's text
  EXPECT_EQ(timeline->creationCall.busy, 30);
  EXPECT_EQ(timeline->engineLoadedAt, 1000);
  EXPECT_EQ(timeline->visibleWindowsAtCreation, 1);
  EXPECT_EQ(timeline->heldFor, 250);
  EXPECT_FALSE(timeline->environmentDelivered);
  EXPECT_FALSE(timeline->navigate.has_value());
}

TEST(BenchEngineTimeline, LaterLinesCountOnlyOnceComplete) {
  const std::string delivered = std::string(kCreation) +
                                "environmentHandler.Invoke returned 0x00000000 t=2100 busy=40 "
                                "queued=5\nwebview.Navigate \"https://x/login\" t=2300 busy=60 "
                                "queued=5";  // still being written
  const auto partial = ParseEngineTimeline(delivered);
  ASSERT_TRUE(partial.has_value());
  EXPECT_TRUE(partial->environmentDelivered);
  EXPECT_FALSE(partial->navigate.has_value());

  const auto whole = ParseEngineTimeline(delivered + "\n");
  ASSERT_TRUE(whole.has_value() && whole->navigate.has_value());
  EXPECT_EQ(whole->navigate->at, 2300);
  EXPECT_EQ(whole->navigate->busy, 60);
  EXPECT_EQ(whole->navigate->queued, 5);
}

TEST(BenchEngineTimeline, NothingWithoutATimedCreationLine) {
  for (const char* log :
       {"", "CreateWebViewEnvironmentWithOptionsInternal unknown=1 kind=0\n",
        "CreateWebViewEnvironmentWithOptionsInternal unknown=1 visibleWindows=0 loaded=5 t=1 "
        "busy=0 queued=0",  // no line feed yet
        "webview.Navigate \"x\" t=1 busy=0 queued=0\n"}) {
    EXPECT_FALSE(ParseEngineTimeline(log).has_value()) << log;
  }
  // Without a hold there is no held field: nothing was held.
  const auto unheld = ParseEngineTimeline(
      "CreateWebViewEnvironmentWithOptionsInternal unknown=1 visibleWindows=0 loaded=5 t=7 busy=0 "
      "queued=0\n");
  ASSERT_TRUE(unheld.has_value());
  EXPECT_EQ(unheld->heldFor, 0);
}

TEST(BenchHoldReport, OnlyAWholeReportNamesAProcess) {
  const auto report = ParseHoldReport("held pid=292 unix=41234\n");
  ASSERT_TRUE(report.has_value());
  EXPECT_EQ(report->windowsId, 292u);
  EXPECT_EQ(report->linuxId, 41234);
  const auto unknownLinux = ParseHoldReport("held pid=292 unix=0\n");
  ASSERT_TRUE(unknownLinux.has_value());
  EXPECT_EQ(unknownLinux->linuxId, 0);
  for (const char* bad :
       {"", "held pid=292\n", "held unix=5\n", "held pid=0 unix=5\n", "held pid=-3 unix=5\n",
        "held pid=2x unix=5\n", "hold pid=2 unix=5\n", "held pid=2 unix=-1\n"}) {
    EXPECT_FALSE(ParseHoldReport(bad).has_value()) << bad;
  }
}

TEST(BenchProcText, SchedstatLoadAverageAndTheWineServersStat) {
  const auto stat = ParseSchedstat("41234567 1200345 88\n");
  ASSERT_TRUE(stat.has_value());
  EXPECT_EQ(stat->runNs, 41234567);
  EXPECT_EQ(stat->waitNs, 1200345);
  EXPECT_FALSE(ParseSchedstat("").has_value());
  EXPECT_FALSE(ParseSchedstat("12").has_value());

  const auto load = ParseLoadAverage("0.52 1.07 2.10 1/190 29320\n");
  ASSERT_TRUE(load.has_value());
  EXPECT_DOUBLE_EQ(load->one, 0.52);
  EXPECT_DOUBLE_EQ(load->five, 1.07);
  EXPECT_DOUBLE_EQ(load->fifteen, 2.10);
  EXPECT_FALSE(ParseLoadAverage("busy").has_value());

  EXPECT_EQ(ParseWineServerStat("11210 (wineserver64) S 1 11210 11210 0 -1"), 11210);
  EXPECT_FALSE(ParseWineServerStat("11254 (probe.exe) S 1 11210").has_value());
  EXPECT_FALSE(ParseWineServerStat("").has_value());
}

TEST(BenchProcText, ResidentMemoryFromTheRollupAndThePeakFromStatus) {
  const auto memory = ParseResidentMemory(
      "55d0a0000000-7ffd00000000 ---p 00000000 00:00 0  [rollup]\n"
      "Rss:               30204 kB\n"
      "Pss:               14800 kB\n"
      "Pss_Anon:           9048 kB\n"
      "Private_Clean:      1300 kB\n"
      "Private_Dirty:      9048 kB\n"
      "Anonymous:          9040 kB\n"
      "AnonHugePages:         0 kB\n",
      "Name:\tMirvot.exe\nVmHWM:\t   31000 kB\nVmRSS:\t   30204 kB\n");
  ASSERT_TRUE(memory.has_value());
  EXPECT_EQ(memory->rssKb, 30204);
  EXPECT_EQ(memory->pssKb, 14800);  // not Pss_Anon
  EXPECT_EQ(memory->privateKb, 1300 + 9048);
  EXPECT_EQ(memory->privateDirtyKb, 9048);
  EXPECT_EQ(memory->anonymousKb, 9040);  // not AnonHugePages
  EXPECT_EQ(memory->peakRssKb, 31000);
  EXPECT_FALSE(ParseResidentMemory("Pss: 5 kB\n", "").has_value());
}

TEST(BenchProcText, PrivateMemoryAddsUpPerMappingName) {
  const auto mappings = ParsePrivateByMapping(
      "00340000-00380000 rw-p 00000000 00:00 0 \n"
      "Private_Clean:         0 kB\n"
      "Private_Dirty:       248 kB\n"
      "2fb3c1000-2fb46f000 r-xp 00001000 08:01 123 /usr/lib/wine/x86_64-windows/comctl32.dll\n"
      "Private_Clean:       700 kB\n"
      "Private_Dirty:         0 kB\n"
      "2fb46f000-2fb471000 rw-p 000af000 08:01 123 /usr/lib/wine/x86_64-windows/comctl32.dll\n"
      "Private_Dirty:         4 kB\n"
      "a6d6b000-a6fd9000 rw-p 00000000 00:00 0                [heap]\n"
      "Private_Dirty:      1412 kB\n"
      "7f00000000-7f00001000 r--p 00000000 08:01 77 /tmp/a folder/My Program.exe\n"
      "Private_Clean:         4 kB\n"
      "01db0000-01e70000 rw-p 00000000 00:00 0 \n"
      "Private_Dirty:       768 kB\n");
  ASSERT_EQ(mappings.size(), 4u);
  EXPECT_EQ(mappings[0].name, "My Program.exe");
  EXPECT_EQ(mappings[0].privateKb, 4);
  EXPECT_EQ(mappings[1].name, "[anonymous]");
  EXPECT_EQ(mappings[1].privateKb, 248 + 768);
  EXPECT_EQ(mappings[2].name, "[heap]");
  EXPECT_EQ(mappings[2].privateKb, 1412);
  EXPECT_EQ(mappings[3].name, "comctl32.dll");
  EXPECT_EQ(mappings[3].privateKb, 704);
}

}  // namespace
}  // namespace mirvot::bench
