// JsonWriter: commas, indentation and the escapes of a JSON text.
#include "json_writer.h"

#include <cmath>
#include <cstdio>

std::string JsonQuoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte >= 0x20 && byte < 0x7F) {
      quoted += c;
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      quoted += escape;
    }
  }
  return quoted + "\"";
}

void JsonWriter::Key(const char* name) {
  if (!has_members_.empty()) {
    if (has_members_.back())
      out_ += ',';
    has_members_.back() = true;
    out_ += '\n';
    out_.append(2 * has_members_.size(), ' ');
  }
  if (name != nullptr)
    out_ += JsonQuoted(name) + ": ";
}

void JsonWriter::Close(char bracket) {
  const bool had_members = has_members_.back();
  has_members_.pop_back();
  if (had_members) {
    out_ += '\n';
    out_.append(2 * has_members_.size(), ' ');
  }
  out_ += bracket;
}

void JsonWriter::BeginObject(const char* name) {
  Key(name);
  out_ += '{';
  has_members_.push_back(false);
}

void JsonWriter::EndObject() {
  Close('}');
}

void JsonWriter::BeginArray(const char* name) {
  Key(name);
  out_ += '[';
  has_members_.push_back(false);
}

void JsonWriter::EndArray() {
  Close(']');
}

void JsonWriter::String(const char* name, const std::string& value) {
  Key(name);
  out_ += JsonQuoted(value);
}

void JsonWriter::String(const char* name, const std::optional<std::string>& value) {
  if (value)
    String(name, *value);
  else
    Null(name);
}

void JsonWriter::Integer(const char* name, std::int64_t value) {
  Key(name);
  out_ += std::to_string(value);
}

void JsonWriter::Integer(const char* name, const std::optional<std::uint64_t>& value) {
  if (value)
    Integer(name, static_cast<std::int64_t>(*value));
  else
    Null(name);
}

void JsonWriter::Integer(const char* name, const std::optional<int>& value) {
  if (value)
    Integer(name, static_cast<std::int64_t>(*value));
  else
    Null(name);
}

void JsonWriter::Number(const char* name, const std::optional<double>& value) {
  if (!value || !std::isfinite(*value)) {
    Null(name);
    return;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", *value);
  Key(name);
  out_ += text;
}

void JsonWriter::Boolean(const char* name, bool value) {
  Key(name);
  out_ += value ? "true" : "false";
}

void JsonWriter::Boolean(const char* name, const std::optional<bool>& value) {
  if (value)
    Boolean(name, *value);
  else
    Null(name);
}

void JsonWriter::Null(const char* name) {
  Key(name);
  out_ += "null";
}

void JsonWriter::Strings(const char* name, const std::vector<std::string>& values) {
  BeginArray(name);
  for (const std::string& value : values)
    String(nullptr, value);
  EndArray();
}

const std::string& JsonWriter::Text() {
  if (out_.empty() || out_.back() != '\n')
    out_ += '\n';
  return out_;
}
