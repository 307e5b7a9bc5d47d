#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pelloran {

// The two tables the passes share: the paragraph class table (keys "p." +
// class value, with a count) and the used-selector list. They belong to the
// engine object that lives as long as the main window and are never cleared.
// Both keep their entries in the order added and grow without limit, so no
// class is ever ignored however many pages are cleaned; a hash index beside
// each keeps lookups cheap as they grow.
class ClassTables {
 public:
  struct ParagraphClass {
    std::string key;  // "p." followed by the class value
    int count = 0;
  };

  // Adds 1 to the entry holding `key`, or appends it with the count 1.
  void CountParagraphClass(std::string_view key);
  const std::vector<ParagraphClass>& paragraph_classes() const { return paragraph_classes_; }

  // Appends `selector` unless a slot already holds it.
  void AddUsedSelectorOnce(std::string_view selector);
  // Appends `selector` even when equal slots exist (the dominance steps).
  void AddUsedSelector(std::string_view selector);
  // How many slots hold exactly `selector`.
  int CountUsedSelector(std::string_view selector) const;
  const std::vector<std::string>& used_selectors() const { return used_selectors_; }

 private:
  // Lets a string_view look up a std::string key without building one.
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  template <typename Value>
  using Index = std::unordered_map<std::string, Value, Hash, std::equal_to<>>;

  std::vector<ParagraphClass> paragraph_classes_;
  Index<size_t> paragraph_index_;  // key -> position in paragraph_classes_
  std::vector<std::string> used_selectors_;
  Index<int> used_counts_;  // selector -> number of equal slots
};

}  // namespace pelloran
