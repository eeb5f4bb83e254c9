// Walks the raw resource formats: the icon group directory, the standard menu template and the
// extended dialog template (all little-endian, wide strings, "string or ordinal" fields).
#include "resource_dump.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "record.h"

namespace probe {
namespace {

// A cursor over one resource's bytes; reads past the end give zeros and set `bad`.
class Reader {
 public:
  Reader(const unsigned char* bytes, size_t size) : bytes_(bytes), size_(size) {}
  std::uint32_t Number(int width) {
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
      value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
    return value;
  }
  std::int16_t Short() { return static_cast<std::int16_t>(Number(2)); }
  std::string Text() {  // a zero-terminated wide string, as the ANSI code page writes it
    std::wstring wide;
    for (wchar_t c; (c = static_cast<wchar_t>(Number(2))) != 0 && !bad;)
      wide += c;
    char text[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof text, nullptr, nullptr);
    return text;
  }
  std::string TextOrOrdinal() {  // "#n" for an ordinal
    if (Peek16() == 0xFFFF) {
      Number(2);
      return "#" + std::to_string(Number(2));
    }
    return Text();
  }
  void AlignTo4() { at_ = (at_ + 3) & ~static_cast<size_t>(3); }
  void Skip(size_t count) { at_ += count; }
  bool bad = false;

 private:
  unsigned char Byte() {
    if (at_ >= size_) {
      bad = true;
      return 0;
    }
    return bytes_[at_++];
  }
  std::uint32_t Peek16() {
    const size_t at = at_;
    const std::uint32_t value = Number(2);
    at_ = at;
    return value;
  }
  const unsigned char* bytes_;
  size_t size_;
  size_t at_ = 0;
};

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(value));
  return text;
}

bool Find(HMODULE module, LPCSTR type, int id, Reader* reader) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes)
    return false;
  *reader = Reader(static_cast<const unsigned char*>(bytes), SizeofResource(module, found));
  return true;
}

std::string ClassName(const std::string& name) {
  static const char* const kAtoms[] = {"Button",  "Edit",      "Static",
                                       "ListBox", "ScrollBar", "ComboBox"};
  for (int i = 0; i < 6; ++i)
    if (name == "#" + std::to_string(0x80 + i))
      return kAtoms[i];
  return name;
}

void DumpIconGroup(HMODULE module, int id, std::vector<std::string>* lines) {
  Reader in(nullptr, 0);
  std::string line = "resource icon group " + std::to_string(id);
  if (!Find(module, RT_GROUP_ICON, id, &in)) {
    lines->push_back(line + " missing");
    return;
  }
  in.Number(4);  // reserved, type
  const int count = static_cast<int>(in.Number(2));
  for (int i = 0; i < count && !in.bad; ++i) {
    const int width = static_cast<int>(in.Number(1)), height = static_cast<int>(in.Number(1));
    in.Number(4);  // colour count, reserved, planes
    const int bits = static_cast<int>(in.Number(2));
    in.Number(4 + 2);  // bytes, image id
    line += std::string(i ? "," : ":") + " " + std::to_string(width ? width : 256) + "x" +
            std::to_string(height ? height : 256) + " " + std::to_string(bits) + "-bit";
  }
  lines->push_back(line);
}

void DumpMenuItems(Reader* in, const std::string& prefix, std::vector<std::string>* lines) {
  while (!in->bad) {
    const std::uint32_t flags = in->Number(2);
    if (flags & MF_POPUP) {
      lines->push_back(prefix + " popup " + Quoted(in->Text()));
      DumpMenuItems(in, prefix, lines);
    } else {
      const std::uint32_t command = in->Number(2);
      lines->push_back(prefix + " item " + std::to_string(command) + " " + Quoted(in->Text()));
    }
    if (flags & MF_END)
      return;
  }
}

void DumpMenu(HMODULE module, int id, std::vector<std::string>* lines) {
  Reader in(nullptr, 0);
  const std::string prefix = "resource menu " + std::to_string(id);
  if (!Find(module, RT_MENU, id, &in)) {
    lines->push_back(prefix + " missing");
    return;
  }
  if (in.Number(2) != 0) {
    lines->push_back(prefix + " is an extended menu");
    return;
  }
  in.Skip(in.Number(2));  // header size beyond the version word
  DumpMenuItems(&in, prefix, lines);
}

