// The INI document of every configuration file: line classes, name order and the document.
//
// The model keeps every stored line of a file as it was read, so that a document saves back with
// its comments, spacing and entry order. Sections and entries are also reachable by name through
// maps that point at the same line objects.
//
// Memory: line objects and their texts live in a pool owned by the document (blocks of 4 KiB
// doubling up to 256 KiB, not two allocations per line), each object next to its text. Deleting
// a line runs its destructor; its bytes, like the texts that an edit replaced, are released when
// the document is closed. Every line costs more than its text: an entry its 40-byte object and
// its slots in the section's line list and entry index (8 bytes each, about 50 for the index of
// a section of more than 256 entries), a section about 210 bytes (its 104-byte object, its node
// in the section map, its line list). Measured peaks on x86-64 Linux: an update description of
// typical lines takes about four times its file size (8 MB, 50,000 sections of five entries:
// 33 MB); files of tiny lines take more: one million 13-byte entries in one section (13 MB)
// 118 MB, one million sections of one 11-byte header line each (11 MB) 210 MB.
//
// Parsing (Open, parse_line), typed reads (Get*Entry), edits (Set*Entry, Delete*) and Save are
// all members of MIniDataT. Failures never throw: they return false, leave a short reason in the
// last error text and add error-trace entries.
//
// Threads: a document belongs to the thread that uses it; nothing here takes a lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class MFastFileReader;

// Byte-wise name order: memcmp over the common length, then the shorter name is less. Names
// therefore match exactly and case-sensitively.
struct MIniDataCaseSensitiveCompare {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    const int order = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
    return order != 0 ? order < 0 : a.size() < b.size();
  }
};

// Append-only storage for line objects and line texts. Every stored text is NUL-terminated so
// that number conversions can run on it in place. Everything stays valid until Clear or
// destruction, also after the line that used it was deleted.
class MIniDataPool {
 public:
  MIniDataPool() = default;
  MIniDataPool(const MIniDataPool&) = delete;
  MIniDataPool& operator=(const MIniDataPool&) = delete;

  // Raw memory for a line object, aligned for every line class.
  void* Allocate(size_t size);
  // Copies `text` (plus a NUL) into the pool and returns the copy.
  const char* Store(std::string_view text);
  // Stores `head` followed by `tail` as one text.
  const char* Store(std::string_view head, std::string_view tail);
  // Releases everything. The caller has destroyed every object made in the pool.
  void Clear();

 private:
  char* Reserve(size_t size, size_t alignment);

  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;
  size_t free_size_ = 0;
};

// One stored line: comment, line of blanks, or (in the derived classes) entry or section header.
// The text excludes the line end and points into the owning document's pool.
//
// Line objects are made only in a pool (`new (pool) T(...)`, or placement into memory from
// `pool.Allocate`); `delete line` runs the destructor and leaves the bytes to the pool. Plain
// `new` is not available.
class MIniDataLine {
 public:
  explicit MIniDataLine(std::string_view text) : text_(text.data()), size_(Size32(text.size())) {}
  virtual ~MIniDataLine() = default;
  MIniDataLine(const MIniDataLine&) = delete;
  MIniDataLine& operator=(const MIniDataLine&) = delete;

  static void* operator new(size_t size, MIniDataPool& pool) { return pool.Allocate(size); }
  static void operator delete(void*, MIniDataPool&) {}
  static void operator delete(void*) {}
  static void* operator new(size_t) = delete;

  std::string_view text() const { return std::string_view(text_, size_); }
  // The text as a NUL-terminated string (pool texts always carry the NUL).
  const char* c_str() const { return text_; }

 protected:
  void set_text(std::string_view text) {
    text_ = text.data();
    size_ = Size32(text.size());
  }
  static uint32_t Size32(size_t n) { return static_cast<uint32_t>(n); }

 private:
  const char* text_;
  uint32_t size_;
};

// An entry line "name=value". The value offset is the index just past the first '=' (0 for a
// line accepted without '=' under the lenient options). The name is a slice of the text the
// entry was created with; it stays valid when a new value replaces the text (pool texts live as
// long as the document's pool).
class MIniDataEntry : public MIniDataLine {
 public:
  MIniDataEntry(std::string_view text, size_t value_offset, std::string_view name)
      : MIniDataLine(text),
        value_offset_(Size32(value_offset)),
        name_(name.data()),
        name_size_(Size32(name.size())) {}
  ~MIniDataEntry() override = default;

  std::string_view name() const { return std::string_view(name_, name_size_); }
  size_t value_offset() const { return value_offset_; }
  // The raw value: the text from the value offset to the line end, blanks and comments included.
  std::string_view value() const { return text().substr(value_offset_); }
  // NUL-terminated raw value, for strtol/strtod.
  const char* value_c_str() const { return c_str() + value_offset_; }

  // Replaces the text by a NUL-terminated pool text; value offset and name stay.
  void ReplaceText(std::string_view text) { set_text(text); }

