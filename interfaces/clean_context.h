#pragma once

#include "charfile/byte_file.h"
#include "charfile/text_file.h"
#include "interfaces/clean_statistics.h"
#include "interfaces/link_check.h"
#include "interfaces/options.h"
#include "interfaces/progress_gauge.h"
#include "interfaces/stop_request.h"

namespace pelloran {

// What the page call and its passes share while they work: the input file and
// working copy, the link report, and the services of their caller. Its owner
// decides how long it lives: the main window for the program's run, the batch
// command for its call, a preview or a link scan for itself alone. Only one
// handler works on it at a time.
struct CleanContext {
  CleanContext(const Options& options_in, ProgressGauge& gauge_in, LinkCheck& link_check_in)
      : options(options_in), gauge(gauge_in), link_check(link_check_in) {}

  TextFile input;         // the page being read
  ByteFile working_copy;  // "PL!__" + the page's name
  TextFile link_report;   // "Ссылки.txt"

  const Options& options;
  ProgressGauge& gauge;
  LinkCheck& link_check;
  // Shows the checks made ahead of a run; none when null.
  LinkCheckProgress* link_progress = nullptr;
  // Where the passes count what they do to the page in hand; none: no counting.
  CleanStatistics* statistics = nullptr;
  // Asked between pages whether the user stopped the run; none: never stopped.
  StopRequest* stop = nullptr;
};

// The context's input and working copy let go of a page's descriptors before
// those close; on a failure what the working copy still buffers is dropped.
class ContextFilesClosed {
 public:
  explicit ContextFilesClosed(CleanContext& context) : context_(context) {}
  ~ContextFilesClosed() {
    CloseCharFileDiscarding(context_.working_copy);
    CloseCharFileDiscarding(context_.input);
  }
  ContextFilesClosed(const ContextFilesClosed&) = delete;
  ContextFilesClosed& operator=(const ContextFilesClosed&) = delete;

 private:
  CleanContext& context_;
};

}  // namespace pelloran
