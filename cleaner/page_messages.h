#pragma once

// What a run says of a page it did not clean, or cleaned only in part: one
// sentence in Russian, as the window shows it, naming the page by its bare
// name and saying why it stands as it does.

#include <string>
#include <system_error>

#include "interfaces/path_names.h"

namespace pelloran {

// Left as it was: its backup name is taken.
std::string BackupExistsMessage(const std::string& page);
// Left as it was: reading stopped at a byte 26 with more bytes after it.
std::string EndMarkInsideMessage(const std::string& page);
// Left as it was: it is written in a wide encoding ("UTF-16", "UTF-32").
std::string WideEncodingMessage(const std::string& page, const std::string& encoding);
// Left as it was: it is a "~" backup.
std::string BackupFileMessage(const std::string& page);
// Left as it was: a named pipe, or another file that is not a regular one.
std::string NamedPipeMessage(const std::string& page);
std::string NotARegularFileMessage(const std::string& page);
// Left as it was: neither its name nor its start says it is a web page.
std::string NotAWebPageMessage(const std::string& page);
// Left as it was: its working copy's name would be longer than `longest`.
std::string WorkingCopyTooLongMessage(const std::string& page, long longest);
// Left as it was: written or replaced while it was cleaned; its new text stays.
std::string PageChangedMessage(const std::string& page);
// Left as it was: the name is a symbolic link, not the page itself.
std::string SymbolicLinkMessage(const std::string& page);
// Left as it was: another user owns it, and the cleaned page would be the runner's.
std::string OthersPageMessage(const std::string& page);
// The window's question before it cleans such a page all the same.
std::string OthersPageQuestion(const std::string& page);
// Left as it was: another run holds it.
std::string PageBusyMessage(const std::string& page);
// Left as it was: it could not be given its backup name.
std::string BackupNotMadeMessage(const std::string& page, std::error_code failure);
// Left as it was: its cleaned text could not take its name.
std::string NotRenamedMessage(const std::string& page, std::error_code failure);
// What follows NotRenamedMessage when the page could not get its name back.
std::string OriginalLeftInBackupNote(const std::string& page);

// Left as it was, without a backup, because cleaning it changes nothing.
std::string UnchangedByCleanMessage(const std::string& page);

}  // namespace pelloran
