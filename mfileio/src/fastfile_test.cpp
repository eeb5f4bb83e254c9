// Tests of the fast file I/O: line ends across buffer refills, reader life cycle, whole-file
// reads and writes in every mode, and the error entries each failure leaves.
#include "fastfile.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>
#endif

#include <algorithm>
#include <string>
#include <vector>

#include "diag_testing.h"
#include "fileio_testing.h"

using fileio_testing::ErrorContext;
using fileio_testing::ReadBytes;
using fileio_testing::TempFolder;
using fileio_testing::WriteBytes;

namespace {

// Every line of `path` as ReadLine hands them out, up to IsEOF.
std::vector<std::string> ReadAllLines(const std::string& path) {
  MFastFileReader reader;
  EXPECT_TRUE(reader.Open(path.c_str()));
  std::vector<std::string> lines;
  std::string line;
  while (!reader.IsEOF()) {
    EXPECT_TRUE(reader.ReadLine(&line));
    lines.push_back(line);
  }
  return lines;
}

using Lines = std::vector<std::string>;

// A reader whose refills fail from the given call on, to reach the read-error paths.
class FailingReader : public MFastFileReader {
 public:
  explicit FailingReader(int good_fills) : good_fills_(good_fills) {}
  bool fill_buffer() override {
    if (good_fills_-- <= 0)
      return false;
    return MFastFileReader::fill_buffer();
  }

 private:
  int good_fills_;
};

}  // namespace

TEST(FastFileReader, EachLineEndEndsOneLineAlsoAcrossBufferRefills) {
  TempFolder folder;
  const std::string path = folder.File("lines.txt");
  const size_t block = MFastFileReader::kBufferSize;
  const std::string first(block - 1, 'p');
  const std::string longline(2 * block + 17, 'L');
  const struct {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"a\n\r", {"a", ""}},  // LF then CR: two line ends, an empty line between them
      // NUL and other control bytes pass unchanged; blank lines stay.
      {std::string("x\0y\t\n\n\r\nz\n", 10), {std::string("x\0y\t", 4), "", "", "z"}},
      // CR as the last byte of the first block, LF as the first of the second: one line end.
      {first + "\r\nq", {first, "q"}},
      // A line longer than two blocks comes whole; a CR ending the file needs no LF after it.
      {"s\n" + longline + "\r", {"s", longline}},
  };
  for (const auto& c : cases) {
    WriteBytes(path, c.bytes);
    EXPECT_EQ(ReadAllLines(path), c.lines) << c.bytes.substr(0, 20);
  }
}

TEST(FastFileReader, EndOfFileAndLifeCycle) {
  TempFolder folder;
  const std::string empty = folder.File("empty.txt");
  const std::string other = folder.File("other.txt");
  WriteBytes(empty, "");
  WriteBytes(other, "one\n");

  MFastFileReader reader;
  EXPECT_TRUE(reader.Close()) << "closing a reader that is not open succeeds";
  ASSERT_TRUE(reader.Open(empty.c_str()));
  EXPECT_EQ(reader.name(), empty);
  EXPECT_TRUE(reader.IsEOF());
  std::string line = "stale";
  EXPECT_TRUE(reader.ReadLine(&line)) << "a read at end of file is an empty line";
  EXPECT_EQ(line, "");

  // Open on an open reader closes the first file and starts afresh.
  ASSERT_TRUE(reader.Open(other.c_str()));
  EXPECT_EQ(reader.name(), other);
  EXPECT_TRUE(reader.ReadLine(&line));
  EXPECT_EQ(line, "one");
  EXPECT_TRUE(reader.IsEOF());
  EXPECT_TRUE(reader.Close());
  EXPECT_EQ(reader.name(), "");

  diag::CapturingSink sink;
  EXPECT_TRUE(reader.IsEOF()) << "a closed reader is at its end";
  EXPECT_EQ(sink.ErrorLog(), (Lines{"MFastFileReader::IsEOF(): no open file"}));
}

