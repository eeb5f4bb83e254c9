// Tests of the fast file I/O: line ends across buffer refills, reader life cycle and read
// errors, whole-file reads and writes in every mode, their failures and the entries they leave.
#include "fastfile.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "diag_testing.h"
#include "fileio_testing.h"

using fileio_testing::ErrorContext;
using fileio_testing::ReadBytes;
using fileio_testing::TempFolder;
using fileio_testing::WriteBytes;
using Lines = std::vector<std::string>;

TEST(FastFileReader, EachLineEndEndsOneLineAlsoAcrossBufferRefills) {
  TempFolder folder;
  const std::string path = folder.File("lines.txt");
  const std::string first(MFastFileReader::kBufferSize - 1, 'p'), longline(20000, 'L');
  const std::pair<std::string, Lines> cases[] = {
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"a\n\r", {"a", ""}},  // LF then CR: two line ends, an empty line between them
      {std::string("x\0y\t\n\n\r\nz\n", 10), {std::string("x\0y\t", 4), "", "", "z"}},
      {first + "\r\nq", {first, "q"}},  // CR ends a block, LF starts the next: one line end
      {"s\n" + longline + "\r", {"s", longline}},  // longer than two blocks; CR at the end
      {"", {}}};
  for (const auto& [bytes, lines] : cases) {
    WriteBytes(path, bytes);
    MFastFileReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    Lines read;
    for (std::string line; !reader.IsEOF(); read.push_back(line))
      EXPECT_TRUE(reader.ReadLine(&line));
    EXPECT_EQ(lines, read) << bytes.substr(0, 20);
  }
}

TEST(FastFileReader, LifeCycleAndTheEntriesOfItsFailures) {
  TempFolder folder;
  const std::string empty = folder.File("empty.txt"), other = folder.File("other.txt"),
                    missing = folder.File("missing.txt"), dir = folder.path();
  WriteBytes(empty, "");
  WriteBytes(other, "one\n");
  MFastFileReader reader;
  EXPECT_TRUE(reader.Close()) << "closing a reader that is not open succeeds";
  ASSERT_TRUE(reader.Open(empty.c_str()));
  EXPECT_EQ(empty, reader.name());
  std::string line = "stale";
  EXPECT_TRUE(reader.ReadLine(&line)) << "a read at end of file is an empty line";
  EXPECT_EQ("", line);
  ASSERT_TRUE(reader.Open(other.c_str()));  // closes the first file and starts afresh
  EXPECT_TRUE(reader.ReadLine(&line));
  EXPECT_EQ("one", line);
  EXPECT_TRUE(reader.IsEOF() && reader.Close());
  EXPECT_EQ("", reader.name());
  diag::CapturingSink sink;
  EXPECT_TRUE(reader.IsEOF()) << "a closed reader is at its end";
  EXPECT_EQ((Lines{"MFastFileReader::IsEOF(): no open file"}), sink.ErrorLog());

  ErrorContext context;
  // The file-not-found number is 2 on both platforms; a folder is no file either.
  for (const std::string& path : {missing, dir}) {
    EXPECT_FALSE(reader.Open(path.c_str()));
    const std::string number = path == missing ? "2" : "*";
    context.ExpectAndClear(
        {"openfile(): CreateFile(\"" + path + "\") failed: " + number,
         "MFastFileReader::Open(): openfile(\"" + path + "\") failed: " + number});
  }
  // Reading from a reader that never opened a file fails in the OS read.
  EXPECT_FALSE(reader.ReadLine(&line));
  context.ExpectAndClear({"read64(): ReadFile() failed: *",
                          "MFastFileReader::fill_buffer(): read64() failed",
                          "MFastFileReader::ReadLine(STL): fill_buffer() failed"});
}

