// Cleans copies of pages with pelloran-clean and loads each cleaned page and
// its "~" original (under the same name and extension) in headless Chromium,
// every request other than file: refused. Compares what a reader sees: the
// visible text, whitespace collapsed, the form controls (type, value,
// checked), and where a reader can go: the resolved link targets, the in-page
// links whose target exists, the images' alt texts (each as a multiset; only
// losses count). Prints one line per differing page, a table by cause and the
// totals of links, in-page links and alt texts.
//
//   node reader_view_check.mjs --clean PATH --pages DIR [--list FILE]
//        [--known FILE] [--browser PATH] [--setup NAME]...
//
// Exit status: 0 when every difference is a known one, 1 otherwise, 2 when
// the check could not run, 77 when there is no corpus.
//
// --list names the pages to check (one path under DIR a line, "#" comments);
// without it every file under DIR is checked. --known lists the differences
// that follow from the design ("setup<TAB>page<TAB>cause" lines); any other
// difference makes the exit status 1. --setup picks "start" (the boxes at
// their start values) or "clear5" (--clear 5); both by default.

import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import process from 'node:process';

import {
  cleanCopies as cleanInto,
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

const SETUPS = {
  start: { title: 'start values', args: [] },
  clear5: { title: '--clear 5', args: ['--clear', '5'] },
};

const CHROMIUM_FLAGS = [
  '--no-sandbox',
  '--disable-gpu',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--no-first-run',
];

// Cleans copies of the pages in one folder tree with one setup; returns, per
// page, the paths of the original and the cleaned copy under the same name,
// or the command's message when the page was left as it was.
function cleanCopies(options, setup, pages, work) {
  const tree = path.join(work, setup, 'cleaned');
  const run = cleanInto(options, SETUPS[setup].args, pages, tree);
  const messages = run.stderr.split('\n').filter((l) => l.length > 0);
  const result = new Map();
  for (const rel of pages) {
    const cleaned = path.join(tree, rel);
    const backup = cleaned + '~';
    if (!fs.existsSync(backup)) {
      const base = path.basename(rel);
      const said = messages.find((m) => m.includes(base)) || 'left as it was';
      result.set(rel, { untouched: said });
      continue;
    }
    // The original goes back under the page's own name in a tree of its own,
    // so that the browser treats both alike.
    const original = path.join(work, setup, 'original', rel);
    fs.mkdirSync(path.dirname(original), { recursive: true });
    fs.copyFileSync(backup, original);
    result.set(rel, { original, cleaned, rel });
  }
  return result;
}

// What a reader sees of the page loaded in `tab`.
// With `styles` false, every style element, style sheet link and style
// attribute is taken away before the text is read.
async function readerView(view, file, scripts, styles = true, root = '') {
  const tab = view.tab;
  await tab.setJavaScriptEnabled(scripts);
  view.url = fileUrl(file);
  await loadPage(tab, view.url);
  // A page whose script moves on to another document: read that one.
  return readRetrying(async () => {
    const seen = await tab.evaluate((styles) => {
      if (!styles) {
        for (const e of document.querySelectorAll('style, link[rel~="stylesheet" i]')) e.remove();
        for (const e of document.querySelectorAll('[style]')) e.removeAttribute('style');
      }
      const root = document.body || document.documentElement;
      const text = root ? (root.innerText ?? root.textContent ?? '') : '';
      const controls = Array.from(
        document.querySelectorAll('input, select, textarea, button'),
      ).map((e) => `${e.localName}:${e.type}=${JSON.stringify(e.value)}${e.checked ? ' checked' : ''}`);
      return {
        text: text.replace(/\s+/g, ' ').trim(),
        controls,
        xmlError: document.getElementsByTagNameNS('*', 'parsererror').length > 0,
      };
    }, styles);
    seen.where = await tab.evaluate(whereReadersGo, root);
    return seen;
  });
}

// A tag in the cleaned markup holding an odd number of double quotes: an
// attribute left open swallows the text after it.
function hasOpenQuote(file) {
  const markup = fs.readFileSync(file, 'latin1');
  const tags = markup.replace(/<!--[\s\S]*?-->/g, '').replace(/<script[\s\S]*?<\/script>/gi, '');
  for (const m of tags.matchAll(/<[a-zA-Z][^<>]*>/g)) {
    if ((m[0].match(/"/g) || []).length % 2 === 1) return true;
  }
  return false;
}

function firstDifference(a, b) {
  let i = 0;
  while (i < a.length && i < b.length && a[i] === b[i]) i++;
  const around = (s) => JSON.stringify(s.slice(Math.max(0, i - 30), i + 50));
  return `at ${i}: ${around(a)} became ${around(b)}`;
}

async function compare(view, entry, totals) {
  const before = await readerView(view, entry.original, true, true, treeUrl(entry.original, entry.rel));
  const after = await readerView(view, entry.cleaned, true, true, treeUrl(entry.cleaned, entry.rel));
  const textDiffers = before.text !== after.text;
  const controlsDiffer = before.controls.join('\n') !== after.controls.join('\n');
  const lost = countWhereLost(before.where, after.where, totals);
  if (!textDiffers && !controlsDiffer && lost.causes.length === 0) return { causes: [], detail: '' };
  // The same pages without their scripts, then without their styles too:
  // what differs only with them comes from scripts or style the design drops.
  const bare = {};
  const without = async (key, styles) => {
    if (!bare[key]) {
      bare[key] = [
        await readerView(view, entry.original, false, styles, treeUrl(entry.original, entry.rel)),
        await readerView(view, entry.cleaned, false, styles, treeUrl(entry.cleaned, entry.rel)),
      ];
    }
    return bare[key];
  };
  const causes = [];
  const details = [];
  if (controlsDiffer) {
    const [b, a] = await without('scripts', true);
    causes.push(b.controls.join('\n') === a.controls.join('\n') ? 'script output' : 'form controls');
    details.push(`controls ${before.controls.length} -> ${after.controls.length}`);
  }
  if (textDiffers) {
    let cause = 'other';
    if (after.xmlError) cause = 'ill-formed XML';
    else if (hasOpenQuote(entry.cleaned) && !hasOpenQuote(entry.original)) cause = 'attribute left open';
    else if (before.text.toLowerCase() === after.text.toLowerCase()) cause = 'letter case (text-transform)';
    else {
      const [b, a] = await without('scripts', true);
      if (b.text === a.text) cause = 'script output';
      else {
        const [bs, as] = await without('styles', false);
        if (bs.text === as.text) cause = 'style the design drops';
      }
    }
    if (!causes.includes(cause)) causes.push(cause);
    details.push(`${before.text.length - after.text.length} characters fewer; ${firstDifference(before.text, after.text)}`);
  }
  await explainWhereLost(lost, causes, details, () => without('scripts', true));
  return { causes, detail: details.join('; ') };
}

// ---- where a reader can go ----

// The URL of the tree a page lies in (its path without `rel`), so that link
// targets inside the original's tree and the cleaned one's compare equal.
function treeUrl(file, rel) {
  const tree = file.slice(0, file.length - rel.length);
  return fileUrl(tree);
}

// Runs in the page: every link's resolved target (a[href], area[href]), the
// in-page links whose target exists (an element of that id, or an anchor of
// that name), every image's alt text. Targets inside the page's tree are
// written from the tree's root on.
function whereReadersGo(root) {
  const inTree = (url) => (root && url.startsWith(root) ? 'ROOT/' + url.slice(root.length) : url);
  const here = location.href.replace(/#.*/, '');
  const links = [];
  const inPage = [];
  for (const e of document.querySelectorAll('a[href], area[href]')) {
    const url = e.href;
    links.push(inTree(url));
    const hash = url.indexOf('#');
    if (hash < 0 || url.slice(0, hash) !== here || hash + 1 === url.length) continue;
    let name = url.slice(hash + 1);
    try {
      name = decodeURIComponent(name);
    } catch {}
    const target = document.getElementById(name) || document.getElementsByName(name)[0];
    if (target) inPage.push('#' + name);
  }
  const alts = Array.from(document.images, (i) => i.getAttribute('alt')).filter((a) => a !== null);
  return { links, inPage, alts };
}

const WHERE_KINDS = [
  ['links', 'links lost'],
  ['inPage', 'in-page links broken'],
  ['alts', 'alt texts lost'],
];

function newWhereTotals() {
  const totals = {};
  for (const [kind] of WHERE_KINDS) totals[kind] = { all: 0, lost: 0, pages: 0 };
  return totals;
}

// How many of `before` (a multiset) are missing from `after`, and a few of them.
function missing(before, after) {
  const left = new Map();
  for (const x of after) left.set(x, (left.get(x) || 0) + 1);
  const gone = [];
  for (const x of before) {
    if (left.get(x) > 0) left.set(x, left.get(x) - 1);
    else gone.push(x);
  }
  return gone;
}

// What the clean took away of where a reader can go, added to `totals`.
function countWhereLost(before, after, totals) {
  const lost = { causes: [], details: [] };
  for (const [kind, cause] of WHERE_KINDS) {
    const gone = missing(before[kind], after[kind]);
    totals[kind].all += before[kind].length;
    totals[kind].lost += gone.length;
    if (gone.length === 0) continue;
    totals[kind].pages++;
    lost.causes.push(cause);
    lost.details.push(`${gone.length} ${cause}: ${JSON.stringify(gone.slice(0, 3))}`);
  }
  return lost;
}

// A loss that is gone with scripts off comes from the page's scripts.
async function explainWhereLost(lost, causes, details, withoutScripts) {
  if (lost.causes.length === 0) return;
  const [b, a] = await withoutScripts();
  const byScript = WHERE_KINDS.every(([kind]) => missing(b.where[kind], a.where[kind]).length === 0);
  for (const cause of byScript ? ['script output'] : lost.causes) {
    if (!causes.includes(cause)) causes.push(cause);
  }
  details.push(...lost.details);
}

function printWhereTotals(setups, totals) {
  console.log('');
  console.log(['where a reader can go'.padEnd(28), ...setups.map((s) => SETUPS[s].title.padStart(22))].join(' '));
  for (const [kind, cause] of WHERE_KINDS) {
    const cells = setups.map((s) => {
      const t = totals.get(s)?.[kind] || { all: 0, lost: 0, pages: 0 };
      return `${t.lost} of ${t.all} (${t.pages} p.)`.padStart(22);
    });
    console.log([cause.padEnd(28), ...cells].join(' '));
  }
}

async function main() {
  const options = parseCheckArgs(process.argv.slice(2), SETUPS);
  if (!fs.existsSync(options.pages)) {
    console.log(`no corpus at ${options.pages}: skipped`);
    process.exit(77);
  }
  const pages = options.list ? readLines(options.list) : pagesUnder(options.pages);
  const known = readKnown(options.known);
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'pelloran-reader-view-'));
  const browser = await launchBrowser(options.browser, work, CHROMIUM_FLAGS);
  const table = new Map(); // cause -> setup -> pages
  const totals = new Map(); // setup -> counts of where a reader can go
  let unexpected = 0;
  try {
    for (const setup of options.setups) {
      const entries = cleanCopies(options, setup, pages, work);
      totals.set(setup, newWhereTotals());
      let checked = 0;
      for (const [rel, entry] of entries) {
        if (entry.untouched) {
          console.log(`${setup}\t${rel}\tleft as it was\t${entry.untouched}`);
          continue;
        }
        const view = await openFileTab(browser);
        try {
          const { causes, detail } = await compare(view, entry, totals.get(setup));
          checked++;
          for (const cause of causes) {
            if (!table.has(cause)) table.set(cause, new Map());
            const row = table.get(cause);
            row.set(setup, (row.get(setup) || 0) + 1);
          }
          if (causes.length > 0) {
            const expected = known.get(`${setup}\t${rel}`);
            const mark = expected && causes.every((c) => expected.includes(c)) ? 'known' : 'DIFFERS';
            if (mark === 'DIFFERS') unexpected++;
            console.log(`${setup}\t${rel}\t${mark}: ${causes.join(', ')}\t${detail}`);
          }
        } finally {
          await view.tab.close();
        }
      }
      console.log(`${setup}: ${checked} pages compared`);
    }
  } finally {
    await browser.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
  printTable(options.setups, table);
  printWhereTotals(options.setups, totals);
  console.log(unexpected === 0 ? 'no unexpected difference' : `${unexpected} unexpected differences`);
  process.exitCode = unexpected === 0 ? 0 : 1;
}

function printTable(setups, table) {
  const titles = setups.map((s) => SETUPS[s].title);
  const width = Math.max(28, ...[...table.keys()].map((c) => c.length));
  console.log('');
  console.log(['cause'.padEnd(width), ...titles.map((t) => t.padStart(14))].join(' '));
  if (table.size === 0) console.log('(no differences)'.padEnd(width));
  for (const [cause, row] of table) {
    console.log([cause.padEnd(width), ...setups.map((s) => String(row.get(s) || 0).padStart(14))].join(' '));
  }
}

main().catch((e) => {
  console.error(e.stack || String(e));
  process.exit(2);
});
