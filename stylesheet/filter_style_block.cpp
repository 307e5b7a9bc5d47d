#include "stylesheet/filter_style_block.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "stylesheet/rule_merge.h"
#include "stylesheet/rule_table.h"
#include "stylesheet/rule_writer.h"
#include "stylesheet/shorthand_order.h"
#include "stylesheet/style_reader.h"

namespace pelloran {

namespace {

// The bytes written for one style element, gathered in memory so that they
// reach the working copy in one run, exactly as if written one by one. The
// layout's sink: selectors and declarations come as references into the rule
// table, whose padding lets them be copied a word at a time.
class ElementBytes {
 public:
  void Start(const RuleTable& table) {
    table_ = &table;
    size_ = 0;
  }
  void PutText(TextRef ref) {
    const std::string_view text = table_->Text(ref);
    static_assert(RuleTable::kTextPadding >= 7,
                  "a word at a time reads up to seven bytes past a text");
    Reserve(text.size() + 8);
    char* const out = bytes_.data() + size_;
    for (size_t i = 0; i < text.size(); i += 8) std::memcpy(out + i, text.data() + i, 8);
    size_ += text.size();
  }
  void PutBytes(std::string_view bytes) {
    if (bytes.empty()) return;  // an empty buffer has no data() to copy to
    Reserve(bytes.size());
    std::memcpy(bytes_.data() + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
  }
  // Hands what was gathered to `file` once it has grown past a chunk, so
  // that a large element's output is never held whole.
  void FlushLarge(ByteFile& file) {
    if (size_ < kChunk) return;
    Flush(file);
  }
  void Flush(ByteFile& file) {
    file.PutBytes(std::string_view(bytes_.data(), size_));
    size_ = 0;
  }
  size_t capacity() const { return bytes_.size(); }

 private:
  static constexpr size_t kChunk = size_t{256} << 10;

  void Reserve(size_t more) {
    if (size_ + more > bytes_.size())
      bytes_.resize(std::max(2 * bytes_.size(), size_ + more + 4096));
  }

  const RuleTable* table_ = nullptr;
  std::vector<char> bytes_;
  size_t size_ = 0;
};

// Everything the filter allocates, kept from one style element to the next:
// a page has many, and a program run many pages.
struct Workspace {
  RuleTable table;
  StyleReader::Buffers reading;
  MergeScratch merging;
  std::vector<TextRef> declarations;
  ElementBytes out;
};

// What an uncommonly large style element has made the workspace grow to is
// given back rather than kept for the rest of the run.
constexpr size_t kLargestKept = size_t{1} << 20;

bool IsLarge(const Workspace& work) {
  return work.table.text_capacity() > kLargestKept ||
         work.reading.block.capacity() > kLargestKept ||
         work.reading.prelude.capacity() > kLargestKept ||
         work.reading.at_rule.capacity() > kLargestKept || work.out.capacity() > kLargestKept ||
         work.table.rules().capacity() > kLargestKept / sizeof(Rule);
}

// Lends the thread's workspace for one call, and gives it back to the heap
// on the way out, even by an exception, when it has grown large.
class LentWorkspace {
 public:
  LentWorkspace() {
    if (!kept_) kept_ = std::make_unique<Workspace>();
  }
  ~LentWorkspace() {
    if (IsLarge(*kept_)) kept_.reset();
  }
  LentWorkspace(const LentWorkspace&) = delete;
  LentWorkspace& operator=(const LentWorkspace&) = delete;

  Workspace& operator*() const { return *kept_; }

 private:
  static thread_local std::unique_ptr<Workspace> kept_;
};

thread_local std::unique_ptr<Workspace> LentWorkspace::kept_;

// Puts every at-rule and every rule that keeps a declaration, in table
// order, flushing to `file` on the way.
// Answers how many rules it put.
int64_t PutKeptRules(const RuleTable& table, ElementBytes& out, std::vector<TextRef>& declarations,
                     ByteFile& file) {
  int64_t written = 0;
  for (const Rule& rule : table.rules()) {
    if (rule.at_rule) {
      out.PutText(table.SelectorsOf(rule).front());
      out.PutBytes("\r\n");
    } else if (table.KeepsAnything(rule)) {
      PutRuleHead(out, table.SelectorsOf(rule));
      WriteOrder(table.DeclarationsOf(rule), declarations);
      PutRuleBlock(out, std::span<const TextRef>(declarations));
      ++written;
    }
    out.FlushLarge(file);
  }
  return written;
}

}  // namespace

void FilterStyleBlock(CleanContext& context, StyleTag tag) {
  const LentWorkspace lent;
  Workspace& work = *lent;
  work.table.Clear();
  StyleReader reader(context.input, context.options, context.gauge, work.table, work.reading);
  reader.CountInto(context.statistics);
  if (reader.ReadRules(tag == StyleTag::kAttributesFollow) == StyleReader::Result::kEndOfInput)
    return;
  MergeRules(work.table, context.gauge, work.merging);
  work.out.Start(work.table);
  work.out.PutBytes(reader.tag_rest());
  // A closing tag inside the attributes: the tag is closed all the same.
  if (tag == StyleTag::kAttributesFollow && !reader.tag_rest().ends_with('>'))
    work.out.PutBytes(">");
  const int64_t written =
      PutKeptRules(work.table, work.out, work.declarations, context.working_copy);
  work.out.Flush(context.working_copy);
  if (context.statistics != nullptr) context.statistics->style_rules_written += written;
}

}  // namespace pelloran
