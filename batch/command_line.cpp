#include "batch/command_line.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <functional>
#include <string_view>

#include "batch/box_names.h"
#include "interfaces/options.h"

namespace pelloran {

const char kUsage[] = "Usage: pelloran-clean [OPTION]... PATH...\n";

namespace {

// What the command does to a page.
const char* HelpIntro() {
  return R"(Cleans web pages of surplus style and markup, as Apply in the Pelloran window does.
Each page is cleaned in place: its working copy "PL!__" + name is written beside
it, the page is kept as name + "~" and the cleaned text takes its name. A page
whose "~" backup already exists is left as it is.

)";
}

// Which files are taken as pages, and in what order.
const char* HelpChoosingPages() {
  return R"(Choosing pages:
  PATH                  a page, or a folder: the pages directly in it; a page
                        named directly is always taken, whatever its name
  -r, --recursive       the pages of subfolders too (symbolic links to folders
                        are not followed)
      --include GLOB    a file in a folder is a page when its name matches GLOB,
                        ignoring case (repeatable; without it *.htm, *.html,
                        *.shtml and *.xhtml)
      --exclude GLOB    leave out the names that match GLOB (repeatable)
 "~" backups and "PL!__" working copies are never taken from a folder. Pages
 are cleaned in order: by name within a folder (byte order), a folder's pages
 before its subfolders. The class tables that style overriding fills are
 shared by all pages of one call, as in the window, so the order counts.

)";
}

// The options that tick and clear the boxes.
const char* HelpOptionsByName() {
  return R"(Options by name:
      --keep PROP,...   tick the property boxes of these CSS properties
                        (font-size, text-align, list-style, ...)
      --drop PROP,...   clear the boxes of these properties
      --keep-only PROP,...
                        clear every property box, then tick these
      --keep-all        tick all 53 property boxes
      --override        override styles: cut tags to their class, give the
                        dominant paragraph class to every paragraph, drop the
                        rules no element uses (box 17)
      --override-except-tables
                        the same, leaving tables as they are (box 5)
      --no-override     no style overriding (clears boxes 5 and 17)
      --drop-spans      drop span tags (ticks box 18)
      --keep-spans      keep span tags (clears box 18)
      --skip-imports    skip @-rules such as @import in style elements (ticks
                        box 29)
      --keep-imports    keep them (clears box 29)
      --drop-office-markup
                        drop the markup Office programs leave for themselves:
                        conditional comments, <![if ...]> markers, <xml>
                        islands, o:, v:, w:, st1: ... tags (their content
                        stays), Office namespace declarations and mso- style
                        declarations (the settings window's switch
                        "служебная разметка Office"; starts off)
      --keep-office-markup
                        keep it
      --tick N,...      tick the boxes with these numbers (CheckBox1 ...
                        CheckBox61)
      --clear N,...     clear them
      --list-boxes      list every box: number, name, whether it starts ticked,
                        caption; then the settings window's Office switch
 The boxes start as the main window shows them at start (see --list-boxes).
 Box options apply in the order given, with the boxes' own rules: ticking 17
 clears 5 and the other way round, ticking 28 ticks every property box.

)";
}

