#include "app/help_viewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QStyle>
#include <QTextBlock>
#include <QVBoxLayout>

#include "app/window_design.h"
#include "app/window_keys.h"

namespace pelloran {
namespace {

constexpr int kTopicHeading = 2;  // an <h2> starts a topic of the contents

// The anchor names the heading's text carries, the first of them.
QString AnchorOf(const QTextBlock& block) {
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    const QStringList names = it.fragment().charFormat().anchorNames();
    if (!names.isEmpty()) return names.front();
  }
  return {};
}

QToolButton* MakeNavigationButton(QWidget* parent, const char* name, const QString& hint,
                                  const QIcon& picture) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setToolTip(hint);
  button->setIcon(picture);
  button->setEnabled(false);
  return button;
}

}  // namespace

std::optional<QUrl> HelpPageUrl(const QString& help_file, int context,
                                const QString& program_folder) {
  const QString page = QDir(program_folder).filePath(help_file);
  if (!QFileInfo(page).isFile()) return std::nullopt;
  QUrl url = QUrl::fromLocalFile(QDir::cleanPath(page));
  url.setFragment(QString::number(context));
  return url;
}

QStringList DefaultHelpFolders() {
  const QString program = QCoreApplication::applicationDirPath();
  return {program, program + QStringLiteral("/../share/pelloran")};
}

HelpWindow::HelpWindow(QStringList folders, QWidget* parent)
    : QWidget(parent, Qt::Window), folders_(std::move(folders)) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Pelloran — справка"));
  resize(760, 540);
  HelpBack = MakeNavigationButton(this, "HelpBack", QStringLiteral("назад"),
                                  style()->standardIcon(QStyle::SP_ArrowBack));
  HelpForward = MakeNavigationButton(this, "HelpForward", QStringLiteral("вперёд"),
                                     style()->standardIcon(QStyle::SP_ArrowForward));
  HelpContents = new QListWidget(this);
  HelpContents->setObjectName(QStringLiteral("HelpContents"));
  HelpContents->setFixedWidth(220);
  HelpText = new QTextBrowser(this);
  HelpText->setObjectName(QStringLiteral("HelpText"));
  HelpText->setFont(DesignFont(13));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(HelpBack);
  buttons->addWidget(HelpForward);
  buttons->addStretch();
  auto* panes = new QHBoxLayout;
  panes->addWidget(HelpContents);
  panes->addWidget(HelpText, 1);
  auto* column = new QVBoxLayout(this);
  column->addLayout(buttons);
  column->addLayout(panes, 1);

  connect(HelpBack, &QToolButton::clicked, HelpText, &QTextBrowser::backward);
  connect(HelpForward, &QToolButton::clicked, HelpText, &QTextBrowser::forward);
  connect(HelpText, &QTextBrowser::backwardAvailable, HelpBack, &QWidget::setEnabled);
  connect(HelpText, &QTextBrowser::forwardAvailable, HelpForward, &QWidget::setEnabled);
  connect(HelpContents, &QListWidget::itemActivated, this, &HelpWindow::ContentsChosen);
  connect(HelpContents, &QListWidget::itemClicked, this, &HelpWindow::ContentsChosen);
  // Within one document a move to another topic need not change the source.
  connect(HelpText, &QTextBrowser::sourceChanged, this, &HelpWindow::MarkShownTopic);
  connect(HelpText, &QTextBrowser::historyChanged, this, &HelpWindow::MarkShownTopic);
  OnEscape(this, [this] { close(); });
}

void HelpWindow::ShowTopic(const QString& help_file, int context) {
  std::optional<QUrl> page;
  for (const QString& folder : folders_) {
    if ((page = HelpPageUrl(help_file, context, folder))) break;
  }
  if (!page) {
    HelpText->setPlainText(
        QStringLiteral("Файл справки %1 не найден в папках:\n%2")
            .arg(QFileInfo(help_file).fileName(), folders_.join(QLatin1Char('\n'))));
  } else {
    HelpText->setSource(*page);
    QUrl document = *page;
    document.setFragment(QString());
    if (document != document_) {
      document_ = document;
      FillContents();
    }
    MarkShownTopic();
  }
  show();
  raise();
  activateWindow();
}

// One line per topic heading, in the document's order.
void HelpWindow::FillContents() {
  HelpContents->clear();
  for (QTextBlock block = HelpText->document()->begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() != kTopicHeading) continue;
    const QString anchor = AnchorOf(block);
    if (anchor.isEmpty()) continue;
    auto* item = new QListWidgetItem(block.text(), HelpContents);
    item->setData(Qt::UserRole, anchor);
  }
}

// The contents line of the topic shown is the current one; none when the
// text shows no topic of the list.
void HelpWindow::MarkShownTopic() {
  const QString shown = HelpText->source().fragment();
  for (int i = 0; i < HelpContents->count(); ++i) {
    if (HelpContents->item(i)->data(Qt::UserRole).toString() == shown) {
      HelpContents->setCurrentRow(i);
      return;
    }
  }
  HelpContents->setCurrentRow(-1);
}

void HelpWindow::ContentsChosen(QListWidgetItem* item) {
  QUrl topic = document_;
  topic.setFragment(item->data(Qt::UserRole).toString());
  HelpText->setSource(topic);
}

}  // namespace pelloran
