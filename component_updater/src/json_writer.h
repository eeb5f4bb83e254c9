// JsonWriter: writes a JSON document front to back, indented two blanks a level, one member or
// element a line. It knows where commas go; the caller says what comes. Texts are the program's
// 8-bit texts (the system code page): the document is plain ASCII, every byte outside printable
// ASCII written as a \u00XX escape, so a byte 0x80-0xFF reads back as the character of that
// number (the code page read as Latin-1) and any byte can be recovered.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class JsonWriter {
 public:
  // Containers: `name` is the member's name inside an object, null inside an array or at the top.
  void BeginObject(const char* name = nullptr);
  void EndObject();
  void BeginArray(const char* name = nullptr);
  void EndArray();

  void String(const char* name, const std::string& value);
  void String(const char* name, const std::optional<std::string>& value);  // null when absent
  void Integer(const char* name, std::int64_t value);
  void Integer(const char* name, const std::optional<std::uint64_t>& value);
  void Integer(const char* name, const std::optional<int>& value);
  // A number that is not finite has no JSON form and is written as null.
  void Number(const char* name, const std::optional<double>& value);
  void Boolean(const char* name, bool value);
  void Boolean(const char* name, const std::optional<bool>& value);
  void Null(const char* name);
  void Strings(const char* name, const std::vector<std::string>& values);

  // The document, ending in a line end. Requires every container to be closed.
  const std::string& Text();

 private:
  void Key(const char* name);
  void Close(char bracket);

  std::string out_;
  std::vector<bool> has_members_;  // one per open container
};

// `text` as a JSON string literal, quotes included.
std::string JsonQuoted(const std::string& text);