TEST(FastFileReader, ReadErrorsFailReadLineEndTheFileForIsEOFAndFailCheckEOF) {
  TempFolder folder;
  const std::string path = folder.File("cr.txt");
  WriteBytes(path, "a\r");
  ErrorContext context;
  diag::CapturingSink sink;
  std::string line;
  // The look-ahead after a CR refills the buffer; its failure has its own text.
  fileio_testing::FailingReader lookahead(1), at_start(0);
  ASSERT_TRUE(lookahead.Open(path.c_str()) && at_start.Open(path.c_str()));
  EXPECT_FALSE(lookahead.ReadLine(&line));
  context.ExpectAndClear({"MFastFileReader::ReadLine(STL):fill_buffer() failed"});
  // IsEOF reports the failure in the error log only and calls it the end of the file; CheckEOF
  // tells it from the real end.
  EXPECT_TRUE(at_start.IsEOF());
  EXPECT_EQ((Lines{"MFastFileReader::IsEOF(): fill_buffer() failed"}), sink.ErrorLog());
  EXPECT_TRUE(context.Entries().empty());
  bool at_end = true;
  EXPECT_FALSE(at_start.CheckEOF(&at_end) || at_end);
  MFastFileReader whole;
  ASSERT_TRUE(whole.Open(path.c_str()));
  EXPECT_TRUE(whole.CheckEOF(&at_end) && !at_end);
  EXPECT_TRUE(whole.ReadLine(&line));
  EXPECT_TRUE(whole.CheckEOF(&at_end) && at_end);
}

TEST(FastFileReadAtOnce, ReadsBytesAsTheyAreAndFailuresLeaveTheirEntries) {
  TempFolder folder;
  const std::string path = folder.File("data.bin"), missing = folder.File("none.bin"),
                    dir = folder.path(), bytes("r1\r\n\0\xff\n", 7);
  WriteBytes(path, bytes);
  std::string content = "old";
  EXPECT_EQ(7, MFastFile_ReadAtOnce(path.c_str(), &content));
  EXPECT_EQ(bytes, content);
  char small[4] = {};
  EXPECT_EQ(4, MFastFile_ReadAtOnce(path.c_str(), small, sizeof small));
  EXPECT_EQ(bytes.substr(0, 4), std::string(small, 4));

  ErrorContext context;
  EXPECT_EQ(-1, MFastFile_ReadAtOnce(missing.c_str(), &content));
  EXPECT_EQ(bytes, content) << "a missing file leaves the string alone";
  context.ExpectAndClear({"MFastFile_ReadAtOnce(): file_size(\"" + missing + "\") returned -1"});
  EXPECT_EQ(-1, MFastFile_ReadAtOnce(missing.c_str(), small, sizeof small));
  context.ExpectAndClear({"openfile(): CreateFile(\"" + missing + "\") failed: 2",
                          "MFastFile_ReadAtOnce(): openfile(\"" + missing + "\") failed."});
  EXPECT_EQ(-1, MFastFile_ReadAtOnce(dir.c_str(), &content));  // size 0, but no file
  EXPECT_EQ("", content);
  context.ExpectAndClear(
      {"openfile(): CreateFile(\"" + dir + "\") failed: *",
       "MFastFile_ReadAtOnce(): openfile(\"" + dir + "\") failed.",
       "MFastFile_ReadAtOnce(): MFastFile_ReadAtOnce(\"" + dir + "\",..,0) failed"});
}

namespace {

// Records what an observed read tells; cuts `shrink` to `shrink_to` bytes at the first piece.
struct RecordingObserver : MFastFileReadObserver {
  void BytesReady(const char* data, size_t ready) override {
    if (told.empty() && !shrink.empty())
      std::filesystem::resize_file(shrink, shrink_to);
    buffer = data;
    told.push_back(ready);
  }
  void ReadFailed() override { ++failures; }
  std::string shrink;
  size_t shrink_to = 0;
  const char* buffer = nullptr;
  std::vector<size_t> told;
  int failures = 0;
};

}  // namespace