TEST(FastFileReader, FailuresLeaveTheirEntries) {
  TempFolder folder;
  const std::string missing = folder.File("missing.txt");
  ErrorContext context;
  MFastFileReader reader;
  EXPECT_FALSE(reader.Open(missing.c_str()));
  // The file-not-found number is 2 on both platforms (ERROR_FILE_NOT_FOUND, ENOENT).
  context.ExpectAndClear({"openfile(): CreateFile(\"" + missing + "\") failed: 2",
                          "MFastFileReader::Open(): openfile(\"" + missing + "\") failed: 2"});

  // Reading from a reader that never opened a file fails in the OS read.
  std::string line;
  EXPECT_FALSE(reader.ReadLine(&line));
  context.ExpectAndClear({"read64(): ReadFile() failed: *",
                          "MFastFileReader::fill_buffer(): read64() failed",
                          "MFastFileReader::ReadLine(STL): fill_buffer() failed"});

  // A folder is no file, for the reader and for a whole-file read, though its size is 0.
  const std::string dir = folder.path();
  EXPECT_FALSE(reader.Open(dir.c_str()));
  context.ExpectAndClear({"openfile(): CreateFile(\"" + dir + "\") failed: *",
                          "MFastFileReader::Open(): openfile(\"" + dir + "\") failed: *"});
  std::string content = "kept";
  EXPECT_EQ(MFastFile_ReadAtOnce(dir.c_str(), &content), -1);
  EXPECT_EQ(content, "");
  context.ExpectAndClear(
      {"openfile(): CreateFile(\"" + dir + "\") failed: *",
       "MFastFile_ReadAtOnce(): openfile(\"" + dir + "\") failed.",
       "MFastFile_ReadAtOnce(): MFastFile_ReadAtOnce(\"" + dir + "\",..,0) failed"});
}

TEST(FastFileReader, ReadErrorsFailReadLineButEndTheFileForIsEOF) {
  TempFolder folder;
  const std::string path = folder.File("cr.txt");
  WriteBytes(path, "a\r");
  ErrorContext context;

  // The look-ahead after a CR refills the buffer; its failure has its own text.
  FailingReader lookahead(1);
  ASSERT_TRUE(lookahead.Open(path.c_str()));
  std::string line;
  EXPECT_FALSE(lookahead.ReadLine(&line));
  context.ExpectAndClear({"MFastFileReader::ReadLine(STL):fill_buffer() failed"});

  // IsEOF reports the failure in the error log only and calls it the end of the file.
  FailingReader at_start(0);
  ASSERT_TRUE(at_start.Open(path.c_str()));
  diag::CapturingSink sink;
  EXPECT_TRUE(at_start.IsEOF());
  EXPECT_EQ(sink.ErrorLog(), (Lines{"MFastFileReader::IsEOF(): fill_buffer() failed"}));
  EXPECT_TRUE(context.Entries().empty());
}

TEST(FastFileReadAtOnce, ReadsBytesAsTheyAreAndAMissingFileLeavesTheStringAlone) {
  TempFolder folder;
  const std::string path = folder.File("data.bin");
  const std::string bytes("r1\r\n\0\xff\n", 7);
  WriteBytes(path, bytes);
  std::string content = "old";
  EXPECT_EQ(MFastFile_ReadAtOnce(path.c_str(), &content), 7);
  EXPECT_EQ(content, bytes);
  char small[4] = {};
  EXPECT_EQ(MFastFile_ReadAtOnce(path.c_str(), small, sizeof small), 4);
  EXPECT_EQ(std::string(small, 4), bytes.substr(0, 4));

  const std::string missing = folder.File("none.bin");
  ErrorContext context;
  EXPECT_EQ(MFastFile_ReadAtOnce(missing.c_str(), &content), -1);
  EXPECT_EQ(content, bytes);
  context.ExpectAndClear({"MFastFile_ReadAtOnce(): file_size(\"" + missing + "\") returned -1"});
  EXPECT_EQ(MFastFile_ReadAtOnce(missing.c_str(), small, sizeof small), -1);
  context.ExpectAndClear({"openfile(): CreateFile(\"" + missing + "\") failed: 2",
                          "MFastFile_ReadAtOnce(): openfile(\"" + missing + "\") failed."});
}

