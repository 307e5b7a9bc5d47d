// Writes small pages that mix what real pages mix, for the browser checks:
// tags wrapped over lines (LF, CR LF, CR, a tab after the name), names in
// capitals, ids on every kind of element, <A NAME> and id targets with
// in-page links to them, spans with ids, stray "<" and "=", conditional
// comments and Office markup inside tables, rules a browser rejects merged
// with others, unquoted and single-quoted values, images with alt texts and
// forms, disclosures shown open and image maps. Page N of seed S is the
// same page on every run.
//
//   node page_generator.mjs --seed S --count N --out DIR
//
// The pages are named gen-S-N.html; each says its seed and number in a
// comment on its first line.

import fs from 'node:fs';
import path from 'node:path';
import process from 'node:process';

// A small, fast generator of 32-bit numbers from one seed (mulberry32).
function randomFrom(seed) {
  let a = seed >>> 0;
  const next = () => {
    a = (a + 0x6d2b79f5) >>> 0;
    let t = a;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  return {
    below: (n) => Math.floor(next() * n),
    pick: (list) => list[Math.floor(next() * list.length)],
    chance: (p) => next() < p,
  };
}

const WORDS = ['alder', 'birch', 'cedar', 'dogwood', 'elm', 'fir'];
WORDS.push('ginkgo', 'hazel', 'ivy', 'juniper', 'larch', 'maple');
const BREAKS = ['\n', '\r\n', '\r', '\t', ' '];
const COLOURS = ['#6666DD', 'red', '#008000', 'navy', '#C00'];
// Selectors a browser rejects: one of them voids the whole rule it is in.
const REJECTED = ['A:mail', 'A:hovered', 'P:foo', 'td::-moz-selection', '.x:nth-child(2n+)', 'A:-o-visited'];

// Everything one page is made of, with the state its parts share.
class PageWriter {
  constructor(seed, number) {
    this.random = randomFrom(seed * 100003 + number);
    this.upper = this.random.chance(0.4);
    this.lineEnd = this.random.pick(['\n', '\r\n', '\r']);
    this.targets = [];
    this.classes = ['k', 'MsoNormal', 'note', 'c1'];
    this.counter = 0;
  }

  name(tag) {
    if (!this.upper) return tag;
    return this.random.chance(0.8) ? tag.toUpperCase() : tag[0].toUpperCase() + tag.slice(1);
  }

  // A word numbered so that every piece of text is told apart.
  text(n = 2) {
    const words = [];
    for (let i = 0; i < n; i++) words.push(`${this.random.pick(WORDS)}${++this.counter}`);
    return words.join(' ');
  }

  // name=value with the value quoted one of three ways (unquoted only when
  // nothing in it needs quotes).
  attribute(name, value) {
    const quote = /[\s"'=<>`]/.test(value) ? this.random.pick(['"', "'"]) : this.random.pick(['"', "'", '']);
    let spelled = name;
    if (this.upper) spelled = this.random.chance(0.8) ? name.toUpperCase() : name[0].toUpperCase() + name.slice(1);
    return `${spelled}=${quote}${value}${quote}`;
  }

  // An opening tag, the break after its name sometimes a line end or a tab,
  // the breaks between attributes sometimes line ends too.
  open(tag, attributes) {
    const first = this.random.chance(0.35) ? this.random.pick(BREAKS) : ' ';
    const parts = attributes.map(([n, v]) => (v === null ? n : this.attribute(n, v)));
    // A stray "=" among the attributes, which a browser reads as a name.
    if (parts.length > 0 && this.random.chance(0.03)) parts.splice(this.random.below(parts.length + 1), 0, '=');
    if (parts.length === 0) return `<${this.name(tag)}>`;
    const rest = parts.map((p, i) => (i === 0 ? p : (this.random.chance(0.2) ? this.random.pick(BREAKS) : ' ') + p));
    return `<${this.name(tag)}${first}${rest.join('')}>`;
  }

  close(tag) {
    return `</${this.name(tag)}>`;
  }

  newTarget() {
    const id = `${this.random.pick(['index-', 'sec', 't_', 'Toc'])}${this.targets.length + 1}`;
    this.targets.push(id);
    return id;
  }

  // Some element of any kind carrying an id, a target of an in-page link.
  target() {
    const id = this.newTarget();
    const kind = this.random.below(9);
    const t = this.text();
    if (kind === 0) return `${this.open('a', [['name', id]])}${this.close('a')}${t}`;
    if (kind === 1) return `${this.open('span', [['id', id]])}${this.close('span')}${t}`;
    if (kind === 2) return `${this.open('span', [['id', id], ['class', 'k']])}${t}${this.close('span')}`;
    if (kind === 3) return `${this.open('div', [['id', id]])}${t}${this.close('div')}`;
    if (kind === 4) return `${this.open('b', [['id', id]])}${t}${this.close('b')}`;
    if (kind === 5) return `${this.open('font', [['id', id], ['color', 'red']])}${t}${this.close('font')}`;
    if (kind === 6) return `${this.open('h3', [['id', id], ['class', 'c1']])}${t}${this.close('h3')}`;
    if (kind === 7) return `${this.open('a', [['name', id], ['id', id]])}${t}${this.close('a')}`;
    return `${this.open('img', [['id', id], ['src', 'i.png'], ['alt', t]])}`;
  }

  link() {
    const t = this.text();
    if (this.targets.length > 0 && this.random.chance(0.6)) {
      const tag = this.open('a', [['href', '#' + this.random.pick(this.targets)], ['class', 'k']]);
      return `${tag}${t}${this.close('a')}`;
    }
    const hrefs = ['y.html', 'doc/page2.htm', 'http://example.org/a?b=1&c=2', 'mailto:a@b.c', 'z.html#part'];
    const href = this.random.pick(hrefs);
    const attrs = [['href', href]];
    if (this.random.chance(0.5)) attrs.push(['class', this.random.pick(this.classes)]);
    if (this.random.chance(0.3)) attrs.unshift(['target', '_top']);
    return `${this.open('a', attrs)}${t}${this.close('a')}`;
  }

  image() {
    const src = this.random.pick(['i.png', 'pics/a b.gif', 'x.jpg']);
    const attrs = [['src', src], ['alt', this.text(this.random.below(3) + 1)]];
    if (this.random.chance(0.4)) attrs.push(['width', '10'], ['border', '0']);
    if (this.random.chance(0.3)) attrs.reverse();
    return this.open('img', attrs);
  }

  // A class, sometimes a title holding a ">" inside its quotes.
  spanAttributes() {
    const attrs = [['class', this.random.pick(this.classes)]];
    if (this.random.chance(0.2)) attrs.push(['title', `${this.text(1)} > ${this.text(1)}`]);
    return attrs;
  }

  // Text with a "<" or "=" that opens nothing.
  stray() {
    return this.random.pick([
      () => `${this.text(1)} < ${this.text(1)}`,
      () => `${this.text(1)}<2 and 3>1`,
      () => `${this.text(1)} = ${this.text(1)}`,
      () => `a<=b ${this.text(1)}`,
      () => `x =y ${this.text(1)}<`,
    ])();
  }

  form() {
    const parts = [
      this.open('form', [['action', 'go.cgi'], ['id', this.newTarget()]]),
      this.open('input', [['type', 'text'], ['name', 'q'], ['value', this.text(1)]]),
      this.open('input', [['type', 'checkbox'], ['name', 'c'], ['checked', null]]),
      `${this.open('select', [['name', 's']])}<option>${this.text(1)}` +
        `${this.open('option', [['selected', null]])}${this.text(1)}${this.close('select')}`,
      `${this.open('textarea', [['name', 't']])}${this.text(1)}${this.close('textarea')}`,
      `${this.open('input', [['type', 'submit'], ['value', this.text(1)]])}`,
      this.close('form'),
    ];
    return parts.join(this.lineEnd);
  }

  // A table with Office markup and a conditional comment in its cells.
  table() {
    const id = this.random.chance(0.5) ? [['id', this.newTarget()]] : [];
    const cell = () => {
      const pieces = [this.random.chance(0.3) ? this.stray() : this.text(1)];
      if (this.random.chance(0.4)) {
        pieces.push(`<!--[if gte mso 9]><xml><o:data>${this.text(1)}</o:data></xml><![endif]-->`);
      }
      if (this.random.chance(0.3)) pieces.push(`<![if !supportLists]>${this.text(1)}<![endif]>`);
      if (this.random.chance(0.3)) {
        const tag = this.open('p', [['class', 'MsoNormal'], ['style', 'mso-margin-top-alt:auto']]);
        pieces.push(`${tag}${this.text(1)}<o:p></o:p>${this.close('p')}`);
      }
      if (this.random.chance(0.3)) pieces.push(this.target());
      if (this.random.chance(0.3)) pieces.push(this.link());
      return this.random.chance(0.5) ? pieces.join('') : pieces.reverse().join(' ');
    };
    const rows = [];
    for (let r = this.random.below(3) + 1; r > 0; r--) {
      const tds = [];
      for (let c = this.random.below(3) + 1; c > 0; c--) {
        const tag = this.open('td', this.random.chance(0.3) ? [['id', this.newTarget()]] : []);
        tds.push(`${tag}${cell()}${this.close('td')}`);
      }
      rows.push(`${this.open('tr', [])}${tds.join('')}${this.close('tr')}`);
    }
    const end = this.lineEnd;
    return `${this.open('table', [['border', '1'], ...id])}${end}${rows.join(end)}${this.close('table')}`;
  }

  paragraph() {
    const pieces = [];
    for (let n = this.random.below(4) + 2; n > 0; n--) {
      pieces.push(
        this.random.pick([
          () => this.text(),
          () => this.link(),
          () => this.target(),
          () => this.image(),
          () => this.stray(),
          () => `${this.open('span', this.spanAttributes())}${this.text()}${this.close('span')}`,
          () => `${this.open('span', [['style', "mso-spacerun:yes"]])} ${this.close('span')}${this.text(1)}`,
          () => `${this.open('i', [['id', this.newTarget()]])}${this.text(1)}${this.close('i')}`,
        ])(),
      );
    }
    const attrs = this.random.chance(0.5) ? [['class', this.random.pick(this.classes)]] : [];
    if (this.random.chance(0.3)) attrs.push(['id', this.newTarget()]);
    return `${this.open('p', attrs)}${pieces.join(this.random.pick([' ', this.lineEnd]))}${this.close('p')}`;
  }

  // A disclosure shown open: its text is there to read.
  opened() {
    const summary = `${this.open('summary', [])}${this.text(1)}${this.close('summary')}`;
    return `${this.open('details', [['open', null]])}${summary}${this.paragraph()}${this.close('details')}`;
  }

  // An image whose areas link elsewhere.
  imageMap() {
    const map = `m${this.targets.length}`;
    const shape = [['shape', 'rect'], ['coords', '0,0,9,9']];
    const area = this.open('area', [['href', 'map.html'], ...shape, ['alt', this.text(1)]]);
    const image = this.open('img', [['src', 'i.png'], ['usemap', '#' + map], ['alt', this.text(1)]]);
    return `${image}${this.open('map', [['name', map]])}${area}${this.close('map')}`;
  }

  // Rules with the same declarations (what a merge joins), some of their
  // selectors ones a browser rejects.
  style() {
    const colour = this.random.pick(COLOURS);
    const link = ['A:visited', 'A:link', 'A:active', 'A:hover'];
    if (this.random.chance(0.6)) link.push(this.random.pick(REJECTED));
    const rules = [
      `${link.join(', ')} { color: ${colour};}`,
      `.k {color: ${colour}}`,
      `P.MsoNormal, LI.MsoNormal {margin:0cm; font-size:12.0pt; font-family:"Times New Roman"}`,
      `h3 { font-size: 12.0pt }`,
      `.note { font-style: italic; font-weight: bold }`,
      `${this.random.pick(REJECTED)} { font-style: italic; font-weight: bold }`,
      `.c1 { text-align: center; text-decoration: underline }`,
      `td { text-indent: 3px; line-height: 1.5 }`,
    ];
    const kept = rules.filter(() => this.random.chance(0.8));
    const comment = this.random.chance(0.5);
    const inner = kept.join(this.lineEnd);
    const end = this.lineEnd;
    const [open, close] = comment ? ['<!--' + end, '-->' + end] : ['', ''];
    return `<style type="text/css">${end}${open}${inner}${end}${close}</style>`;
  }

  page(seed, number) {
    const head = [`<!-- generated page ${seed}:${number} -->`];
    const office = this.random.chance(0.4);
    head.push(office
      ? `<html xmlns:o="urn:schemas-microsoft-com:office:office" xmlns:w="urn:schemas-microsoft-com:office:word">`
      : '<html>');
    head.push(`<head><meta http-equiv="Content-Type" content="text/html; charset=utf-8"><title>${this.text()}</title>`);
    head.push(this.style());
    const settings = '<xml><w:WordDocument><w:View>Print</w:View></w:WordDocument></xml>';
    if (office) head.push(`<!--[if gte mso 9]>${settings}<![endif]-->`);
    head.push(`</head>`, this.open('body', this.random.chance(0.3) ? [['lang', 'EN-US'], ['link', 'blue']] : []));
    const body = [];
    for (let n = this.random.below(6) + 3; n > 0; n--) {
      const paragraph = () => this.paragraph();
      const others = [() => this.table(), () => this.form(), () => this.target()];
      others.push(() => this.opened(), () => this.imageMap());
      body.push(this.random.pick([paragraph, paragraph, paragraph, ...others])());
    }
    // Links made before their targets: in-page links to every kind of target.
    const toc = this.targets.map((id) => `${this.open('a', [['href', '#' + id]])}${this.text(1)}${this.close('a')}`);
    return [...head, ...toc, ...body, '</body></html>', ''].join(this.lineEnd);
  }
}

export function writePages(seed, count, out) {
  fs.mkdirSync(out, { recursive: true });
  const names = [];
  for (let number = 1; number <= count; number++) {
    const name = `gen-${seed}-${number}.html`;
    fs.writeFileSync(path.join(out, name), new PageWriter(seed, number).page(seed, number), 'utf8');
    names.push(name);
  }
  return names;
}

if (import.meta.url === `file://${process.argv[1]}`) {
  const args = process.argv.slice(2);
  const value = (flag) => {
    const i = args.indexOf(flag);
    if (i < 0 || i + 1 >= args.length) throw new Error(`${flag} is required`);
    return args[i + 1];
  };
  const names = writePages(Number(value('--seed')), Number(value('--count')), path.resolve(value('--out')));
  console.log(`${names.length} pages written`);
}
