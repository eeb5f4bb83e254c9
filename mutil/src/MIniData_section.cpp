// The building blocks beneath the INI document: the pool of line objects and texts, the entry
// index of a section, and the section itself with its entry deletion by line scan.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "MIniData_chars.h"
#include "MIniData_template_core.h"
#include "errtrace.h"

namespace {

using namespace mini_data_chars;

// Most lines of a configuration file are short; a full block holds thousands of them. Blocks
// start small and double, so that a settings file of a few lines costs a few KiB while a large
// update description needs few allocations. Texts above a quarter of the full block get a block
// of their own so that a long line never wastes the rest of a shared block.
constexpr size_t kFirstPoolBlockSize = 4 * 1024;
constexpr size_t kPoolBlockSize = 256 * 1024;

}  // namespace

// ---- MIniDataPool ----

char* MIniDataPool::Reserve(size_t size, size_t alignment) {
  size_t padding = free_size_ == 0
                       ? 0
                       : (alignment - reinterpret_cast<uintptr_t>(free_) % alignment) % alignment;
  if (size > kPoolBlockSize / 4) {
    // Kept in front of the current block so that its free space stays usable. new[] memory is
    // aligned for every object.
    blocks_.emplace(blocks_.begin(), new char[size]);
    return blocks_.front().get();
  }
  if (size + padding > free_size_) {
    const size_t doubled = kFirstPoolBlockSize << std::min<size_t>(blocks_.size(), 6);
    const size_t block = std::max(size, std::min(doubled, kPoolBlockSize));
    blocks_.emplace_back(new char[block]);
    free_ = blocks_.back().get();
    free_size_ = block;
    padding = 0;
  }
  char* result = free_ + padding;
  free_ += size + padding;
  free_size_ -= size + padding;
  return result;
}

void* MIniDataPool::Allocate(size_t size) {
  return Reserve(size, alignof(std::max_align_t) < 8 ? alignof(std::max_align_t) : 8);
}

const char* MIniDataPool::Store(std::string_view text) {
  return Store(text, std::string_view());
}

const char* MIniDataPool::Store(std::string_view head, std::string_view tail) {
  char* copy = Reserve(head.size() + tail.size() + 1, 1);
  if (!head.empty())
    std::memcpy(copy, head.data(), head.size());
  if (!tail.empty())
    std::memcpy(copy + head.size(), tail.data(), tail.size());
  copy[head.size() + tail.size()] = '\0';
  return copy;
}

void MIniDataPool::Clear() {
  blocks_.clear();
  free_ = nullptr;
  free_size_ = 0;
}

// ---- MIniDataEntryIndex ----

bool MIniDataEntryIndex::NameLess::operator()(const MIniDataEntry* a,
                                              const MIniDataEntry* b) const {
  return MIniDataCaseSensitiveCompare()(a->name(), b->name());
}

bool MIniDataEntryIndex::NameLess::operator()(const MIniDataEntry* a, std::string_view b) const {
  return MIniDataCaseSensitiveCompare()(a->name(), b);
}

bool MIniDataEntryIndex::NameLess::operator()(std::string_view a, const MIniDataEntry* b) const {
  return MIniDataCaseSensitiveCompare()(a, b->name());
}

MIniDataEntry* MIniDataEntryIndex::Find(std::string_view name) const {
  if (tree_) {
    auto it = tree_->find(name);
    return it == tree_->end() ? nullptr : *it;
  }
  auto it = std::lower_bound(vector_.begin(), vector_.end(), name, NameLess());
  return it != vector_.end() && (*it)->name() == name ? *it : nullptr;
}

void MIniDataEntryIndex::Insert(MIniDataEntry* entry) {
  if (tree_) {
    tree_->insert(entry);
    return;
  }
  // Files usually list entries in an order close to sorted: appending is the fast path.
  if (vector_.empty() || NameLess()(vector_.back(), entry))
    vector_.push_back(entry);
  else
    vector_.insert(std::upper_bound(vector_.begin(), vector_.end(), entry, NameLess()), entry);
  if (vector_.size() > kMaxVectorSize) {
    tree_ = std::make_unique<Tree>(vector_.begin(), vector_.end());
    std::vector<MIniDataEntry*>().swap(vector_);
  }
}

