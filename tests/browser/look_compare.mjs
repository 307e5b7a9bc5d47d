// The look of the stylesheet filter's output, shared by the browser checks:
// an "after" page is the original markup with only its style elements'
// contents taken from the cleaned page, so that nothing but the filter
// differs; the computed style of every visible element holding text is
// compared before and after.

import { fileUrl, loadPage, readRetrying } from './browser_pages.mjs';

export const PROPERTIES = [
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

// The properties of the boxes clear at start (6, 10, 22 and 33).
export const CLEAR_AT_START = new Set(['color', 'text-decoration-line', 'font-weight', 'line-height']);

// Where each style element's contents stand: [start, end) after its tag's
// ">" up to its closing tag. Style elements inside comments (conditional
// ones too) count for nothing: a browser does not apply them and the Office
// switch drops them.
function styleContents(markup) {
  const found = [];
  const open = /<!--[\s\S]*?(-->|$)|<style\b[^>]*>/gi;
  for (let m; (m = open.exec(markup)) !== null; ) {
    if (m[0].startsWith('<!--')) continue;
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
export function afterPage(original, cleaned) {
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

// The computed style of every element that holds text, in document order,
// of `file` loaded in view.tab (scripts are the caller's choice).
export async function look(view, file) {
  view.url = fileUrl(file);
  // A load cut short (a slow page, a refresh turned away) still shows what
  // it has loaded.
  await loadPage(view.tab, view.url, /timeout|ERR_ABORTED/i);
  return readRetrying(() => styleOfTextElements(view.tab, PROPERTIES));
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

// The elements visible in the original whose style changed beyond what
// `mayChange` allows, counted by property; elements -1 when the element
// lists differ.
export function compareLook(before, after, mayChange) {
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

// One line saying what changed.
export function describeLook(result) {
  if (result.elements < 0) return 'the element lists differ';
  const counts = Object.entries(result.byProperty).map(([p, n]) => `${p} ${n}`);
  return `${result.elements} elements (${counts.join(', ')}); first ${result.first}`;
}
