// Where a reader can go on a page loaded in Chromium: the resolved link
// targets, the in-page links whose target exists and the images' alt texts,
// and what a clean took away of them.

import { fileUrl } from './browser_pages.mjs';

// The URL of the tree a page lies in (its path without `rel`), so that link
// targets inside the original's tree and the cleaned one's compare equal.
export function treeUrl(file, rel) {
  const tree = file.slice(0, file.length - rel.length);
  return fileUrl(tree);
}

// Runs in the page: every link's resolved target (a[href], and area[href]
// of a map an image or object uses), the in-page links whose target exists
// (an element of that id, or an anchor of that name), every image's alt text,
// and the sources of images and embedded media. Targets inside the page's
// tree are written from the tree's root on.
export function whereReadersGo(root) {
  // A file outside the tree goes by its address as written: the original's
  // tree and the cleaned one's lie in different places.
  const inTree = (url, written) => {
    if (root && url.startsWith(root)) return 'ROOT/' + url.slice(root.length);
    return url.startsWith('file:') ? `as written: ${written}` : url;
  };
  const here = location.href.replace(/#.*/, '');
  const used = new Set(
    Array.from(document.querySelectorAll('[usemap]'), (e) => e.getAttribute('usemap').replace(/^#/, '')),
  );
  const reachable = (e) => e.localName !== 'area' || used.has(e.closest('map')?.name);
  const links = [];
  const inPage = [];
  for (const e of document.querySelectorAll('a[href], area[href]')) {
    if (!reachable(e)) continue;
    const url = e.href;
    links.push(inTree(url, e.getAttribute('href')));
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
  // An image or medium without its source shows nothing.
  const sourced = 'img, embed, video, audio, source, object, input[type=image i]';
  const media = Array.from(document.querySelectorAll(sourced), (e) => {
    const [source, written] = e.localName === 'object' ? [e.data, e.getAttribute('data')] : [e.src, e.getAttribute('src')];
    return `${e.localName} ${source ? inTree(source, written) : '(none)'}`;
  });
  return { links, inPage, alts, media };
}

export const WHERE_KINDS = [
  ['links', 'links lost'],
  ['inPage', 'in-page links broken'],
  ['alts', 'alt texts lost'],
  ['media', 'image and media sources lost'],
];

export function newWhereTotals() {
  const totals = {};
  for (const [kind] of WHERE_KINDS) totals[kind] = { all: 0, lost: 0, pages: 0 };
  return totals;
}

// How many of `before` (a multiset) are missing from `after`, and a few of them.
export function missing(before, after) {
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
export function countWhereLost(before, after, totals) {
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
export async function explainWhereLost(lost, causes, details, withoutScripts) {
  if (lost.causes.length === 0) return;
  const [b, a] = await withoutScripts();
  const byScript = WHERE_KINDS.every(([kind]) => missing(b.where[kind], a.where[kind]).length === 0);
  for (const cause of byScript ? ['script output'] : lost.causes) {
    if (!causes.includes(cause)) causes.push(cause);
  }
  details.push(...lost.details);
}

