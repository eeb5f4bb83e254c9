// The run report: one member of the document per field of the run record, in the order of
// docs/report.md.
#include "run_report.h"

#include "errtrace.h"
#include "fastfile.h"
#include "json_writer.h"
#include "program_version.h"
#include "run_record.h"
#include "run_settings.h"

namespace {

void WriteFileFacts(JsonWriter& json, const FileFacts& facts) {
  json.String("file", facts.file);
  json.Integer("file_size", facts.fileSize);
  json.String("sha256", facts.sha256);
  json.String("sha256_expected", facts.sha256Expected);
  json.Boolean("sha256_match", facts.sha256Match);
  json.String("verdict", std::string(VerdictName(facts.verdict)));
  json.String("reason", facts.reason);
  json.Strings("notes", facts.notes);
  json.Integer("bytes_sent", static_cast<std::int64_t>(facts.bytesSent));
  json.Number("duration_expected", facts.durationExpected);
  json.Number("duration_measured", facts.durationMeasured);
  json.String("outcome", std::string(OutcomeName(facts.outcome)));
}

void WriteModule(JsonWriter& json, const ModuleRecord& module) {
  json.BeginObject();
  json.String("module", module.module);
  json.String("board", module.board);
  json.String("installed_version", module.installedVersion);
  json.String("target_version", module.targetVersion);
  json.String("target", module.target);
  json.Number("wait_seconds", module.waitSeconds);
  WriteFileFacts(json, module);
  json.EndObject();
}

void WriteComponent(JsonWriter& json, const ComponentRecord& component) {
  json.BeginObject();
  json.String("name", component.name);
  json.String("section", component.section);
  json.String("identifier", component.identifier);
  json.String("group", component.group);
  json.String("installed_version", component.installedVersion);
  json.String("target_version", component.targetVersion);
  WriteFileFacts(json, component);
  json.BeginArray("modules");
  for (const ModuleRecord& module : component.modules)
    WriteModule(json, module);
  json.EndArray();
  json.BeginArray("compensation");
  for (const ChannelReset& reset : component.compensation) {
    json.BeginObject();
    json.String("channel", reset.channel);
    json.String("outcome", reset.outcome);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

void WriteSend(JsonWriter& json, const SendRecord& send) {
  json.BeginObject();
  json.String("target", send.target);
  json.String("component", send.component);
  json.String("module", send.module);
  json.String("file", send.file);
  json.Integer("bytes", static_cast<std::int64_t>(send.bytes));
  json.String("sha256", send.sha256);
  json.Number("duration_expected", send.durationExpected);
  json.Number("duration_measured", send.durationMeasured);
  json.String("outcome", std::string(OutcomeName(send.outcome)));
  json.String("error", send.error);
  json.EndObject();
}

void WriteBox(JsonWriter& json, const BoxRecord& box) {
  json.BeginObject();
  json.String("caption", box.caption);
  json.String("text", box.text);
  json.Integer("flags", static_cast<std::int64_t>(box.flags));
  json.Boolean("shown", box.shown);
  json.EndObject();
}

void WriteRun(JsonWriter& json, const RunRecord& record) {
  const RunSettings& settings = TheRunSettings();
  json.Integer("schema_version", 1);
  json.String("program", std::string("component_updater"));
  json.String("program_version", std::string(CU_FILE_VERSION));
  json.Strings("arguments", record.arguments);
  json.String("description", record.description);
  json.String("host", record.host);
  json.String("port", record.port);
  json.String("machine_name", record.stage >= RunStage::kDecisions
                                  ? std::optional<std::string>(settings.machineName)
                                  : std::nullopt);
  json.String("connection_error", record.connectionError);
  json.String("started_at", record.startedAt);
  json.String("ended_at", record.endedAt);
  json.String("mode", record.mode);
  json.Boolean("plan", record.planning);
  json.Boolean("silent", settings.silent);
  json.Integer("exit_status", record.exitStatus);
  json.Integer("predicted_exit_status", record.predictedExitStatus);
  json.String("reason", record.reason);
}

}  // namespace

std::string RunReportJson(const RunRecord& record) {
  JsonWriter json;
  json.BeginObject();
  WriteRun(json, record);
  json.BeginArray("boxes");
  for (const BoxRecord& box : record.boxes)
    WriteBox(json, box);
  json.EndArray();
  json.BeginArray("components");
  for (const ComponentRecord& component : record.components)
    WriteComponent(json, component);
  json.EndArray();
  json.Strings("absent_components", record.absentComponents);
  json.BeginArray("sends");
  for (const SendRecord& send : record.sends)
    WriteSend(json, send);
  json.EndArray();
  json.Strings("warnings", record.warnings);
  json.EndObject();
  return json.Text();
}

bool WriteRunReport(const RunRecord& record) {
  MErrTraceScope context;
  const std::string text = RunReportJson(record);
  // The temporary file is made in the report's folder, which a bare file name must name.
  const bool bare = record.reportPath.find_first_of("/\\") == std::string::npos;
  const std::string target = bare ? "./" + record.reportPath : record.reportPath;
  const char* path = target.c_str();
  if (MFastFile_WriteAtOnce(path, text.data(), text.size(), kFastFileReplaceViaTemp) ==
      static_cast<int64_t>(text.size()))
    return true;
  MERRDUMP("WriteRunReport(): cannot write the run report %s", path);
  return false;
}