// Catches: an observed read that differs from the plain one in result, content or entries (a
// piece lost at a boundary, the tail missing); a piece told twice, early or in another buffer; a
// failure the observer never hears of (a hashing thread would read the emptied buffer); the zero
// fill of a file that shrank during the read left out of what is told.
TEST(FastFileReadAtOnce, AnObservedReadMatchesThePlainOneAndTellsEachPieceOnce) {
  TempFolder folder;
  const size_t piece = kFastFileReadPieceBytes;
  const std::string file = folder.File("pieces.bin");
  std::string bytes(2 * piece + 3, '\0');
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>(i * 0x9E3779B97F4A7C15u >> 56);  // no two pieces alike
  WriteBytes(file, bytes);
  const std::pair<std::string, std::vector<size_t>> cases[] = {
      {file, {piece, 2 * piece, 2 * piece + 3}},
      {folder.File("missing.bin"), {}},
      {folder.path(), {}}};
  ErrorContext context;
  for (const auto& [path, told] : cases) {
    std::string plain = "old", observed = "old";
    const int64_t result = MFastFile_ReadAtOnce(path.c_str(), &plain);
    const Lines entries = context.Entries();
    context.Clear();
    RecordingObserver observer;
    EXPECT_EQ(result, MFastFile_ReadAtOnce(path.c_str(), &observed, &observer));
    EXPECT_EQ(entries, context.Entries());
    context.Clear();
    EXPECT_TRUE(plain == observed) << path;
    EXPECT_EQ(told, observer.told);
    EXPECT_EQ(result < 0 ? 1 : 0, observer.failures);
    EXPECT_TRUE(told.empty() || observer.buffer == observed.data());
  }
  // Cut to a piece and a half once the first piece is told: the rest reads short and is zeros.
  RecordingObserver observer;
  observer.shrink = file;
  observer.shrink_to = piece + piece / 2;
  std::string content;
  EXPECT_EQ(static_cast<int64_t>(piece + piece / 2),
            MFastFile_ReadAtOnce(file.c_str(), &content, &observer));
  EXPECT_TRUE(content == bytes.substr(0, piece + piece / 2) + std::string(piece / 2 + 3, '\0'));
  EXPECT_EQ((std::vector<size_t>{piece, bytes.size()}), observer.told);
}

TEST(FastFileWriteAtOnce, ModesCreateAppendTruncateOrRefuseAndUnknownOnesCreateNothing) {
  TempFolder folder;
  const std::string path = folder.File("out.txt"), never = folder.File("never.txt");
  const std::tuple<std::string, int, int64_t, const char*> cases[] = {
      {"abc", kFastFileCreateNew, 3, "abc"},
      {"de", kFastFileAppend, 2, "abcde"},
      {"x", kFastFileCreateNew, -1, "abcde"},  // refuses an existing file and leaves it
      {"Z", kFastFileCreateAlways | kFastFileFlush, 1, "Z"},
      {"", kFastFileCreateAlways, 0, ""}};
  ErrorContext context;
  for (const auto& [data, mode, result, content] : cases) {
    EXPECT_EQ(result, MFastFile_WriteAtOnce(path.c_str(), data.data(), data.size(), mode));
    EXPECT_EQ(content, ReadBytes(path)) << mode;
  }
  context.ExpectAndClear({"openwritefile(): CreateFile(" + path + ", ...) failed: *",
                          "MFastFile_WriteAtOnce(): openwritefile(" + path + ", 0) failed"});
  const std::string appended = folder.File("appended.txt");
  EXPECT_EQ(3, MFastFile_WriteAtOnce(appended.c_str(), "new", 3, kFastFileAppend | kFastFileFlush));
  EXPECT_EQ("new", ReadBytes(appended));
  for (int mode : {3, 7, 8, 11, -1}) {
    EXPECT_EQ(-1, MFastFile_WriteAtOnce(never.c_str(), "x", 1, mode));
    const std::string base = std::to_string(mode & ~4);
    context.ExpectAndClear(
        {"openwritefile(): unknown mode " + base + " for " + never,
         "MFastFile_WriteAtOnce(): openwritefile(" + never + ", " + base + ") failed"});
  }
  EXPECT_FALSE(std::filesystem::exists(never));
}

