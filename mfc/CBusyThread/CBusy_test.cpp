// The durations file, and ending the progress dialog and its thread from the sending side.
#include "CBusy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "CBusyThread.h"
#include "MIniData_template_core.h"
#include "diag_testing.h"
#include "fileio_testing.h"
#include "msleep_sec.h"

namespace {

using fileio_testing::TempFolder;

std::vector<std::string> Summaries(const diag::CapturingSink& sink) {
  return sink.Texts(diag::Kind::kDumpSummary);
}

TEST(CBusy, GetDurationReadsTheFileAndTurnsZeroInto120Seconds) {
  TempFolder folder;
  const std::string unreadable = folder.File("folder.ini");
  std::filesystem::create_directory(unreadable);
  const struct {
    std::string path;
    const char* content;  // null: leave the file as it is
    double expected;
    std::vector<std::string> summaries;
  } cases[] = {
      {folder.File("missing.ini"), nullptr, 120.0, {"GetDoubleEntry() failed"}},
      {folder.File("sixty.ini"), "[busy_thread]\r\nduration=60\r\n", 60.0, {}},
      {folder.File("zero.ini"), "[busy_thread]\r\nduration=0\r\n", 120.0, {}},
      {folder.File("word.ini"),
       "[busy_thread]\r\nduration=abc\r\n",
       120.0,
       {"GetDoubleEntry() failed"}},
      {unreadable, nullptr, 120.0, {"GetDuration() mid.Open(" + unreadable + ") failed"}},
  };
  for (const auto& c : cases) {
    if (c.content)
      fileio_testing::WriteBytes(c.path, c.content);
    diag::CapturingSink sink;
    CBusy busy(c.path.c_str());
    EXPECT_EQ(c.expected, busy.GetDuration()) << c.path;
    EXPECT_EQ(c.summaries, Summaries(sink)) << c.path;
  }
}

TEST(CBusy, SaveDurationWritesTheEntryAndKeepsTheValueWhenTheFileFails) {
  TempFolder folder;
  {
    fileio_testing::CurrentDirectory inFolder(folder.path());
    CBusy busy(nullptr);
    busy.SaveDuration(45.0);
  }
  EXPECT_EQ("[busy_thread]\r\nduration=45\r\n",
            fileio_testing::ReadBytes(folder.File("busy_thread.ini")));

  const std::string unreadable = folder.File("folder.ini");
  std::filesystem::create_directory(unreadable);
  diag::CapturingSink sink;
  CBusy busy(unreadable.c_str());
  busy.SaveDuration(45.0);
  EXPECT_EQ(45.0, busy.GetDuration());
  EXPECT_EQ(std::vector<std::string>({"SaveDuration() mid.Open(" + unreadable + ") failed",
                                      "GetDuration() mid.Open(" + unreadable + ") failed"}),
            Summaries(sink));

  sink.Clear();
  CBusy unwritable(folder.File("no/such/folder/durations.ini").c_str());
  unwritable.SaveDuration(45.0);
  EXPECT_EQ(std::vector<std::string>({"SaveDuration(): mid.Save() failed"}), Summaries(sink));
}

TEST(CBusyDialog, CloseBeforeTheWindowExistsClosesTheWindowAtOnceShowingTheEnd) {
  CBusyDialog dialog;
  dialog.SetDuration(60.0);
  dialog.Close();  // no window yet: this only leaves the request
  EXPECT_EQ(fw::kIdOk, dialog.DoModal());
  EXPECT_EQ(100, dialog.model().Percent());
  EXPECT_FALSE(dialog.HasWindow());
}

TEST(CBusy, StopEndsDialogAndThreadBeforeAndAfterTheWindowExists) {
  TempFolder folder;
  const std::string durations = folder.File("durations.ini");
  CBusy busy(durations.c_str());
  busy.SaveDuration(30.25);

  // Right after Start the busy thread has usually not made its window yet.
  busy.Start("Title", "upper", "lower");
  busy.Stop(false);
  EXPECT_EQ(nullptr, busy.GetThread());
  EXPECT_TRUE(CWinThread::WaitForThreadsToEnd(60.0));

  // With the window up, Stop waits for its restore and sends it the OK command.
  busy.Start("Title", nullptr, nullptr);
  CBusyThread* thread = busy.GetThread();
  ASSERT_NE(nullptr, thread);
  while (!thread->HasDialogWindow() && !thread->IsFinished())
    msleep_sec(0.01);
  EXPECT_TRUE(thread->HasDialogWindow());  // on Windows: template 107 is in the program
  busy.Stop(true);
  EXPECT_TRUE(CWinThread::WaitForThreadsToEnd(60.0));

  // The measured time replaced the expected one, in whole seconds.
  MIniData mid;
  double saved = 0.25;
  ASSERT_TRUE(mid.Open(durations.c_str()));
  ASSERT_TRUE(mid.GetDoubleEntry("busy_thread", "duration", &saved));
  EXPECT_EQ(std::floor(saved), saved);
}

}  // namespace
