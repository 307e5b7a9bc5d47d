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
// given by AttachRemoval.
class TForm2 : public SideWindow {
  Q_OBJECT

 public:
  explicit TForm2(QWidget* main_window);

  // The default texts: the insides of the comments that open and close the
  // advert code of one service.
  static const QString kDefaultStartText;
  static const QString kDefaultEndText;

  QLabel* Label1;
  QLabel* Label2;
  QLineEdit* Edit1;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;
  QLineEdit* Edit2;
  QLabel* Label6;
  QPushButton* Button1;
  QPushButton* Button2;

  void Button2Click() { GoBack(); }

  // What "удалить" works on: the main window's list and program-wide files.
  // Its failures go to `report_failure`. All must outlive the window.
  using FailureHandler = std::function<void(std::exception_ptr)>;
  void AttachRemoval(CleanContext& context, FileList& list, Messages& messages, Trash& trash,
                     FailureHandler report_failure);
  // Runs the removal over the list's selection with the texts of Edit1 and
  // Edit2 (advert_window_removal.cpp).
  void Button1Click();

 private:
  struct MarkerRow {
    QLabel* caption;
    QLabel* open;
    QLineEdit* edit;
    QLabel* close;
  };
  MarkerRow BuildMarkerRow(int top, int first_label, const QString& caption, int edit_number,
                           const QString& text);
  void BuildButtons();
  void MakeRoomForMarkers();
  static constexpr int kMarkerEditWidth = 113;

  CleanContext* context_ = nullptr;
  FileList* list_ = nullptr;
  Messages* messages_ = nullptr;
  Trash* trash_ = nullptr;
  FailureHandler report_failure_;
};

}  // namespace pelloran
