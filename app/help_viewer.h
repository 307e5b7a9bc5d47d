#pragma once

#include <QString>
#include <QUrl>
#include <optional>

namespace pelloran {

// Shows a topic of the help file. The program hands over the help file's
// path as it was set at start-up and the context number of a control.
class HelpViewer {
 public:
  virtual ~HelpViewer() = default;
  virtual void ShowTopic(const QString& help_file, int context) = 0;
};

// Where the topic lies on Linux: the help file's HTML rendition (same path,
// extension ".html") in the program's folder, at the anchor named by the
// context number. None when that file does not exist.
std::optional<QUrl> HelpPageUrl(const QString& help_file, int context,
                                const QString& program_folder);

// Opens HelpPageUrl beside the running program with the desktop's browser;
// does nothing when the page is missing.
class DesktopHelpViewer : public HelpViewer {
 public:
  void ShowTopic(const QString& help_file, int context) override;
};

}  // namespace pelloran
