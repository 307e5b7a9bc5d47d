// Checks that dropping Office markup takes nothing a reader sees: cleans
// copies of pages with pelloran-clean twice, with the boxes at their start
// values and with --drop-office-markup as well, loads both in headless
// Chromium (every request other than file: refused, scripts off) and
// compares the visible text, the form controls, the link targets and the
// computed look of every visible piece of text. Prints one line per
// differing page.
//
//   node office_markup_check.mjs --clean PATH --pages DIR [--list FILE]
//        [--browser PATH]
//
// Without --list, every page of DIR that carries Office markup is checked.
// Exit status: 0 when no page differs, 1 otherwise, 2 when the check could
// not run, 77 when there is no corpus.

import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import process from 'node:process';

import { cleanCopies as cleanInto, fileUrl, launchBrowser, loadPage, parseCheckArgs, readLines } from './browser_pages.mjs';

const SETUPS = { start: [], office: ['--drop-office-markup'] };
const OFFICE_SIGNS = ['MsoNormal', 'urn:schemas-microsoft-com:office', '<o:p>'];
// Inherited properties: the look a text piece has, whichever element holds it.
const LOOK = [
  'font-family', 'font-size', 'font-weight', 'font-style', 'font-variant', 'color',
  'text-align', 'text-indent', 'text-transform', 'line-height', 'letter-spacing',
  'word-spacing', 'white-space', 'visibility', 'direction',
];

function officePages(dir) {
  return fs
    .readdirSync(dir, { recursive: true })
    .filter((rel) => /\.(html?|xhtml|shtml)$/i.test(rel) && fs.statSync(path.join(dir, rel)).isFile())
    .filter((rel) => {
      const text = fs.readFileSync(path.join(dir, rel), 'latin1');
      return OFFICE_SIGNS.some((sign) => text.includes(sign));
    })
    .sort();
}

// Cleaned copies of the pages under work/setup/, one call for all of them.
function cleanCopies(options, setup, pages, work) {
  const tree = path.join(work, setup);
  cleanInto(options, ['-q', ...SETUPS[setup]], pages, tree);
  for (const rel of pages) fs.rmSync(path.join(tree, rel) + '~', { force: true });
  return tree;
}

// What a reader sees of the loaded page: text, controls, link targets, and
// the text in runs of one look (pieces split by a dropped tag join again).
async function readerView(tab, file) {
  await loadPage(tab, fileUrl(file));
  return tab.evaluate((look) => {
    const root = document.body || document.documentElement;
    const runs = [];
    const walker = document.createTreeWalker(root || document, NodeFilter.SHOW_TEXT);
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
      const holder = node.parentElement;
      if (!holder || !node.data.trim() || holder.getClientRects().length === 0) continue;
      const style = getComputedStyle(holder);
      const key = look.map((p) => style.getPropertyValue(p)).join('|');
      if (runs.length > 0 && runs[runs.length - 1].key === key) runs[runs.length - 1].text += node.data;
      else runs.push({ key, text: node.data });
    }
    const collapse = (s) => s.replace(/\s+/g, ' ').trim();
    return {
      text: collapse(root ? root.innerText : ''),
      controls: Array.from(document.querySelectorAll('input, select, textarea, button'))
        .map((e) => `${e.localName}:${e.type}=${e.value}${e.checked ? ' checked' : ''}`),
      links: Array.from(document.querySelectorAll('a[href], area[href]')).map((a) => a.getAttribute('href')),
      // Blanks between pieces are the text's concern, compared above.
      look: runs.map((r) => `${r.text.replace(/\s+/g, '')} {${r.key}}`),
    };
  }, LOOK);
}

function firstDifference(a, b) {
  let i = 0;
  while (i < a.length && i < b.length && a[i] === b[i]) i++;
  return `#${i}: ${JSON.stringify(a[i] ?? null)} became ${JSON.stringify(b[i] ?? null)}`;
}

function differences(before, after) {
  const found = [];
  if (before.text !== after.text) found.push(`text ${firstDifference([...before.text], [...after.text])}`);
  for (const part of ['controls', 'links', 'look']) {
    if (before[part].join('\n') !== after[part].join('\n')) {
      found.push(`${part} ${firstDifference(before[part], after[part])}`);
    }
  }
  return found;
}

async function main() {
  const options = parseCheckArgs(process.argv.slice(2));
  if (!fs.existsSync(options.pages)) {
    console.log(`no corpus at ${options.pages}: skipped`);
    process.exit(77);
  }
  const pages = options.list ? readLines(options.list) : officePages(options.pages);
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'pelloran-office-check-'));
  const browser = await launchBrowser(options.browser, work, ['--no-sandbox', '--disable-gpu']);
  let differing = 0;
  try {
    const start = cleanCopies(options, 'start', pages, work);
    const office = cleanCopies(options, 'office', pages, work);
    const tab = await browser.newPage();
    await tab.setJavaScriptEnabled(false);
    await tab.setRequestInterception(true);
    tab.on('request', (r) => (r.url().startsWith('file:') ? r.continue() : r.abort()));
    for (const rel of pages) {
      const before = await readerView(tab, path.join(start, rel));
      const after = await readerView(tab, path.join(office, rel));
      const found = differences(before, after);
      if (found.length > 0) {
        differing++;
        console.log(`${rel}\tDIFFERS\t${found.join('; ')}`);
      }
    }
    console.log(`${pages.length} pages compared, ${differing} differ`);
  } finally {
    await browser.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
  process.exitCode = differing === 0 ? 0 : 1;
}

main().catch((e) => {
  console.error(e.stack || String(e));
  process.exit(2);
});
