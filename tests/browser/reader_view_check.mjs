// Cleans copies of pages with pelloran-clean, each in a copy of its whole
// folder so that it keeps the style sheets, images and frames it loads, and
// loads each cleaned page and its original in headless Chromium, every
// request other than file: refused. Compares what a reader sees: the visible
// text, whitespace collapsed, the form controls (type, value, checked), where
// a reader can go: the resolved link targets, the in-page links whose target
// exists, the images' alt texts and sources (each as a multiset; only losses
// count), and the look of the ticked properties: the computed style of every
// visible element holding text, with only the style elements cleaned (the
// setup's property boxes, overriding and span dropping off). Prints, per
// setup, a table of what was lost and every page left with its cause.
//
//   node reader_view_check.mjs --clean PATH (--pages DIR [--list FILE] |
//        --generate SEED:COUNT...) [--known FILE] [--known-look FILE]
//        [--browser PATH] [--jobs N] [--setup NAME]...
//
// Exit status: 0 when every difference is a known one, 1 otherwise, 2 when
// the check could not run, 77 when there is no corpus.
//
// --list names the pages to check (one path under DIR a line, "#" comments);
// without it every page under DIR is checked. --generate checks the pages
// page_generator.mjs writes for SEED (COUNT of them) instead. --known and
// --known-look list the differences that follow from the design
// ("setup<TAB>page<TAB>cause" lines); any other difference makes the exit
// status 1. --setup picks "start" (the boxes at their start values),
// "clear5" (--clear 5), "all" (every box ticked, in number order: overriding
// of tables too) or "office" (the start values and --drop-office-markup);
// all four by default. --jobs pages are checked at once (2 by default).

import { spawnSync } from 'node:child_process';
import { createHash } from 'node:crypto';
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
import { afterPage, CLEAR_AT_START, compareLook, describeLook, look } from './look_compare.mjs';
import { writePages } from './page_generator.mjs';
import {
  countWhereLost,
  explainWhereLost,
  missing,
  newWhereTotals,
  treeUrl,
  WHERE_KINDS,
  whereReadersGo,
} from './reader_where.mjs';

// The look clean of a setup keeps its property boxes with overriding, span
// dropping and @-rule skipping off: those change the look by design.
const START_LOOK = { args: ['--no-override', '--keep-spans'], mayChange: CLEAR_AT_START };
const SETUPS = {
  start: { title: 'start values', args: [], look: START_LOOK },
  clear5: { title: '--clear 5', args: ['--clear', '5'], look: START_LOOK },
  all: {
    title: 'every box ticked',
    args: null, // --tick with every box the command lists
    look: { args: ['--keep-all', '--no-override', '--keep-spans', '--keep-imports'], mayChange: new Set() },
  },
  office: {
    title: 'Office switch',
    args: ['--drop-office-markup'],
    look: { args: ['--drop-office-markup', ...START_LOOK.args], mayChange: CLEAR_AT_START },
  },
};

const CHROMIUM_FLAGS = [
  '--no-sandbox',
  '--disable-gpu',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--no-first-run',
];

const PAGE_NAME = /\.(x?html?|shtml)$/i;

// Every box pelloran-clean lists, ticked in number order.
function everyBox(clean) {
  const run = spawnSync(clean, ['--list-boxes'], { encoding: 'utf8' });
  const numbers = run.stdout.split('\n').map((l) => l.match(/^\s*(\d+)\s/)?.[1]).filter(Boolean);
  if (numbers.length === 0) throw new Error(`pelloran-clean --list-boxes listed no box: ${run.stderr}`);
  return ['--tick', numbers.join(',')];
}

// Cleans copies of the pages in a copy of their folder with `args`; returns,
// per page, the paths of the original (the page itself) and of the cleaned
// copy, or the command's message when the page was left as it was.
function cleanCopies(options, args, pages, tree) {
  const run = cleanInto(options, args, pages, tree);
  const messages = run.stderr.split('\n').filter((l) => l.length > 0);
  const result = new Map();
  for (const rel of pages) {
    const cleaned = path.join(tree, rel);
    if (!fs.existsSync(cleaned + '~')) {
      const base = path.basename(rel);
      result.set(rel, { untouched: messages.find((m) => m.includes(base)) || 'left as it was' });
      continue;
    }
    result.set(rel, { original: path.join(options.pages, rel), cleaned, rel });
  }
  return result;
}

