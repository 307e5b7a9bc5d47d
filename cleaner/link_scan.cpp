#include "cleaner/link_scan.h"

#include <unordered_set>

#include "charfile/char_file.h"
#include "charfile/text_file.h"
#include "cleaner/class_tables.h"
#include "cleaner/run_state.h"
#include "cleaner/tag_filter.h"
#include "cleaner/wide_encoding.h"
#include "interfaces/clean_context.h"

namespace pelloran {
namespace {

// Takes down every value the pass asks about; the answer changes nothing of
// what the pass reads.
class ValueRecorder final : public LinkCheck {
 public:
  bool IsConnected() override { return false; }
  bool IsUrlAvailable(const std::string& value) override {
    if (seen_.insert(value).second) values.push_back(value);
    return false;
  }

  std::vector<std::string> values;

 private:
  std::unordered_set<std::string> seen_;
};

}  // namespace

std::vector<std::string> ScanLinkValues(const Options& options,
                                        std::span<const std::string> page_paths) {
  ValueRecorder recorder;
  UnseenGauge gauge;
  CleanContext scan(options, gauge, recorder);
  ClassTables tables;
  RunState run;
  // The pass itself, not a second reader of links, so the two cannot drift.
  for (const std::string& path : page_paths) {
    try {
      BindFileName(scan.input, path);
      OpenTextForReading(scan.input);
      if (WideEncodingOf(FirstBlock(scan.input)) == nullptr) {  // no pass reads such a page
        OpenForDiscarding(scan.working_copy);
        OpenForDiscarding(scan.link_report);
        RunTagFilter(scan, tables, run);
      }
    } catch (const EInOutError&) {
      // Unreadable now: its own pass reports it.
    }
    CloseCharFileQuietly(scan.input);
  }
  return std::move(recorder.values);
}

}  // namespace pelloran
