#include "cleaner/page_swap.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "charfile/file_moves.h"

namespace pelloran {
namespace {

std::string Quoted(const std::string& name) { return "«" + name + "»"; }

std::string Unchanged(const std::string& page) { return "Файл " + Quoted(page) + " не изменён: "; }

}  // namespace

// The page stays as it is when no backup can be made; the working copy goes.
PageLeft BackupFailure(const std::string& page, std::error_code failure) {
  DeleteFile(WorkingCopyName(page));
  const std::string backup = BackupName(page);
  if (failure == std::errc::file_exists) return {BackupExistsMessage(page), true};
  return {Unchanged(page) + "не удалось переименовать его в " + Quoted(backup) + " (" +
          ReasonInRussian(failure) + ")."};
}

bool HardLinksRefused(std::error_code failure) {
  return failure.value() == EPERM || failure.value() == ENOTSUP || failure.value() == EMLINK;
}

std::string NotRenamedMessage(const std::string& page, std::error_code failure) {
  return Unchanged(page) + "не удалось дать очищенному тексту имя " + Quoted(page) + " (" +
         ReasonInRussian(failure) + ").";
}

std::string SecondPassNotInPlaceMessage(const std::string& page, std::error_code failure) {
  return FirstPassOnlyMessage(
      page, "не удалось заменить его результатом второго прохода: " + ReasonInRussian(failure));
}

std::string FirstPassOnlyMessage(const std::string& page, const std::string& why) {
  struct stat st;
  const std::string size = ::stat(page.c_str(), &st) == 0
                               ? ", размер теперь " + std::to_string(st.st_size) + " байт"
                               : "";
  return "Файл " + Quoted(page) + " очищен без переопределения стилей, только первым проходом" +
         size + " (" + why + "). Исходный текст сохранён в файле " + Quoted(BackupName(page)) + ".";
}

std::string ReasonInRussian(std::error_code failure) {
  switch (failure.value()) {
    case EEXIST:
      return "файл с таким именем уже существует";
    case ENOENT:
      return "файл не найден";
    case EACCES:
    case EPERM:
      return "нет доступа";
    case EROFS:
      return "диск защищён от записи";
    case ENOSPC:
    case EDQUOT:
      return "нет места на диске";
    case ENAMETOOLONG:
      return "слишком длинное имя";
    case EBUSY:
    case ETXTBSY:
      return "файл занят";
    case EISDIR:
      return "это папка";
    default:
      return "ошибка " + std::to_string(failure.value());
  }
}

std::optional<PageLeft> SwapInWorkingCopy(const std::string& page) {
  const std::string working_copy = WorkingCopyName(page);
  const std::string backup = BackupName(page);
  // The backup is made a second name of the page, then the cleaned text takes
  // the page's name in one step: wherever the program is stopped, the page is
  // whole under its own name. Without hard links, two renames do it.
  const std::error_code failure = AddName(page, backup);
  if (HardLinksRefused(failure)) return SwapByRenames(page);
  if (failure) return BackupFailure(page, failure);
  if (const std::error_code replace = ReplaceByRename(working_copy, page)) {
    DeleteFile(working_copy);
    DeleteFile(backup);  // only a second name of the page as it is
    return PageLeft{NotRenamedMessage(page, replace)};
  }
  return std::nullopt;
}

std::optional<PageLeft> SwapByRenames(const std::string& page) {
  const std::string working_copy = WorkingCopyName(page);
  const std::string backup = BackupName(page);
  if (const std::error_code failure = RenameNoReplace(page, backup))
    return BackupFailure(page, failure);
  if (const std::error_code failure = RenameNoReplace(working_copy, page)) {
    DeleteFile(working_copy);
    std::string message = NotRenamedMessage(page, failure);
    if (RenameNoReplace(backup, page))
      message += " Исходный текст остался в файле " + Quoted(backup) + ".";
    return PageLeft{message};
  }
  return std::nullopt;
}

std::optional<std::string> ReplaceWithWorkingCopy(const std::string& page) {
  const std::string working_copy = WorkingCopyName(page);
  if (const std::error_code failure = ReplaceByRename(working_copy, page)) {
    DeleteFile(working_copy);
    return SecondPassNotInPlaceMessage(page, failure);
  }
  return std::nullopt;
}

bool ClearUnfinishedSwap(const std::string& page) {
  const std::string backup = BackupName(page);
  const std::string working_copy = WorkingCopyName(page);
  const bool second_name = SameFile(page, backup);
  if (!second_name) {
    struct stat st;
    if (::lstat(working_copy.c_str(), &st) != 0 || !SameBytes(page, backup)) return false;
  }
  if (DeleteFile(backup)) return false;
  DeleteFile(working_copy);
  return true;
}

long LongestNameHere() {
  const long longest = ::pathconf(".", _PC_NAME_MAX);
  return longest > 0 ? longest : 255;
}

std::optional<std::string> WorkingCopyNameTooLong(const std::string& page) {
  return WorkingCopyNameTooLong(page, LongestNameHere());
}

std::optional<std::string> WorkingCopyNameTooLong(const std::string& page, long longest) {
  const std::string working_copy = WorkingCopyName(page);
  if (working_copy.size() <= static_cast<size_t>(longest)) return std::nullopt;
  return Unchanged(page) + "имя рабочей копии " + Quoted(working_copy) + " длиннее " +
         std::to_string(longest) + " байт.";
}

std::string BackupExistsMessage(const std::string& page) {
  return Unchanged(page) + "резервная копия " + Quoted(BackupName(page)) + " уже существует.";
}

std::string EndMarkInsideMessage(const std::string& page) {
  return Unchanged(page) +
         "в нём есть символ с кодом 26, на котором чтение файла останавливается, и текст после "
         "него был бы потерян.";
}

std::string Utf16PageMessage(const std::string& page) {
  return Unchanged(page) +
         "он записан в UTF-16, а программа читает страницы в однобайтовых кодировках.";
}

}  // namespace pelloran