// What a run does besides cleaning, and how much it says.
const char* HelpWhatARunDoes() {
  return R"(What a run does:
  -n, --dry-run         change nothing on disk (no working copy, no backup, no
                        report file): say for every page whether it would be
                        cleaned, with its size before and after, or why not;
                        links are not checked
      --diff            print a unified diff from every page cleaned (or, with
                        --dry-run, that would be) to its cleaned text; patch -p1
                        applied to the original pages gives the cleaned ones; a
                        name holding a control character, a quote or a
                        backslash is quoted in the headers with C escapes
                        ("a/e\033[2J.htm"), as patch reads it
      --color=WHEN      colour the diff: auto (when standard output is a
                        terminal), always or never
      --restore         undo a clean: each page's "~" backup takes the page's
                        name again in one atomic rename, and the cleaned text
                        is gone; in a folder, a page counts when its backup
                        exists; with --dry-run, say what would be restored.
                        A page edited since its clean, whose "~" file no
                        clean made, or of which neither its mark nor the
                        folder's record ".pelloran-cleaned" can tell, is left
                        as it is and named
      --force           with --restore, restore those pages too; in a clean,
                        clean pages another user owns (they become yours)
      --check-links     check every link address on the web and write the
                        report "Ссылки.txt" (UTF-8, with a byte-order mark;
                        names and links not in UTF-8 read as windows-1251)
                        in the current directory; only
                        http and https addresses are asked, each once; links
                        of other schemes, in-page links ("#x", OK when the
                        page has that id or anchor name) and relative links
                        are not sent
      --check-local-links
                        with --check-links, check a relative link (no scheme,
                        not "#..." or "//...") as a file or folder beside its
                        page
      --fail-on-broken-links
                        with --check-links, answer 3 when a link checked is
                        broken (see Exit status)
      --json FILE       write a report in JSON to FILE ("-": standard output):
                        the options used and, for every page, its outcome,
                        sizes before and after, and what was done to it (a
                        path that is not UTF-8 also as "path_bytes", in
                        base64); FILE may not be a page of the run, its "~"
                        or "PL!__" name, nor an existing file whose name the
                        page patterns take, unless it holds an earlier report
  -q, --quiet           print nothing but failures (no page lines, no pages
                        left by a rule, no summary)
  -h, --help            show this text and stop
      --version         show the version and stop
      --                end of options: every later argument is a path

)";
}

// Where the output goes, and what the command answers.
const char* HelpOutputAndExitStatus() {
  return R"(Output:
 One line per page and a closing summary go to standard output, failures to
 standard error; with --diff or --json -, standard output holds only the diff
 or the report, and the lines go to standard error. While standard error is a
 terminal, it shows the progress.

Exit status:
 0 when no page failed: pages left by a rule (a backup already there, a file
 that is no page, a page another run holds) are no failure, so cleaning a
 cleaned tree answers 0 with "очищать нечего"; 1 when a page failed, was
 cleaned by the first pass only or was not restored over an edit, when a
 folder could not be read (counted as failed), or when a report or standard
 output could not be written; 2 for a usage error (--fail-on-broken-links
 without --check-links among them);
 128 + N when signal N (SIGINT, SIGTERM, SIGHUP) stopped the run after the
 page in hand, with the summary and the reports so far written.
 With --fail-on-broken-links, 3 when a link checked was broken (a status other
 than 200, 204 or 302, or no answer), no signal stopped the run and every report
 was written, whatever became of the pages; links not checked (other schemes,
 relative links without --check-local-links, in-page links without a target)
 do not count.

)";
}

// A few calls to start from.
const char* HelpExamples() {
  return R"(Examples:
  pelloran-clean -r site/
                        clean every page of site/ and its subfolders
  pelloran-clean -rn --diff site/ | less
                        see what that would change, changing nothing
  pelloran-clean --keep-only font-size,text-align --override a.htm
                        keep only two properties, with style overriding
  pelloran-clean -r --restore site/
                        put every cleaned page of site/ back as it was
)";
}

}  // namespace

std::string HelpText() {
  std::string text(kUsage);
  text += HelpIntro();
  text += HelpChoosingPages();
  text += HelpOptionsByName();
  text += HelpWhatARunDoes();
  text += HelpOutputAndExitStatus();
  text += HelpExamples();
  return text;
}

