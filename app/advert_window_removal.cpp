// "удалить" of the advert window: the engine's removal over the main
// window's selection, with the texts as the edit fields hold them now.

#include "app/advert_window.h"
#include "tools/advert_removal.h"

namespace pelloran {

void AdvertWindow::AttachRemoval(CleanContext& context, FileList& list, Messages& messages,
                                 Trash& trash, FailureHandler report_failure) {
  context_ = &context;
  list_ = &list;
  messages_ = &messages;
  trash_ = &trash;
  report_failure_ = std::move(report_failure);
  connect(remove_button_, &QPushButton::clicked, this, &AdvertWindow::RemoveFromSelected,
          Qt::UniqueConnection);
}

void AdvertWindow::RemoveFromSelected() {
  if (context_ == nullptr) return;
  try {
    // The markers are single-byte text; the edit fields hold Unicode.
    AdvertTexts texts;
    texts.start_text = start_row_.edit->text().toLocal8Bit().toStdString();
    texts.end_text = end_row_.edit->text().toLocal8Bit().toStdString();
    RemoveAdverts(*context_, *list_, *messages_, texts, *trash_);
  } catch (...) {
    if (report_failure_) report_failure_(std::current_exception());
  }
}

}  // namespace pelloran
