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

import {
  cleanCopies,
  fileUrl,
  launchBrowser,
  loadPage,
  openFileTab,
  pagesUnder,
  parseCheckArgs,
  readKnown,
  readLines,
  readRetrying,
} from './browser_pages.mjs';

const PROPERTIES = [
  'font-size',
  'font-style',
  'font-family',
  'text-align',
  'text-indent',
  'font-weight',
  'color',
  'text-decoration-line',
  'line-height',
];

const SETUPS = {
  all: {
    args: ['--keep-all', '--no-override', '--keep-spans', '--keep-imports'],
    mayChange: new Set(),
  },
  start: {
    args: ['--no-override', '--keep-spans'],
    // Boxes 6, 10, 22 and 33 are clear at start.
    mayChange: new Set(['color', 'text-decoration-line', 'font-weight', 'line-height']),
  },
};

// Where each style element's contents stand: [start, end) after its tag's
// ">" up to its closing tag.
function styleContents(markup) {
  const found = [];
  const open = /<style\b[^>]*>/gi;
  for (let m; (m = open.exec(markup)) !== null; ) {
    const start = m.index + m[0].length;
    const close = markup.slice(start).search(/<\/style/i);
    if (close < 0) break;
    found.push([start, start + close]);
    open.lastIndex = start + close;
  }
  return found;
}

// The original markup with its style elements' contents taken from the
// cleaned page; null when the two do not hold as many style elements.
function afterPage(original, cleaned) {
  const mine = styleContents(original);
  const theirs = styleContents(cleaned);
  if (mine.length !== theirs.length) return null;
  let out = '';
  let at = 0;
  mine.forEach(([start, end], i) => {
    out += original.slice(at, start) + cleaned.slice(theirs[i][0], theirs[i][1]);
    at = end;
  });
  return out + original.slice(at);
}

// Cleans copies of the pages with one setup and writes, under work/setup,
// each page's original and after version under the same relative name.
function prepare(options, setup, pages, work) {
  const tree = path.join(work, setup, 'cleaned');
  cleanCopies(options, SETUPS[setup].args, pages, tree);
  const entries = new Map();
  for (const rel of pages) {
    const original = fs.readFileSync(path.join(options.pages, rel), 'latin1');
    const cleanedFile = path.join(tree, rel);
    if (!fs.existsSync(cleanedFile + '~')) {
      entries.set(rel, { skipped: 'left as it was' });
      continue;
    }
    const after = afterPage(original, fs.readFileSync(cleanedFile, 'latin1'));
    if (after === null) {
      entries.set(rel, { skipped: 'style elements do not pair up' });
      continue;
    }
    const files = {};
    for (const [kind, text] of [['original', original], ['after', after]]) {
      files[kind] = path.join(work, setup, kind, rel);
      fs.mkdirSync(path.dirname(files[kind]), { recursive: true });
      fs.writeFileSync(files[kind], text, 'latin1');
    }
    entries.set(rel, files);
  }
  return entries;
}

// The computed style of every element that holds text, in document order.
async function look(view, file, properties) {
  view.url = fileUrl(file);
  // A load cut short (a slow page, a refresh turned away) still shows what
  // it has loaded.
  await loadPage(view.tab, view.url, /timeout|ERR_ABORTED/i);
  return readRetrying(() => styleOfTextElements(view.tab, properties));
}

function styleOfTextElements(tab, properties) {
  return tab.evaluate((properties) => {
    const root = document.body || document.documentElement;
    if (!root) return [];
    // A style element's own text is the very thing that differs.
    const unseen = new Set(['style', 'script', 'noscript', 'template', 'title']);
    return [root, ...root.querySelectorAll('*')]
      .filter(
        (e) =>
          !unseen.has(e.localName) &&
          Array.from(e.childNodes).some((n) => n.nodeType === 3 && n.textContent.trim() !== ''),
      )
      .map((e) => {
        const style = getComputedStyle(e);
        return {
          tag: e.localName,
          visible: e.getClientRects().length > 0 && style.visibility !== 'hidden',
          values: properties.map((p) => style.getPropertyValue(p)),
        };
      });
  }, properties);
}

// The elements visible in the original whose style changed beyond what the
// setup allows, counted by property.
function compare(before, after, mayChange) {
  if (before.length !== after.length) return { elements: -1, byProperty: {}, first: '' };
  const byProperty = {};
  let elements = 0;
  let first = '';
  before.forEach((b, i) => {
    if (!b.visible) return;
    let changed = false;
    PROPERTIES.forEach((p, j) => {
      if (mayChange.has(p) || b.values[j] === after[i].values[j]) return;
      byProperty[p] = (byProperty[p] || 0) + 1;
      if (!first) first = `<${b.tag}> ${p}: ${b.values[j]} -> ${after[i].values[j]}`;
      changed = true;
    });
    if (changed) elements++;
  });
  return { elements, byProperty, first };
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
          const before = await look(view, entry.original, PROPERTIES);
          const after = await look(view, entry.after, PROPERTIES);
          const result = compare(before, after, SETUPS[setup].mayChange);
          compared++;
          if (result.elements === 0) continue;
          changed++;
          const cause = known.get(`${setup}\t${rel}`);
          if (!cause) unexpected++;
          const what =
            result.elements < 0
              ? 'the element lists differ'
              : `${result.elements} elements (${Object.entries(result.byProperty)
                  .map(([p, n]) => `${p} ${n}`)
                  .join(', ')}); first ${result.first}`;
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
