// The scenario runner: every folder under tests/scenarios is one end-to-end case of the real
// program against the real simulated controller (tests/scenarios/README.md says what a folder
// holds). The same runner is built for both targets; under Wine it runs component_updater.exe
// and starts the native simulator. There the program runs under box_probe, which answers its
// boxes, writes them to the program's stderr as the POSIX program does ("[caption] text"), and
// records what else the operator would have seen (tools/box_probe, docs/box_probe.md).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "MIniData_template_core.h"
#include "command_line.h"
#include "program_process.h"
#include "sim_fixture.h"
#include "fileio_testing.h"
#include "registry_testing.h"

namespace fs = std::filesystem;

namespace {

const std::string kScenarios = std::string(CU_SOURCE_DIR) + "/tests/scenarios";
const std::string kTextTable =
    std::string(CU_SOURCE_DIR) + "/component_updater/src/component_updater.loc";
const std::string kLogFolder = "/appdata/Tevar/Quorvex/Logs";

#ifdef _WIN32
const bool kWindows = true;
const char kTarget[] = "windows";
#else
const bool kWindows = false;
const char kTarget[] = "native";
#endif

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
    return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

void ReplaceAll(std::string* text, const std::string& from, const std::string& to) {
  for (size_t at = text->find(from); at != std::string::npos; at = text->find(from, at + to.size()))
    text->replace(at, from.size(), to);
}

// One scenario folder and the values of its scenario.ini.
class Scenario {
 public:
  explicit Scenario(const std::string& name) : name_(name), source_(kScenarios + "/" + name) {
    ini_.Open((source_ + "/scenario.ini").c_str());
  }
  std::string Value(const char* section, const char* key, const std::string& fallback) const {
    std::string value;
    return ini_.GetStringEntry(section, key, &value) ? Trimmed(value) : fallback;
  }
  std::vector<std::string> Keys(const char* section) const {
    std::vector<std::string> keys;
    ini_.GetEntryNames(section, &keys);
    return keys;
  }
  bool Has(const std::string& file) const { return fs::exists(source_ + "/" + file); }
  std::string Read(const std::string& file) const {
    return e2e::ReadFileText(source_ + "/" + file);
  }
  const std::string& name() const { return name_; }
  const std::string& source() const { return source_; }

 private:
  std::string name_;
  std::string source_;
  MIniData ini_;
};

std::vector<std::string> ScenarioNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kScenarios))
    if (entry.is_directory())
      names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Copies a scenario's tree, putting the run's port and folder into its INI files.
void CopyTree(const fs::path& from, const fs::path& to, const std::string& port,
              const std::string& work) {
  for (const auto& entry : fs::recursive_directory_iterator(from)) {
    const fs::path target = to / fs::relative(entry.path(), from);
    if (entry.is_directory()) {
      fs::create_directories(target);
      continue;
    }
    fs::create_directories(target.parent_path());
    std::string bytes = e2e::ReadFileText(entry.path().string());
    if (entry.path().extension() == ".ini") {
      ReplaceAll(&bytes, "${PORT}", port);
      ReplaceAll(&bytes, "${WORK}", work);
    }
    e2e::WriteFileText(target.string(), bytes);
  }
}

// "SEND<TAB>name<TAB>@file" stands for the size and CRC-32 of the scenario's work/file.
std::vector<std::string> ExpectedJournal(const Scenario& scenario) {
  std::vector<std::string> lines = Lines(scenario.Read("expect/journal"));
  for (std::string& line : lines) {
    const size_t at = line.find("\t@");
    if (line.rfind("SEND\t", 0) != 0 || at == std::string::npos)
      continue;
    const std::string data = scenario.Read("work/" + line.substr(at + 2));
    line = line.substr(0, at) + "\t" + std::to_string(data.size()) + "\t" + e2e::Crc32Hex(data);
  }
  return lines;
}

