#pragma once

// A file list over a real folder, for engine tests: every entry of the folder
// in case-insensitive order, folders as "[name]", with a focus and a
// selection like the main window's list. It counts change notifications.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "interfaces/file_list.h"

namespace pelloran::testing {

class FolderFileList : public FileList {
 public:
  explicit FolderFileList(std::filesystem::path folder) : folder_(std::move(folder)) {
    ReadFolder();
    notifications = 0;
  }

  int Count() const override { return static_cast<int>(entries_.size()); }
  bool IsSelected(int index) const override { return selected_.count(index) > 0; }
  bool IsFolder(int index) const override { return Exists(index) && entries_[index].is_folder; }
  void Focus(int index) override {
    focused_ = index;
    ++notifications;
  }
  int FocusedIndex() const override { return focused_; }
  std::string ListedFolder() const override { return folder_.string(); }
  std::string CurrentFile() const override {
    if (!Exists(focused_) || !IsSelected(focused_)) return {};
    const std::string folder = folder_.string();
    return (folder == "/" ? folder : folder + "/") + Entry(focused_);
  }
  void ReadFolder() override {
    entries_.clear();
    for (const auto& item : std::filesystem::directory_iterator(folder_)) {
      entries_.push_back({item.path().filename().string(), item.is_directory()});
    }
    std::sort(entries_.begin(), entries_.end(),
              [](const Item& a, const Item& b) { return Lower(a.name) < Lower(b.name); });
    selected_.clear();
    focused_ = entries_.empty() ? -1 : 0;
    ++notifications;
  }
  void MoveFocusQuietly(int index) override { focused_ = index; }
  void Select(int index) override { selected_.insert(index); }
  // As the main window's list does it.
  bool ShowPageInHand(const std::string& name) override {
    const int page = IndexOf(name);
    if (page < 0 || IsFolder(page)) return false;
    focused_ = page;
    selected_.insert(page);
    return true;
  }
  void ShowPageCleaned() override {
    const int page = focused_;
    ReadFolder();
    if (Exists(page + kFollowingRows)) focused_ = page + kFollowingRows;
    if (Exists(page)) selected_.insert(page);
  }

  // Test-side helpers.
  void Deselect(int index) { selected_.erase(index); }
  std::string Entry(int index) const override {
    const Item& item = entries_.at(index);
    return item.is_folder ? "[" + item.name + "]" : item.name;
  }
  std::vector<int> SelectedPositions() const { return {selected_.begin(), selected_.end()}; }
  int IndexOf(const std::string& entry) const {
    for (int i = 0; i < Count(); ++i) {
      if (Entry(i) == entry) return i;
    }
    return -1;
  }

  int notifications = 0;

 private:
  struct Item {
    std::string name;
    bool is_folder;
  };
  static std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }
  bool Exists(int index) const { return index >= 0 && index < Count(); }

  std::filesystem::path folder_;
  std::vector<Item> entries_;
  std::set<int> selected_;
  int focused_ = -1;
};

}  // namespace pelloran::testing
