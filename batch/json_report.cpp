#include "batch/json_report.h"

#include <nlohmann/json.hpp>

#include "batch/box_names.h"
#include "cleaner/cleaning_options.h"

namespace pelloran {
namespace {

using nlohmann::json;

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

json PageOf(const PageRecord& page) {
  json entry = {{"path", page.path}, {"outcome", OutcomeName(page.outcome)}};
  if (!page.reason.empty()) entry["reason"] = page.reason;
  entry["bytes_before"] = page.bytes_before < 0 ? json() : json(page.bytes_before);
  entry["bytes_after"] = page.bytes_after < 0 ? json() : json(page.bytes_after);
  if (page.statistics) entry["statistics"] = StatisticsOf(*page.statistics);
  return entry;
}

}  // namespace

LinkCounts CountLinks(const std::vector<PageRecord>& pages) {
  LinkCounts counts;
  for (const PageRecord& page : pages) {
    if (!page.statistics) continue;
    for (const CheckedLink& link : page.statistics->links) {
      switch (link.outcome.verdict) {
        case LinkVerdict::kAvailable:
          ++counts.available;
          break;
        case LinkVerdict::kBroken:
          ++counts.broken;
          break;
        case LinkVerdict::kNotChecked:
          ++counts.not_checked;
          break;
      }
    }
  }
  return counts;
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
    case PageOutcome::kFirstPassOnly:
      return "first_pass_only";
    case PageOutcome::kFailed:
      break;
  }
  return "failed";
}

std::string JsonReport(const Options& options, RunKind kind, const std::vector<PageRecord>& pages) {
  json totals = json::object();
  for (PageOutcome outcome :
       {PageOutcome::kCleaned, PageOutcome::kUnchanged, PageOutcome::kRestored,
        PageOutcome::kSkipped, PageOutcome::kFailed, PageOutcome::kFirstPassOnly})
    totals[OutcomeName(outcome)] = 0;
  json page_list = json::array();
  int64_t office_bytes = 0;
  for (const PageRecord& page : pages) {
    page_list.push_back(PageOf(page));
    totals[OutcomeName(page.outcome)] = totals[OutcomeName(page.outcome)].get<int>() + 1;
    office_bytes += page.office_markup_bytes_dropped;
  }
  totals["office_markup_bytes_dropped"] = office_bytes;
  if (options.IsLinkCheckingOn() && !kind.dry_run && !kind.restore) {
    const LinkCounts links = CountLinks(pages);
    totals["links"] = {{"available", links.available},
                       {"broken", links.broken},
                       {"not_checked", links.not_checked}};
  }
  const json document = {
      {"dry_run", kind.dry_run},
      {"restore", kind.restore},
      {"options",
       {{"boxes", BoxesOf(options)},
        {"link_checking", options.IsLinkCheckingOn()},
        {"office_markup_dropped", options.IsOfficeMarkupDropped()}}},
      {"pages", page_list},
      {"totals", totals},
  };
  return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace pelloran
