#pragma once

// Cuts a marked advert block out of the selected pages: everything from "<"
// + the start text to "<" + the end text and the character after it. The
// page keeps its previous content under its name + "~", and the script file
// that the block's src attribute names is deleted once the page is cleaned.

#include <string>
#include <string_view>

#include "interfaces/clean_context.h"
#include "interfaces/file_list.h"
#include "interfaces/messages.h"
#include "interfaces/trash.h"

namespace pelloran {

inline constexpr std::string_view kDefaultAdvertStartText = "!--- Bannerix code --";
inline constexpr std::string_view kDefaultAdvertEndText = "!--- Bannerix code end --";

inline constexpr std::string_view kAdvertInputError = "ОШИБКА ВВОДА!";
inline constexpr std::string_view kAdvertRemoved =
    "Реклама удалена!Для дальнейшей обработки\r\nнажмите выйти.";

struct AdvertTexts {
  std::string start_text{kDefaultAdvertStartText};
  std::string end_text{kDefaultAdvertEndText};
};

// Runs over the selected entries of `list` in list order, through
// context.input and context.working_copy. A page that ends before a marker,
// before "src"/"SRC" or inside the quoted value stops the whole run with the
// input error; pages already done stay cleaned. A page that cannot be backed
// up or put in place, a symbolic link, a page another run holds, or one that
// holds a byte 26 with more text after it, is left as it was with a message,
// and the run goes on. A page is committed as a clean commits it (PageCommit).
// Throws EInOutError after closing both files and deleting the working copy.
// Script files go to `trash`.
void RemoveAdverts(CleanContext& context, FileList& list, Messages& messages,
                   const AdvertTexts& texts, Trash& trash);

// Hands the regular file `value` names inside `folder` or below it to the
// trash. Both "/" and "\" separate; an absolute value, a scheme or drive (any
// ":"), a ".." part, or a path that leads outside through a link deletes
// nothing. Answers whether a file was taken away.
bool DeleteScriptFileInside(const std::string& folder, std::string_view value, Trash& trash);

}  // namespace pelloran
