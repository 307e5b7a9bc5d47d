#pragma once

#include <QListWidget>
#include <QString>
#include <QStringList>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QWidget>
#include <optional>

namespace pelloran {

// Shows a topic of the help file. The program hands over the help file's
// path as it was set at start-up and the context number of a control.
class HelpViewer {
 public:
  virtual ~HelpViewer() = default;
  virtual void ShowTopic(const QString& help_file, int context) = 0;
};

// The help document the program hands to its viewer: HTML pages, relative to
// the program's folder, whose anchors are the context numbers.
inline constexpr char kHelpDocument[] = "help/HELP1.html";

// Where the topic lies: the help document under the program's folder, at the
// anchor named by the context number. None when that file does not exist.
std::optional<QUrl> HelpPageUrl(const QString& help_file, int context,
                                const QString& program_folder);

// The folders the help document is looked for in: beside the program (the
// build tree), then the installed share/pelloran.
QStringList DefaultHelpFolders();

// The help window "Pelloran — справка": the help document in a browser of
// the program's own, so it works offline, with back and forward and a
// contents list made of the document's topic headings.
class HelpWindow : public QWidget, public HelpViewer {
  Q_OBJECT

 public:
  explicit HelpWindow(QStringList folders = DefaultHelpFolders(), QWidget* parent = nullptr);

  // Shows the window at the topic whose anchor is the context number; when
  // the document is missing, says where it was looked for.
  void ShowTopic(const QString& help_file, int context) override;
  // The anchor of the topic in view; empty before the first topic.
  QString CurrentTopic() const { return HelpText->source().fragment(); }

  QToolButton* HelpBack;
  QToolButton* HelpForward;
  QListWidget* HelpContents;
  QTextBrowser* HelpText;

 private:
  void FillContents();
  void ContentsChosen(QListWidgetItem* item);
  void MarkShownTopic();

  QStringList folders_;
  QUrl document_;  // the document loaded, without fragment
};

}  // namespace pelloran
