#include "cleaner/clean_preview.h"

#include "charfile/failure_text.h"
#include "charfile/temporary_file.h"
#include "charfile/whole_file.h"
#include "cleaner/class_tables.h"
#include "cleaner/page_clean.h"
#include "interfaces/no_link_check.h"

namespace pelloran {

PagePreview PreviewCleanPage(const Options& options, const ClassTables& tables,
                             const std::string& page_path) {
  const TemporaryFile output;
  if (output.failure()) return {false, {}, ReasonInRussian(output.failure())};
  ClassTables copy = tables;
  // The cleaner's own context is not read: the passes run in a preview's.
  UnseenGauge gauge;
  NoLinkCheck no_link_check;
  CleanContext context(options, gauge, no_link_check);
  PageCleaner cleaner(context, copy);
  const PageResult result = cleaner.CleanInto(PageFiles::At(page_path), output.path());
  PagePreview preview;
  preview.cleaned = result.end == PageEnd::kCleaned || result.end == PageEnd::kUnchanged;
  preview.message = result.message;
  if (!preview.cleaned) return preview;
  try {
    preview.text = ReadWholeFile(output.path());
  } catch (const EInOutError&) {
    return {false, {}, CurrentFailureText()};
  }
  return preview;
}

}  // namespace pelloran