// '*' in `pattern` matches any run of characters.
bool GlobMatches(const char* text, const char* pattern) {
  if (*pattern == '\0')
    return *text == '\0';
  if (*pattern == '*')
    return GlobMatches(text, pattern + 1) || (*text != '\0' && GlobMatches(text + 1, pattern));
  return *text == *pattern && GlobMatches(text + 1, pattern + 1);
}

// An expected line matches the end of an actual line (the part after the time and place).
bool Matches(const std::string& line, const std::string& expected) {
  return GlobMatches(line.c_str(), ("*" + expected).c_str());
}

// Each expected line must end an actual line, in order ('*' matches any run); "!text" says no
// line contains text.
void ExpectLinesInOrder(const std::string& what, const std::string& actual_text,
                        const std::string& expected_text) {
  const std::vector<std::string> actual = Lines(actual_text);
  size_t next = 0;
  for (const std::string& expected : Lines(expected_text)) {
    if (expected.empty())
      continue;
    if (expected[0] == '!') {
      for (const std::string& line : actual)
        EXPECT_EQ(std::string::npos, line.find(expected.substr(1))) << what << ": " << line;
      continue;
    }
    while (next < actual.size() && !Matches(actual[next], expected))
      ++next;
    EXPECT_LT(next, actual.size())
        << what << " lacks, in this order: " << expected << "\n--- " << what << " ---\n"
        << actual_text;
    if (next == actual.size())
      return;
    ++next;
  }
}

// Files copied into a folder for one run and removed again with the object, with the folders
// made for them when those are left empty. A file already there is never replaced: the copy
// throws instead.
class PlacedFiles {
 public:
  PlacedFiles(const fs::path& from, const fs::path& to) {
    for (const auto& entry : fs::recursive_directory_iterator(from)) {
      const fs::path target = to / fs::relative(entry.path(), from);
      if (entry.is_directory()) {
        if (fs::create_directory(target))
          made_.push_back(target);
      } else {
        fs::copy_file(entry.path(), target);
        made_.push_back(target);
      }
    }
  }
  ~PlacedFiles() {
    std::error_code ignored;
    for (auto made = made_.rbegin(); made != made_.rend(); ++made)
      fs::remove(*made, ignored);  // a folder that is not empty stays
  }

 private:
  std::vector<fs::path> made_;
};

