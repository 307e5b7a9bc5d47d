// The look check of the stylesheet filter. Cleans copies of pages with
// pelloran-clean, then builds each "after" page from the original markup
// with only the contents of its style elements replaced by the cleaned ones,
// so that nothing but the stylesheet filter differs. Loads the original and
// the after page in headless Chromium (scripts off, every request other than
// file: refused) and compares the computed style of every visible element
// that holds text.
//
//   node style_look_check.mjs --clean PATH --pages DIR [--list FILE]
//        [--known FILE] [--browser PATH] [--setup all|start]...
//
// Setups: "all" ticks every property box and drops nothing
// (--keep-all --no-override --keep-spans --keep-imports): no element may
// change. "start" keeps the start values' property boxes with overriding
// and span dropping off: only the properties of boxes clear at start may
// change. --known lists accepted differences ("setup<TAB>page<TAB>cause").
// Exit status: 0 when every difference is a known one, 1 otherwise, 2 when
// the check could not run, 77 when there are no pages.

import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import process from 'node:process';

import { cleanCopies, launchBrowser, openFileTab, pagesUnder, parseCheckArgs, readKnown, readLines } from './browser_pages.mjs';
import { afterPage, CLEAR_AT_START, compareLook, describeLook, look } from './look_compare.mjs';

const SETUPS = {
  all: {
    args: ['--keep-all', '--no-override', '--keep-spans', '--keep-imports'],
    mayChange: new Set(),
  },
  start: {
    args: ['--no-override', '--keep-spans'],
    mayChange: CLEAR_AT_START,
  },
};

// Cleans copies of the pages with one setup in a copy of their folder and
// puts each page's after version in place of its cleaned one, beside the
// style sheets and images it loads; the original is the page itself.
function prepare(options, setup, pages, work) {
  const tree = path.join(work, setup);
  cleanCopies(options, SETUPS[setup].args, pages, tree);
  const entries = new Map();
  for (const rel of pages) {
    const original = path.join(options.pages, rel);
    const cleaned = path.join(tree, rel);
    if (!fs.existsSync(cleaned + '~')) {
      entries.set(rel, { skipped: 'left as it was' });
      continue;
    }
    const after = afterPage(fs.readFileSync(original, 'latin1'), fs.readFileSync(cleaned, 'latin1'));
    if (after === null) {
      entries.set(rel, { skipped: 'style elements do not pair up' });
      continue;
    }
    fs.writeFileSync(cleaned, after, 'latin1');
    entries.set(rel, { original, after: cleaned });
  }
  return entries;
}

async function main() {
  const options = parseCheckArgs(process.argv.slice(2), SETUPS);
  if (!fs.existsSync(options.pages)) {
    console.log(`no pages at ${options.pages}: skipped`);
    process.exit(77);
  }
  const pages = options.list
    ? readLines(options.list)
    : pagesUnder(options.pages, (name) => /\.(x?html?|shtml)$/i.test(name));
  const known = readKnown(options.known);
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'pelloran-style-look-'));
  const browser = await launchBrowser(options.browser, work, ['--no-sandbox', '--disable-gpu', '--no-first-run']);
  let unexpected = 0;
  try {
    for (const setup of options.setups) {
      const entries = prepare(options, setup, pages, work);
      let compared = 0;
      let changed = 0;
      for (const [rel, entry] of entries) {
        if (entry.skipped) {
          console.log(`${setup}\t${rel}\tnot compared: ${entry.skipped}`);
          continue;
        }
        const view = await openFileTab(browser);
        await view.tab.setJavaScriptEnabled(false);
        try {
          const before = await look(view, entry.original);
          const after = await look(view, entry.after);
          const result = compareLook(before, after, SETUPS[setup].mayChange);
          compared++;
          if (result.elements === 0) continue;
          changed++;
          const cause = known.get(`${setup}\t${rel}`);
          if (!cause) unexpected++;
          const what = describeLook(result);
          console.log(`${setup}\t${rel}\t${cause ? `known: ${cause}` : 'CHANGES'}\t${what}`);
        } finally {
          await view.tab.close();
        }
      }
      console.log(`${setup}: ${compared} pages compared, ${changed} change their look`);
    }
  } finally {
    await browser.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
  console.log(unexpected === 0 ? 'no unexpected change' : `${unexpected} unexpected changes`);
  process.exitCode = unexpected === 0 ? 0 : 1;
}

main().catch((e) => {
  console.error(e.stack || String(e));
  process.exit(2);
});
