// The diagnostics stand-in: trace levels, error contexts and their dumps, the summary formatter's
// bound, messages of any length, the log files and their folder, one writer at a time, and the
// crash logger.
#include <atomic>
#include <csignal>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "crashlog.h"
#include "diag_testing.h"
#include "errtrace.h"
#include "fileio_testing.h"

using diag::CapturingSink;
using diag::Kind;
using ::testing::ElementsAre;

namespace {

TEST(Trace, WritesLevelZeroAlwaysAndHigherLevelsOnlyUpToTheChannelLevel) {
  CapturingSink sink;
  _MTrace_SetLevel("default", 3);
  MTRACE(4, "hidden %d", 4);
  MTRACE(3, "shown %d", 3);
  _MTrace_SetLevel("default", 0);
  MTRACE(1, "now hidden");
  MTRACE(0, "always %s", "zero");
  EXPECT_THAT(sink.Texts(Kind::kTrace), ElementsAre("shown 3", "always zero"));
  const diag::Record record = sink.records()[0];
  EXPECT_EQ(3, record.level);
  EXPECT_EQ("diag/diag_test.cpp", record.file) << "locations are project-relative";
  EXPECT_GT(record.line, 0);
  EXPECT_EQ(0, _MTrace_TestLevel("other", 1));
  EXPECT_NE(0, _MTrace_TestLevel("other", 0));
}

TEST(ErrorContext, DumpsInOrderClearsNestsAndBelongsToItsThread) {
  CapturingSink sink;
  MErrTrace_BeginContext();
  MERRTRACE("tolerated");
  MErrTrace_ClearContext();  // a tolerated failure leaves nothing in the error log
  MERRTRACE("first %s", "a");
  MErrTrace_BeginContext();
  EXPECT_TRUE(diag::CurrentContextEntries().empty());
  MERRTRACE("inner %d", 2);
  MErrTrace_EndContext();  // leftovers go to the enclosing context
  std::vector<std::string> seen_by_other;
  std::thread([&] {
    MERRTRACE("other thread");
    seen_by_other = diag::CurrentContextEntries();
    MErrTrace_ClearContext();
  }).join();
  EXPECT_THAT(seen_by_other, ElementsAre("other thread"));
  MERRDUMP("Op(): failed");
  EXPECT_TRUE(diag::CurrentContextEntries().empty());
  MErrTrace_EndContext();
  MErrTrace_EndContext();  // an unmatched End never removes the thread's bottom context
  MERRTRACE("bottom");
  EXPECT_THAT(diag::CurrentContextEntries(), ElementsAre("bottom"));
  MErrTrace_ClearContext();
  EXPECT_THAT(sink.ErrorLog(), ElementsAre("first a", "inner 2", "Op(): failed"));
  EXPECT_EQ(Kind::kDumpEntry, sink.records()[0].kind);
  EXPECT_EQ(Kind::kDumpSummary, sink.records()[2].kind);
}

TEST(ErrTraceContext, SummaryOf254CharactersIsWholeAnd255IsCutWithAnErrorLogEntry) {
  CapturingSink sink;
  MErrTraceContext context("component_updater.cpp");
  const std::string fits(254, 'x');
  context.DumpToMErrLog(7, "%s", fits.c_str());
  EXPECT_THAT(sink.ErrorLog(), ElementsAre(fits));
  EXPECT_EQ("component_updater.cpp", sink.records()[0].file);
  EXPECT_EQ(7, sink.records()[0].line);
  sink.Clear();
  MERRTRACE("cause");
  context.DumpToMErrLog(8, "%s", (std::string(255, 'y') + "tail").c_str());
  EXPECT_THAT(sink.ErrorLog(),
              ElementsAre("MErrTraceContext::DumpToMErrLog(): output string too long !", "cause",
                          std::string(255, 'y')));
}

TEST(Messages, OfAnyLengthArriveWhole) {
  CapturingSink sink;
  std::vector<std::string> texts;
  for (size_t length : {510u, 511u, 512u, 513u, 4000u}) {
    texts.push_back(std::string(length - 3, 'm') + "end");
    MERRLOG("%s", texts.back().c_str());
    MTRACE(0, "%s", texts.back().c_str());
    MERRTRACE("%s", texts.back().c_str());
  }
  EXPECT_EQ(texts, sink.Texts(Kind::kErrorLog));
  EXPECT_EQ(texts, sink.Texts(Kind::kTrace));
  EXPECT_EQ(texts, diag::CurrentContextEntries());
  MErrTrace_ClearContext();
}

std::vector<std::string> LineEndings(const std::string& path) {
  std::istringstream lines(fileio_testing::ReadBytes(path));
  std::vector<std::string> endings;
  for (std::string line; std::getline(lines, line);)
    endings.push_back(line.substr(line.find("] ") + 2));
  return endings;
}

// TEVAR_LOG_DIR, when set and not empty, wins over the folder start-up sets.
TEST(LogFiles, TracesAndErrorsGoToTheirFilesInTheFolderOfTheirOverride) {
  for (const char* override_folder : {static_cast<const char*>(nullptr), "", "x"}) {
    fileio_testing::TempFolder configured, overridden;
    diag::SetLogDirectory(configured.path());
    const bool used = override_folder != nullptr && *override_folder != '\0';
    fileio_testing::ScopedEnv env("TEVAR_LOG_DIR",
                                  used ? overridden.path().c_str() : override_folder);
    const std::string folder = used ? overridden.path() : configured.path();
    EXPECT_EQ(folder + "/component_updater.trace.log", diag::LogFilePath(Kind::kTrace));
    MTRACE(0, "trace line %d", 1);
    MERRLOG("error line %d", 2);
    MERRTRACE("entry");
    MERRDUMP("summary");
    const std::string trace = fileio_testing::ReadBytes(folder + "/component_updater.trace.log");
    EXPECT_NE(std::string::npos, trace.find("diag/diag_test.cpp:")) << trace;
    EXPECT_THAT(LineEndings(folder + "/component_updater.trace.log"), ElementsAre("trace line 1"));
    EXPECT_THAT(LineEndings(folder + "/component_updater.errors.log"),
                ElementsAre("error line 2", "entry", "summary"));
  }
  diag::SetLogDirectory("");
  EXPECT_EQ("", diag::LogFilePath(Kind::kErrorLog)) << "stderr";
  MERRLOG("closes the files of the last folder");
}

// A sink that takes no lock of its own and notes when two writes overlap: only the writer's
// lock keeps them apart.
class OverlapSink : public diag::Sink {
 public:
  void Write(const diag::Record& record) override {
    if (inside_.fetch_add(1) != 0)
      overlapped_ = true;
    std::this_thread::yield();
    texts_.push_back(record.text);
    inside_.fetch_sub(1);
  }
  std::atomic<int> inside_{0};
  std::atomic<bool> overlapped_{false};
  std::vector<std::string> texts_;
};

TEST(LogFiles, WritesFromManyThreadsNeverOverlap) {
  OverlapSink sink;
  diag::SetSink(&sink);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 200; ++i)
        MTRACE(0, "thread %d line %d", t, i);
    });
  for (std::thread& t : threads)
    t.join();
  diag::SetSink(nullptr);
  EXPECT_FALSE(sink.overlapped_);
  EXPECT_EQ(800u, sink.texts_.size());
}

// The crash logger's handler is the one in place between install and removal, and a crash
// while it is installed leaves its line before the process dies.
TEST(CrashLogger, InstallsReportsAndRemovesItsHandler) {
#ifdef _WIN32
  auto current = [] {
    LPTOP_LEVEL_EXCEPTION_FILTER filter = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(filter);
    return reinterpret_cast<void*>(filter);
  };
#else
  auto current = [] {
    struct sigaction action;
    sigaction(SIGSEGV, nullptr, &action);
    return reinterpret_cast<void*>(action.sa_handler);
  };
#endif
  void* const before = current();
  CrashLogDLL::InitCrashLogger();
  EXPECT_NE(before, current());
  { CrashLogDLL removed; }
  EXPECT_EQ(before, current());
#if GTEST_HAS_DEATH_TEST && !defined(_WIN32)
  fileio_testing::ScopedEnv no_folder("TEVAR_LOG_DIR", nullptr);  // the line goes to stderr
  EXPECT_EXIT(
      {
        CrashLogDLL::InitCrashLogger();
        std::raise(SIGABRT);
      },
      ::testing::KilledBySignal(SIGABRT), "\\[CRASH\\] process crashed with signal 6");
#endif
}

}  // namespace