class ScenarioTest : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    const std::string targets = scenario_.Value("run", "targets", "both");
    if (targets != "both" && targets != kTarget)
      GTEST_SKIP() << "runs on " << targets << " only";
    dir_ = sim_.dir() + "/run";
    work_ = dir_ + "/work";
    fs::create_directories(work_);
  }

  static std::string WindowsPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
  }

  std::string WorkAsProgramSeesIt() const { return kWindows ? WindowsPath(work_) : work_; }

  void StartSimulatorIfAny() {
    const std::string mode =
        scenario_.Value("run", "simulator", scenario_.Has("station.ini") ? "station" : "none");
    if (mode == "closed")
      port_ = "1";  // nothing listens there: the connection is refused at once
    if (mode != "station")
      return;
    const std::string dir = e2e::SimPath(sim_.dir());
    e2e::WriteFileText(sim_.dir() + "/station.ini", scenario_.Read("station.ini"));
    std::string error;
    const std::string port = scenario_.Value("run", "sim_port", "0");
    ASSERT_TRUE(sim_.Start({"--station", dir + "/station.ini", "--port", port, "--port-file",
                            dir + "/port.txt", "--journal", dir + "/journal.log", "--once"},
                           &error))
        << error;
    for (int i = 0; i < 1000 && sim_.Running() && port_ == "0"; ++i) {
      const std::string text = e2e::ReadFileText(sim_.dir() + "/port.txt");
      if (!text.empty() && text.back() == '\n')
        port_ = text.substr(0, text.size() - 1);
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_NE("0", port_) << e2e::ReadFileText(sim_.dir() + "/stderr.txt");
    sim_running_ = true;
  }

  void PrepareFolders() {
    const std::string work = WorkAsProgramSeesIt();
    for (const char* tree : {"work", "appdata"})
      if (scenario_.Has(tree))
        CopyTree(scenario_.source() + "/" + tree, dir_ + "/" + tree, port_, work);
    if (scenario_.Value("run", "text_table", "yes") == "yes" &&
        !fs::exists(work_ + "/component_updater.loc"))
      fs::copy_file(kTextTable, work_ + "/component_updater.loc");
  }

  void SetEnvironment() {
    env_.emplace_back(
        new fileio_testing::ScopedEnv("TEVAR_CONFIGPATH", (dir_ + "/appdata").c_str()));
    env_.emplace_back(new fileio_testing::ScopedEnv("LANG", "C"));
    for (const char* cleared : {"TEVAR_LOG_DIR", "LC_ALL", "LC_MESSAGES", "TEVAR_TALK_TIMEOUT_MS"})
      env_.emplace_back(new fileio_testing::ScopedEnv(cleared, nullptr));
    for (const std::string& name : scenario_.Keys("env")) {
      std::string value = scenario_.Value("env", name.c_str(), "");
      ReplaceAll(&value, "${WORK}", WorkAsProgramSeesIt());
      ReplaceAll(&value, "${PORT}", port_);
      env_.emplace_back(new fileio_testing::ScopedEnv(name.c_str(), value.c_str()));
    }
  }

  // Natively the scenario's registry file stands in for the registry; under Windows its values
  // go into the real registry for the run.
  void PrepareRegistry() {
    const std::string file = scenario_.source() + "/registry.ini";
    if (!kWindows) {
      env_.emplace_back(new fileio_testing::ScopedEnv("TEVAR_REGISTRY_FILE", file.c_str()));
      return;
    }
    if (!scenario_.Has("registry.ini"))
      return;
    registry_ = std::make_unique<ScratchRegistry>();
    MIniData values;
    ASSERT_TRUE(values.Open(file.c_str()));
    std::vector<std::string> keys, names;
    values.GetSectionNames(&keys);
    for (const std::string& key : keys) {
      values.GetEntryNames(key.c_str(), &names);
      for (const std::string& name : names) {
        std::string text;
        values.GetStringEntry(key.c_str(), name.c_str(), &text);
        registry_->Set(key, name, Trimmed(text).c_str());
      }
    }
  }

  // `program_files` names a folder of work/ that stands for the program-files folder. Natively
  // ProgramFiles names it; Windows sets ProgramFiles for every process itself, so there its files
  // are placed in the real folder for the run.
  void PrepareProgramFiles() {
    const std::string folder = scenario_.Value("run", "program_files", "");
    if (folder.empty())
      return;
    if (!kWindows) {
      env_.emplace_back(
          new fileio_testing::ScopedEnv("ProgramFiles", (work_ + "/" + folder).c_str()));
      return;
    }
    const char* real = getenv("ProgramFiles");
    ASSERT_NE(nullptr, real);
    program_files_ = std::make_unique<PlacedFiles>(scenario_.source() + "/work/" + folder, real);
  }

  // Under Windows the program runs under the box probe; `text` is the program's command line.
  // Elsewhere the program runs itself.
  std::pair<std::string, std::string> Launcher(const std::string& text) const {
    const std::string program_line = "component_updater " + text;
#ifdef BOX_PROBE_PATH
    const std::string probe = "box_probe --program \"" + WindowsPath(COMPONENT_UPDATER_PATH) +
                              "\" --record \"" + WindowsPath(dir_ + "/probe.txt") + "\" " +
                              scenario_.Value("run", "probe", "");
    return {BOX_PROBE_PATH, probe + " -- " + program_line};
#else
    return {COMPONENT_UPDATER_PATH, program_line};
#endif
  }

  // Runs the program in the work folder and returns its exit status.
  int RunProgram() {
    std::string text = scenario_.Value("run", "args", "");
    ReplaceAll(&text, "${PORT}", port_);
    ReplaceAll(&text, "${WORK}", WorkAsProgramSeesIt());
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    CommandLine split;
    split.Tokenize(buffer.data());
    const std::vector<std::string> args(split.argv() + 1, split.argv() + split.argc());
    const fs::path previous = fs::current_path();
    fs::current_path(work_);
    e2e::ProgramProcess program;
    std::string error;
    const auto launcher = Launcher(text);
    const bool started = program.Start(launcher.first, args, launcher.second, dir_ + "/stdout.txt",
                                       dir_ + "/stderr.txt", &error);
    fs::current_path(previous);
    EXPECT_TRUE(started) << error;
    int status = -1;
    const int seconds = std::stoi(scenario_.Value("run", "timeout", "60"));
    EXPECT_TRUE(started && program.Wait(seconds * 1000, &status)) << "the program did not end";
    return status;
  }

  void CheckJournal() {
    const std::vector<std::string> expected =
        scenario_.Has("expect/journal") ? ExpectedJournal(scenario_) : std::vector<std::string>{};
    if (!sim_running_) {
      EXPECT_TRUE(expected.empty()) << "a journal is expected but no simulator ran";
      return;
    }
    // With --once the simulator ends after the program's connection; without one it is killed.
    int status = 0;
    if (expected.empty() || !sim_.Wait(10000, &status))
      sim_.Kill();
    EXPECT_EQ(expected, Lines(e2e::ReadFileText(sim_.dir() + "/journal.log")));
  }

  void CheckOutputs() {
    // The Windows runtime writes text with CR LF; the expectation is written with LF.
    std::string out = e2e::ReadFileText(dir_ + "/stdout.txt");
    ReplaceAll(&out, "\r\n", "\n");
    EXPECT_EQ(scenario_.Read("expect/stdout"), out) << "stdout";
    EXPECT_EQ(scenario_.Read("expect/stderr"), e2e::ReadFileText(dir_ + "/stderr.txt"))
        << "operator boxes";
    if (kWindows && scenario_.Has("expect/windows"))
      ExpectLinesInOrder("expect/windows", e2e::ReadFileText(dir_ + "/probe.txt"),
                         scenario_.Read("expect/windows"));
    const std::string logs = dir_ + kLogFolder;
    const struct {
      const char* expect;
      std::string actual;
    } files[] = {
        {"expect/errors.log", logs + "/component_updater.errors.log"},
        {"expect/trace.log", logs + "/component_updater.trace.log"},
        {"expect/settings.ini", dir_ + "/appdata/Tevar/Quorvex/component_updater.ini"},
    };
    for (const auto& file : files)
      if (scenario_.Has(file.expect))
        ExpectLinesInOrder(file.expect, e2e::ReadFileText(file.actual),
                           scenario_.Read(file.expect));
  }

  Scenario scenario_{GetParam()};
  std::string dir_;
  std::string work_;
  std::string port_ = "0";
  e2e::SimProcess sim_{"scenario_sim_" + GetParam()};
  bool sim_running_ = false;
  std::vector<std::unique_ptr<fileio_testing::ScopedEnv>> env_;
  std::unique_ptr<ScratchRegistry> registry_;
  std::unique_ptr<PlacedFiles> program_files_;
};

TEST_P(ScenarioTest, RunsAsDescribed) {
  ASSERT_NO_FATAL_FAILURE(StartSimulatorIfAny());
  PrepareFolders();
  SetEnvironment();
  ASSERT_NO_FATAL_FAILURE(PrepareRegistry());
  ASSERT_NO_FATAL_FAILURE(PrepareProgramFiles());
  const int status = RunProgram();
  EXPECT_EQ(std::stoi(scenario_.Value("run", "status", "0")), status);
  CheckJournal();
  CheckOutputs();
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ScenarioTest, testing::ValuesIn(ScenarioNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace_if(
                               name.begin(), name.end(),
                               [](char c) { return !isalnum(static_cast<unsigned char>(c)); }, '_');
                           return name;
                         });

}  // namespace