TEST(FastFileWriteAtOnce, ModesCreateAppendTruncateAndFlush) {
  TempFolder folder;
  const std::string path = folder.File("out.txt");
  EXPECT_EQ(MFastFile_WriteAtOnce(path.c_str(), "abc", 3, kFastFileCreateNew), 3);
  EXPECT_EQ(MFastFile_WriteAtOnce(path.c_str(), "de", 2, kFastFileAppend), 2);
  EXPECT_EQ(ReadBytes(path), "abcde");
  EXPECT_EQ(MFastFile_WriteAtOnce(path.c_str(), "Z", 1, kFastFileCreateAlways | kFastFileFlush), 1);
  EXPECT_EQ(ReadBytes(path), "Z");
  const std::string appended = folder.File("appended.txt");
  EXPECT_EQ(MFastFile_WriteAtOnce(appended.c_str(), "new", 3, kFastFileAppend | kFastFileFlush), 3);
  EXPECT_EQ(ReadBytes(appended), "new");
  EXPECT_EQ(MFastFile_WriteAtOnce(appended.c_str(), "", 0, kFastFileCreateAlways), 0);
  EXPECT_EQ(ReadBytes(appended), "");

  // Create-new refuses an existing file and leaves it as it was.
  ErrorContext context;
  EXPECT_EQ(MFastFile_WriteAtOnce(path.c_str(), "x", 1, kFastFileCreateNew), -1);
  EXPECT_EQ(ReadBytes(path), "Z");
  context.ExpectAndClear({"openwritefile(): CreateFile(" + path + ", ...) failed: *",
                          "MFastFile_WriteAtOnce(): openwritefile(" + path + ", 0) failed"});
}

TEST(FastFileWriteAtOnce, UnknownModesCreateNothing) {
  TempFolder folder;
  const std::string path = folder.File("never.txt");
  ErrorContext context;
  for (int mode : {3, 7, 8, 11, -1}) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(MFastFile_WriteAtOnce(path.c_str(), "x", 1, mode), -1);
    const std::string base = std::to_string(mode & ~4);
    context.ExpectAndClear(
        {"openwritefile(): unknown mode " + base + " for " + path,
         "MFastFile_WriteAtOnce(): openwritefile(" + path + ", " + base + ") failed"});
  }
  EXPECT_TRUE(folder.Names().empty());
}

TEST(FastFileWriteAtOnce, TemporaryFileReplacesTheTarget) {
  TempFolder folder;
  const std::string path = folder.File("settings.ini");
  WriteBytes(path, "old contents that are longer");
  for (int mode : {10, 14}) {
    EXPECT_EQ(MFastFile_WriteAtOnce(path.c_str(), "new", 3, mode), 3);
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(folder.Names(), (Lines{"settings.ini"})) << "no temporary file stays behind";
  }

  // Without a folder to put the temporary file in (a missing one, or none in a bare name), the
  // target is never touched.
  fileio_testing::CurrentDirectory cwd(folder.path());
  ErrorContext context;
  for (const std::string& target : {folder.File("missing/settings.ini"), std::string("bare.ini")}) {
    EXPECT_EQ(MFastFile_WriteAtOnce(target.c_str(), "x", 1, kFastFileReplaceViaTemp), -1);
    context.ExpectAndClear({"MFastFile_WriteAtOnce(): GetTempFileName() failed:*"});
  }
  EXPECT_EQ(folder.Names(), (Lines{"settings.ini"}));
}

#ifndef _WIN32
TEST(FastFileWriteAtOnce, ReplacedFilesKeepTheUsualPermissions) {
  TempFolder folder;
  const std::string path = folder.File("shared.ini");
  const mode_t saved = umask(022);
  const int64_t written = MFastFile_WriteAtOnce(path.c_str(), "x", 1, kFastFileReplaceViaTemp);
  umask(saved);
  EXPECT_EQ(written, 1);
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u) << "as readable by others as a file written directly";
}

// A FIFO without its other end: opening it must not wait for one. The work runs on a thread of
// its own so that a hang fails the test instead of stopping it.
TEST(FastFileLowLevel, APipeWithoutPeerNeverBlocksAnOpen) {
  TempFolder folder;
  const std::string fifo = folder.File("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Outcome {
    std::promise<void> done;
    bool reader_at_end = false;
    int64_t written = 0;
  };
  auto outcome = std::make_shared<Outcome>();
  std::thread([outcome, fifo] {
    ErrorContext context;
    {
      MFastFileReader reader;
      outcome->reader_at_end = reader.Open(fifo.c_str()) && reader.IsEOF();
    }
    outcome->written = MFastFile_WriteAtOnce(fifo.c_str(), "x", 1, kFastFileAppend);
    outcome->done.set_value();
  }).detach();
  ASSERT_EQ(outcome->done.get_future().wait_for(std::chrono::seconds(20)),
            std::future_status::ready);
  EXPECT_TRUE(outcome->reader_at_end) << "a pipe nobody writes to is an empty file";
  EXPECT_EQ(outcome->written, -1) << "nobody reads the pipe";
}
#endif

