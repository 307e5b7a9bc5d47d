#pragma once

// A report file written whole or not at all. It is opened under a temporary
// name beside its destination before any page is touched, so that a
// destination that cannot be written stops the call at once; the text is
// added as the run goes and takes the destination's name in one rename only
// once it is written in full.

#include <string>
#include <string_view>
#include <system_error>

namespace pelloran {

class ReportFile {
 public:
  // Makes the temporary file beside `destination`, an absolute path.
  explicit ReportFile(std::string destination);
  // Removes the temporary file unless the report took its name.
  ~ReportFile();
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  // Why the temporary file could not be made (then Commit does nothing), or
  // could not take the text so far.
  std::error_code failure() const { return failure_; }
  // Adds `text` to the temporary file. A failure is kept for Commit; what
  // follows it is not written.
  void Append(std::string_view text);
  // Gives the text its destination's name. On failure (of this or of an
  // Append) the destination is as it was and the temporary file is gone.
  std::error_code Commit();

 private:
  std::string destination_;
  std::string temporary_;
  int fd_ = -1;
  std::error_code failure_;
};

}  // namespace pelloran
