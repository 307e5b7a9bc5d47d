#include "charfile/in_out_error.h"

#include <cerrno>

namespace pelloran {

std::string InOutMessage(int code) {
  switch (code) {
    case kFileNotFound:
      return "File not found";
    case kInvalidFilename:
      return "Invalid filename";
    case kTooManyOpenFiles:
      return "Too many open files";
    case kFileAccessDenied:
      return "File access denied";
    case kReadBeyondEnd:
      return "Read beyond end of file";
    case kDiskFull:
      return "Disk full";
    case kInvalidNumericInput:
      return "Invalid numeric input";
    default:
      return "I/O error " + std::to_string(code);
  }
}

namespace {

// The table code of an errno that has one, else 0.
int MappedCode(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return kFileNotFound;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
      return kInvalidFilename;
    case EMFILE:
    case ENFILE:
      return kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      return kFileAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return kDiskFull;
    default:
      return 0;
  }
}

// What happened, where the table's message for the code would say less:
// denied access and a full disk have causes that call for other remedies.
const char* OwnMessage(int err) {
  switch (err) {
    case EROFS:
      return "File access denied: read-only file system";
    case EISDIR:
      return "File access denied: a folder is in the way";
    case EFBIG:
      return "Disk full: the file-size limit is reached";
    case EDQUOT:
      return "Disk full: the disk quota is used up";
    default:
      return nullptr;
  }
}

}  // namespace

int CodeForErrno(int err) {
  const int code = MappedCode(err);
  return code != 0 ? code : err;
}

EInOutError EInOutError::FromErrno(int err) {
  const int code = MappedCode(err);
  EInOutError failure = code == 0 ? EInOutError(err, "I/O error " + std::to_string(err))
                        : OwnMessage(err) != nullptr ? EInOutError(code, OwnMessage(err))
                                                     : EInOutError(code);
  failure.error_number_ = err;
  return failure;
}

}  // namespace pelloran
