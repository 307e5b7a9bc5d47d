#include "cleaner/class_tables.h"

namespace pelloran {

void ClassTables::CountParagraphClass(std::string_view key) {
  if (auto it = paragraph_index_.find(key); it != paragraph_index_.end()) {
    ++paragraph_classes_[it->second].count;
    return;
  }
  paragraph_index_.emplace(std::string(key), paragraph_classes_.size());
  paragraph_classes_.push_back({std::string(key), 1});
}

void ClassTables::AddUsedSelectorOnce(std::string_view selector) {
  if (!used_counts_.contains(selector)) AddUsedSelector(selector);
}

void ClassTables::AddUsedSelector(std::string_view selector) {
  used_selectors_.emplace_back(selector);
  if (auto it = used_counts_.find(selector); it != used_counts_.end()) {
    ++it->second;
  } else {
    used_counts_.emplace(std::string(selector), 1);
  }
}

int ClassTables::CountUsedSelector(std::string_view selector) const {
  auto it = used_counts_.find(selector);
  return it == used_counts_.end() ? 0 : it->second;
}

}  // namespace pelloran