bool MIniDataEntryIndex::Erase(MIniDataEntry* entry) {
  if (tree_) {
    auto it = tree_->find(entry->name());
    if (it == tree_->end() || *it != entry)
      return false;
    tree_->erase(it);
    return true;
  }
  auto it = std::lower_bound(vector_.begin(), vector_.end(), entry->name(), NameLess());
  if (it == vector_.end() || *it != entry)
    return false;
  vector_.erase(it);
  return true;
}

void MIniDataEntryIndex::Names(std::vector<std::string>* names) const {
  names->clear();
  names->reserve(size());
  auto add = [names](const MIniDataEntry* entry) { names->emplace_back(entry->name()); };
  if (tree_)
    std::for_each(tree_->begin(), tree_->end(), add);
  else
    std::for_each(vector_.begin(), vector_.end(), add);
}

// ---- MIniDataSectionT ----

template <class Compare>
MIniDataSectionT<Compare>::MIniDataSectionT(std::string_view header, std::string_view name,
                                            bool* document_clean)
    : MIniDataLine(header), name_(name), document_clean_(document_clean) {
  lines_.reserve(10);
  lines_.push_back(this);
}

template <class Compare>
MIniDataSectionT<Compare>::~MIniDataSectionT() {
  for (size_t i = 1; i < lines_.size(); ++i)
    delete lines_[i];
}

template <class Compare>
void MIniDataSectionT<Compare>::Compact() {
  lines_.shrink_to_fit();
  entries_.ShrinkToFit();
}

template <class Compare>
void MIniDataSectionT<Compare>::AddEntry(MIniDataEntry* entry) {
  entries_.Insert(entry);
  lines_.push_back(entry);
}

// Finds the body line whose name (first to last non-blank before its first '=') is `name`.
// Blank and comment lines are skipped; a line without '=' or without a name stops the scan with
// an error-trace entry (null, *index = 0). Not found: null, *index = lines_.size().
template <class Compare>
MIniDataLine* MIniDataSectionT<Compare>::FindEntryLine(std::string_view name, size_t* index) const {
  for (size_t i = 1; i < lines_.size(); ++i) {
    const std::string_view text = lines_[i]->text();
    const size_t first = FirstNonBlank(text);
    if (first == text.size() || IsCommentChar(text[first]))
      continue;
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
      MERRTRACE("MIniDataSectionT::DeleteEntry(): no '=' found in \"%.50s\"", lines_[i]->c_str());
      *index = 0;
      return nullptr;
    }
    if (equals == first) {
      MERRTRACE("MIniDataSectionT::DeleteEntry(): no entry name in \"%.50s\"", lines_[i]->c_str());
      *index = 0;
      return nullptr;
    }
    if (TrimTrailingBlanks(text.substr(first, equals - first)) == name) {
      *index = i;
      return lines_[i];
    }
  }
  *index = lines_.size();
  return nullptr;
}

template <class Compare>
bool MIniDataSectionT<Compare>::DeleteEntry(const char* entry) {
  return DeleteEntry(std::string_view(entry == nullptr ? "" : entry));
}

template <class Compare>
bool MIniDataSectionT<Compare>::DeleteEntry(std::string_view entry) {
  MIniDataEntry* mapped = entries_.Find(entry);
  if (mapped == nullptr) {
    MERRTRACE("MIniDataSectionT::DeleteEntry(): entry \"%.40s\" not found in entry_map",
              std::string(entry).c_str());
    return false;
  }
  size_t index = 0;
  MIniDataLine* found = FindEntryLine(entry, &index);
  if (found == nullptr) {
    if (index != 0)
      MERRTRACE("MIniDataSectionT::DeleteEntry(): entry \"%.40s\" not found in line_vec",
                std::string(entry).c_str());
    return false;
  }
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
  entries_.Erase(mapped);
  // The scan and the map agree for every line the parser stored. They can differ only for an
  // entry added with leading blanks in its name; then both lines go, so that no line is left
  // pointing at a deleted entry and no entry outlives its line.
  if (found != mapped) {
    lines_.erase(std::remove(lines_.begin() + 1, lines_.end(), mapped), lines_.end());
    if (auto* other = dynamic_cast<MIniDataEntry*>(found))
      entries_.Erase(other);
    delete found;
  }
  delete mapped;
  *document_clean_ = false;
  return true;
}

template class MIniDataSectionT<MIniDataCaseSensitiveCompare>;
