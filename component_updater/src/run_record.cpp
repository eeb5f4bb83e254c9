// The run record: notes of the update steps, kept in run order.
#include "run_record.h"

#include <chrono>
#include <cstdio>

const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::kSend:
      return "send";
    case Verdict::kSkip:
      return "skip";
    case Verdict::kExcluded:
      return "excluded";
    case Verdict::kRefused:
      return "refused";
    case Verdict::kFail:
      break;
  }
  return "fail";
}

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::kSent:
      return "sent";
    case Outcome::kFailed:
      return "failed";
    case Outcome::kUnchanged:
      return "unchanged";
    case Outcome::kPlanned:
      break;
  }
  return "planned";
}

ComponentRecord& RunRecord::BeginComponent(const std::string& name) {
  module_ = nullptr;
  components.emplace_back();
  ComponentRecord& record = components.back();
  record.sequence = next_sequence_++;
  record.name = name;
  return record;
}

ComponentRecord* RunRecord::CurrentComponent() {
  return components.empty() ? nullptr : &components.back();
}

ModuleRecord& RunRecord::BeginModule() {
  CurrentComponent()->modules.emplace_back();
  module_ = &CurrentComponent()->modules.back();
  return *module_;
}

void RunRecord::EndModule() {
  module_ = nullptr;
}

FileFacts* RunRecord::CurrentFacts() {
  if (module_ != nullptr)
    return module_;
  return CurrentComponent();
}

void RunRecord::Decide(Verdict verdict, const std::string& why) {
  FileFacts* facts = CurrentFacts();
  if (facts == nullptr)
    return;
  facts->verdict = verdict;
  facts->reason = why;
  if (verdict == Verdict::kFail)
    facts->outcome = Outcome::kFailed;
  else if (verdict != Verdict::kSend)
    facts->outcome = Outcome::kUnchanged;
}

void RunRecord::Note(const std::string& note) {
  if (FileFacts* facts = CurrentFacts())
    facts->notes.push_back(note);
}

void RunRecord::NoteFile(const std::string& file, std::uint64_t size,
                         const std::optional<std::string>& sha256) {
  FileFacts* facts = CurrentFacts();
  if (facts == nullptr)
    return;
  facts->file = file;
  facts->fileSize = size;
  facts->sha256 = sha256;
}

void RunRecord::NoteSend(const std::string& target, std::uint64_t bytes, double expected_seconds,
                         std::optional<double> measured_seconds, Outcome outcome,
                         const std::optional<std::string>& error) {
  FileFacts* facts = CurrentFacts();
  SendRecord send;
  send.target = target;
  send.bytes = bytes;
  send.durationExpected = expected_seconds;
  send.durationMeasured = measured_seconds;
  send.outcome = outcome;
  send.error = error;
  if (ComponentRecord* component = CurrentComponent())
    send.component = component->name;
  if (module_ != nullptr)
    send.module = module_->module;
  if (facts != nullptr) {
    send.file = facts->file.value_or("");
    send.sha256 = facts->sha256;
    facts->durationExpected = expected_seconds;
    facts->durationMeasured = measured_seconds;
    facts->outcome = outcome;
    if (outcome == Outcome::kSent)
      facts->bytesSent += bytes;
  }
  sends.push_back(send);
}

void RunRecord::NoteBox(const char* caption, const char* text, unsigned flags, bool shown) {
  boxes.push_back(BoxRecord{next_sequence_++, caption != nullptr ? caption : "",
                            text != nullptr ? text : "", flags, shown});
}

void RunRecord::Warn(const std::string& warning) {
  warnings.push_back(warning);
}

void RunRecord::Fail(const std::string& why) {
  if (!reason)
    reason = why;
}

RunRecord& TheRunRecord() {
  static RunRecord record;
  return record;
}

namespace {

// The civil date of a day count since 1970-01-01 (the proleptic Gregorian calendar, as UTC uses),
// by arithmetic alone, so that no platform's gmtime variant is needed.
void CivilDate(long long days, int* year, int* month, int* day) {
  days += 719468;  // from 0000-03-01, so that a leap day ends its year
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long of_era = days - era * 146097;
  const long long year_of_era = (of_era - of_era / 1460 + of_era / 36524 - of_era / 146096) / 365;
  const long long of_year = of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const long long march_month = (5 * of_year + 2) / 153;
  *day = static_cast<int>(of_year - (153 * march_month + 2) / 5 + 1);
  *month = static_cast<int>(march_month < 10 ? march_month + 3 : march_month - 9);
  *year = static_cast<int>(year_of_era + era * 400 + (*month <= 2 ? 1 : 0));
}

}  // namespace

std::string UtcTimestampOf(long long millis) {
  // Whole days and the milliseconds into the day, also for a time before 1970.
  long long days = millis / 86400000;
  long long of_day = millis % 86400000;
  if (of_day < 0) {
    of_day += 86400000;
    --days;
  }
  int year = 0, month = 0, day = 0;
  CivilDate(days, &year, &month, &day);
  const long long seconds = of_day / 1000;
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02lld:%02lld:%02lld.%03lldZ", year, month, day,
                seconds / 3600, seconds / 60 % 60, seconds % 60, of_day % 1000);
  return text;
}

std::string UtcTimestamp() {
  return UtcTimestampOf(std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count());
}
