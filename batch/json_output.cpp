#include "batch/json_output.h"

#include <filesystem>
#include <string>

#include "charfile/failure_text.h"

namespace pelloran {

bool JsonOutput::Open(const Command& command, std::ostream& out, std::ostream& err,
                      const Console& console) {
  if (!command.json) return true;
  if (*command.json != "-") {
    std::error_code gone;  // the starting folder deleted under the command
    const std::string json_path = std::filesystem::absolute(*command.json, gone).string();
    if (!gone) file_.emplace(json_path);
    if (gone || file_->failure()) {
      err << "pelloran-clean: не удалось записать " << console.Shown(*command.json);
      if (!gone) err << ": " << ReasonInRussian(file_->failure());
      err << "\n";
      return false;
    }
  }
  writer_.emplace(command.options, RunKind{command.dry_run, command.restore},
                  [this, &out](std::string_view text) {
                    if (file_)
                      file_->Append(text);
                    else
                      out << text;  // a failed write is the call's to report, as for every line
                  });
  return true;
}

bool JsonOutput::Finish(const Command& command, Console& console, const LinkCounts& links) {
  if (!writer_) return true;
  writer_->Finish(links);
  if (!file_) return true;
  if (const std::error_code failure = file_->Commit()) {
    console.Failure("pelloran-clean: не удалось записать " + console.Shown(*command.json) + ": " +
                    ReasonInRussian(failure));
    return false;
  }
  return true;
}

}  // namespace pelloran