// The look clean: each cleaned page is replaced by its original markup with
// the cleaned style elements' contents, beside the files it loads.
function lookCopies(options, args, pages, tree) {
  const entries = cleanCopies(options, args, pages, tree);
  for (const [rel, entry] of entries) {
    if (entry.untouched) continue;
    const after = afterPage(fs.readFileSync(entry.original, 'latin1'), fs.readFileSync(entry.cleaned, 'latin1'));
    if (after === null) entries.set(rel, { untouched: 'style elements do not pair up' });
    else fs.writeFileSync(entry.cleaned, after, 'latin1');
  }
  return entries;
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

// What a reader sees of the original page, read once for every setup.
async function remembered(cache, key, read) {
  if (!cache.has(key)) cache.set(key, await read());
  return cache.get(key);
}

function digestOf(file) {
  return createHash('sha1').update(fs.readFileSync(file)).digest('hex');
}

// The words of a text, small letters, for counting what is lost.
function wordsOf(text) {
  return text.toLowerCase().split(/[^\p{L}\p{N}]+/u).filter((w) => w.length > 0);
}

async function compare(view, entry, totals, cache) {
  const root = treeUrl(entry.original, entry.rel);
  const read = (file, url) => readerView(view, file, true, true, url);
  const before = await remembered(cache, `reader\t${entry.rel}`, () => read(entry.original, root));
  // A page another setup cleaned to the same bytes shows the same.
  const afterKey = `reader\t${entry.rel}\t${digestOf(entry.cleaned)}`;
  const after = await remembered(cache, afterKey, () => read(entry.cleaned, treeUrl(entry.cleaned, entry.rel)));
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
        await readerView(view, entry.original, false, styles, root),
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
    const gone = missing(wordsOf(before.text), wordsOf(after.text));
    causes.push(await textCause(entry, before, after, gone, without));
    const where = firstDifference(before.text, after.text);
    details.push(`${gone.length} words lost ${JSON.stringify(gone.slice(0, 3))}; ${where}`);
  }
  await explainWhereLost(lost, causes, details, () => without('scripts', true));
  return { causes: [...new Set(causes)], detail: details.join('; ') };
}

// Why the visible text differs; "text added" when no word is lost.
async function textCause(entry, before, after, gone, without) {
  if (after.xmlError) return 'ill-formed XML';
  if (hasOpenQuote(entry.cleaned) && !hasOpenQuote(entry.original)) return 'attribute left open';
  if (before.text.toLowerCase() === after.text.toLowerCase()) return 'letter case (text-transform)';
  // Blanks a dropped style lays out differently are no difference here.
  const same = (x, y) => x.text.replace(/\s+/g, '') === y.text.replace(/\s+/g, '');
  const [b, a] = await without('scripts', true);
  if (same(b, a)) return 'script output';
  const [bs, as] = await without('styles', false);
  if (same(bs, as)) return 'style the design drops';
  return gone.length === 0 ? 'text added' : 'other';
}

// The look of one page before and after its look clean; null when unchanged.
async function compareLookOf(browser, entry, mayChange, cache) {
  if (!entry || entry.untouched) return null;
  const view = await openFileTab(browser);
  try {
    await view.tab.setJavaScriptEnabled(false);
    const before = await remembered(cache, `look\t${entry.rel}`, () => look(view, entry.original));
    const after = await remembered(cache, `look\t${entry.rel}\t${digestOf(entry.cleaned)}`, () =>
      look(view, entry.cleaned),
    );
    const result = compareLook(before, after, mayChange);
    return result.elements === 0 ? null : describeLook(result);
  } finally {
    await view.tab.close();
  }
}

// Causes that follow from the design: the page's scripts, a property no
// box keeps, letter case from text-transform.
const BY_DESIGN = new Set(['script output', 'style the design drops', 'letter case (text-transform)']);
const TEXT_LOST = new Set(['form controls', 'ill-formed XML', 'attribute left open', 'other']);

