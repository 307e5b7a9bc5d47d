#pragma once

#include <QCheckBox>
#include <QPushButton>

#include "app/side_window.h"
#include "cleaner/cleaning_options.h"

namespace pelloran {

// The settings window "настройки": the link-checking switch, under it the
// switch that checks relative links as files, under those the switch that
// drops Office markup, and "OK", which leads back to the main window. The
// switches last while the program runs.
class SettingsWindow : public SideWindow {
  Q_OBJECT

 public:
  // Each switch writes its state into `options` (the main window's, which
  // must outlive this window) as it is toggled; all are clear at start, as
  // in a fresh CleaningOptions.
  SettingsWindow(QWidget* main_window, CleaningOptions& options);

 private:
  QCheckBox* link_check_box_;     // "checkLinksBox", clear at start
  QCheckBox* local_link_box_;     // "checkLocalLinksBox", clear at start
  QCheckBox* office_markup_box_;  // "dropOfficeMarkupBox", clear at start
  QPushButton* ok_button_;        // "okButton"
};

}  // namespace pelloran