TEST(FastFileWriteAtOnce, AFailedReplacementDropsTheTemporaryFile) {
  TempFolder folder;
  // A folder of that name cannot be replaced by a file.
  const std::string target = folder.File("settings.ini");
  std::filesystem::create_directories(target + "/inside");
  ErrorContext context;
  EXPECT_EQ(MFastFile_WriteAtOnce(target.c_str(), "x", 1, kFastFileReplaceViaTemp), -1);
  const Lines entries = context.Entries();
  context.ExpectAndClear({"file_rename(): MoveFileEx(*", "MFastFile_WriteAtOnce(): file_rename(*"});
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_NE(entries[1].find("ffw"), std::string::npos) << "names the temporary file";
  EXPECT_NE(entries[1].find("," + target + ") failed: "), std::string::npos) << entries[1];
  EXPECT_EQ(folder.Names(), (Lines{"settings.ini"})) << "the temporary file is gone";
}

TEST(FastFileLowLevel, ReadHandlesCannotWriteAndASecondWriterIsRefusedButReadersShare) {
  TempFolder folder;
  const std::string path = folder.File("shared.txt");
  WriteBytes(path, "kept");
  ErrorContext context;
  MFileHandle reader = kInvalidFileHandle;
  ASSERT_TRUE(openfile(path.c_str(), &reader));
  uint64_t written = 7;
  EXPECT_FALSE(write64(reader, "w", 1, &written));
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(closefile(reader));
  context.ExpectAndClear({"write64(): WriteFile() failed: *"});

  MFileHandle writer = openwritefile(path.c_str(), kFastFileAppend);
  ASSERT_NE(writer, kInvalidFileHandle);
  EXPECT_EQ(openwritefile(path.c_str(), kFastFileCreateAlways), kInvalidFileHandle);
  EXPECT_EQ(MFastFile_WriteAtOnce(path.c_str(), "lost", 4, kFastFileAppend), -1);
  EXPECT_EQ(ReadBytes(path), "kept") << "a refused writer truncates nothing";

  std::string content;
  EXPECT_EQ(MFastFile_ReadAtOnce(path.c_str(), &content), 4) << "readers share with a writer";
  EXPECT_TRUE(write64(writer, "+", 1, &written));
  EXPECT_EQ(written, 1u);
  EXPECT_TRUE(closefile(writer));
  EXPECT_EQ(ReadBytes(path), "kept+");
}

TEST(FastFileWriteLinesAtOnce, EveryLineEndBecomesCrLf) {
  TempFolder folder;
  const std::string path = folder.File("lines.txt");
  EXPECT_EQ(MFastFile_WriteLinesAtOnce(path.c_str(), "x\ny\r\nz\r", 7, kFastFileCreateAlways), 9);
  EXPECT_EQ(ReadBytes(path), "x\r\ny\r\nz\r\n");

  const std::string mixed("\n\r\r\n\n\ra", 7);
  EXPECT_EQ(MFastFile_WriteLinesAtOnce(path.c_str(), mixed.data(), mixed.size(), 10), 11);
  EXPECT_EQ(ReadBytes(path), "\r\n\r\n\r\n\r\n\r\na");
  EXPECT_EQ(MFastFile_WriteLinesAtOnce(path.c_str(), "", 0, kFastFileCreateAlways), 0);
  EXPECT_EQ(ReadBytes(path), "");

  ErrorContext context;
  EXPECT_EQ(MFastFile_WriteLinesAtOnce(path.c_str(), "a\n", 2, 3), -1);
  Lines entries = context.Entries();
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.back(),
            "MFastFile_WriteLinesAtOnce(): MFastFile_WriteAtOnce(\"" + path + "\",..,3,3) failed");
}
