#pragma once

#include <QLabel>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextEdit>
#include <QWidget>
#include <string>

#include "tools/page_comparison.h"

namespace pelloran {

// The charset a browser would read the page by: a byte-order mark, then the
// charset its meta tag declares, windows-1251 and the other single-byte ones
// included. A page that declares none is UTF-8 when it is valid UTF-8, and
// otherwise windows-1251, the code page the program's pages come in.
QByteArray PageCharset(const std::string& bytes);
// The bytes read by that charset (Latin-1 for a name nobody knows).
QString DecodeWith(const QByteArray& charset, const std::string& bytes);
QString DecodePage(const std::string& bytes);

// The compare window: "было" and "стало" rendered side by side on the first
// tab, the source diff with removed and added lines coloured and the sizes
// before and after on the second.
class CompareWindow : public QWidget {
  Q_OBJECT

 public:
  explicit CompareWindow(QWidget* parent = nullptr);

  // Shows the comparison of the page at `page_path` (an absolute path).
  void ShowComparison(const std::string& page_path, const PageComparison& comparison);

  QTabWidget* Tabs;
  QLabel* SourceNote;
  QTextBrowser* BeforeView;
  QTextBrowser* AfterView;
  QLabel* Sizes;
  QTextEdit* DiffView;

 private:
  QWidget* BuildSideBySide();
  QWidget* BuildDiffTab();
  void ShowDiff(const std::string& diff, const QByteArray& charset);
};

}  // namespace pelloran
