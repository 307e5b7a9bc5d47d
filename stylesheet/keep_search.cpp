#include "stylesheet/keep_search.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "stylesheet/keep_table.h"
#include "stylesheet/run_scan.h"

namespace pelloran {

namespace {

template <typename Word>
Word Load(const char* p) {
  Word word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

}  // namespace

KeepSearch::KeepSearch(const std::vector<std::string_view>& texts) : texts_(texts), text_count_(texts.size()) {
  if (texts_.size() > kMaxTexts) throw std::logic_error("too many texts to search");
  std::vector<bool> grouped(texts_.size(), false);
  for (size_t i = 0; i < texts_.size(); ++i) {
    const std::string_view text = texts_[i];
    if (text.size() < kMinLength || text.size() > kMaxLength || text.find('\0') != std::string_view::npos) {
      throw std::logic_error("text to search too short, too long or holding a zero");
    }
    if (grouped[i]) continue;
    const uint32_t prefix = Load<uint32_t>(text.data());
    Group& group = groups_.emplace_back();
    group.prefix = prefix;
    group.first = static_cast<uint32_t>(patterns_.size());
    for (size_t j = i; j < texts_.size(); ++j) {
      if (Load<uint32_t>(texts_[j].data()) != prefix) continue;
      grouped[j] = true;
      Pattern& pattern = patterns_.emplace_back();
      pattern.length = static_cast<uint32_t>(texts_[j].size());
      pattern.text = static_cast<uint32_t>(j);
      for (size_t b = 0; b < texts_[j].size(); ++b) {
        pattern.word[b / 8] |= uint64_t{static_cast<unsigned char>(texts_[j][b])} << (8 * (b % 8));
        pattern.mask[b / 8] |= uint64_t{0xFF} << (8 * (b % 8));
      }
      ++group.count;
    }
  }
  PlaceGroups();
}

void KeepSearch::PlaceGroups() {
  if (groups_.size() >= 255) throw std::logic_error("too many groups of texts");
  for (;; multiplier_ += 2) {
    group_at_.fill(0);
    bool apart = true;
    for (size_t g = 0; g < groups_.size() && apart; ++g) {
      uint8_t& slot = group_at_[Slot(groups_[g].prefix)];
      apart = slot == 0;
      slot = static_cast<uint8_t>(g + 1);
    }
    if (apart) return;
  }
}

const KeepSearch& KeepSearch::ForKeepTable() {
  static const KeepSearch search = [] {
    std::vector<std::string_view> texts;
    auto add = [&texts](std::string_view text) {
      if (std::find(texts.begin(), texts.end(), text) == texts.end()) texts.push_back(text);
    };
    for (const KeepRow& row : kKeepTable) {
      add(row.test);
      add(row.start);
    }
    return KeepSearch(texts);
  }();
  return search;
}

int KeepSearch::IndexOf(std::string_view text) const {
  for (size_t i = 0; i < texts_.size(); ++i) {
    if (texts_[i] == text) return static_cast<int>(i);
  }
  return -1;
}

uint64_t KeepSearch::FindFirstAt(std::string_view block, std::span<const uint32_t> starts,
                                 Positions& first) const {
  first.fill(kNotFound);
  uint64_t found = 0;
  const char* const data = block.data();
  const size_t size = block.size();
  const Pattern* const patterns = patterns_.data();
  for (const uint32_t pos : starts) {
    if (size_t{pos} + kMinLength > size) continue;
    const uint32_t four = Load<uint32_t>(data + pos);
    const uint8_t g = group_at_[Slot(four)];
    if (g == 0 || groups_[g - 1].prefix != four) continue;
    // Copied, since the stores into `first` might change the group for all
    // the compiler knows.
    const Group group = groups_[g - 1];
    const std::array<uint64_t, 3> here{Load<uint64_t>(data + pos), Load<uint64_t>(data + pos + 8),
                                       Load<uint64_t>(data + pos + 16)};
    const size_t room = size - pos;
    // Positions come in ascending order, so the first found stays.
    for (const Pattern* pattern_at = patterns + group.first; pattern_at != patterns + group.first + group.count;
         ++pattern_at) {
      const Pattern& pattern = *pattern_at;
      const uint64_t differ = ((here[0] ^ pattern.word[0]) & pattern.mask[0]) |
                              ((here[1] ^ pattern.word[1]) & pattern.mask[1]) |
                              ((here[2] ^ pattern.word[2]) & pattern.mask[2]);
      const bool match = differ == 0 && pattern.length <= room;
      uint32_t& at = first[pattern.text];
      at = std::min(at, match ? pos : kNotFound);
      found |= uint64_t{match} << pattern.text;
    }
  }
  return found;
}

void KeepSearch::NoteStarts(const char* text, size_t from, size_t to, uint32_t* starts,
                            size_t& count) const {
  // Locals only, so that the loop keeps them in registers. Every position is
  // written and kept only when it counts, which spares a branch the
  // processor could not foresee.
  const uint8_t* const group_at = group_at_.data();
  const uint32_t multiplier = multiplier_;
  size_t n = count;
  for (size_t p = from; p < to; ++p) {
    starts[n] = static_cast<uint32_t>(p);
    n += group_at[(Load<uint32_t>(text + p) * multiplier) >> (32 - kSlotBits)] != 0 ? 1 : 0;
  }
  count = n;
}

int BlockText::ReadUpToStop(TextFile& input) {
  for (;;) {
    const std::span<const unsigned char> run = input.Buffered();
    if (run.empty()) {
      // NextChar refills the buffer, or meets the end.
      const int c = NextChar(input);
      if (c == kEndMark || c == '<') return c;
      const unsigned char one = static_cast<unsigned char>(c);
      Append(std::span(&one, 1));
      if (c == '}') return c;
      continue;
    }
    const size_t stop = FindFirstOf(run, '}', '<', kEndMark);
    if (stop == run.size()) {
      Append(run);
      input.Consume(stop);
      continue;
    }
    const int c = run[stop];
    Append(run.first(c == '}' ? stop + 1 : stop));
    input.Consume(c == kEndMark ? stop : stop + 1);
    return c;
  }
}

void BlockText::Append(std::span<const unsigned char> run) {
  const size_t needed = size_ + run.size() + KeepSearch::kPadding;
  if (needed > text_.size()) {
    const size_t capacity = std::max<size_t>({needed, 256, 2 * text_.size()});
    text_.resize(capacity);
    starts_.resize(capacity);
  }
  if (run.empty()) return;
  std::memcpy(text_.data() + size_, run.data(), run.size());
  // The positions whose four bytes are now all there.
  const size_t from = size_ < 3 ? 0 : size_ - 3;
  size_ += run.size();
  if (size_ >= 4) search_.NoteStarts(text_.data(), from, size_ - 3, starts_.data(), start_count_);
}

}  // namespace pelloran