 private:
  uint32_t value_offset_;
  const char* name_;
  uint32_t name_size_;
};

// The entry map of a section: name -> entry, byte-wise ordered, not owning. Sections of up to
// kMaxVectorSize entries (the usual case) use a sorted vector, which is small and fast to fill
// from files whose entries come in any order; larger ones move to a tree so that a huge section
// in random order never costs quadratic time.
class MIniDataEntryIndex {
 public:
  MIniDataEntry* Find(std::string_view name) const;
  // Inserts `entry` under its name; the caller has made sure the name is not present.
  void Insert(MIniDataEntry* entry);
  // Removes `entry` (found by its name and identity); true when it was there.
  bool Erase(MIniDataEntry* entry);
  // All names in byte-wise order.
  void Names(std::vector<std::string>* names) const;
  size_t size() const { return tree_ ? tree_->size() : vector_.size(); }
  void ShrinkToFit() { vector_.shrink_to_fit(); }

  static constexpr size_t kMaxVectorSize = 256;

 private:
  struct NameLess {
    using is_transparent = void;
    bool operator()(const MIniDataEntry* a, const MIniDataEntry* b) const;
    bool operator()(const MIniDataEntry* a, std::string_view b) const;
    bool operator()(std::string_view a, const MIniDataEntry* b) const;
  };
  using Tree = std::set<MIniDataEntry*, NameLess>;

  std::vector<MIniDataEntry*> vector_;
  std::unique_ptr<Tree> tree_;
};

// A section: its header line (the whole line, brackets and anything after ']' included), its
// entry map and its line list. lines()[0] is the section itself; lines()[1...] are its body in
// file order, owned by the section and deleted with it.
template <class Compare>
class MIniDataSectionT : public MIniDataLine {
 public:
  // `header` is the header line's text, `name` a slice of it. `document_clean` is the owning
  // document's clean flag, which a successful DeleteEntry clears; it must outlive the section.
  MIniDataSectionT(std::string_view header, std::string_view name, bool* document_clean);
  // Deletes lines 1... (never line 0, the section itself).
  ~MIniDataSectionT() override;

  std::string_view name() const { return name_; }
  const std::vector<MIniDataLine*>& lines() const { return lines_; }

  // The entry of exactly that name, or null.
  MIniDataEntry* FindEntry(std::string_view name) const { return entries_.Find(name); }
  // Sorted entry names into *names (replacing its contents).
  void GetEntryNames(std::vector<std::string>* names) const { entries_.Names(names); }

  // Gives back the spare capacity of the line list and the entry map; the parser calls it when
  // a section is complete.
  void Compact();

  // Appends a blank or comment line; the section takes ownership.
  void AddLine(MIniDataLine* line) { lines_.push_back(line); }
  // Appends an entry whose name is not present yet; the section takes ownership.
  void AddEntry(MIniDataEntry* entry);

  // Deletes the entry named exactly `entry`: its map slot and its line (see the source for the
  // line scan), and marks the owning document as changed. False after an error-trace entry when
  // the name is in neither place or a body line is malformed.
  bool DeleteEntry(const char* entry);
  // The same for a name that may hold any byte (the parser's names).
  bool DeleteEntry(std::string_view entry);

 private:
  MIniDataLine* FindEntryLine(std::string_view name, size_t* index) const;

  std::string_view name_;
  bool* document_clean_;
  MIniDataEntryIndex entries_;
  std::vector<MIniDataLine*> lines_;
};

// Parser and save options (see SetOptions).
enum MIniDataOption : uint32_t {
  kMIniLenientEntries = 0x01,   // a section line without '=' or without a name is an entry
  kMIniReplaceSections = 0x02,  // a repeated header replaces the earlier section; implies 0x01
  kMIniFlushOnSave = 0x08,      // Save flushes the file before closing it
  kMIniSaveViaTemp = 0x10,      // Save writes a temporary file that then replaces the target
  kMIniReplaceEntries = 0x20,   // a repeated entry name replaces the earlier entry
};

// The line-preserving INI document. A new document is closed, "new file", not clean, options 0.
// A document whose Open failed has IsOpen() == false and holds only the lines before the failing
// one: callers must not Save it over the file they could not read completely.
template <class Compare>
class MIniDataT {
 public:
  using Section = MIniDataSectionT<Compare>;

  MIniDataT() = default;
  // Closes the document inside its own error context (dumps it if Close were to fail).
  virtual ~MIniDataT();
  MIniDataT(const MIniDataT&) = delete;
  MIniDataT& operator=(const MIniDataT&) = delete;

