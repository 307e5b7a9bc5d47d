#pragma once

// Runs the cleaner's passes over a page held in a real file in a temporary
// folder, as the clean run does, and hands back what they wrote.

#include <string>
#include <string_view>

#include "charfile/byte_file.h"
#include "charfile/char_file.h"
#include "charfile/text_file.h"
#include "cleaner/class_tables.h"
#include "cleaner/run_state.h"
#include "cleaner/style_override_pass.h"
#include "cleaner/tag_filter.h"
#include "interfaces/clean_context.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

namespace pelloran::testing {

class PassHarness {
 public:
  // The tables and the run state outlive single pages, as in the program.
  ClassTables tables;
  RunState run;
  TestOptions options;
  TestGauge gauge;
  TestLinkCheck link_check;
  CleanContext context{options, gauge, link_check};

  std::string FirstPass(std::string_view page) { return RunPass(page, &RunTagFilter); }
  std::string OverridePass(std::string_view page) { return RunPass(page, &RunStyleOverridePass); }
  // Both passes as the clean run chains them: the second only when overriding is on.
  std::string Clean(std::string_view page) {
    std::string first = FirstPass(page);
    if (!options.IsTicked(17) && !options.IsTicked(5)) return first;
    return OverridePass(first);
  }

  // Everything written to the link report so far (link checking on).
  const std::string& report() const { return report_; }

 private:
  using Pass = void (*)(CleanContext&, ClassTables&, RunState&);

  std::string RunPass(std::string_view page, Pass pass) {
    const std::string in = dir_ / "page.htm";
    const std::string out = dir_ / "PL!__page.htm";
    const std::string report = dir_ / "report.txt";
    WriteFile(in, page);
    BindFileName(context.input, in);
    OpenTextForReading(context.input);
    BindFileName(context.working_copy, out);
    CreateByteFile(context.working_copy);
    OpenByteFile(context.working_copy);
    const bool checking = options.IsLinkCheckingOn();
    if (checking) {
      BindFileName(context.link_report, report);
      CreateTextForWriting(context.link_report);
    }
    pass(context, tables, run);
    CloseCharFile(context.working_copy);
    CloseCharFile(context.input);
    if (checking) {
      CloseCharFile(context.link_report);
      report_ += ReadFile(report);
    }
    return ReadFile(out);
  }

  TempDir dir_;
  std::string report_;
};

}  // namespace pelloran::testing
