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
      {"style_override",
       {{"paragraph_tags_bared", s.paragraph_tags_bared},
        {"rules_kept", s.override_rules_kept},
        {"unused_rules_dropped", s.unused_rules_dropped}}},
      {"links",
       {{"checked", s.links_available.size() + s.links_unavailable.size()},
        {"available", s.links_available},
        {"unavailable", s.links_unavailable}}},
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
  for (const PageRecord& page : pages) {
    page_list.push_back(PageOf(page));
    totals[OutcomeName(page.outcome)] = totals[OutcomeName(page.outcome)].get<int>() + 1;
  }
  const json document = {
      {"dry_run", kind.dry_run},
      {"restore", kind.restore},
      {"options", {{"boxes", BoxesOf(options)}, {"link_checking", options.IsLinkCheckingOn()}}},
      {"pages", page_list},
      {"totals", totals},
  };
  return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace pelloran
