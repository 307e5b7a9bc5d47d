#include "cleaner/link_report.h"

#include <sys/random.h>
#include <sys/stat.h>

#include <cerrno>

#include "charfile/char_file.h"
#include "charfile/file_moves.h"
#include "charfile/in_out_error.h"
#include "cleaner/text_encoding.h"
#include "interfaces/path_names.h"

namespace pelloran {
namespace {

// The byte-order mark that tells an editor the report is in UTF-8.
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

// A temporary name no one can guess ahead: 16 letters from the kernel's
// random source (the clock and the process id when it has none).
std::string UnguessableSuffix() {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[16];
  if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    for (size_t i = 0; i < sizeof bytes; ++i)
      bytes[i] = static_cast<unsigned char>((now.tv_nsec >> (i % 4 * 8)) ^ (::getpid() >> i));
  }
  std::string suffix;
  for (const unsigned char byte : bytes) suffix += kLetters[byte % (sizeof kLetters - 1)];
  return suffix;
}

// Only a regular file (or nothing) under the report's name is replaced: a
// symbolic link or a folder there is left, and the report is not written.
void CheckReplaceable(const std::string& name) {
  struct stat st;
  if (::lstat(name.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return;
  const char* what = S_ISLNK(st.st_mode)   ? "символическая ссылка"
                     : S_ISDIR(st.st_mode) ? "папка"
                                           : "не обычный файл";
  throw EInOutError(kFileAccessDenied, "Отчёт о ссылках не записан: «" + name + "» — это " + what +
                                           ", а заменяется только обычный файл");
}

}  // namespace

LinkReport::~LinkReport() {
  if (!file_.is_open()) return;
  CloseCharFileQuietly(file_);
  DeleteFile(in_progress_);
}

void LinkReport::Start(const std::string& folder) {
  const PageFiles place{folder, kLinkReportName};
  name_ = place.Path();
  CheckReplaceable(name_);
  // Made as a new file under a name of its own, never through a link or
  // over a file someone put there; a name taken is tried again.
  for (int attempt = 0;; ++attempt) {
    in_progress_ = place.In("." + std::string(kLinkReportName) + "." + UnguessableSuffix());
    BindFileName(file_, in_progress_);
    try {
      CreateNewTextForWriting(file_);
      break;
    } catch (const EInOutError& failure) {
      if (failure.error_number() != EEXIST || attempt == 9) throw;
    }
  }
  PutText(file_, kUtf8Mark);
}

void LinkReport::BeginPage(const std::string& path) {
  if (!file_.is_open()) return;
  PutLineEnd(file_);
  PutText(file_, "           " + AsUtf8(path) + " :");
  PutLineEnd(file_);
  PutLineEnd(file_);
}

void LinkReport::Commit() {
  if (!file_.is_open()) return;
  CloseCharFile(file_);
  try {
    CheckReplaceable(name_);
  } catch (const EInOutError&) {
    DeleteFile(in_progress_);
    throw;
  }
  if (const std::error_code failure = ReplaceByRename(in_progress_, name_)) {
    DeleteFile(in_progress_);
    throw EInOutError::FromErrno(failure.value()).About(name_, FileStep::kCreate);
  }
}

void WriteLinkLine(TextFile& report, std::string_view value, std::string_view quote,
                   bool available) {
  const bool in_page = value.find('#') != std::string_view::npos;
  PutText(report, in_page ? "     " : "ext  ");
  PutText(report, quote);
  PutText(report, AsUtf8(value));
  PutText(report, quote);
  if (available) PutText(report, "     OK");
  PutLineEnd(report);
}

}  // namespace pelloran
