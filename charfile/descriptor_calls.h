#pragma once

// System calls on descriptors as the character-file layer makes them, shared
// by its files.

#include <sys/types.h>

namespace pelloran {

// A write past RLIMIT_FSIZE would kill the process with SIGXFSZ; ignored, the
// write fails with EFBIG instead and is reported as "Disk full".
void IgnoreFileSizeSignal();

// Pages are opened non-blocking so that a FIFO cannot hang the open. A
// regular file ignores the flag; should one answer EAGAIN all the same, the
// flag goes and the call is made again.
bool ClearedNonBlocking(int fd, int err);

// open(2) with O_CLOEXEC, made again when interrupted; -1 and errno on failure.
int OpenRetrying(const char* path, int flags, mode_t mode);

}  // namespace pelloran
