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

KeepSearch::KeepSearch(const std::vector<std::string_view>& texts) : texts_(texts) {
  if (texts_.size() > kMaxTexts) throw std::logic_error("too many texts to search");
  std::vector<size_t> short_texts;
  std::vector<size_t> long_texts;
  std::vector<size_t> all_texts;
  for (size_t i = 0; i < texts_.size(); ++i) {
    const std::string_view text = texts_[i];
    if (text.size() < kMinLength || text.size() > kMaxLength ||
        text.find('\0') != std::string_view::npos) {
      throw std::logic_error("text to search too short, too long or holding a zero");
    }
    (text.size() < 8 ? short_texts : long_texts).push_back(i);
    all_texts.push_back(i);
  }
  // Every four bytes a text starts with gets a group, with only the short
  // texts in it.
  for (size_t i : all_texts) AddGroup(by_four_, i, short_texts);
  for (size_t i : long_texts) AddGroup(by_eight_, i, long_texts);
  by_four_.Place();
  by_eight_.Place();
}

template <typename Key>
void KeepSearch::AddGroup(GroupIndex<Key>& index, size_t leader,
                          const std::vector<size_t>& numbers) {
  const Key key = Load<Key>(texts_[leader].data());
  for (const Group& group : index.groups) {
    if (group.key == key) return;  // grouped already
  }
  Group& group = index.groups.emplace_back();
  group.key = key;
  group.first = static_cast<uint32_t>(patterns_.size());
  for (size_t j : numbers) {
    const std::string_view text = texts_[j];
    if (Load<Key>(text.data()) != key) continue;
    Pattern& pattern = patterns_.emplace_back();
    pattern.length = static_cast<uint32_t>(text.size());
    pattern.text = static_cast<uint32_t>(j);
    for (size_t b = 0; b < text.size(); ++b) {
      pattern.word[b / 8] |= uint64_t{static_cast<unsigned char>(text[b])} << (8 * (b % 8));
      pattern.mask[b / 8] |= uint64_t{0xFF} << (8 * (b % 8));
    }
    ++group.count;
  }
}

template <typename Key>
void KeepSearch::GroupIndex<Key>::Place() {
  if (groups.size() > 255) throw std::logic_error("too many groups of texts");
  // A few dozen keys in 4096 slots: nearly any multiplier will do.
  for (int tries = 0; tries < 1000; ++tries, multiplier += 2) {
    at.fill(0);
    bool apart = true;
    for (size_t g = 1; g < groups.size() && apart; ++g) {
      uint8_t& slot = at[Slot(static_cast<Key>(groups[g].key))];
      apart = slot == 0;
      slot = static_cast<uint8_t>(g);
    }
    if (apart) return;
  }
  throw std::logic_error("no multiplier keeps the groups of texts apart");
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
  // Records the pattern as found at `pos` when its bytes are no different
  // there and fit in the `room` left; positions come in ascending order, so
  // the first found stays. All in arithmetic, which the compiler keeps free
  // of branches.
  auto note = [&](const Pattern& pattern, uint32_t pos, uint64_t differ, size_t room) {
    const uint64_t bad = differ | ((room - pattern.length) >> 63);
    const uint64_t miss = (bad | (0 - bad)) >> 63;  // 1 when bad is not 0
    uint32_t& at = first[pattern.text];
    at = std::min(at, pos | static_cast<uint32_t>(0 - miss));
    found |= (miss ^ 1) << pattern.text;
  };
  for (const uint32_t pos : starts) {
    if (size_t{pos} + kMinLength > size) continue;
    const uint64_t here = Load<uint64_t>(data + pos);
    const uint64_t then = Load<uint64_t>(data + pos + 8);
    const uint64_t last = Load<uint64_t>(data + pos + 16);
    const size_t room = size - pos;
    // Copied, since the stores into `first` might change the groups for all
    // the compiler knows.
    const Group short_group = by_four_.Find(static_cast<uint32_t>(here));
    for (uint32_t p = short_group.first; p != short_group.first + short_group.count; ++p) {
      const Pattern& pattern = patterns[p];
      note(pattern, pos, (here ^ pattern.word[0]) & pattern.mask[0], room);
    }
    // The eight bytes of the key are equal; but they may reach past the block.
    const Group long_group = by_eight_.Find(here);
    for (uint32_t p = long_group.first; p != long_group.first + long_group.count; ++p) {
      const Pattern& pattern = patterns[p];
      const uint64_t differ = ((then ^ pattern.word[1]) & pattern.mask[1]) |
                              ((last ^ pattern.word[2]) & pattern.mask[2]);
      note(pattern, pos, differ, room);
    }
  }
  return found;
}

void KeepSearch::NoteStarts(const char* text, size_t from, size_t to, uint32_t* starts,
                            size_t& count) const {
  // Locals only, so that the loop keeps them in registers. Every position is
  // written and kept only when it counts, which spares a branch the
  // processor could not foresee.
  const uint8_t* const group_at = by_four_.at.data();
  const uint32_t multiplier = by_four_.multiplier;
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