std::string Frame(Reader* in) {
  const int x = in->Short(), y = in->Short(), cx = in->Short(), cy = in->Short();
  return "at " + std::to_string(x) + "," + std::to_string(y) + " size " + std::to_string(cx) + "x" +
         std::to_string(cy);
}

void DumpDialogControl(Reader* in, const std::string& prefix, std::vector<std::string>* lines) {
  in->AlignTo4();
  in->Number(4);  // help id
  const std::uint32_t exstyle = in->Number(4), style = in->Number(4);
  const std::string frame = Frame(in);
  const std::int32_t id = static_cast<std::int32_t>(in->Number(4));
  const std::string name = ClassName(in->TextOrOrdinal());
  const std::string text = in->TextOrOrdinal();
  in->Skip(in->Number(2));  // creation data
  lines->push_back(prefix + " control " + std::to_string(id) + " " + name + " " + frame +
                   " style " + Hex(style) + " exstyle " + Hex(exstyle) + " text " + Quoted(text));
}

void DumpDialog(HMODULE module, int id, std::vector<std::string>* lines) {
  Reader in(nullptr, 0);
  const std::string prefix = "resource dialog " + std::to_string(id);
  if (!Find(module, RT_DIALOG, id, &in)) {
    lines->push_back(prefix + " missing");
    return;
  }
  if (in.Number(2) != 1 || in.Number(2) != 0xFFFF) {
    lines->push_back(prefix + " is not an extended template");
    return;
  }
  in.Number(4);  // help id
  const std::uint32_t exstyle = in.Number(4), style = in.Number(4);
  const int count = static_cast<int>(in.Number(2));
  // One field after the other: the reads must happen in the template's order.
  std::string line = prefix + " " + Frame(&in);
  line += " style " + Hex(style) + " exstyle " + Hex(exstyle);
  line += " menu " + Quoted(in.TextOrOrdinal());
  line += " class " + Quoted(in.TextOrOrdinal());
  line += " caption " + Quoted(in.Text());
  if (style & (DS_SETFONT | DS_SHELLFONT)) {
    const int points = static_cast<int>(in.Number(2));
    in.Number(4);  // weight, italic, character set
    line += " font " + std::to_string(points) + " " + Quoted(in.Text());
  }
  lines->push_back(line + " controls " + std::to_string(count));
  for (int i = 0; i < count && !in.bad; ++i)
    DumpDialogControl(&in, prefix, lines);
}

void DumpVersion(const std::string& program, std::vector<std::string>* lines) {
  DWORD ignored = 0;
  std::vector<char> block(GetFileVersionInfoSizeA(program.c_str(), &ignored));
  WORD* translation = nullptr;
  UINT length = 0;
  if (block.empty() || !GetFileVersionInfoA(program.c_str(), 0, block.size(), block.data()) ||
      !VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < 4) {
    lines->push_back("resource version missing");
    return;
  }
  char table[16];
  std::snprintf(table, sizeof table, "%04x%04x", translation[0], translation[1]);
  lines->push_back(std::string("resource version translation ") + table);
  for (const char* name : {"CompanyName", "FileDescription", "FileVersion", "OriginalFilename",
                           "ProductName", "ProductVersion"}) {
    const std::string path = std::string("\\StringFileInfo\\") + table + "\\" + name;
    char* text = nullptr;
    const bool found =
        VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length);
    lines->push_back(std::string("resource version ") + name + " " +
                     (found && text ? Quoted(text) : "missing"));
  }
}

}  // namespace

std::vector<std::string> DumpResources(const std::string& program, const std::vector<int>& icons,
                                       const std::vector<int>& menus,
                                       const std::vector<int>& dialogs) {
  std::vector<std::string> lines;
  HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module)
    return {"resource file " + Quoted(program) + " cannot be read"};
  for (int id : icons)
    DumpIconGroup(module, id, &lines);
  for (int id : menus)
    DumpMenu(module, id, &lines);
  for (int id : dialogs)
    DumpDialog(module, id, &lines);
  FreeLibrary(module);
  DumpVersion(program, &lines);
  return lines;
}

}  // namespace probe
