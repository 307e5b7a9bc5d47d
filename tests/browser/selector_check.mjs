// Has Chromium confirm the merge's table of selectors: every selector the
// table lets take part in a merge is read by Chromium; of those that stay
// out, the ones with a reason in the third column are read by Chromium all
// the same, and the others Chromium rejects.
//
//   node selector_check.mjs --table FILE [--browser PATH]
//
// Exit status: 0 when Chromium agrees, 1 otherwise, 2 when it could not run.

import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import process from 'node:process';

import { launchBrowser } from './browser_pages.mjs';

function parseArgs(argv) {
  const options = { table: null, browser: null };
  for (let i = 0; i < argv.length; i += 2) {
    if (argv[i] === '--table') options.table = argv[i + 1];
    else if (argv[i] === '--browser') options.browser = argv[i + 1];
    else throw new Error(`unknown argument ${argv[i]}`);
  }
  if (!options.table) throw new Error('--table is required');
  return options;
}

// [{ merges, selector, reason }], read byte for byte (latin1), as the
// filter reads a page.
function readTable(file) {
  return fs
    .readFileSync(file, 'latin1')
    .split('\n')
    .filter((l) => l.length > 0 && !l.startsWith('#'))
    .map((l) => {
      const [kind, selector, reason = ''] = l.split('\t');
      return { merges: kind === 'merges', selector, reason };
    });
}

// Whether Chromium's stylesheet parser keeps a style rule with this
// selector, written as the filter writes rules: alone and first of a list.
async function readByChromium(tab, selectors) {
  return tab.evaluate(
    (all) =>
      all.map((s) =>
        [`${s} \r\n{ color: red;}`, `${s}, x \r\n{ color: red;}`].every((text) => {
          const sheet = new CSSStyleSheet();
          sheet.replaceSync(text);
          return sheet.cssRules.length === 1 && sheet.cssRules[0] instanceof CSSStyleRule;
        }),
      ),
    selectors,
  );
}

async function main() {
  const options = parseArgs(process.argv.slice(2));
  const rows = readTable(options.table);
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'selector-check-'));
  const browser = await launchBrowser(options.browser, work, ['--no-sandbox', '--disable-gpu']);
  let wrong = 0;
  try {
    const tab = await browser.newPage();
    const read = await readByChromium(tab, rows.map((r) => r.selector));
    rows.forEach((row, i) => {
      const expected = row.merges || row.reason !== '';
      if (read[i] === expected) return;
      wrong++;
      const what = read[i] ? 'reads' : 'rejects';
      console.log(`Chromium ${what} ${JSON.stringify(row.selector)} (${row.merges ? 'merges' : 'stays'})`);
    });
  } finally {
    await browser.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
  console.log(`${rows.length} selectors, ${wrong} where Chromium disagrees`);
  process.exit(wrong === 0 ? 0 : 1);
}

main().catch((e) => {
  console.error(e);
  process.exit(2);
});
