#include "app/desktop_shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <thread>

#include "tests/support/temp_dir.h"
#include "tools/text_editor_lookup.h"

namespace pelloran {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// Sets environment variables for one test and puts the old values back.
class ScopedEnv {
 public:
  void Set(const char* name, const std::string& value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

// A desktop of its own in a temporary folder: home, XDG folders, a PATH
// with nothing on it, and an "editor" that writes down its working folder
// and its arguments, one a line.
class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"home", "config", "data/applications", "bin", "empty"}) {
      std::filesystem::create_directories(root_ / sub);
    }
    env_.Set("HOME", root_ / "home");
    env_.Set("XDG_CONFIG_HOME", root_ / "config");
    env_.Set("XDG_CONFIG_DIRS", root_ / "empty");
    env_.Set("XDG_DATA_HOME", root_ / "data");
    env_.Set("XDG_DATA_DIRS", root_ / "empty");
    env_.Set("PATH", root_ / "empty");
    WriteFile(recorder_,
              "#!/bin/sh\nPATH=/usr/bin:/bin\n{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; "
              "done; } > \"" +
                  (root_ / "out.tmp") + "\"\nmv \"" + (root_ / "out.tmp") + "\" \"" + log_ +
                  "\"\n");
    ::chmod(recorder_.c_str(), 0755);
  }

  void AssociateTextWith(const std::string& exec) {
    WriteFile(root_ / "data/applications/recorder.desktop",
              "[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + exec + "\n");
    WriteFile(root_ / "config/mimeapps.list",
              "[Added Associations]\ntext/plain=other.desktop;\n"
              "[Default Applications]\ntext/plain=missing.desktop;recorder.desktop;\n");
  }

  // The recorder's lines, once it has run (it starts detached).
  std::vector<std::string> RecordedLines() {
    for (int i = 0; i < 500 && !FileExists(log_); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::vector<std::string> lines;
    if (!FileExists(log_)) return lines;
    std::stringstream text(ReadFile(log_));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }

  TempDir root_;
  ScopedEnv env_;
  const std::string recorder_ = root_ / "bin/recorder";
  const std::string log_ = root_ / "recorded.txt";
};

TEST(ExecLine, FieldCodesAndQuoting) {
  EXPECT_EQ(ExpandExecLine("gedit %U", "/a b.htm"),
            (std::vector<std::string>{"gedit", "/a b.htm"}));
  EXPECT_EQ(ExpandExecLine("ed --new %f --x", "/p"),
            (std::vector<std::string>{"ed", "--new", "/p", "--x"}));
  // No code asks for the file: it goes last.
  EXPECT_EQ(ExpandExecLine("kate -b", "/p"), (std::vector<std::string>{"kate", "-b", "/p"}));
  EXPECT_EQ(ExpandExecLine(R"("/opt/my ed/ed" "a \"q\"" %i %c 100%% %F)", "/p"),
            (std::vector<std::string>{"/opt/my ed/ed", "a \"q\"", "100%", "/p"}));
  // Without a file the editor starts alone.
  EXPECT_EQ(ExpandExecLine("gedit %U", ""), (std::vector<std::string>{"gedit"}));
}

TEST_F(DesktopTest, TheDefaultTextApplicationIsFound) {
  AssociateTextWith(recorder_ + " --new-window %F");
  const auto command = TextEditorCommand("/x/a b.htm");
  ASSERT_TRUE(command.has_value());
  EXPECT_EQ(*command, (std::vector<std::string>{recorder_, "--new-window", "/x/a b.htm"}));
}

TEST_F(DesktopTest, ACommonEditorOnPathIsTheFallback) {
  std::filesystem::copy_file(recorder_, root_ / "bin/mousepad");
  env_.Set("PATH", (root_ / "empty") + ":" + (root_ / "bin"));
  const auto command = TextEditorCommand("/x/a.htm");
  ASSERT_TRUE(command.has_value());
  EXPECT_EQ(*command, (std::vector<std::string>{root_ / "bin/mousepad", "/x/a.htm"}));
}

TEST_F(DesktopTest, NoEditorAtAll) {
  EXPECT_FALSE(TextEditorCommand("/x/a.htm").has_value());
  EXPECT_FALSE(DesktopShell().LaunchProgram(kTextEditorProgram, "/x/a.htm", "", ShowMode::kNormal));
}

TEST_F(DesktopTest, EditorGetsThePathAsOneArgumentInTheHomeFolder) {
  AssociateTextWith(recorder_ + " %f");
  const std::string path = "/web/my \"quoted\" page; $(echo no) 'x'.htm";
  DesktopShell shell;
  shell.LaunchProgram(kTextEditorProgram, path, "", ShowMode::kNormal);
  EXPECT_EQ(RecordedLines(), (std::vector<std::string>{root_ / "home", path}));
}

TEST_F(DesktopTest, ProgramsStartInTheGivenFolderWhenItExists) {
  AssociateTextWith(recorder_ + " %f");
  std::filesystem::create_directory(root_ / "work dir");
  DesktopShell shell;
  shell.LaunchProgram(kTextEditorProgram, "", root_ / "work dir", ShowMode::kNormal);
  EXPECT_EQ(RecordedLines(), (std::vector<std::string>{root_ / "work dir"}));
}

}  // namespace
}  // namespace pelloran
