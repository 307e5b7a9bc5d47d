// Writes a picture of the main window, drawn offscreen, for the README:
//   main_window_screenshot OUTPUT.png
// It shows a small folder of sample pages with two of them selected.

#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <filesystem>

#include "tests/app/screenshot_support.h"
#include "tests/support/temp_dir.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
    return 2;
  }
  const QString output = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1]));
  pelloran::testing::TempDir folder;
  for (const char* name : {"index.htm", "news.html", "about.php", "contacts.htm", "readme.txt"}) {
    pelloran::testing::WriteFile(folder / name, "<p>x</p>");
  }
  std::filesystem::create_directory(folder.path() / "images");
  pelloran::testing::ScopedCurrentDir inside(folder.path());

  pelloran::testing::ShownProgram program(argv);
  pelloran::TForm1& form = program.windows.Form1;
  pelloran::FileListBox& list = *form.FileListBox1;
  list.Select(1);
  list.Select(3);
  list.MoveFocusQuietly(3);
  form.gauge().SetProgress(40);
  return form.grab().save(output) ? 0 : 1;
}
