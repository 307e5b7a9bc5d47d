// Writes a picture of the main window, drawn offscreen, for the README:
//   main_window_screenshot OUTPUT.png [POINTS]
// It shows a small folder of sample pages with two of them selected, at the
// design's font or, with POINTS, as a desktop font of that size shows it.

#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/window_design.h"
#include "tests/app/screenshot_support.h"
#include "tests/support/temp_dir.h"

int main(int argc, char* argv[]) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: %s OUTPUT.png [POINTS]\n", argv[0]);
    return 2;
  }
  if (argc == 3) {
    const double points = std::atof(argv[2]);
    if (points > pelloran::kDesignFontPoints)
      pelloran::FontScale() = points / pelloran::kDesignFontPoints;
  }
  const QString output = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1]));
  pelloran::testing::TempDir folder;
  for (const char* name : {"index.htm", "news.html", "about.php", "contacts.htm", "readme.txt"}) {
    pelloran::testing::WriteFile(folder / name, "<p>x</p>");
  }
  std::filesystem::create_directory(folder.path() / "images");
  pelloran::testing::ScopedCurrentDir inside(folder.path());

  pelloran::testing::ShownProgram program(argv);
  pelloran::MainWindow& form = program.windows.main_window;
  pelloran::FileListBox& list = *form.findChild<pelloran::FileListBox*>("fileList");
  list.Select(1);
  list.Select(3);
  list.MoveFocusQuietly(3);
  form.gauge().SetProgress(40);
  return form.grab().save(output) ? 0 : 1;
}
