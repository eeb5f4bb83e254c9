#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "diag_testing.h"
#include "errtrace.h"

using diag::CapturingSink;
using diag::Kind;
using ::testing::ElementsAre;

namespace {

struct LevelGuard {
  explicit LevelGuard(int level) { _MTrace_SetLevel("default", level); }
  ~LevelGuard() { _MTrace_SetLevel("default", 0); }
};

TEST(Trace, WritesLevelZeroAlwaysAndHigherLevelsOnlyUpToTheChannelLevel) {
  CapturingSink sink;
  LevelGuard level(3);
  MTRACE(4, "hidden %d", 4);
  MTRACE(3, "shown %d", 3);
  MTRACE(0, "always %s", "zero");
  EXPECT_THAT(sink.Texts(Kind::kTrace), ElementsAre("shown 3", "always zero"));
  std::vector<diag::Record> records = sink.records();
  EXPECT_EQ(3, records[0].level);
  EXPECT_EQ("diag/diag_test.cpp", records[0].file) << "locations are project-relative";
  EXPECT_GT(records[0].line, 0);

  _MTrace_SetLevel("default", 0);
  MTRACE(1, "now hidden");
  EXPECT_EQ(2u, sink.Texts(Kind::kTrace).size());
  EXPECT_EQ(0, _MTrace_TestLevel("other", 1));
  EXPECT_NE(0, _MTrace_TestLevel("other", 0));
}

TEST(ErrorContext, DumpWritesEntriesInOrderThenTheSummaryAndEmptiesTheContext) {
  CapturingSink sink;
  MErrTrace_BeginContext();
  MERRTRACE("first %s", "a");
  MERRTRACE("second %d", 2);
  EXPECT_THAT(diag::CurrentContextEntries(), ElementsAre("first a", "second 2"));
  MERRDUMP("Op(): failed");
  EXPECT_TRUE(diag::CurrentContextEntries().empty());
  MErrTrace_EndContext();
  EXPECT_THAT(sink.ErrorLog(), ElementsAre("first a", "second 2", "Op(): failed"));
  std::vector<diag::Record> r = sink.records();
  EXPECT_EQ(Kind::kDumpEntry, r[0].kind);
  EXPECT_EQ(Kind::kDumpSummary, r[2].kind);
}

TEST(ErrorContext, ClearedFailureLeavesOnlyTheTraceOfTheDefaultUsed) {
  CapturingSink sink;
  MErrTrace_BeginContext();
  MERRTRACE("GetStringEntry failed");
  MErrTrace_ClearContext();
  MTRACE(0, "update(): GetStringEntry [connection] port= failed used default");
  MERRDUMP("nothing before me");
  MErrTrace_EndContext();
  EXPECT_THAT(sink.ErrorLog(), ElementsAre("nothing before me"));
  EXPECT_EQ(1u, sink.Texts(Kind::kTrace).size());
}

TEST(ErrorContext, NestedContextsKeepTheirEntriesApartAndHandLeftoversToTheCaller) {
  CapturingSink sink;
  MErrTrace_BeginContext();
  MERRTRACE("outer");
  MErrTrace_BeginContext();
  EXPECT_TRUE(diag::CurrentContextEntries().empty());
  MERRTRACE("inner");
  MErrTrace_EndContext();
  EXPECT_THAT(diag::CurrentContextEntries(), ElementsAre("outer", "inner"));
  MErrTrace_ClearContext();
  MErrTrace_EndContext();
  MErrTrace_EndContext();  // an unmatched End never removes the thread's bottom context
  MERRTRACE("bottom");
  EXPECT_THAT(diag::CurrentContextEntries(), ElementsAre("bottom"));
  MErrTrace_ClearContext();
}

TEST(ErrorContext, ContextsBelongToTheirThread) {
  MErrTrace_BeginContext();
  MERRTRACE("main thread");
  std::vector<std::string> seen_by_other;
  std::thread other([&] {
    MERRTRACE("other thread");
    seen_by_other = diag::CurrentContextEntries();
    MErrTrace_ClearContext();
  });
  other.join();
  EXPECT_THAT(seen_by_other, ElementsAre("other thread"));
  EXPECT_THAT(diag::CurrentContextEntries(), ElementsAre("main thread"));
  MErrTrace_ClearContext();
  MErrTrace_EndContext();
}

TEST(ErrTraceContext, SummaryOf254CharactersIsWholeAnd255IsCutWithAnErrorLogEntry) {
  CapturingSink sink;
  MErrTraceContext context("component_updater.cpp");
  std::string fits(254, 'x');
  context.DumpToMErrLog(7, "%s", fits.c_str());
  EXPECT_THAT(sink.ErrorLog(), ElementsAre(fits));
  EXPECT_EQ("component_updater.cpp", sink.records()[0].file);
  EXPECT_EQ(7, sink.records()[0].line);

  sink.Clear();
  std::string too_long = std::string(255, 'y') + "tail";
  MERRTRACE("cause");
  context.DumpToMErrLog(8, "%s", too_long.c_str());
  EXPECT_THAT(sink.ErrorLog(),
              ElementsAre("MErrTraceContext::DumpToMErrLog(): output string too long !", "cause",
                          std::string(255, 'y')));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(LogFiles, TracesAndErrorsGoToTheirFilesEndingInTheMessageText) {
  std::string folder = ::testing::TempDir();
  diag::SetLogDirectory(folder);
  std::string trace_path = diag::LogFilePath(Kind::kTrace);
  std::string error_path = diag::LogFilePath(Kind::kErrorLog);
  std::remove(trace_path.c_str());
  std::remove(error_path.c_str());
  MTRACE(0, "trace line %d", 1);
  MERRLOG("error line %d", 2);
  MERRTRACE("entry");
  MERRDUMP("summary");
  std::string trace = ReadFile(trace_path);
  std::string errors = ReadFile(error_path);
  diag::SetLogDirectory("");
  EXPECT_NE(std::string::npos, trace.find("diag/diag_test.cpp:"));
  EXPECT_NE(std::string::npos, trace.find("[default/0] trace line 1\n"));
  EXPECT_EQ(std::string::npos, trace.find("error line"));
  std::istringstream lines(errors);
  std::vector<std::string> endings;
  for (std::string line; std::getline(lines, line);)
    endings.push_back(line.substr(line.rfind(']') + 2));
  EXPECT_THAT(endings, ElementsAre("error line 2", "entry", "summary"));
}

TEST(LogFiles, TracesFromManyThreadsAreAllRecorded) {
  CapturingSink sink;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 200; ++i)
        MTRACE(0, "thread %d line %d", t, i);
    });
  for (std::thread& t : threads)
    t.join();
  EXPECT_EQ(800u, sink.Texts(Kind::kTrace).size());
}

}  // namespace
