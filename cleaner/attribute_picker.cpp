#include "cleaner/attribute_picker.h"

#include "charfile/char_file.h"

namespace pelloran {
namespace {

// Longer than any kept name: a longer one is kept whole for no comparison.
constexpr size_t kNameCap = 8;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

AttributePicker::AttributePicker() {
  name_.reserve(kNameCap);
  pending_.reserve(16);
  text_.reserve(256);
  kept_.reserve(8);
}

void AttributePicker::Start(std::span<const KeptName> names) {
  names_ = names;
  taken_ = 0;
  state_ = State::kBetween;
  standing_ = true;
  keeping_ = false;
  closed_in_kept_value_ = false;
  text_.clear();
  kept_.clear();
  taken_up_to_ = 0;
}

bool AttributePicker::Matches(std::string_view name, const KeptName& kept) const {
  if (name.size() != kept.lower.size()) return false;
  bool lower = true;
  bool upper = true;
  bool any = true;
  for (size_t i = 0; i < name.size(); ++i) {
    lower = lower && name[i] == kept.lower[i];
    upper = upper && name[i] == Upper(kept.lower[i]);
    any = any && Lower(name[i]) == kept.lower[i];
  }
  return lower || upper || (kept.any_case && any);
}

const AttributePicker::Kept* AttributePicker::Find(size_t which) const {
  for (const Kept& kept : kept_) {
    if (kept.which == which) return &kept;
  }
  return nullptr;
}

std::string_view AttributePicker::TakeCompleted(bool* last_unquoted) {
  const size_t from = taken_up_to_ < kept_.size() ? kept_[taken_up_to_].begin : text_.size();
  const size_t to = kept_.empty() ? from : kept_.back().end;
  *last_unquoted = taken_up_to_ < kept_.size() && kept_.back().unquoted;
  taken_up_to_ = kept_.size();
  return std::string_view(text_).substr(from, to > from ? to - from : 0);
}

// Between attributes: blanks let a name stand; "/" is no part of a name.
void AttributePicker::Begin(int c) {
  if (IsBlank(c)) {
    standing_ = true;
    return;
  }
  if (c == '/') {
    standing_ = false;
    return;
  }
  name_.clear();
  name_long_ = false;
  name_stands_ = standing_;
  if (c == '=') {  // a value without a name
    EndName();
    state_ = State::kAfterEquals;
    return;
  }
  name_.push_back(static_cast<char>(c));
  state_ = State::kName;
}

// The name is read: is it one to keep, and not kept yet?
void AttributePicker::EndName() {
  keeping_ = false;
  quote_ = 0;
  if (!name_stands_ || name_long_) return;
  for (size_t i = 0; i < names_.size(); ++i) {
    if ((taken_ & (1u << i)) != 0 || !Matches(name_, names_[i])) continue;
    keeping_ = true;
    which_ = i;
    begin_ = text_.size();
    text_.push_back(' ');
    text_.append(names_[i].lower);
    value_begin_ = text_.size();
    return;
  }
}

void AttributePicker::Complete(bool open_ended) {
  state_ = State::kBetween;
  if (!keeping_) return;
  keeping_ = false;
  taken_ |= 1u << which_;
  Kept kept{which_, begin_, text_.size(), value_begin_, text_.size(), quote_, open_ended, false};
  if (quote_ != 0) {
    kept.value_begin = value_begin_;
    if (!open_ended) kept.value_end = text_.size() - 1;  // before the closing quote
  }
  if (kept.value_end < kept.value_begin) kept.value_end = kept.value_begin;
  kept.unquoted = quote_ == 0 && kept.value_end > kept.value_begin;
  kept_.push_back(kept);
}

void AttributePicker::Feed(int c) {
  switch (state_) {
    case State::kBetween:
      Begin(c);
      return;
    case State::kName:
      if (IsBlank(c)) {
        EndName();
        pending_.clear();
        if (keeping_) pending_.push_back(static_cast<char>(c));
        state_ = State::kAfterName;
      } else if (c == '=') {
        EndName();
        Keep(c);
        value_begin_ = text_.size();
        state_ = State::kAfterEquals;
      } else if (c == '/') {  // <a href/>: a name without a value
        EndName();
        Complete(false);
        standing_ = false;
      } else if (name_.size() < kNameCap) {
        name_.push_back(static_cast<char>(c));
      } else {
        name_long_ = true;
      }
      return;
    case State::kAfterName:
      if (IsBlank(c)) {
        if (keeping_) pending_.push_back(static_cast<char>(c));
      } else if (c == '=') {
        if (keeping_) text_.append(pending_);
        Keep(c);
        value_begin_ = text_.size();
        state_ = State::kAfterEquals;
      } else {  // a name without a value; c begins the next attribute
        Complete(false);
        standing_ = true;
        Begin(c);
      }
      return;
    case State::kAfterEquals:
      Keep(c);
      if (IsBlank(c)) {
        value_begin_ = text_.size();
      } else if (c == '"' || c == '\'') {
        quote_ = c;
        value_begin_ = text_.size();
        state_ = State::kQuoted;
      } else {
        value_begin_ = keeping_ ? text_.size() - 1 : 0;
        state_ = State::kUnquoted;
      }
      return;
    case State::kQuoted:
      Keep(c);
      if (c == quote_) {
        Complete(false);
        standing_ = false;
      }
      return;
    case State::kUnquoted:
      if (IsBlank(c)) {
        Complete(false);
        standing_ = true;
      } else {
        Keep(c);
      }
      return;
  }
}

void AttributePicker::Finish(bool at_end) {
  switch (state_) {
    case State::kBetween:
      return;
    case State::kName:
      EndName();
      Complete(false);
      return;
    case State::kAfterName:
    case State::kAfterEquals:
      Complete(false);
      return;
    case State::kUnquoted:
      closed_in_kept_value_ = keeping_ && !at_end;
      Complete(false);
      return;
    case State::kQuoted:
      if (at_end) {
        Complete(true);
      } else {
        if (keeping_) text_.resize(begin_);
        keeping_ = false;
        state_ = State::kBetween;
      }
      return;
  }
}

}  // namespace pelloran
