// Writes a picture of the compare window, drawn offscreen, for the README:
//   compare_window_screenshot OUTPUT.png [PAGE]
// PAGE (by default a Word 2007 page of the shared corpus, whose fonts change) is copied into a
// temporary folder and compared, without a "~" copy, with what Apply would
// make of it with the boxes at their start values.

#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <filesystem>

#include "app/application.h"
#include "app/compare_window.h"
#include "app/start_up.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

int main(int argc, char* argv[]) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: %s OUTPUT.png [PAGE]\n", argv[0]);
    return 2;
  }
  const QString output = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1]));
  const std::filesystem::path page =
      argc == 3 ? std::filesystem::path(argv[2])
                : std::filesystem::path(PELLORAN_CORPUS_DIR) /
                      "pages/ckeditor4/Config_remove_font_styles/word2007/firefox.html";
  pelloran::testing::TempDir folder;
  std::error_code failure;
  std::filesystem::copy_file(page, folder.path() / "fonts.htm", failure);
  if (failure) {
    std::fprintf(stderr, "%s: %s\n", page.c_str(), failure.message().c_str());
    return 1;
  }
  pelloran::testing::ScopedCurrentDir inside(folder.path());

  int app_argc = 1;
  pelloran::Application app(app_argc, argv);
  pelloran::testing::TestMessages messages;
  pelloran::testing::TestLinkCheck link_check;
  pelloran::ProgramWindows windows(messages, link_check);
  windows.Form1.show();
  QCoreApplication::processEvents();
  pelloran::FileListBox& list = *windows.Form1.FileListBox1;
  list.Select(0);
  list.MoveFocusQuietly(0);
  windows.Form1.CompareWithCopyItem->trigger();
  pelloran::CompareWindow* compare = windows.Form1.compare_window();
  if (compare == nullptr) {
    for (const std::string& error : messages.errors) std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  compare->resize(900, 360);
  QCoreApplication::processEvents();
  return compare->grab().save(output) ? 0 : 1;
}
