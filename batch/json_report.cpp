#include "batch/json_report.h"

#include <nlohmann/json.hpp>

#include "batch/box_names.h"
#include "cleaner/cleaning_options.h"
#include "cleaner/text_encoding.h"

namespace pelloran {
namespace {

using nlohmann::json;

std::string Base64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
    text += kDigits[group >> 18];
    text += kDigits[(group >> 12) & 63];
    text += i + 1 < bytes.size() ? kDigits[(group >> 6) & 63] : '=';
    text += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
  }
  return text;
}

json BoxesOf(const Options& options) {
  json boxes = json::array();
  for (int box = 1; box <= kHighestBox; ++box) {
    const BoxDesign* design = CleaningOptions::DesignOf(box);
    if (design == nullptr) continue;
    boxes.push_back({{"box", box},
                     {"name", BoxName(box)},
                     {"caption", design->caption},
                     {"ticked", options.IsTicked(box)}});
  }
  return boxes;
}

const char* VerdictName(LinkVerdict verdict) {
  switch (verdict) {
    case LinkVerdict::kAvailable:
      return "available";
    case LinkVerdict::kNotChecked:
      return "not checked";
    case LinkVerdict::kBroken:
      break;
  }
  return "broken";
}

// One link: what was asked and what came of it.
json LinkOf(const CheckedLink& link) {
  const LinkOutcome& outcome = link.outcome;
  json entry = {{"value", link.value}, {"outcome", VerdictName(outcome.verdict)}};
  if (!outcome.address.empty()) entry["address"] = outcome.address;
  if (outcome.status != 0) entry["status"] = outcome.status;
  if (!outcome.detail.empty())
    entry[outcome.verdict == LinkVerdict::kNotChecked ? "reason" : "error"] = outcome.detail;
  if (outcome.host_given_up) entry["host_given_up"] = true;
  return entry;
}

json LinksOf(const std::vector<CheckedLink>& links) {
  json available = json::array(), unavailable = json::array(), each = json::array();
  size_t not_checked = 0;
  for (const CheckedLink& link : links) {
    each.push_back(LinkOf(link));
    switch (link.outcome.verdict) {
      case LinkVerdict::kAvailable:
        available.push_back(link.value);
        break;
      case LinkVerdict::kBroken:
        unavailable.push_back(link.value);
        break;
      case LinkVerdict::kNotChecked:
        ++not_checked;
        break;
    }
  }
  return {{"checked", available.size() + unavailable.size()},
          {"available", available},
          {"unavailable", unavailable},
          {"not_checked", not_checked},
          {"each", each}};
}

json StatisticsOf(const CleanStatistics& s) {
  return {
      {"style_rules", {{"read", s.style_rules_read}, {"written", s.style_rules_written}}},
      {"declarations",
       {{"read", s.declarations_read},
        {"kept", s.declarations_kept},
        {"dropped", s.declarations_dropped()}}},
      {"span_tags_dropped", s.span_tags_dropped},
      {"tags_cut_to_class", s.tags_cut_to_class},
      {"image_tags_reduced", s.image_tags_reduced},
      {"link_tags_reduced", s.link_tags_reduced},
      {"office_markup_bytes_dropped", s.office_markup_bytes_dropped},
      {"style_override",
       {{"paragraph_tags_bared", s.paragraph_tags_bared},
        {"rules_kept", s.override_rules_kept},
        {"unused_rules_dropped", s.unused_rules_dropped}}},
      {"links", LinksOf(s.links)},
  };
}

std::string Dump(const json& value) {
  return value.dump(2, ' ', false, json::error_handler_t::replace);
}

json PageOf(const PageRecord& page) {
  json entry = {{"path", page.path}, {"outcome", OutcomeName(page.outcome)}};
  // The text above shows a name in a single-byte code page with U+FFFD in
  // place of its bytes; these give the name back exactly.
  if (!IsUtf8(page.path)) entry["path_bytes"] = Base64(page.path);
  if (!page.reason.empty()) entry["reason"] = page.reason;
  entry["bytes_before"] = page.bytes_before < 0 ? json() : json(page.bytes_before);
  entry["bytes_after"] = page.bytes_after < 0 ? json() : json(page.bytes_after);
  if (page.statistics) entry["statistics"] = StatisticsOf(*page.statistics);
  return entry;
}

}  // namespace

void LinkCounts::Add(const CleanStatistics& statistics) {
  for (const CheckedLink& link : statistics.links) {
    switch (link.outcome.verdict) {
      case LinkVerdict::kAvailable:
        ++available;
        break;
      case LinkVerdict::kBroken:
        ++broken;
        break;
      case LinkVerdict::kNotChecked:
        ++not_checked;
        break;
    }
  }
}

const char* OutcomeName(PageOutcome outcome) {
  switch (outcome) {
    case PageOutcome::kCleaned:
      return "cleaned";
    case PageOutcome::kUnchanged:
      return "unchanged";
    case PageOutcome::kRestored:
      return "restored";
    case PageOutcome::kSkipped:
      return "skipped";
    case PageOutcome::kFailed:
      break;
  }
  return "failed";
}

// The report is nlohmann's dump of one object with its keys in order
// ("dry_run", "options", "pages", "restore", "totals"), two blanks a level;
// it is written in three pieces that join to exactly that text.
JsonReportWriter::JsonReportWriter(const Options& options, RunKind kind, Sink sink)
    : link_totals_(options.IsLinkCheckingOn() && !kind.dry_run && !kind.restore),
      restore_(kind.restore),
      sink_(std::move(sink)) {
  const json head = {
      {"dry_run", kind.dry_run},
      {"options",
       {{"boxes", BoxesOf(options)},
        {"link_checking", options.IsLinkCheckingOn()},
        {"office_markup_dropped", options.IsOfficeMarkupDropped()}}},
  };
  std::string text = Dump(head);
  text.resize(text.size() - 2);  // the closing "\n}"
  sink_(text + ",\n  \"pages\": [");
}

void JsonReportWriter::Add(const PageRecord& page) {
  ++counts_[static_cast<int>(page.outcome)];
  office_bytes_ += page.office_markup_bytes_dropped;
  std::string text = pages_++ == 0 ? "\n    " : ",\n    ";
  const std::string record = Dump(PageOf(page));
  text.reserve(text.size() + record.size() + record.size() / 8);
  for (const char c : record) {
    text += c;
    if (c == '\n') text += "    ";
  }
  sink_(text);
}

void JsonReportWriter::Finish(const LinkCounts& links) {
  json totals = json::object();
  for (int outcome = 0; outcome < kPageOutcomes; ++outcome)
    totals[OutcomeName(static_cast<PageOutcome>(outcome))] = counts_[outcome];
  totals["office_markup_bytes_dropped"] = office_bytes_;
  if (link_totals_)
    totals["links"] = {{"available", links.available},
                       {"broken", links.broken},
                       {"not_checked", links.not_checked}};
  const json tail = {{"restore", restore_}, {"totals", totals}};
  const std::string text = Dump(tail);
  sink_(std::string(pages_ == 0 ? "]" : "\n  ]") + "," + text.substr(1) + "\n");
}

}  // namespace pelloran
