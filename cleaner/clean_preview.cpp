#include "cleaner/clean_preview.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "charfile/failure_text.h"
#include "charfile/file_moves.h"
#include "charfile/whole_file.h"
#include "cleaner/class_tables.h"
#include "cleaner/page_eligibility.h"
#include "cleaner/page_swap.h"
#include "interfaces/path_names.h"

namespace pelloran {
namespace {

// The options as they stand, with link checking off: a preview asks no web
// and writes no report.
class WithoutLinkChecks final : public Options {
 public:
  explicit WithoutLinkChecks(const Options& options) : options_(options) {}
  bool IsTicked(int box) const override { return options_.IsTicked(box); }
  bool IsLinkCheckingOn() const override { return false; }
  bool IsOfficeMarkupDropped() const override { return options_.IsOfficeMarkupDropped(); }

 private:
  const Options& options_;
};

class NoLinkCheck final : public LinkCheck {
 public:
  bool IsConnected() override { return false; }
  bool IsUrlAvailable(const std::string&) override { return false; }
};

}  // namespace

// A folder of its own, readable by this user only: the second pass's file
// beside the first has a name others could foresee, and must not be theirs.
TemporaryFile::TemporaryFile() {
  std::error_code no_temp;
  std::filesystem::path folder = std::filesystem::temp_directory_path(no_temp);
  if (no_temp) folder = "/tmp";
  folder_ = folder / "pelloran-preview-XXXXXX";
  if (::mkdtemp(folder_.data()) == nullptr) {
    failure_ = std::error_code(errno, std::generic_category());
    return;
  }
  path_ = folder_ + "/page";
}

TemporaryFile::~TemporaryFile() {
  std::error_code ignored;
  if (!failure_) std::filesystem::remove_all(folder_, ignored);
}

PreviewOutcome CleanPageInto(const Options& options, ClassTables& tables, RunState& run,
                             const std::string& page_path, const std::string& output_path,
                             CleanStatistics* statistics, const CleanPasses& passes) {
  WithoutLinkChecks preview_options(options);
  UnseenGauge gauge;
  NoLinkCheck no_link_check;
  CleanContext context(preview_options, gauge, no_link_check);
  context.statistics = statistics;
  const std::string name(NamePart(page_path));
  if (auto not_a_page = WhyNotAPage(page_path)) return {false, std::move(*not_a_page)};
  if (const PassEnd end =
          RunPassInto(context, tables, run, page_path, PassInput::kPage, output_path, passes.first);
      end != PassEnd::kWhole)
    return {false, PassEndMessage(end, name)};
  if (!IsStyleOverridingOn(options)) return {true, {}};
  const std::string second = output_path + ".pass2";
  try {
    if (RunPassInto(context, tables, run, output_path, PassInput::kFirstPassResult, second,
                    passes.second) != PassEnd::kWhole) {
      DeleteFile(output_path);
      return {false, EndMarkInsideMessage(name)};
    }
  } catch (const EInOutError&) {
    DeleteFile(output_path);
    throw;
  }
  if (const std::error_code failure = ReplaceByRename(second, output_path)) {
    DeleteFile(second);
    DeleteFile(output_path);
    throw EInOutError::FromErrno(failure.value());
  }
  return {true, {}};
}

PagePreview PreviewCleanPage(const Options& options, const ClassTables& tables,
                             const std::string& page_path) {
  const TemporaryFile output;
  if (output.failure()) return {false, {}, ReasonInRussian(output.failure())};
  ClassTables copy = tables;
  RunState run;
  PagePreview preview;
  try {
    const PreviewOutcome outcome = CleanPageInto(options, copy, run, page_path, output.path());
    preview.cleaned = outcome.cleaned;
    preview.message = outcome.message;
    if (outcome.cleaned) preview.text = ReadWholeFile(output.path());
  } catch (const EInOutError&) {
    preview.message = DescribeFailure(std::current_exception()).text;
  }
  return preview;
}

}  // namespace pelloran
