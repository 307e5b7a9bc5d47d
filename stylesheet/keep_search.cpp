#include "stylesheet/keep_search.h"

#include <deque>

#include "stylesheet/keep_table.h"

namespace pelloran {

KeepSearch::KeepSearch(const std::vector<std::string_view>& texts) : texts_(texts) {
  for (std::string_view text : texts_) {
    lengths_.push_back(static_cast<uint8_t>(text.size()));
    for (char c : text) {
      uint8_t& symbol = symbol_[static_cast<unsigned char>(c)];
      if (symbol == 0) symbol = static_cast<uint8_t>(symbols_++);
    }
  }
  std::vector<int> trie;
  std::vector<std::vector<uint16_t>> ending = BuildTrie(trie);
  BuildLinks(trie, ending);
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

std::vector<std::vector<uint16_t>> KeepSearch::BuildTrie(std::vector<int>& trie) {
  trie.assign(symbols_, -1);
  std::vector<std::vector<uint16_t>> ending(1);
  for (size_t i = 0; i < texts_.size(); ++i) {
    int state = 0;
    for (char c : texts_[i]) {
      int& child = trie[state * symbols_ + symbol_[static_cast<unsigned char>(c)]];
      if (child < 0) {
        child = static_cast<int>(ending.size());
        ending.emplace_back();
        trie.resize(trie.size() + symbols_, -1);
      }
      state = trie[state * symbols_ + symbol_[static_cast<unsigned char>(c)]];
    }
    ending[state].push_back(static_cast<uint16_t>(i));
  }
  return ending;
}

void KeepSearch::BuildLinks(const std::vector<int>& trie,
                            std::vector<std::vector<uint16_t>>& ending) {
  const size_t states = ending.size();
  next_.assign(states * symbols_, 0);
  std::vector<int> fallback(states, 0);
  std::deque<int> queue;
  for (int s = 0; s < symbols_; ++s) {
    const int child = trie[s];
    if (child > 0) {
      next_[s] = static_cast<uint16_t>(child);
      queue.push_back(child);
    }
  }
  // Breadth first, so a state's fallback is complete before the state's own
  // transitions are filled from it.
  while (!queue.empty()) {
    const int state = queue.front();
    queue.pop_front();
    const std::vector<uint16_t>& inherited = ending[fallback[state]];
    ending[state].insert(ending[state].end(), inherited.begin(), inherited.end());
    for (int s = 0; s < symbols_; ++s) {
      const int child = trie[state * symbols_ + s];
      const uint16_t via_fallback = next_[fallback[state] * symbols_ + s];
      if (child > 0) {
        fallback[child] = via_fallback;
        next_[state * symbols_ + s] = static_cast<uint16_t>(child);
        queue.push_back(child);
      } else {
        next_[state * symbols_ + s] = via_fallback;
      }
    }
  }
  output_begin_.reserve(states + 1);
  for (const std::vector<uint16_t>& texts : ending) {
    output_begin_.push_back(static_cast<uint32_t>(outputs_.size()));
    outputs_.insert(outputs_.end(), texts.begin(), texts.end());
  }
  output_begin_.push_back(static_cast<uint32_t>(outputs_.size()));
}

void KeepSearch::FindFirst(std::string_view block, const std::vector<bool>& wanted,
                           std::vector<size_t>& first) const {
  first.assign(texts_.size(), kNotFound);
  size_t missing = 0;
  for (size_t i = 0; i < texts_.size(); ++i) missing += wanted[i] ? 1 : 0;
  if (missing == 0) return;
  size_t state = 0;
  for (size_t pos = 0; pos < block.size(); ++pos) {
    state = next_[state * symbols_ + symbol_[static_cast<unsigned char>(block[pos])]];
    for (uint32_t o = output_begin_[state]; o < output_begin_[state + 1]; ++o) {
      const uint16_t text = outputs_[o];
      if (first[text] != kNotFound) continue;
      first[text] = pos + 1 - lengths_[text];
      if (wanted[text] && --missing == 0) return;
    }
  }
}

}  // namespace pelloran
