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
#include "report_expect.h"

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

// One run of the program in folders of its own, with a simulator of its own: the scenario's run,
// or the plan run before it.
struct Pass {
  explicit Pass(const std::string& name)
      : sim(name), dir(sim.dir() + "/run"), work(dir + "/work") {}
  e2e::SimProcess sim;
  std::string dir;
  std::string work;
  std::string port = "0";
  bool sim_running = false;
};

class ScenarioTest : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    const std::string targets = scenario_.Value("run", "targets", "both");
    if (targets != "both" && targets != kTarget)
      GTEST_SKIP() << "runs on " << targets << " only";
  }

  static std::string WindowsPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
  }

  static std::string AsProgramSeesIt(const std::string& path) {
    return kWindows ? WindowsPath(path) : path;
  }

  void StartSimulatorIfAny(Pass& pass) {
    const std::string mode =
        scenario_.Value("run", "simulator", scenario_.Has("station.ini") ? "station" : "none");
    if (mode == "closed")
      pass.port = "1";  // nothing listens there: the connection is refused at once
    if (mode != "station")
      return;
    const std::string dir = e2e::SimPath(pass.sim.dir());
    e2e::WriteFileText(pass.sim.dir() + "/station.ini", scenario_.Read("station.ini"));
    std::string error;
    const std::string port = scenario_.Value("run", "sim_port", "0");
    ASSERT_TRUE(pass.sim.Start({"--station", dir + "/station.ini", "--port", port, "--port-file",
                                dir + "/port.txt", "--journal", dir + "/journal.log", "--once"},
                               &error))
        << error;
    for (int i = 0; i < 1000 && pass.sim.Running() && pass.port == "0"; ++i) {
      const std::string text = e2e::ReadFileText(pass.sim.dir() + "/port.txt");
      if (!text.empty() && text.back() == '\n')
        pass.port = text.substr(0, text.size() - 1);
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_NE("0", pass.port) << e2e::ReadFileText(pass.sim.dir() + "/stderr.txt");
    pass.sim_running = true;
  }

  void PrepareFolders(const Pass& pass) {
    fs::create_directories(pass.work);
    const std::string work = AsProgramSeesIt(pass.work);
    for (const char* tree : {"work", "appdata"})
      if (scenario_.Has(tree))
        CopyTree(scenario_.source() + "/" + tree, pass.dir + "/" + tree, pass.port, work);
    if (scenario_.Value("run", "text_table", "yes") == "yes" &&
        !fs::exists(pass.work + "/component_updater.loc"))
      fs::copy_file(kTextTable, pass.work + "/component_updater.loc");
  }

  // The environment of a pass; a later pass's values replace an earlier one's.
  void SetEnvironment(const Pass& pass) {
    env_.emplace_back(
        new fileio_testing::ScopedEnv("TEVAR_CONFIGPATH", (pass.dir + "/appdata").c_str()));
    env_.emplace_back(new fileio_testing::ScopedEnv("LANG", "C"));
    for (const char* cleared : {"TEVAR_LOG_DIR", "LC_ALL", "LC_MESSAGES", "TEVAR_TALK_TIMEOUT_MS"})
      env_.emplace_back(new fileio_testing::ScopedEnv(cleared, nullptr));
    for (const std::string& name : scenario_.Keys("env")) {
      std::string value = scenario_.Value("env", name.c_str(), "");
      ReplaceAll(&value, "${WORK}", AsProgramSeesIt(pass.work));
      ReplaceAll(&value, "${PORT}", pass.port);
      env_.emplace_back(new fileio_testing::ScopedEnv(name.c_str(), value.c_str()));
    }
  }

  void SetUpPass(Pass& pass) {
    ASSERT_NO_FATAL_FAILURE(StartSimulatorIfAny(pass));
    PrepareFolders(pass);
    SetEnvironment(pass);
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
          new fileio_testing::ScopedEnv("ProgramFiles", (run_.work + "/" + folder).c_str()));
      return;
    }
    const char* real = getenv("ProgramFiles");
    ASSERT_NE(nullptr, real);
    program_files_ = std::make_unique<PlacedFiles>(scenario_.source() + "/work/" + folder, real);
  }

  // Under Windows the program runs under the box probe; `text` is the program's command line.
  // Elsewhere the program runs itself.
  std::pair<std::string, std::string> Launcher(const Pass& pass, const std::string& text) const {
    const std::string program_line = "component_updater " + text;
#ifdef BOX_PROBE_PATH
    const std::string probe = "box_probe --program \"" + WindowsPath(COMPONENT_UPDATER_PATH) +
                              "\" --record \"" + WindowsPath(pass.dir + "/probe.txt") + "\" " +
                              scenario_.Value("run", "probe", "");
    return {BOX_PROBE_PATH, probe + " -- " + program_line};
#else
    (void)pass;
    return {COMPONENT_UPDATER_PATH, program_line};
#endif
  }

  // Runs the program in the pass's work folder, with `options` before the scenario's arguments,
  // and returns its exit status.
  int RunProgram(const Pass& pass, const std::string& options = "") {
    std::string text = options + scenario_.Value("run", "args", "");
    ReplaceAll(&text, "${PORT}", pass.port);
    ReplaceAll(&text, "${WORK}", AsProgramSeesIt(pass.work));
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    CommandLine split;
    split.Tokenize(buffer.data());
    const std::vector<std::string> args(split.argv() + 1, split.argv() + split.argc());
    const fs::path previous = fs::current_path();
    fs::current_path(pass.work);
    e2e::ProgramProcess program;
    std::string error;
    const auto launcher = Launcher(pass, text);
    const bool started = program.Start(launcher.first, args, launcher.second,
                                       pass.dir + "/stdout.txt", pass.dir + "/stderr.txt", &error);
    fs::current_path(previous);
    EXPECT_TRUE(started) << error;
    int status = -1;
    const int seconds = std::stoi(scenario_.Value("run", "timeout", "60"));
    EXPECT_TRUE(started && program.Wait(seconds * 1000, &status)) << "the program did not end";
    return status;
  }

  // The journal of a pass's simulator. With --once it ends after the program's connection; with
  // `expect_end` false it is killed at once.
  static std::vector<std::string> JournalOf(Pass& pass, bool expect_end) {
    int status = 0;
    if (!expect_end || !pass.sim.Wait(10000, &status))
      pass.sim.Kill();
    return Lines(e2e::ReadFileText(pass.sim.dir() + "/journal.log"));
  }

  void CheckJournal() {
    const std::vector<std::string> expected =
        scenario_.Has("expect/journal") ? ExpectedJournal(scenario_) : std::vector<std::string>{};
    if (!run_.sim_running) {
      EXPECT_TRUE(expected.empty()) << "a journal is expected but no simulator ran";
      return;
    }
    journal_ = JournalOf(run_, !expected.empty());
    EXPECT_EQ(expected, journal_);
  }

  // An output checked exactly, with ${WORK} and ${PORT} in the expectation standing for the run's
  // work folder and port. Windows writes the paths below it with "\\" where the description may
  // have "/", so there both sides are compared with "/".
  void ExpectOutput(const char* file, std::string actual, const char* what) const {
    std::string expected = scenario_.Read(file);
    const bool paths = expected.find("${WORK}") != std::string::npos;
    ReplaceAll(&expected, "${WORK}", AsProgramSeesIt(run_.work));
    ReplaceAll(&expected, "${PORT}", run_.port);
    if (kWindows && paths) {
      std::replace(expected.begin(), expected.end(), '\\', '/');
      std::replace(actual.begin(), actual.end(), '\\', '/');
    }
    EXPECT_EQ(expected, actual) << what;
  }

  void CheckOutputs() {
    // The Windows runtime writes text with CR LF; the expectation is written with LF.
    std::string out = e2e::ReadFileText(run_.dir + "/stdout.txt");
    ReplaceAll(&out, "\r\n", "\n");
    ExpectOutput("expect/stdout", out, "stdout");
    ExpectOutput("expect/stderr", e2e::ReadFileText(run_.dir + "/stderr.txt"), "operator boxes");
    if (kWindows && scenario_.Has("expect/windows"))
      ExpectLinesInOrder("expect/windows", e2e::ReadFileText(run_.dir + "/probe.txt"),
                         scenario_.Read("expect/windows"));
    const std::string logs = run_.dir + kLogFolder;
    const struct {
      const char* expect;
      std::string actual;
    } files[] = {
        {"expect/errors.log", logs + "/component_updater.errors.log"},
        {"expect/trace.log", logs + "/component_updater.trace.log"},
        {"expect/settings.ini", run_.dir + "/appdata/Tevar/Quorvex/component_updater.ini"},
    };
    for (const auto& file : files)
      if (scenario_.Has(file.expect))
        ExpectLinesInOrder(file.expect, e2e::ReadFileText(file.actual),
                           scenario_.Read(file.expect));
  }

  // expect/report: lines about the report the run wrote to work/report.json.
  void CheckReport() {
    if (!scenario_.Has("expect/report"))
      return;
    const nlohmann::json report =
        e2e::ParseReport("work/report.json", e2e::ReadFileText(run_.work + "/report.json"));
    for (const std::string& line : Lines(scenario_.Read("expect/report"))) {
      if (!line.empty()) {
        ASSERT_NO_FATAL_FAILURE(e2e::ExpectReportLine(report, line)) << line;
      }
    }
  }

  // Every scenario whose controller has no injected fault is planned before it runs, natively.
  // The decisions a plan foretells are the engine's, the same on both targets; under Windows,
  // where each display runs its scenarios one at a time, the plan's own output is checked by the
  // scenarios that ask for a plan or a report themselves.
  bool WantsPlan() const {
    if (kWindows)
      return false;
    const std::string args = " " + scenario_.Value("run", "args", "") + " ";
    for (const char* own : {" --plan ", " --report ", " --help ", " -? ", " /? "})
      if (args.find(own) != std::string::npos)
        return false;
    MIniData station;
    if (scenario_.Has("station.ini"))
      station.Open((scenario_.source() + "/station.ini").c_str());
    return station.GetSection("faults") == nullptr && scenario_.Value("run", "probe", "").empty();
  }

  // The plan run before the real one, in folders of its own; -1 when the scenario has none.
  int RunPlan() {
    if (!WantsPlan())
      return -1;
    EXPECT_NO_FATAL_FAILURE(SetUpPass(plan_));
    return RunProgram(plan_, "--plan --report " + AsProgramSeesIt(plan_.work + "/plan.json") + " ");
  }

  // The plan read the controller and changed nothing, and foretold the run's sends (target, size
  // and CRC-32 of the file it names, in order), boxes and exit status.
  void CheckPlanAgainstRun(int plan_status, int run_status) {
    if (plan_status < 0)
      return;
    const nlohmann::json plan =
        e2e::ParseReport("the plan's report", e2e::ReadFileText(plan_.work + "/plan.json"));
    const bool made = !plan["predicted_exit_status"].is_null();
    EXPECT_EQ(made ? 0 : 1, plan_status) << "the status of the plan run";
    EXPECT_EQ(run_status, made ? plan["predicted_exit_status"].get<int>() : 1)
        << "the plan foretells the run's status";
    const std::vector<std::string> plan_journal =
        plan_.sim_running ? JournalOf(plan_, true) : std::vector<std::string>{};
    for (const std::string& line : plan_journal) {
      EXPECT_TRUE(line.rfind("SEND", 0) != 0 && line.rfind("SET\t", 0) != 0)
          << "the plan changed the controller: " << line;
    }
    const auto crc32 = [](const std::string& file) {
      return e2e::Crc32Hex(e2e::ReadFileText(e2e::SimPath(file)));
    };
    std::vector<std::string> sends;
    for (const std::string& line : journal_)
      if (line.rfind("SEND\t", 0) == 0)
        sends.push_back(line);
    EXPECT_EQ(e2e::PlannedSendLines(plan, crc32), sends) << "the plan's sends and the run's";
    if (!plan["silent"].get<bool>()) {
      std::string boxes = e2e::BoxesAsShown(plan);
      ReplaceAll(&boxes, AsProgramSeesIt(plan_.work), AsProgramSeesIt(run_.work));
      EXPECT_EQ(boxes, e2e::ReadFileText(run_.dir + "/stderr.txt"))
          << "the plan's boxes and the run's";
    }
  }

  Scenario scenario_{GetParam()};
  Pass plan_{"scenario_plan_" + GetParam()};
  Pass run_{"scenario_sim_" + GetParam()};
  std::vector<std::string> journal_;
  std::vector<std::unique_ptr<fileio_testing::ScopedEnv>> env_;
  std::unique_ptr<ScratchRegistry> registry_;
  std::unique_ptr<PlacedFiles> program_files_;
};

TEST_P(ScenarioTest, RunsAsDescribed) {
  ASSERT_NO_FATAL_FAILURE(PrepareRegistry());
  ASSERT_NO_FATAL_FAILURE(PrepareProgramFiles());
  const int plan_status = RunPlan();
  ASSERT_NO_FATAL_FAILURE(SetUpPass(run_));
  const int status = RunProgram(run_);
  EXPECT_EQ(std::stoi(scenario_.Value("run", "status", "0")), status);
  CheckJournal();
  CheckOutputs();
  CheckReport();
  CheckPlanAgainstRun(plan_status, status);
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
