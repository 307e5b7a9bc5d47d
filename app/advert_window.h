#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <exception>
#include <functional>

#include "app/side_window.h"
#include "interfaces/clean_context.h"
#include "interfaces/file_list.h"
#include "interfaces/messages.h"
#include "interfaces/trash.h"

namespace pelloran {

// The advert-removal window "Удалить рекламу": the start and end texts of the
// block and the buttons "удалить" and "выйти". "выйти" leads back to the main
// window; "удалить" removes the block from the pages selected in the list
// given by AttachRemoval. Object names: "startTextEdit", "endTextEdit",
// "removeAdvertButton", "exitButton".
class AdvertWindow : public SideWindow {
  Q_OBJECT

 public:
  explicit AdvertWindow(QWidget* main_window);

  // The default texts: the insides of the comments that open and close the
  // advert code of one service.
  static const QString kDefaultStartText;
  static const QString kDefaultEndText;

  // What "удалить" works on: the main window's list and program-wide files.
  // Its failures go to `report_failure`. All must outlive the window.
  using FailureHandler = std::function<void(std::exception_ptr)>;
  void AttachRemoval(CleanContext& context, FileList& list, Messages& messages, Trash& trash,
                     FailureHandler report_failure);

 private:
  // "удалить": the removal over the list's selection with the texts of the
  // two fields (advert_window_removal.cpp).
  void RemoveFromSelected();

  struct MarkerRow {
    QLabel* caption;
    QLabel* open;
    QLineEdit* edit;
    QLabel* close;
  };
  // `name` starts the row's object names ("start": "startTextEdit"...).
  MarkerRow BuildMarkerRow(int top, const QString& name, const QString& caption,
                           const QString& text);
  void BuildButtons();
  void MakeRoomForMarkers();
  static constexpr int kMarkerEditWidth = 113;

  MarkerRow start_row_;
  MarkerRow end_row_;
  QPushButton* remove_button_;
  QPushButton* exit_button_;

  CleanContext* context_ = nullptr;
  FileList* list_ = nullptr;
  Messages* messages_ = nullptr;
  Trash* trash_ = nullptr;
  FailureHandler report_failure_;
};

}  // namespace pelloran
