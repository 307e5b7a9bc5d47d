// Writes a picture of the compare window, drawn offscreen, for the README:
//   compare_window_screenshot OUTPUT.png [PAGE]
// PAGE (by default a Word 2007 page of the shared corpus, whose fonts change) is copied into a
// temporary folder and compared, without a "~" copy, with what Apply would
// make of it with the boxes at their start values.

#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <filesystem>

#include "app/compare_window.h"
#include "tests/app/screenshot_support.h"
#include "tests/support/temp_dir.h"

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

  pelloran::testing::ShownProgram program(argv);
  pelloran::MainWindow& form = program.windows.main_window;
  pelloran::FileListBox& list = *form.findChild<pelloran::FileListBox*>("fileList");
  list.Select(0);
  list.MoveFocusQuietly(0);
  form.findChild<QAction*>("compareWithCopyAction")->trigger();
  pelloran::CompareWindow* compare = form.compare_window();
  if (compare == nullptr) {
    for (const std::string& error : program.messages.errors)
      std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  compare->resize(900, 360);
  QCoreApplication::processEvents();
  return compare->grab().save(output) ? 0 : 1;
}
