#pragma once

// A file list over a real folder, as the main window's list behaves: entries
// sorted, folders shown as "[name]", a re-read clears the selection.

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tools/file_list.h"

namespace pelloran::testing {

class FolderFileList : public FileList {
 public:
  explicit FolderFileList(std::filesystem::path folder) : folder_(std::move(folder)) {
    ReadFolder();
  }

  int Count() const override { return static_cast<int>(entries_.size()); }
  std::string Entry(int index) const override { return entries_.at(index); }
  bool IsSelected(int index) const override { return selected_.count(index) != 0; }
  bool IsFolder(int index) const override {
    const std::string& entry = entries_.at(index);
    return entry.front() == '[' && std::filesystem::is_directory(folder_ / Bare(entry));
  }
  void Focus(int index) override { focus_ = InRange(index) ? index : focus_; }
  int FocusedIndex() const override { return focus_; }
  std::string CurrentFile() const override {
    if (!IsSelected(focus_)) return "";
    return (folder_ / entries_.at(focus_)).string();
  }
  void ReadFolder() override {
    entries_.clear();
    selected_.clear();
    for (const auto& item : std::filesystem::directory_iterator(folder_)) {
      const std::string name = item.path().filename().string();
      entries_.push_back(item.is_directory() ? "[" + name + "]" : name);
    }
    std::sort(entries_.begin(), entries_.end());
    focus_ = entries_.empty() ? -1 : 0;
    ++reads;
  }
  void MoveFocusQuietly(int index) override { Focus(index); }
  void Select(int index) override {
    if (InRange(index)) selected_.insert(index);
  }

  // Test helpers.
  void SelectNamed(const std::string& name) {
    const auto it = std::find(entries_.begin(), entries_.end(), name);
    if (it != entries_.end()) Select(static_cast<int>(it - entries_.begin()));
  }
  std::vector<std::string> SelectedNames() const {
    std::vector<std::string> names;
    for (int index : selected_) names.push_back(entries_.at(index));
    return names;
  }
  int reads = 0;

 private:
  bool InRange(int index) const { return index >= 0 && index < Count(); }
  static std::string Bare(const std::string& entry) { return entry.substr(1, entry.size() - 2); }

  std::filesystem::path folder_;
  std::vector<std::string> entries_;
  std::set<int> selected_;
  int focus_ = -1;
};

}  // namespace pelloran::testing
