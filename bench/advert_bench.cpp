// Removing an advert block from a page of several megabytes built from the
// real pages, against a plain NextChar-to-PutByte copy of the same page
// through the character files, in the same run.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "charfile/byte_file.h"
#include "charfile/char_file.h"
#include "charfile/text_file.h"
#include "interfaces/clean_context.h"
#include "tools/advert_removal.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;

constexpr size_t kPageSize = 8 << 20;

// The real pages end to end, an advert block in the middle.
std::string BuildPage() {
  std::string text;
  while (text.size() < kPageSize / 2) {
    for (const auto& item :
         fs::recursive_directory_iterator(fs::path(PELLORAN_CORPUS_DIR) / "pages")) {
      if (!item.is_regular_file()) continue;
      std::ifstream in(item.path(), std::ios::binary);
      text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      if (text.size() >= kPageSize / 2) break;
    }
  }
  // Reading stops at a byte 26; the real pages must not cut the copy short.
  for (char& c : text) {
    if (c == 26) c = ' ';
  }
  const std::string block = "<" + std::string(kDefaultAdvertStartText) +
                            "><script src=\"ad.js\"></script><" +
                            std::string(kDefaultAdvertEndText) + ">";
  return text + block + text;
}

// A one-page list, that page selected and focused.
class OnePage : public FileList {
 public:
  explicit OnePage(std::string path) : path_(std::move(path)) {}
  int Count() const override { return 1; }
  std::string Entry(int) const override { return fs::path(path_).filename().string(); }
  bool IsSelected(int) const override { return true; }
  bool IsFolder(int) const override { return false; }
  void Focus(int) override {}
  int FocusedIndex() const override { return 0; }
  std::string ListedFolder() const override { return fs::path(path_).parent_path().string(); }
  std::string CurrentFile() const override { return path_; }
  void ReadFolder() override {}
  void MoveFocusQuietly(int) override {}
  void Select(int) override {}
  bool ShowPageInHand(const std::string&) override { return true; }
  void ShowPageCleaned() override {}

 private:
  std::string path_;
};

class NoMessages : public Messages {
 public:
  void ShowInformation(std::string_view) override {}
  void ShowError(std::string_view) override {}
};

struct Folder {
  Folder() {
    fs::create_directories(path);
    fs::current_path(path);
    std::ofstream(path / "page.htm", std::ios::binary) << page;
  }
  ~Folder() { fs::remove_all(path); }
  const fs::path path = fs::temp_directory_path() / "pelloran-advert-bench";
  const std::string page = BuildPage();
};

Folder& TheFolder() {
  static Folder folder;
  return folder;
}

void BM_PlainCopy(benchmark::State& state) {
  Folder& folder = TheFolder();
  TextFile in;
  ByteFile out;
  for (auto _ : state) {
    BindFileName(in, (folder.path / "page.htm").string());
    OpenTextForReading(in);
    BindFileName(out, "PL!__page.htm");
    CreateByteFile(out);
    OpenByteFile(out);
    while (!AtEnd(in)) PutByte(out, static_cast<unsigned char>(NextChar(in)));
    CloseCharFile(out);
    CloseCharFile(in);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * folder.page.size()));
}

class NoLinks : public LinkCheck {
 public:
  bool IsConnected() override { return false; }
  bool IsUrlAvailable(const std::string&) override { return false; }
};

void BM_RemoveAdverts(benchmark::State& state) {
  Folder& folder = TheFolder();
  const std::string page_path = (folder.path / "page.htm").string();
  class NoOptions : public Options {
    bool IsTicked(int) const override { return false; }
    bool IsLinkCheckingOn() const override { return false; }
  } options;
  class NoGauge : public ProgressGauge {
    void SetProgress(int) override {}
    void AddProgress(int) override {}
    int Progress() const override { return 0; }
  } gauge;
  NoLinks links;
  CleanContext context(options, gauge, links);
  OnePage list(page_path);
  NoMessages messages;
  NoTrash trash;
  for (auto _ : state) {
    RemoveAdverts(context, list, messages, AdvertTexts{}, trash);
    state.PauseTiming();
    // Put the page back for the next round.
    fs::remove(folder.path / "page.htm");
    fs::rename(folder.path / "page.htm~", folder.path / "page.htm");
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * folder.page.size()));
}

BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveAdverts)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pelloran

BENCHMARK_MAIN();
