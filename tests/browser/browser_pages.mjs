// What the browser checks share: their command line, the page lists, the
// cleaned copies made with pelloran-clean, and headless Chromium with its
// pages loaded from files only.

import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

export const LOAD_TIMEOUT_MS = 20000;

// --clean PATH --pages DIR [--list FILE] [--browser PATH], and with `setups`
// also [--known FILE] [--known-look FILE] [--setup NAME]... (every setup by
// default) [--jobs N] [--generate SEED:COUNT]... (then no --pages).
export function parseCheckArgs(argv, setups = null) {
  const options = { setups: [], browser: null, list: null, known: null, knownLook: null, generate: [], jobs: 2 };
  for (let i = 0; i < argv.length; i++) {
    const arg = argv[i];
    const value = () => {
      if (i + 1 >= argv.length) throw new Error(`${arg} needs a value`);
      return argv[++i];
    };
    if (arg === '--clean') options.clean = path.resolve(value());
    else if (arg === '--pages') options.pages = path.resolve(value());
    else if (arg === '--list') options.list = path.resolve(value());
    else if (arg === '--browser') options.browser = value();
    else if (arg === '--known' && setups) options.known = path.resolve(value());
    else if (arg === '--known-look' && setups) options.knownLook = path.resolve(value());
    else if (arg === '--setup' && setups) options.setups.push(value());
    else if (arg === '--jobs' && setups) options.jobs = Number(value());
    else if (arg === '--generate' && setups) options.generate.push(value());
    else throw new Error(`unknown argument ${arg}`);
  }
  if (!options.clean || (!options.pages && options.generate.length === 0)) {
    throw new Error('--clean and --pages (or --generate) are required');
  }
  if (!setups) return options;
  if (options.setups.length === 0) options.setups = Object.keys(setups);
  for (const s of options.setups) if (!setups[s]) throw new Error(`unknown setup ${s}`);
  return options;
}

// The lines of a list file, "#" comments and blank lines left out.
export function readLines(file) {
  return fs
    .readFileSync(file, 'utf8')
    .split('\n')
    .map((l) => l.replace(/#.*/, '').trim())
    .filter((l) => l.length > 0);
}

// Every file under `dir` whose name `accept` takes, as paths under it, sorted.
export function pagesUnder(dir, accept = () => true) {
  const found = [];
  const walk = (sub) => {
    for (const entry of fs.readdirSync(path.join(dir, sub), { withFileTypes: true })) {
      const rel = path.join(sub, entry.name);
      if (entry.isDirectory()) walk(rel);
      else if (entry.isFile() && accept(entry.name)) found.push(rel);
    }
  };
  walk('');
  return found.sort();
}

// The accepted differences of a --known file: "setup<TAB>page" -> cause.
export function readKnown(file) {
  const known = new Map();
  if (!file) return known;
  for (const line of readLines(file)) {
    const [setup, page, cause] = line.split('\t');
    known.set(`${setup}\t${page}`, cause);
  }
  return known;
}

// Copies the whole folder of the pages into `tree`, so that each page has
// the style sheets, images and frames it loads beside it, and cleans the
// copies of `pages` there with one call of pelloran-clean with `args`;
// returns the call's result.
export function cleanCopies(options, args, pages, tree) {
  fs.cpSync(options.pages, tree, { recursive: true });
  const run = spawnSync(options.clean, [...args, '--', ...pages], {
    cwd: tree,
    encoding: 'utf8',
    maxBuffer: 64 * 1024 * 1024,
  });
  if (run.status !== 0 && run.status !== 1) {
    throw new Error(`pelloran-clean failed (${run.status}): ${run.stderr}`);
  }
  return run;
}

// Headless Chromium (the one given, else the first installed), its profile
// under `work`. The driver comes from `npm ci` beside this module.
export async function launchBrowser(given, work, flags) {
  let puppeteer;
  try {
    puppeteer = (await import('puppeteer-core')).default;
  } catch (e) {
    throw new Error(`puppeteer-core is missing: run scripts/install-deps.sh (${e.message})`);
  }
  const candidates = given
    ? [given]
    : ['/usr/bin/chromium-headless-shell', '/usr/lib/chromium/headless_shell', '/usr/bin/chromium'];
  const executablePath = candidates.find((c) => fs.existsSync(c));
  if (!executablePath) throw new Error(`no Chromium found (tried ${candidates.join(', ')})`);
  return puppeteer.launch({
    executablePath,
    headless: 'shell',
    args: [...flags, `--user-data-dir=${path.join(work, 'profile')}`],
  });
}

export function fileUrl(file) {
  return 'file://' + file.split('/').map(encodeURIComponent).join('/');
}

// A tab in which only files are read and a page stays the page loaded
// (view.url): a redirect by script or refresh would make what is read
// depend on timing. Dialogs are dismissed.
export async function openFileTab(browser) {
  const tab = await browser.newPage();
  const view = { tab, url: '' };
  await tab.setRequestInterception(true);
  tab.on('request', (r) => {
    const away = r.isNavigationRequest() && r.frame() === tab.mainFrame() && r.url() !== view.url;
    // A "204 No Content" answer keeps the page in place.
    if (away) r.respond({ status: 204, body: '' });
    else if (!r.url().startsWith('file:')) r.abort();
    else r.continue();
  });
  tab.on('dialog', (d) => d.dismiss());
  return view;
}

// Loads `url` into `tab`; a load cut short in a way `tolerated` matches
// still shows what it has loaded.
export async function loadPage(tab, url, tolerated = /timeout/i) {
  try {
    await tab.goto(url, { waitUntil: 'load', timeout: LOAD_TIMEOUT_MS });
  } catch (e) {
    if (!tolerated.test(String(e))) throw e;
  }
}

// Runs `read` until it succeeds: a page whose script moves on to another
// document is read in that one (three tries).
export async function readRetrying(read) {
  for (let attempt = 0; ; attempt++) {
    try {
      return await read();
    } catch (e) {
      if (attempt >= 2 || !/context was destroyed|detached/i.test(String(e))) throw e;
      await new Promise((r) => setTimeout(r, 200));
    }
  }
}
