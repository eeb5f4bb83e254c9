// RunRecord: what one run decided and did, kept for the plan (`--plan`) and the run report
// (`--report`). The update steps note their decisions here as they take them: the component they
// work on and its verdict, the file and its digest, every send, box and warning. Nothing in the
// run reads the record back to decide anything, so a run behaves the same whether anybody looks
// at it or not.
//
// The record also holds the one switch that changes a run: in a plan, the sends, channel resets
// and boxes are noted instead of made (IsPlanning).
//
// Threads: main thread only. The busy thread and the tray thread never touch it.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

// What the run decided for a component or a BSP module.
enum class Verdict { kSend, kSkip, kExcluded, kRefused, kFail };
// What became of it on the controller.
enum class Outcome { kSent, kFailed, kUnchanged, kPlanned };

const char* VerdictName(Verdict verdict);  // "send", "skip", "excluded", "refused", "fail"
const char* OutcomeName(Outcome outcome);  // "sent", "failed", "unchanged", "planned"

// What a component and a BSP module have in common: one update file and what happened to it.
struct FileFacts {
  std::optional<std::string> file;  // as the run opened it (resolved)
  std::optional<std::uint64_t> fileSize;
  std::optional<std::string> sha256;          // of the bytes read, which are the bytes sent
  std::optional<std::string> sha256Expected;  // the description's "sha256"
  std::optional<bool> sha256Match;
  Verdict verdict = Verdict::kSkip;
  std::string reason;
  std::vector<std::string> notes;  // what a plan cannot know before the real run
  std::uint64_t bytesSent = 0;
  std::optional<double> durationExpected;
  std::optional<double> durationMeasured;
  Outcome outcome = Outcome::kUnchanged;
};

struct ModuleRecord : FileFacts {
  std::string module;
  std::string board;  // the BSP component
  std::optional<std::string> installedVersion;
  std::string targetVersion;
  std::optional<std::string> target;  // the component the module goes to
  double waitSeconds = 0.0;
};

struct ChannelReset {
  std::string channel;
  std::string outcome;  // "set", "failed", "planned"
};

struct ComponentRecord : FileFacts {
  int sequence = 0;  // place among the components and boxes, in run order
  std::string name;
  std::optional<std::string> section;
  std::optional<std::string> identifier;
  std::optional<std::string> group;
  std::optional<std::string> installedVersion;
  std::optional<std::string> targetVersion;
  std::deque<ModuleRecord> modules;  // a deque: references stay valid while modules are added
  std::vector<ChannelReset> compensation;
};

struct SendRecord {
  std::string target;
  std::string component;
  std::optional<std::string> module;
  std::string file;
  std::uint64_t bytes = 0;
  std::optional<std::string> sha256;
  std::optional<double> durationExpected;
  std::optional<double> durationMeasured;
  Outcome outcome = Outcome::kPlanned;
  std::optional<std::string> error;
};

struct BoxRecord {
  int sequence = 0;
  std::string caption;
  std::string text;
  unsigned flags = 0;
  bool shown = false;
};

// Where a run ended; a plan is made when its run got through its decisions.
enum class RunStage { kCommandLine, kDescription, kConnection, kDecisions, kFinished };

class RunRecord {
 public:
  // ---- What the command line asked for (main) ----
  std::vector<std::string> arguments;
  std::string reportPath;  // empty: no report
  bool planning = false;
  std::string startedAt, endedAt;  // UTC, ISO 8601 with milliseconds

  // ---- The run ----
  RunStage stage = RunStage::kCommandLine;
  std::optional<std::string> description;
  std::optional<std::string> host, port;
  std::optional<std::string> connectionError;
  std::optional<std::string> mode;  // "per-component", "platform"
  std::optional<int> predictedExitStatus;
  int exitStatus = 0;
  std::optional<std::string> reason;

  std::deque<ComponentRecord> components;
  std::vector<std::string> absentComponents;
  std::vector<SendRecord> sends;
  std::vector<BoxRecord> boxes;
  std::vector<std::string> warnings;

  // True when the record is wanted: a plan or a report was asked for. The costly work done only
  // for the record (the digest of every file) is left out otherwise.
  bool IsWanted() const { return planning || !reportPath.empty(); }
  bool IsPlanning() const { return planning; }
  // A plan is made when its run got through its decisions; it then ends with status 0, however
  // the planned run would end.
  bool PlanMade() const { return planning && stage == RunStage::kFinished; }

  // Starts the record of `name`, which the notes below then go to, until the next one starts.
  ComponentRecord& BeginComponent(const std::string& name);
  // The component being worked on; null before the first.
  ComponentRecord* CurrentComponent();
  // Starts the record of a BSP module of the current component; EndModule goes back to the
  // component. Requires a current component.
  ModuleRecord& BeginModule();
  void EndModule();
  // The module being worked on; null outside BeginModule and EndModule.
  ModuleRecord* CurrentModule() { return module_; }
  // The module being worked on, else the current component; null before the first component.
  FileFacts* CurrentFacts();

  // Notes a verdict with its reason on the current facts (nothing before the first component).
  // The outcome follows the verdict: unchanged for skip, excluded and refused, failed for fail;
  // a send's outcome comes with the send.
  void Decide(Verdict verdict, const std::string& reason);
  // Notes what a plan cannot foresee on the current facts.
  void Note(const std::string& note);
  // Notes the file and the bytes read from it on the current facts.
  void NoteFile(const std::string& file, std::uint64_t size,
                const std::optional<std::string>& sha256);

  // Notes a send to `target` of the current facts' file: planned, sent or failed (with the
  // library's text). Adds it to the current facts' bytes and outcome and to the list of sends.
  void NoteSend(const std::string& target, std::uint64_t bytes, double expected_seconds,
                std::optional<double> measured_seconds, Outcome outcome,
                const std::optional<std::string>& error);

  void NoteBox(const char* caption, const char* text, unsigned flags, bool shown);
  void Warn(const std::string& warning);
  // Keeps the first reason why the run fails; later ones go nowhere (the error log has them all).
  void Fail(const std::string& why);

 private:
  int next_sequence_ = 0;
  ModuleRecord* module_ = nullptr;
};

// The one record of the process.
RunRecord& TheRunRecord();

// The current time, UTC, ISO 8601 with milliseconds ("2026-12-06T15:04:46.123Z").
std::string UtcTimestamp();
// The same text for a time given in milliseconds since 1970-01-01T00:00:00Z.
std::string UtcTimestampOf(long long milliseconds);