  // Reads and parses the whole file `path`, replacing the content. A missing file is no error:
  // empty, open, new file, not clean, true. A byte-order mark other than UTF-8, a read error
  // (also one that the reader would count as end of file) or a parse failure stops at the
  // offending line: false, open == false, and the last error says why (also for a path that
  // cannot be opened, such as a folder, and for a read error).
  bool Open(const char* path);
  // Open through `reader`, which is not open yet (Open(path) uses a plain MFastFileReader): the
  // way to hand in a reader whose reads fail.
  bool Open(const char* path, MFastFileReader* reader);
  // Discards all lines and sections, empties the file name; open = false, new file = true,
  // clean unchanged. Always true.
  bool Close();
  // Classifies one line (without its line end) and adds it to the model: blank and comment lines
  // to the current section or the prologue, headers as new sections, everything else as an entry
  // of the current section. False with the last error set and an error-trace entry.
  bool parse_line(const std::string& line);

  // ---- Typed reads. Section names are exact; entry names lose trailing blanks. Readers add no
  // error-trace entry: false alone tells a missing section, entry or number. ----

  // The raw value (from just past the first '=' to the line end). *value untouched when missing.
  bool GetStringEntry(const char* section, const char* entry, std::string* value) const;
  // strtol (base 10) of the raw value, clamped to 32 bits. Missing: false, *value untouched;
  // nothing converted: false, *value = 0.
  bool GetLongEntry(const char* section, const char* entry, long* value) const;
  // As GetLongEntry with strtod.
  bool GetDoubleEntry(const char* section, const char* entry, double* value) const;
  // The section of exactly that name, or null. The pointer lives until the section is deleted.
  Section* GetSection(const char* section) const;
  // True when the section has an entry of exactly that name (no trimming).
  bool HasEntry(const char* section, const char* entry) const;
  // All section names, byte-wise sorted (replaces *names).
  void GetSectionNames(std::vector<std::string>* names) const;
  // The section's entry names, byte-wise sorted; empty for a missing section.
  void GetEntryNames(const char* section, std::vector<std::string>* names) const;

  // ---- Edits. Each success clears clean; each failure leaves the document unchanged. ----

  // Sets the value formatted "%ld", creating the section and the entry when missing. The number
  // written is 32-bit on every platform (a wider long is clamped, as GetLongEntry clamps). Fails
  // for a name that would read back as a comment.
  bool SetLongEntry(const char* section, const char* entry, long value);
  // As SetLongEntry with "%.17g" (every double reads back exactly).
  bool SetDoubleEntry(const char* section, const char* entry, double value);
  // Deletes the section of exactly that name with all its lines.
  bool DeleteSection(const char* section);
  // The same for a name that may hold any byte (the parser's names).
  bool DeleteSection(std::string_view section);

  // Writes prologue and sections (sorted by name), every line ending in CR LF, to the file name
  // given to Open, in the write mode the options choose. Success: new file = false, clean = true.
  // Does not look at IsOpen(): see the class comment.
  bool Save();

  // ---- State ----
  bool IsOpen() const { return open_; }
  bool IsNewFile() const { return new_file_; }
  bool IsClean() const { return clean_; }
  const std::string& GetFileName() const { return file_name_; }
  const std::string& GetLastError() const { return last_error_; }
  uint32_t GetOptions() const { return options_; }
  // Sets the MIniDataOption bits used by later parse_line and Save calls.
  void SetOptions(uint32_t options) { options_ = options; }
  // Blank and comment lines before the first header.
  const std::vector<MIniDataLine*>& prologue() const { return prologue_; }

 protected:
  // Creates the section "[name]" (not present yet) and returns it.
  Section* add_new_section(const char* section);
  // Appends the entry line "name=value" (name not present yet) to `section`.
  MIniDataEntry* add_new_entry(Section* section, std::string_view name, std::string_view value);
  // Sets the last error for a file that exists but cannot be opened for reading.
  void set_open_error(const char* path);
  // Formats the last error text (at most 1023 characters).
  void set_last_error(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  bool open_ = false;
  bool new_file_ = true;
  bool clean_ = false;
  std::string file_name_;
  uint32_t options_ = 0;
  std::vector<MIniDataLine*> prologue_;
  std::map<std::string_view, Section*, Compare> sections_;
  Section* current_section_ = nullptr;
  std::string last_error_;
  MIniDataPool pool_;

 private:
  bool ReadAllLines(MFastFileReader* reader);
  bool ParseHeader(const std::string& line);
  bool ParseEntry(const std::string& line, size_t first);
  bool ReplaceEntry(std::string_view name);
  void AddPlainLine(std::string_view text);
  const MIniDataEntry* FindEntry(const char* section, const char* entry) const;
  bool SetEntryText(const char* section, const char* entry, std::string_view formatted);
};

using MIniData = MIniDataT<MIniDataCaseSensitiveCompare>;
using MIniDataSection = MIniDataSectionT<MIniDataCaseSensitiveCompare>;

extern template class MIniDataSectionT<MIniDataCaseSensitiveCompare>;
extern template class MIniDataT<MIniDataCaseSensitiveCompare>;
