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
    case PageOutcome::kFirstPassOnly:
      return "очищено только первым проходом";
    case PageOutcome::kFailed:
      break;
  }
  return "с ошибкой";
}

}  // namespace pelloran
