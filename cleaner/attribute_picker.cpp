#include "cleaner/attribute_picker.h"

#include "charfile/byte_file.h"
#include "charfile/text_file.h"
#include "stylesheet/case_fold.h"

namespace pelloran {
namespace {

// Longer than any kept name: a longer one is compared with none.
constexpr size_t kNameCap = 8;
// The blanks kept between a kept name and its "=".
constexpr size_t kPendingCap = 64;

}  // namespace

AttributePicker::AttributePicker() {
  name_.reserve(kNameCap);
  pending_.reserve(kPendingCap);
  captured_.reserve(kCapturedCap);
  text_.reserve(256);
  kept_.reserve(8);
}

void AttributePicker::Start(std::span<const KeptName> names, ByteFile* stream, size_t capture) {
  names_ = names;
  stream_ = stream;
  capture_ = capture;
  taken_ = 0;
  state_ = State::kBetween;
  standing_ = true;
  keeping_ = false;
  closed_in_kept_value_ = false;
  text_.clear();
  captured_.clear();
  kept_.clear();
  taken_up_to_ = 0;
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

// Between attributes: blanks let a name stand; "/" is no part of a name. A
// "=" here begins a name, as in a browser: `<a = href=x>` has an href.
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
  name_.push_back(static_cast<char>(c));
  state_ = State::kName;
}

// The name is read: is it one to keep, and not kept yet?
void AttributePicker::EndName() {
  keeping_ = false;
  quote_ = 0;
  value_size_ = 0;
  if (!name_stands_ || name_long_) return;
  for (size_t i = 0; i < names_.size(); ++i) {
    if ((taken_ & (1u << i)) != 0 || !EqualIgnoringCase(name_, names_[i])) continue;
    keeping_ = true;
    which_ = i;
    begin_ = text_.size();
    Keep(' ');
    KeepText(names_[i]);
    return;
  }
}

void AttributePicker::Complete() {
  state_ = State::kBetween;
  if (!keeping_) return;
  keeping_ = false;
  taken_ |= 1u << which_;
  kept_.push_back({which_, begin_, text_.size(), quote_, quote_ == 0 && value_size_ > 0});
}

void AttributePicker::Feed(int c) {
  switch (state_) {
    case State::kBetween:
      Begin(c);
      return;
    case State::kName:
      FeedName(c);
      return;
    case State::kAfterName:
      FeedAfterName(c);
      return;
    case State::kAfterEquals:
      FeedAfterEquals(c);
      return;
    case State::kQuoted:
      FeedQuoted(c);
      return;
    case State::kUnquoted:
      FeedUnquoted(c);
      return;
  }
}

// Inside an attribute's name: a blank, "=" or "/" ends it.
void AttributePicker::FeedName(int c) {
  if (IsBlank(c)) {
    EndName();
    pending_.clear();
    if (keeping_) pending_.push_back(static_cast<char>(c));
    state_ = State::kAfterName;
  } else if (c == '=') {
    EndName();
    Keep(c);
    state_ = State::kAfterEquals;
  } else if (c == '/') {  // <a href/>: a name without a value
    EndName();
    Complete();
    standing_ = false;
  } else if (name_.size() < kNameCap) {
    name_.push_back(static_cast<char>(c));
  } else {
    name_long_ = true;
  }
}

// After a name and blanks: "=" brings a value, anything else the next attribute.
void AttributePicker::FeedAfterName(int c) {
  if (IsBlank(c)) {
    // Blanks before "=" matter to no browser: a long run is cut short.
    if (keeping_ && pending_.size() < kPendingCap) pending_.push_back(static_cast<char>(c));
  } else if (c == '=') {
    KeepText(pending_);
    Keep(c);
    state_ = State::kAfterEquals;
  } else {  // a name without a value; c begins the next attribute
    Complete();
    standing_ = true;
    Begin(c);
  }
}

// After "=": blanks, then a quote or the first character of an unquoted value.
void AttributePicker::FeedAfterEquals(int c) {
  if (IsBlank(c)) {
    Keep(c);
  } else if (c == '"' || c == '\'') {
    Keep(c);
    quote_ = c;
    state_ = State::kQuoted;
  } else {
    KeepValue(c);
    state_ = State::kUnquoted;
  }
}

// Inside a quoted value: only its quote ends it.
void AttributePicker::FeedQuoted(int c) {
  if (c == quote_) {
    Keep(c);
    Complete();
    standing_ = false;
  } else {
    KeepValue(c);
  }
}

// Inside an unquoted value: a blank ends it.
void AttributePicker::FeedUnquoted(int c) {
  if (IsBlank(c)) {
    Complete();
    standing_ = true;
  } else {
    KeepValue(c);
  }
}

void AttributePicker::Finish(bool at_end) {
  switch (state_) {
    case State::kBetween:
      return;
    case State::kName:
      EndName();
      Complete();
      return;
    case State::kAfterName:
    case State::kAfterEquals:
      Complete();
      return;
    case State::kUnquoted:
      closed_in_kept_value_ = keeping_ && !at_end;
      Complete();
      return;
    case State::kQuoted:
      if (at_end) {
        Complete();
      } else {
        if (keeping_) text_.resize(begin_);
        keeping_ = false;
        state_ = State::kBetween;
      }
      return;
  }
}

}  // namespace pelloran