// One setup over every page: what each page lost, and the totals. `cache`
// holds what the originals show, the same for every setup.
async function checkSetup(browser, options, setup, pages, work, cache) {
  const chosen = SETUPS[setup];
  const entries = cleanCopies(options, chosen.args, pages, path.join(work, setup));
  const lookKey = `look clean\t${chosen.look.args.join(' ')}`;
  const lookEntries = await remembered(cache, lookKey, () =>
    lookCopies(options, chosen.look.args, pages, path.join(work, `look-${setup}`)),
  );
  const report = { setup, totals: newWhereTotals(), compared: 0, untouched: [], lines: [], look: 0, lookCompared: 0 };
  report.text = { lost: 0, added: 0 };
  await eachAtOnce([...entries], options.jobs, async ([rel, entry]) => {
    if (entry.untouched) {
      report.untouched.push(`${rel}\t${entry.untouched}`);
      return;
    }
    const view = await openFileTab(browser);
    let found;
    try {
      found = await compare(view, entry, report.totals, cache);
    } finally {
      await view.tab.close();
    }
    report.compared++;
    if (found.causes.some((c) => TEXT_LOST.has(c))) report.text.lost++;
    if (found.causes.includes('text added')) report.text.added++;
    const lookEntry = lookEntries.get(rel);
    if (lookEntry && !lookEntry.untouched) report.lookCompared++;
    // Setups with the same look clean share its outcome.
    const lookChange = await remembered(cache, `${lookKey}\t${rel}`, () =>
      compareLookOf(browser, lookEntry, chosen.look.mayChange, cache),
    );
    if (lookChange) {
      report.look++;
      found.causes.push('ticked look changed');
      found.detail += `${found.detail ? '; ' : ''}look: ${lookChange}`;
    }
    if (found.causes.length > 0) report.lines.push({ rel, ...found });
    if (report.compared % 50 === 0) console.error(`${setup}: ${report.compared} pages compared`);
  });
  return report;
}

// Runs `work` on every item, `jobs` at once.
async function eachAtOnce(items, jobs, work) {
  let next = 0;
  const worker = async () => {
    while (next < items.length) await work(items[next++]);
  };
  await Promise.all(Array.from({ length: Math.max(1, jobs) }, worker));
}

// The table of one setup and every page left with its cause; returns how
// many of those are neither known nor by design.
function printSetup(report, known, knownLook) {
  const t = report.totals;
  const cell = (kind) => `${t[kind].lost} of ${t[kind].all} (${t[kind].pages} pages)`;
  const row = (name, value) => console.log(`${name.padEnd(34)} ${value}`);
  const title = SETUPS[report.setup].title;
  console.log(`\n== ${title}: ${report.compared} pages compared, ${report.untouched.length} left as they were`);
  for (const [kind, name] of WHERE_KINDS) row(name, cell(kind));
  row('pages whose ticked look changed', `${report.look} of ${report.lookCompared}`);
  row('pages losing text or controls', report.text.lost);
  row('pages showing text added', report.text.added);
  let unexpected = 0;
  for (const line of report.lines.sort((a, b) => (a.rel < b.rel ? -1 : 1))) {
    const key = `${report.setup}\t${line.rel}`;
    const accepted = `${known.get(key) || ''} ${knownLook.has(key) ? 'ticked look changed' : ''}`;
    let mark = 'DIFFERS';
    if (line.causes.every((c) => BY_DESIGN.has(c))) mark = 'by design';
    else if (line.causes.every((c) => BY_DESIGN.has(c) || accepted.includes(c))) mark = 'known';
    if (mark === 'DIFFERS') unexpected++;
    console.log(`  ${line.rel}\t${mark}: ${line.causes.join(', ')}\t${line.detail}`);
  }
  for (const u of report.untouched) console.log(`  ${u}\tleft as it was`);
  return unexpected;
}

// The pages to check: generated ones written under `work`, or those of the
// list or folder.
function choosePages(options, work) {
  if (options.generate.length === 0) {
    return options.list ? readLines(options.list) : pagesUnder(options.pages, (n) => PAGE_NAME.test(n));
  }
  options.pages = path.join(work, 'generated');
  const pages = [];
  for (const g of options.generate) {
    const [seed, count] = g.split(':').map(Number);
    if (!Number.isInteger(seed) || !(count > 0)) throw new Error(`--generate ${g}: SEED:COUNT expected`);
    pages.push(...writePages(seed, count, options.pages));
  }
  return pages;
}

async function main() {
  const options = parseCheckArgs(process.argv.slice(2), SETUPS);
  if (options.generate.length === 0 && !fs.existsSync(options.pages)) {
    console.log(`no corpus at ${options.pages}: skipped`);
    process.exit(77);
  }
  SETUPS.all.args = everyBox(options.clean);
  const known = readKnown(options.known);
  const knownLook = readKnown(options.knownLook);
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'pelloran-reader-view-'));
  const browser = await launchBrowser(options.browser, work, CHROMIUM_FLAGS);
  let unexpected = 0;
  try {
    const pages = choosePages(options, work);
    const cache = new Map();
    for (const setup of options.setups) {
      const report = await checkSetup(browser, options, setup, pages, work, cache);
      unexpected += printSetup(report, known, knownLook);
    }
  } finally {
    await browser.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
  console.log(unexpected === 0 ? '\nno unexpected difference' : `\n${unexpected} unexpected differences`);
  process.exitCode = unexpected === 0 ? 0 : 1;
}

main().catch((e) => {
  console.error(e.stack || String(e));
  process.exit(2);
});