TEST(FastFileWriteAtOnce, ATemporaryFileReplacesTheTargetOrIsDropped) {
  TempFolder folder;
  const std::string path = folder.File("settings.ini"), blocked = folder.File("blocked.ini");
  WriteBytes(path, "old contents that are longer");
  for (int mode : {10, 14}) {
    EXPECT_EQ(3, MFastFile_WriteAtOnce(path.c_str(), "new", 3, mode));
    EXPECT_EQ("new", ReadBytes(path));
    EXPECT_EQ((Lines{"settings.ini"}), folder.Names()) << "no temporary file stays behind";
  }
  // Without a folder for the temporary file (a missing one, none in a bare name) nothing is
  // touched; a folder in the target's place cannot be replaced, and the temporary file goes.
  fileio_testing::CurrentDirectory cwd(folder.path());
  ErrorContext context;
  for (const std::string& target : {folder.File("missing/settings.ini"), std::string("bare.ini")}) {
    EXPECT_EQ(-1, MFastFile_WriteAtOnce(target.c_str(), "x", 1, kFastFileReplaceViaTemp));
    context.ExpectAndClear({"MFastFile_WriteAtOnce(): GetTempFileName() failed:*"});
  }
  std::filesystem::create_directories(blocked + "/inside");
  EXPECT_EQ(-1, MFastFile_WriteAtOnce(blocked.c_str(), "x", 1, kFastFileReplaceViaTemp));
  const Lines entries = context.Entries();
  context.ExpectAndClear({"file_rename(): MoveFileEx(*", "MFastFile_WriteAtOnce(): file_rename(*"});
  ASSERT_EQ(2u, entries.size());
  EXPECT_NE(std::string::npos, entries[1].find("ffw")) << "names the temporary file";
  EXPECT_NE(std::string::npos, entries[1].find("," + blocked + ") failed: ")) << entries[1];
  EXPECT_EQ(2u, folder.Names().size()) << "only settings.ini and the folder";
}

#ifndef _WIN32
// Writes that the device refuses: a full device fails the write, a pipe fails the flush, and a
// file-size limit fails the write of a temporary file, which then never replaces its target.
TEST(FastFileWriteAtOnce, WriteAndFlushFailuresFailTheCallAndLeaveAReplacedTargetAlone) {
  ErrorContext context;
  if (access("/dev/full", W_OK) == 0) {
    EXPECT_EQ(-1, MFastFile_WriteAtOnce("/dev/full", "x", 1, kFastFileAppend));
    context.ExpectAndClear(
        {"write64(): WriteFile() failed: 28", "MFastFile_WriteAtOnce(): write64() failed"});
  }
  TempFolder folder;
  const std::string fifo = folder.File("pipe"), target = folder.File("settings.ini");
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  EXPECT_EQ(-1, MFastFile_WriteAtOnce(fifo.c_str(), "x", 1, kFastFileAppend | kFastFileFlush));
  context.ExpectAndClear({"MFastFile_WriteAtOnce(): FlushFileBuffers() failed: *"});
  close(reader);

  WriteBytes(target, "old");
  const std::string block(4096, 'n');
  rlimit saved, small;
  getrlimit(RLIMIT_FSIZE, &saved);
  small = saved;
  small.rlim_cur = 1024;
  auto* previous = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  const int64_t via_temp = MFastFile_WriteAtOnce(target.c_str(), block.data(), 4096, 10);
  const std::string after_temp = ReadBytes(target);
  const int64_t direct = MFastFile_WriteAtOnce(target.c_str(), block.data(), 4096, 2);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);
  EXPECT_EQ(-1, via_temp);
  EXPECT_EQ("old", after_temp);
  EXPECT_EQ(-1, direct);
  EXPECT_NE("old", ReadBytes(target)) << "a direct write goes to the target itself";
  EXPECT_EQ(2u, folder.Names().size()) << "no temporary file is left beside pipe and target";
  context.ExpectAndClear(
      {"write64(): WriteFile() failed: 27", "MFastFile_WriteAtOnce(): write64() failed",
       "write64(): WriteFile() failed: 27", "MFastFile_WriteAtOnce(): write64() failed"});
}

