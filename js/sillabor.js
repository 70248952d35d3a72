// sillabor for JavaScript: where a hyphen may go in a word, by the patterns
// TeX uses, for 73 language variants, in Node, browsers and bundles.
//
//     import { hyphenator } from "sillabor";
//     const en = await hyphenator("en-US");
//     en.hyphenate("hyphenation");            // ["hy", "phen", "ation"]
//     await en.html("<p>Typesetting</p>");    // "<p>Type\u00adset\u00adting</p>"
import { engine } from "./lib/engine.js";
import { languages } from "./dist/languages.js";
import { TextPump } from "./lib/text.js";

export { languages };

const defaults = Object.freeze({
  separator: "\u00ad",
  minLength: 0,
  capitals: true,
  skipClass: "nohyphenate",
});

// Frees what a hyphenator holds in the module when it is collected.
const registry = new FinalizationRegistry(({ engine, handle }) => engine.free(handle));

class Hyphenator {
  #engine;
  #handle;
  #remake; // (left, right) => handle with other minima

  constructor(engine, handle, remake) {
    this.#engine = engine;
    this.#handle = handle;
    this.#remake = remake;
    registry.register(this, { engine, handle }, this);
  }

  /** The offsets (UTF-16 code units) in `word` where a hyphen may go. */
  positions(word) {
    return this.#engine.breaks(this.#handle, String(word));
  }

  /** `word` cut where a hyphen may go: hyphenate("hyphenation") is ["hy", "phen", "ation"]. */
  hyphenate(word) {
    const w = String(word);
    const pieces = [];
    let from = 0;
    for (const at of this.#engine.breaks(this.#handle, w)) {
      pieces.push(w.slice(from, at));
      from = at;
    }
    pieces.push(w.slice(from));
    return pieces;
  }

  /** Running text with the separator at every break of every word, as `sillabor --text` does. */
  text(text, options = {}) {
    return this.#withStream(false, options, (pump) => pump.push(String(text)) + pump.finish());
  }

  /**
   * HTML with the separator at every break of the words of its text, as
   * `sillabor --html` does; the languages its `lang` attributes name are
   * loaded first.
   */
  async html(html, options = {}) {
    const source = String(html);
    await loadLanguagesOf(this.#engine, source);
    return this.#withStream(true, options, (pump) => pump.push(source) + pump.finish());
  }

  /**
   * A TransformStream of strings that hyphenates running text (or HTML with
   * `{html: true}`) as it flows, in memory that does not grow with it.
   */
  stream(options = {}) {
    const e = this.#engine;
    const { html = false } = options;
    let pump;
    let tail = ""; // the end of the last chunk, where a tag may have begun
    return new TransformStream({
      start: () => {
        pump = this.#pump(html, options);
      },
      transform: async (chunk, controller) => {
        const text = String(chunk);
        if (html) {
          await loadLanguagesOf(e, tail + text);
          tail = text.slice(-256);
        }
        const out = pump.push(text);
        if (out) controller.enqueue(out);
      },
      flush: (controller) => {
        const out = pump.finish();
        if (out) controller.enqueue(out);
        pump.close();
      },
    });
  }

  /** Frees the module's memory this hyphenator holds now, rather than when it is collected. */
  dispose() {
    if (this.#handle) {
      registry.unregister(this);
      this.#engine.free(this.#handle);
      this.#handle = 0;
    }
  }

  #pump(html, options) {
    const o = { ...defaults, ...options };
    const handle = o.left !== undefined || o.right !== undefined ? this.#remake(o.left, o.right) : 0;
    return new TextPump(this.#engine, handle || this.#handle, html, o, handle);
  }

  #withStream(html, options, f) {
    const pump = this.#pump(html, options);
    try {
      return f(pump);
    } finally {
      pump.close();
    }
  }
}

async function loadLanguagesOf(e, html) {
  const wanted = new Set();
  for (const m of html.matchAll(/\blang\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+))/gi)) {
    const index = e.languageIndex((m[1] ?? m[2] ?? m[3]).trim());
    if (index >= 0) wanted.add(index);
  }
  await Promise.all([...wanted].map((i) => e.load(i)));
}

function unknown(tag) {
  return new Error(`sillabor: no language "${tag}"; the languages are ${languages.join(", ")}`);
}

/**
 * The hyphenator of a built-in language, by tag or name ("en-US", "en",
 * "de-1996", "German_1996"), loaded on first use; `left` and `right` change
 * its minima.
 */
export async function hyphenator(tag, { left, right } = {}) {
  const e = await engine();
  const index = e.languageIndex(tag);
  if (index < 0) throw unknown(tag);
  await e.load(index);
  const minima = (l, r) => [l ?? left ?? -1, r ?? right ?? -1];
  return new Hyphenator(e, e.language(index, ...minima()), (l, r) => e.language(index, ...minima(l, r)));
}

/**
 * A hyphenator from your own patterns (one a line, TeX's notation: "hy3ph")
 * and exceptions (one a line: "ta-ble"), with the least characters before
 * the first break (`left`) and after the last (`right`).
 */
export async function fromPatterns(patterns, exceptions = "", { left = 2, right = 2 } = {}) {
  const e = await engine();
  const make = (l = left, r = right) => e.patterns(String(patterns), String(exceptions), l, r);
  return new Hyphenator(e, make(), make);
}
