#pragma once

// Finds the first occurrence of every text of the keep table in a block in a
// single pass (an Aho-Corasick automaton built once), so the keep test costs
// one step per character however many boxes are ticked.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace pelloran {

class KeepSearch {
 public:
  static constexpr size_t kNotFound = static_cast<size_t>(-1);

  explicit KeepSearch(const std::vector<std::string_view>& texts);

  // The search over every distinct text of the keep table.
  static const KeepSearch& ForKeepTable();

  size_t text_count() const { return lengths_.size(); }
  // The number under which `text` was given; -1 when it was not.
  int IndexOf(std::string_view text) const;

  // first[i] becomes the position of the first occurrence of text i in
  // `block`, or kNotFound. Stops early once every text marked in `wanted`
  // (one flag per text) has been found; the rest may then stay kNotFound.
  void FindFirst(std::string_view block, const std::vector<bool>& wanted,
                 std::vector<size_t>& first) const;

 private:
  // Builds the trie of the texts; returns, per state, the texts ending there.
  std::vector<std::vector<uint16_t>> BuildTrie(std::vector<int>& trie);
  // Turns the trie into the full transition table and gathers the outputs.
  void BuildLinks(const std::vector<int>& trie, std::vector<std::vector<uint16_t>>& ending);

  std::vector<std::string_view> texts_;
  std::vector<uint8_t> lengths_;
  std::array<uint8_t, 256> symbol_{};  // 0: a byte no text holds
  int symbols_ = 1;
  std::vector<uint16_t> next_;          // state * symbols_ + symbol -> state
  // The texts ending in state s: outputs_[output_begin_[s] .. output_begin_[s + 1]).
  std::vector<uint32_t> output_begin_;
  std::vector<uint16_t> outputs_;
};

}  // namespace pelloran
