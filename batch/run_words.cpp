#include "batch/run_words.h"

namespace pelloran {

std::string CountInRussian(int64_t count, const char* one, const char* few, const char* many) {
  const int64_t last_two = (count < 0 ? -count : count) % 100;
  const int64_t last = last_two % 10;
  const bool teen = last_two >= 11 && last_two <= 14;
  const char* noun = teen ? many : last == 1 ? one : last >= 2 && last <= 4 ? few : many;
  return std::to_string(count) + " " + noun;
}

std::string BytesInRussian(int64_t count) { return CountInRussian(count, "байт", "байта", "байт"); }

std::string StaysUnchangedForecast(int64_t bytes) {
  return "не изменится: очистка ничего в нём не меняет (" + BytesInRussian(bytes) + ")";
}

const char* OutcomeInRussian(PageOutcome outcome) {
  switch (outcome) {
    case PageOutcome::kCleaned:
      return "очищено";
    case PageOutcome::kUnchanged:
      return "не изменено";
    case PageOutcome::kRestored:
      return "восстановлено";
    case PageOutcome::kSkipped:
      return "пропущено";
    case PageOutcome::kFailed:
      break;
  }
  return "с ошибкой";
}

// The counts by outcome, the Office markup dropped, whether there was nothing
// to clean, and with link checking the links by what their checks found.
std::string Summary(const std::vector<PageRecord>& records, const Command& command,
                    const LinkCounts& links) {
  size_t counts[kPageOutcomes] = {};
  for (const PageRecord& record : records) ++counts[static_cast<int>(record.outcome)];
  std::string summary = command.dry_run ? "было бы:" : "";
  const auto add = [&](PageOutcome outcome) {
    if (!summary.empty()) summary += summary.ends_with(':') ? " " : ", ";
    summary += std::string(OutcomeInRussian(outcome)) + " " +
               std::to_string(counts[static_cast<int>(outcome)]);
  };
  if (command.restore) {
    add(PageOutcome::kRestored);
  } else {
    add(PageOutcome::kCleaned);
    add(PageOutcome::kUnchanged);
  }
  add(PageOutcome::kSkipped);
  add(PageOutcome::kFailed);
  if (command.options.IsOfficeMarkupDropped() && !command.restore) {
    int64_t office_bytes = 0;
    for (const PageRecord& record : records) office_bytes += record.office_markup_bytes_dropped;
    summary += ", служебной разметки Office убрано: " + BytesInRussian(office_bytes);
  }
  const auto none = [&counts](PageOutcome outcome) {
    return counts[static_cast<int>(outcome)] == 0;
  };
  if (!command.restore && none(PageOutcome::kCleaned) && none(PageOutcome::kFailed))
    summary += "; очищать нечего";
  if (!command.options.IsLinkCheckingOn() || command.dry_run || command.restore) return summary;
  return summary + "\nссылки: доступно " + std::to_string(links.available) + ", недоступно " +
         std::to_string(links.broken) + ", не проверено " + std::to_string(links.not_checked);
}

}  // namespace pelloran
