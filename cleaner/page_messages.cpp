#include "cleaner/page_messages.h"

#include "charfile/failure_text.h"

namespace pelloran {
namespace {

std::string Quoted(const std::string& name) { return "«" + name + "»"; }

std::string Unchanged(const std::string& page) { return "Файл " + Quoted(page) + " не изменён: "; }

}  // namespace

std::string BackupExistsMessage(const std::string& page) {
  return Unchanged(page) + "резервная копия " + Quoted(BackupName(page)) + " уже существует.";
}

std::string EndMarkInsideMessage(const std::string& page) {
  return Unchanged(page) +
         "в нём есть символ с кодом 26, на котором чтение файла останавливается, и текст после "
         "него был бы потерян.";
}

std::string WideEncodingMessage(const std::string& page, const std::string& encoding) {
  return Unchanged(page) + "он записан в " + encoding +
         ", а программа читает страницы в однобайтовых кодировках.";
}

std::string BackupFileMessage(const std::string& page) {
  return Unchanged(page) + "это резервная копия «~», а резервные копии не очищаются.";
}

std::string NamedPipeMessage(const std::string& page) {
  return Unchanged(page) + "это именованный канал, а не файл.";
}

std::string NotARegularFileMessage(const std::string& page) {
  return Unchanged(page) + "это не обычный файл.";
}

std::string NotAWebPageMessage(const std::string& page) {
  return Unchanged(page) +
         "это не веб-страница: имя не как у страниц, и текст не начинается с разметки.";
}

std::string WorkingCopyTooLongMessage(const std::string& page, long longest) {
  return Unchanged(page) + "имя рабочей копии " + Quoted(WorkingCopyName(page)) + " длиннее " +
         std::to_string(longest) + " байт.";
}

std::string PageChangedMessage(const std::string& page) {
  return Unchanged(page) +
         "его изменили, пока он очищался; очищенный текст отброшен, новый текст файла остался.";
}

std::string SymbolicLinkMessage(const std::string& page) {
  return Unchanged(page) + "это символическая ссылка, а не сам файл.";
}

std::string OthersPageMessage(const std::string& page) {
  return Unchanged(page) + "он принадлежит другому пользователю, а очищенный файл стал бы вашим.";
}

std::string OthersPageQuestion(const std::string& page) {
  return "Файл «" + page +
         "» принадлежит другому пользователю; очищенный, он станет вашим. "
         "Очистить его?";
}

std::string PageBusyMessage(const std::string& page) {
  return Unchanged(page) + "его сейчас очищает другой прогон.";
}

std::string BackupNotMadeMessage(const std::string& page, std::error_code failure) {
  return Unchanged(page) + "не удалось переименовать его в " + Quoted(BackupName(page)) + " (" +
         ReasonInRussian(failure) + ").";
}

std::string NotRenamedMessage(const std::string& page, std::error_code failure) {
  return Unchanged(page) + "не удалось дать очищенному тексту имя " + Quoted(page) + " (" +
         ReasonInRussian(failure) + ").";
}

std::string OriginalLeftInBackupNote(const std::string& page) {
  return " Исходный текст остался в файле " + Quoted(BackupName(page)) + ".";
}

std::string UnchangedByCleanMessage(const std::string& page) {
  return Unchanged(page) + "очистка ничего в нём не меняет, и резервная копия не нужна.";
}

}  // namespace pelloran