namespace {

// One box option as given; applied after parsing, in the order given.
struct BoxAction {
  std::function<bool(CleaningOptions&, std::string&)> apply;
};

// "a,b,c" into its items; an empty item stays (and is refused by the caller).
std::vector<std::string_view> Items(std::string_view list) {
  std::vector<std::string_view> items;
  for (;;) {
    const size_t comma = list.find(',');
    items.push_back(list.substr(0, comma));
    if (comma == std::string_view::npos) return items;
    list.remove_prefix(comma + 1);
  }
}

bool SetNumbered(CleaningOptions& options, const std::string& list, bool tick, std::string& why) {
  std::vector<int> boxes;
  for (const std::string_view item : Items(list)) {
    int box = 0;
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), box);
    if (item.empty() || error != std::errc() || end != item.data() + item.size() ||
        CleaningOptions::DesignOf(box) == nullptr) {
      why = std::string(tick ? "--tick" : "--clear") +
            " ждёт номера флажков главного окна, например 1,6,17, а не " + list;
      return false;
    }
    boxes.push_back(box);
  }
  for (int box : boxes) options.SetTicked(box, tick);
  return true;
}

bool SetNamed(CleaningOptions& options, const std::string& list, bool tick, std::string& why) {
  std::vector<int> boxes;
  for (const std::string_view item : Items(list)) {
    const std::vector<int> of_item = BoxesOfProperty(item);
    if (of_item.empty()) {
      why = "неизвестное свойство «" + std::string(item) + "»; известны: " + KnownProperties();
      return false;
    }
    boxes.insert(boxes.end(), of_item.begin(), of_item.end());
  }
  for (int box : boxes) options.SetTicked(box, tick);
  return true;
}

// CLI11's word on the common mistakes, said in our own words; any other
// (rare) mistake keeps CLI11's text.
std::string ParseErrorInRussian(const CLI::ParseError& error) {
  const std::string_view text = error.what();
  const size_t colon = text.find(": ");
  const std::string_view after = colon == std::string_view::npos ? "" : text.substr(colon + 2);
  if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr)
    return (text.find("arguments were") != std::string_view::npos ? "неизвестные параметры: "
                                                                  : "неизвестный параметр: ") +
           std::string(after);
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr && text.ends_with(" missing"))
    return "у параметра " + std::string(text.substr(0, colon)) + " нет значения";
  return std::string(text);
}

void SetAllProperties(CleaningOptions& options, bool tick) {
  for (int box : CleaningOptions::PropertyBoxes()) options.SetTicked(box, tick);
}

// Adds the box options to `app`; each occurrence records its action.
void AddBoxOptions(CLI::App& app, std::vector<BoxAction>& actions) {
  const auto listed = [&](const char* name, const char* value, auto setter) {
    app.add_option_function<std::string>(
           name,
           [&actions, setter](const std::string& list) {
             actions.push_back({[list, setter](CleaningOptions& o, std::string& why) {
               return setter(o, list, why);
             }});
           })
        ->type_name(value)
        ->trigger_on_parse()
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  };
  listed("--tick", "N,...", [](CleaningOptions& o, const std::string& l, std::string& w) {
    return SetNumbered(o, l, true, w);
  });
  listed("--clear", "N,...", [](CleaningOptions& o, const std::string& l, std::string& w) {
    return SetNumbered(o, l, false, w);
  });
  listed("--keep", "PROP,...", [](CleaningOptions& o, const std::string& l, std::string& w) {
    return SetNamed(o, l, true, w);
  });
  listed("--drop", "PROP,...", [](CleaningOptions& o, const std::string& l, std::string& w) {
    return SetNamed(o, l, false, w);
  });
  listed("--keep-only", "PROP,...", [](CleaningOptions& o, const std::string& l, std::string& w) {
    SetAllProperties(o, false);  // a wrong name fails the whole command line
    return SetNamed(o, l, true, w);
  });
  const auto flag = [&](const char* name, std::function<void(CleaningOptions&)> change) {
    app.add_flag_callback(name,
                          [&actions, change] {
                            actions.push_back({[change](CleaningOptions& o, std::string&) {
                              change(o);
                              return true;
                            }});
                          })
        ->trigger_on_parse();
  };
  flag("--keep-all", [](CleaningOptions& o) { SetAllProperties(o, true); });
  flag("--override", [](CleaningOptions& o) { o.SetTicked(kOverrideBox, true); });
  flag("--override-except-tables",
       [](CleaningOptions& o) { o.SetTicked(kOverrideExceptTablesBox, true); });
  flag("--no-override", [](CleaningOptions& o) {
    o.SetTicked(kOverrideBox, false);
    o.SetTicked(kOverrideExceptTablesBox, false);
  });
  flag("--drop-spans", [](CleaningOptions& o) { o.SetTicked(kDropSpansBox, true); });
  flag("--keep-spans", [](CleaningOptions& o) { o.SetTicked(kDropSpansBox, false); });
  flag("--skip-imports", [](CleaningOptions& o) { o.SetTicked(kSkipImportsBox, true); });
  flag("--keep-imports", [](CleaningOptions& o) { o.SetTicked(kSkipImportsBox, false); });
  flag("--drop-office-markup", [](CleaningOptions& o) { o.SetOfficeMarkupDropped(true); });
  flag("--keep-office-markup", [](CleaningOptions& o) { o.SetOfficeMarkupDropped(false); });
}

