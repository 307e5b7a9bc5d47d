#include "stylesheet/keep_search.h"

#include <cstring>
#include <stdexcept>

#include "stylesheet/keep_table.h"

namespace pelloran {

namespace {

uint32_t FirstFour(const char* text) {
  uint32_t word;
  std::memcpy(&word, text, sizeof word);
  return word;
}

template <typename Word>
Word Load(const char* p) {
  Word word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Whether n bytes at a and b are equal, compared a word at a time; the last
// word may overlap the one before.
bool SameBytes(const char* a, const char* b, size_t n) {
  if (n >= 8) {
    for (size_t i = 0; i + 8 < n; i += 8) {
      if (Load<uint64_t>(a + i) != Load<uint64_t>(b + i)) return false;
    }
    return Load<uint64_t>(a + n - 8) == Load<uint64_t>(b + n - 8);
  }
  if (n >= 4) {
    return Load<uint32_t>(a) == Load<uint32_t>(b) && Load<uint32_t>(a + n - 4) == Load<uint32_t>(b + n - 4);
  }
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

// Whether the `size` bytes at `data` begin with `text`, whose first four
// bytes are known to match.
bool StartsWith(const char* data, size_t size, std::string_view text) {
  return size >= text.size() && SameBytes(data + 4, text.data() + 4, text.size() - 4);
}

}  // namespace

KeepSearch::KeepSearch(const std::vector<std::string_view>& texts) : texts_(texts) {
  if (texts_.size() > kMaxTexts) throw std::logic_error("too many texts to search");
  std::vector<bool> grouped(texts_.size(), false);
  for (size_t i = 0; i < texts_.size(); ++i) {
    if (texts_[i].size() < kMinLength) throw std::logic_error("text to search too short");
    if (grouped[i]) continue;
    const uint32_t prefix = FirstFour(texts_[i].data());
    starts_[(prefix & 0xFFFF) / 64] |= uint64_t{1} << (prefix % 64);
    size_t b = Home(prefix);
    while (buckets_[b].count != 0) b = (b + 1) % kBuckets;
    buckets_[b] = {prefix, static_cast<uint8_t>(candidates_.size()), 0};
    for (size_t j = i; j < texts_.size(); ++j) {
      if (FirstFour(texts_[j].data()) != prefix) continue;
      candidates_.push_back(static_cast<uint8_t>(j));
      ++buckets_[b].count;
      grouped[j] = true;
    }
  }
}

const KeepSearch& KeepSearch::ForKeepTable() {
  static const KeepSearch search = [] {
    std::vector<std::string_view> texts;
    auto add = [&texts](std::string_view text) {
      for (std::string_view known : texts) {
        if (known == text) return;
      }
      texts.push_back(text);
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

size_t KeepSearch::CountWanted(const Wanted& wanted) const {
  size_t count = 0;
  for (size_t i = 0; i < texts_.size(); ++i) count += wanted[i] ? 1 : 0;
  return count;
}

bool KeepSearch::TryAt(std::string_view block, size_t pos, const Bucket& bucket,
                       const Wanted& wanted, Positions& first, size_t& missing) const {
  for (size_t c = bucket.first; c < bucket.first + bucket.count; ++c) {
    const uint8_t text = candidates_[c];
    if (first[text] != kNotFound || !StartsWith(block.data() + pos, block.size() - pos, texts_[text])) {
      continue;
    }
    first[text] = pos;
    if (wanted[text] && --missing == 0) return true;
  }
  return false;
}

void KeepSearch::FindFirstAt(std::string_view block, std::span<const uint32_t> starts,
                             const Wanted& wanted, Positions& first) const {
  first.fill(kNotFound);
  size_t missing = CountWanted(wanted);
  for (size_t i = 0; missing > 0 && i < starts.size(); ++i) {
    if (starts[i] + kMinLength > block.size()) continue;
    const Bucket* bucket = Find(FirstFour(block.data() + starts[i]));
    if (bucket != nullptr && TryAt(block, starts[i], *bucket, wanted, first, missing)) return;
  }
}

int BlockText::ReadRun(TextFile& input) {
  // Locals only, so that nothing in the loop goes through memory but the
  // stores of the text itself.
  const KeepSearch& search = search_;
  char8_t* data = text_.data();
  uint32_t* starts = starts_.data();
  size_t capacity = text_.size();
  size_t size = size_;
  size_t start_count = start_count_;
  uint32_t window = window_;
  int c;
  while ((c = NextChar(input)) != kEndMark && c != '<') {
    if (size == capacity) {
      capacity = capacity < 256 ? 256 : 2 * capacity;
      text_.resize(capacity);
      starts_.resize(capacity);
      data = text_.data();
      starts = starts_.data();
    }
    data[size++] = static_cast<char8_t>(c);
    window = (window >> 8) | (static_cast<uint32_t>(c) << 24);
    // Written always and kept only when it counts, which spares a branch the
    // processor could not foresee. No text holds a zero byte, so the
    // window's zeros before the fourth character never count.
    starts[start_count] = static_cast<uint32_t>(size - 4);
    start_count += search.MayStart(window);
    if (c == '}') break;
  }
  size_ = size;
  start_count_ = start_count;
  window_ = window;
  return c;
}

void BlockText::Append(int c) {
  if (size_ == text_.size()) {
    text_.resize(text_.size() < 256 ? 256 : 2 * text_.size());
    starts_.resize(text_.size());
  }
  text_[size_++] = static_cast<char8_t>(c);
  window_ = (window_ >> 8) | (static_cast<uint32_t>(c) << 24);
  starts_[start_count_] = static_cast<uint32_t>(size_ - 4);
  start_count_ += search_.MayStart(window_);
}

}  // namespace pelloran
