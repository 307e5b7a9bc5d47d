#include "app/compare_window.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "app/window_keys.h"

namespace pelloran {
namespace {

const QColor kRemovedLine(255, 220, 220);
const QColor kAddedLine(215, 250, 215);
const QColor kHunkLine(225, 235, 255);

QTextBrowser* MakeView(QWidget* parent, const char* name) {
  auto* view = new QTextBrowser(parent);
  view->setObjectName(QString::fromLatin1(name));
  view->setOpenLinks(false);  // a click on a link of the page goes nowhere
  return view;
}

QLabel* MakeCaption(QWidget* parent, const QString& text) {
  auto* caption = new QLabel(text, parent);
  QFont bold = caption->font();
  bold.setBold(true);
  caption->setFont(bold);
  return caption;
}

// The colour a line of a unified diff is shown on; none for context lines.
std::optional<QColor> LineColour(QStringView line) {
  if (line.startsWith(u"---") || line.startsWith(u"+++")) return std::nullopt;
  if (line.startsWith(u'-')) return kRemovedLine;
  if (line.startsWith(u'+')) return kAddedLine;
  if (line.startsWith(u"@@")) return kHunkLine;
  return std::nullopt;
}

}  // namespace

QByteArray PageCharset(const std::string& bytes) {
  const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QStringDecoder declared = QStringDecoder::decoderForHtml(view);
  if (declared.isValid()) {
    const QByteArray name(declared.name());
    // Without a declaration the answer is UTF-8; bytes that are no UTF-8 say otherwise.
    if (name != "UTF-8") return name;
    const QString probe = declared.decode(view);
    if (!declared.hasError()) return name;
  }
  return "windows-1251";
}

QString DecodeWith(const QByteArray& charset, const std::string& bytes) {
  const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QStringDecoder decoder(charset.constData());
  if (!decoder.isValid()) return QString::fromLatin1(view);
  return decoder.decode(view);
}

QString DecodePage(const std::string& bytes) { return DecodeWith(PageCharset(bytes), bytes); }

CompareWindow::CompareWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("CompareWindow"));
  resize(1000, 640);
  SourceNote = new QLabel(this);
  SourceNote->setObjectName(QStringLiteral("SourceNote"));
  Tabs = new QTabWidget(this);
  Tabs->setObjectName(QStringLiteral("CompareTabs"));
  Tabs->addTab(BuildSideBySide(), QStringLiteral("было и стало"));
  Tabs->addTab(BuildDiffTab(), QStringLiteral("разница"));
  auto* column = new QVBoxLayout(this);
  column->addWidget(SourceNote);
  column->addWidget(Tabs, 1);
  OnEscape(this, [this] { close(); });
}

QWidget* CompareWindow::BuildSideBySide() {
  auto* page = new QWidget(this);
  BeforeView = MakeView(page, "BeforeView");
  AfterView = MakeView(page, "AfterView");
  auto* grid = new QGridLayout(page);
  grid->addWidget(MakeCaption(page, QStringLiteral("было")), 0, 0);
  grid->addWidget(MakeCaption(page, QStringLiteral("стало")), 0, 1);
  grid->addWidget(BeforeView, 1, 0);
  grid->addWidget(AfterView, 1, 1);
  grid->setRowStretch(1, 1);
  return page;
}

QWidget* CompareWindow::BuildDiffTab() {
  auto* page = new QWidget(this);
  Sizes = new QLabel(page);
  Sizes->setObjectName(QStringLiteral("Sizes"));
  DiffView = new QTextEdit(page);
  DiffView->setObjectName(QStringLiteral("DiffView"));
  DiffView->setReadOnly(true);
  DiffView->setLineWrapMode(QTextEdit::NoWrap);
  DiffView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* column = new QVBoxLayout(page);
  column->addWidget(Sizes);
  column->addWidget(DiffView, 1);
  return page;
}

void CompareWindow::ShowComparison(const std::string& page_path, const PageComparison& comparison) {
  const QString name = QFileInfo(QFile::decodeName(page_path.c_str())).fileName();
  setWindowTitle(QStringLiteral("Pelloran — сравнение: %1").arg(name));
  SourceNote->setText(
      comparison.from_backup
          ? QStringLiteral("«было» — копия «%1~», «стало» — страница «%1».").arg(name)
          : QStringLiteral("Копии «~» нет: «стало» — то, что сделает «применить» "
                           "с флажками, как они стоят сейчас."));
  // Pictures and style sheets of the page are found beside it.
  const QStringList beside{QFileInfo(QFile::decodeName(page_path.c_str())).absolutePath()};
  BeforeView->setSearchPaths(beside);
  AfterView->setSearchPaths(beside);
  // The page's own declaration reads both texts and the diff: cleaning may
  // have dropped the meta tag that carries it.
  const QByteArray charset = PageCharset(comparison.before);
  BeforeView->setHtml(DecodeWith(charset, comparison.before));
  AfterView->setHtml(DecodeWith(charset, comparison.after));
  Sizes->setText(QStringLiteral("было: %1 байт, стало: %2 байт")
                     .arg(comparison.before.size())
                     .arg(comparison.after.size()));
  ShowDiff(comparison.diff, charset);
  show();
  raise();
  activateWindow();
}

// One block per line of the diff, removed and added lines on their colour.
void CompareWindow::ShowDiff(const std::string& diff, const QByteArray& charset) {
  DiffView->clear();
  if (diff.empty()) {
    DiffView->setPlainText(QStringLiteral("Тексты совпадают."));
    return;
  }
  const QString text = DecodeWith(charset, diff);
  QTextCursor cursor(DiffView->document());
  bool first = true;
  for (QStringView line : QStringView(text).split(u'\n')) {
    if (line.endsWith(u'\r')) line.chop(1);
    QTextBlockFormat format;
    if (const auto colour = LineColour(line)) format.setBackground(*colour);
    if (first) {
      cursor.setBlockFormat(format);
      first = false;
    } else {
      cursor.insertBlock(format);
    }
    cursor.insertText(line.toString());
  }
  DiffView->moveCursor(QTextCursor::Start);
}

}  // namespace pelloran