// Why options given together make no sense, else null. --force stands
// alone: in a clean it takes pages another user owns.
const char* WhyOptionsClash(const Command& command) {
  if (command.diff && command.json == "-")
    return "--diff и --json - не могут оба писать в стандартный вывод";
  if (command.fail_on_broken_links && !command.options.IsLinkCheckingOn())
    return "--fail-on-broken-links действует только вместе с --check-links";
  return nullptr;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, Command& command, std::string& why) {
  CLI::App app("pelloran-clean", "pelloran-clean");
  app.set_help_flag();  // the help is our own text
  std::vector<BoxAction> actions;
  AddBoxOptions(app, actions);
  bool check_links = false;
  bool check_local_links = false;
  std::string color = "auto";
  std::string json;
  app.add_flag("-h,--help", command.help);
  app.add_flag("--version", command.version);
  app.add_flag("--list-boxes", command.list_boxes);
  app.add_flag("--check-links", check_links);
  app.add_flag("--check-local-links", check_local_links);
  app.add_flag("--fail-on-broken-links", command.fail_on_broken_links);
  app.add_flag("-r,--recursive", command.filter.recursive);
  app.add_option("--include", command.filter.include)->allow_extra_args(false);
  app.add_option("--exclude", command.filter.exclude)->allow_extra_args(false);
  app.add_flag("-n,--dry-run", command.dry_run);
  app.add_flag("--diff", command.diff);
  app.add_option("--color", color)->type_name("WHEN");
  app.add_flag("--restore", command.restore);
  app.add_flag("--force", command.force);
  app.add_option("--json", json);
  app.add_flag("-q,--quiet", command.quiet);
  app.add_option("PATH", command.paths);

  std::vector<const char*> argv = {"pelloran-clean"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ParseError& error) {
    why = ParseErrorInRussian(error);
    return false;
  }
  for (const BoxAction& action : actions) {
    if (!action.apply(command.options, why)) return false;
  }
  command.options.SetLinkChecking(check_links);
  command.options.SetLocalLinkChecking(check_local_links);
  if (color != "auto" && color != "always" && color != "never") {
    why = "--color принимает auto, always или never, а не «" + color + "»";
    return false;
  }
  command.color = color == "always"  ? ColorUse::kAlways
                  : color == "never" ? ColorUse::kNever
                                     : ColorUse::kAuto;
  if (app.count("--json") > 0) command.json = json;
  if (const char* clash = WhyOptionsClash(command)) {
    why = clash;
    return false;
  }
  if (command.paths.empty() && !command.help && !command.version && !command.list_boxes) {
    why = "не указана ни страница, ни папка";
    return false;
  }
  return true;
}

}  // namespace pelloran
