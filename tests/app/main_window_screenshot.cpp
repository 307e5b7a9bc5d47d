// Writes a picture of the main window, drawn offscreen, for the README:
//   main_window_screenshot OUTPUT.png
// It shows a small folder of sample pages with two of them selected.

#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <filesystem>

#include "app/application.h"
#include "app/start_up.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

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

  int app_argc = 1;
  pelloran::Application app(app_argc, argv);
  pelloran::testing::TestMessages messages;
  pelloran::testing::TestLinkCheck link_check;
  pelloran::ProgramWindows windows(messages, link_check);
  windows.Form1.show();
  QCoreApplication::processEvents();
  pelloran::FileListBox& list = *windows.Form1.FileListBox1;
  list.Select(1);
  list.Select(3);
  list.MoveFocusQuietly(3);
  windows.Form1.gauge().SetProgress(40);
  return windows.Form1.grab().save(output) ? 0 : 1;
}
