// sillabor for JavaScript: where a hyphen may go in a word, by the patterns
// TeX uses, for 73 language variants, in Node, browsers and bundles.
//
//     import { hyphenator } from "sillabor";
//     const en = await hyphenator("en-US");
//     en.hyphenate("hyphenation");            // ["hy", "phen", "ation"]
//     await en.html("<p>Typesetting</p>");    // "<p>Type\u00adset\u00adting</p>"
import { engine } from "./lib/engine.js";
import { languages } from "./dist/languages.js";
import { defaults, Hyphenator, languageHyphenator, unknown } from "./lib/hyphenator.js";

export { languages };

/**
 * The hyphenator of a built-in language, by tag or name ("en-US", "en",
 * "de-1996", "German_1996"), loaded on first use; `left` and `right` change
 * its minima, and `exceptions` (entries such as "ta-ble", an array or a line
 * each) replace or add to the language's own.
 */
export async function hyphenator(tag, options = {}) {
  const e = await engine();
  const index = e.languageIndex(tag);
  if (index < 0) throw unknown(tag);
  await e.load(index);
  return languageHyphenator(e, index, options);
}

/**
 * A hyphenator from your own patterns (one a line, TeX's notation: "hy3ph")
 * and exceptions (one a line: "ta-ble"), with the least characters before
 * the first break (`left`) and after the last (`right`).
 */
// What --html leaves alone, by element name.
const untouched = new Set(["script", "style", "pre", "code", "kbd", "samp", "var", "textarea", "title", "math", "svg"]);

/**
 * Hyphenates the text of a live DOM in place: each text node in the language
 * of its nearest `lang` (else `options.lang`, else the document's), skipping
 * what `html()` skips. Running it again changes nothing.
 */
export async function hyphenateElement(root, options = {}) {
  const { lang, skipClass = defaults.skipClass } = options;
  const doc = root.ownerDocument ?? root;
  const stop = root.parentNode;
  const walker = doc.createTreeWalker(root, 4 /* NodeFilter.SHOW_TEXT */);
  const byLanguage = new Map();
  for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    let tag = lang ?? doc.documentElement?.getAttribute("lang") ?? "";
    let skip = false;
    let named = false;
    for (let e = node.parentElement; e && e !== stop; e = e.parentElement) {
      if (untouched.has(e.localName.toLowerCase()) || e.classList.contains(skipClass)) {
        skip = true;
        break;
      }
      if (!named && e.hasAttribute("lang")) {
        tag = e.getAttribute("lang");
        named = true;
      }
    }
    if (skip || !/\p{L}/u.test(node.data)) continue;
    if (!byLanguage.has(tag)) byLanguage.set(tag, []);
    byLanguage.get(tag).push(node);
  }
  const e = await engine();
  for (const [tag, nodes] of byLanguage) {
    if (e.languageIndex(tag) < 0) continue; // a language without patterns stays as it is
    const h = await hyphenator(tag);
    for (const node of nodes) {
      const done = h.text(node.data, options);
      if (done !== node.data) node.data = done;
    }
  }
}

export async function fromPatterns(patterns, exceptions = "", { left = 2, right = 2 } = {}) {
  const e = await engine();
  const make = (l = left, r = right) => e.patterns(String(patterns), String(exceptions), l, r);
  return new Hyphenator(e, make(), make);
}