// A replaced file is as readable as one written directly; a pipe without its other end never
// blocks an open (a hang here ends in the test's time-out).
TEST(FastFileWriteAtOnce, ReplacedFilesKeepTheUsualPermissionsAndPipesNeverBlock) {
  TempFolder folder;
  const std::string path = folder.File("shared.ini"), fifo = folder.File("pipe");
  const mode_t saved = umask(022);
  EXPECT_EQ(1, MFastFile_WriteAtOnce(path.c_str(), "x", 1, kFastFileReplaceViaTemp));
  umask(saved);
  struct stat info;
  ASSERT_EQ(0, stat(path.c_str(), &info));
  EXPECT_EQ(0644u, info.st_mode & 0777);

  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  ErrorContext context;
  {
    MFastFileReader reader;
    EXPECT_TRUE(reader.Open(fifo.c_str()) && reader.IsEOF()) << "nobody writes: an empty file";
  }
  EXPECT_EQ(-1, MFastFile_WriteAtOnce(fifo.c_str(), "x", 1, kFastFileAppend)) << "nobody reads";
}
#endif

TEST(FastFileLowLevel, ReadHandlesCannotWriteAndASecondWriterIsRefusedButReadersShare) {
  TempFolder folder;
  const std::string path = folder.File("shared.txt");
  WriteBytes(path, "kept");
  ErrorContext context;
  MFileHandle reader = kInvalidFileHandle;
  ASSERT_TRUE(openfile(path.c_str(), &reader));
  uint64_t written = 7;
  EXPECT_FALSE(write64(reader, "w", 1, &written));
  EXPECT_EQ(0u, written);
  EXPECT_TRUE(closefile(reader));
  context.ExpectAndClear({"write64(): WriteFile() failed: *"});

  MFileHandle writer = openwritefile(path.c_str(), kFastFileAppend);
  ASSERT_NE(kInvalidFileHandle, writer);
  EXPECT_EQ(kInvalidFileHandle, openwritefile(path.c_str(), kFastFileCreateAlways));
  EXPECT_EQ("kept", ReadBytes(path)) << "a refused writer truncates nothing";
  std::string content;
  EXPECT_EQ(4, MFastFile_ReadAtOnce(path.c_str(), &content)) << "readers share with a writer";
  EXPECT_TRUE(write64(writer, "+", 1, &written) && written == 1 && closefile(writer));
  EXPECT_EQ("kept+", ReadBytes(path));
}

TEST(FastFileWriteLinesAtOnce, EveryLineEndBecomesCrLf) {
  TempFolder folder;
  const std::string path = folder.File("lines.txt");
  const std::tuple<std::string, int, std::string> cases[] = {
      {"x\ny\r\nz\r", kFastFileCreateAlways, "x\r\ny\r\nz\r\n"},
      {"\n\r\r\n\n\ra", kFastFileReplaceViaTemp, "\r\n\r\n\r\n\r\n\r\na"},
      {"", kFastFileCreateAlways, ""}};
  for (const auto& [data, mode, written] : cases) {
    EXPECT_EQ(static_cast<int64_t>(written.size()),
              MFastFile_WriteLinesAtOnce(path.c_str(), data.data(), data.size(), mode));
    EXPECT_EQ(written, ReadBytes(path));
  }
  ErrorContext context;
  EXPECT_EQ(-1, MFastFile_WriteLinesAtOnce(path.c_str(), "a\n", 2, 3));
  EXPECT_EQ("MFastFile_WriteLinesAtOnce(): MFastFile_WriteAtOnce(\"" + path + "\",..,3,3) failed",
            context.Entries().back());
}
