// The interface of the npm package `hyphen` (hyphenate, hyphenateSync,
// hyphenateHTML, hyphenateHTMLSync and their options hyphenChar,
// minWordLength and exceptions) on sillabor, for dist/hyphen/<name>.js.
// Where hyphen is wrong, sillabor's behaviour is kept: the language's own
// minima (hyphen puts 2 and 2 on every language), and HTML read as HTML
// (hyphen breaks words inside script, style and code elements).
import { engine } from "./engine.js";
import { languageHyphenator } from "./hyphenator.js";

export async function compatible(name) {
  const e = await engine();
  const index = e.languageIndex(name);
  await e.load(index);
  const plain = languageHyphenator(e, index);
  const withExceptions = new Map(); // the entries, a line each -> a hyphenator that has them
  const pick = (exceptions) => {
    if (!exceptions?.length) return plain;
    const key = exceptions.join("\n");
    if (!withExceptions.has(key)) withExceptions.set(key, languageHyphenator(e, index, { exceptions }));
    return withExceptions.get(key);
  };
  const options = (o) => ({ separator: o.hyphenChar ?? "\u00ad", minLength: o.minWordLength ?? 5 });
  // hyphen writes soft hyphens as the character, as a JavaScript string
  // can: a leading byte-order mark tells the HTML reader so (where a
  // document that has not said it is UTF-8 gets "&#173;").
  const sync = (text, o = {}) => pick(o.exceptions).htmlSync(`\ufeff${text}`, options(o)).slice(1);
  const async = async (text, o = {}) => (await pick(o.exceptions).html(`\ufeff${text}`, options(o))).slice(1);
  return { hyphenate: async, hyphenateSync: sync, hyphenateHTML: async, hyphenateHTMLSync: sync };
}
