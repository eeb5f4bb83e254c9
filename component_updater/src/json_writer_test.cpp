// The report's JSON text: commas and nesting, and the escapes that keep any 8-bit text valid.
#include "json_writer.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(JsonQuoted, EscapesQuotesBackslashesAndEveryByteOutsidePrintableAscii) {
  EXPECT_EQ(R"("plain text")", JsonQuoted("plain text"));
  EXPECT_EQ(R"("a \"b\" c:\\d")", JsonQuoted("a \"b\" c:\\d"));
  // Line ends, a NUL, DEL and a Windows-1252 umlaut: each byte as the character of its number.
  EXPECT_EQ(R"("x\u000ay\u0000\u007f\u00fc")", JsonQuoted(std::string("x\ny\0\x7f\xfc", 6)));
}

TEST(JsonWriter, SeparatesMembersAndElementsAndClosesEmptyContainersOnOneLine) {
  JsonWriter json;
  json.BeginObject();
  json.Integer("n", 3);
  json.Strings("empty", {});
  json.BeginArray("list");
  json.String(nullptr, std::string("a"));
  json.Null(nullptr);
  json.EndArray();
  json.Number("nan", std::nan(""));
  json.Boolean("flag", std::optional<bool>());
  json.EndObject();
  EXPECT_EQ(
      "{\n  \"n\": 3,\n  \"empty\": [],\n  \"list\": [\n    \"a\",\n    null\n  ],\n"
      "  \"nan\": null,\n  \"flag\": null\n}\n",
      json.Text());
}
