// The Hyphenator objects that the package hands out, and making them.
import { languages } from "../dist/languages.js";
import { TextPump } from "./text.js";

export const defaults = Object.freeze({
  separator: "\u00ad",
  minLength: 0,
  capitals: true,
  skipClass: "nohyphenate",
});

// Frees what a hyphenator holds in the module when it is collected.
const registry = new FinalizationRegistry(({ engine, handle }) => engine.free(handle));

export class Hyphenator {
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
    return this.htmlSync(source, options);
  }

  /**
   * html() without waiting: the languages that `lang` attributes name must
   * have been loaded already (by hyphenator() or html()), else it throws.
   */
  htmlSync(html, options = {}) {
    const source = String(html);
    const missing = [...languagesOf(this.#engine, source)].filter((i) => !this.#engine.isLoaded(i));
    if (missing.length)
      throw new Error(
        `sillabor: the HTML names languages not loaded yet (${missing.map((i) => languages[i]).join(", ")}); ` +
          "use html(), or load them first with hyphenator()",
      );
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

// The languages that the lang and xml:lang attributes of `html` name (and
// perhaps more: text that only looks like an attribute counts too).
function languagesOf(e, html) {
  const found = new Set();
  for (const m of html.matchAll(/\blang\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+))/gi)) {
    const index = e.languageIndex((m[1] ?? m[2] ?? m[3]).trim());
    if (index >= 0) found.add(index);
  }
  return found;
}

export async function loadLanguagesOf(e, html) {
  await Promise.all([...languagesOf(e, html)].map((i) => e.load(i)));
}

export function unknown(tag) {
  return new Error(`sillabor: no language "${tag}"; the languages are ${languages.join(", ")}`);
}


/**
 * The hyphenator of language `index` of a loaded engine, whose files are
 * provided: `left` and `right` change its minima, and `exceptions` (an array
 * of entries, or a line each) replace or add to the language's own.
 */
export function languageHyphenator(e, index, { left, right, exceptions } = {}) {
  const extra = Array.isArray(exceptions) ? exceptions.join("\n") : String(exceptions ?? "");
  const make = (l, r) => e.language(index, l ?? left ?? -1, r ?? right ?? -1, extra);
  return new Hyphenator(e, make(), make);
}
