// The WebAssembly module and the memory between it and JavaScript: loading it
// once, providing the languages' files, and moving words and text across.
// Everything that knows the module's functions (the sb_* exports of
// js/src/module.cpp) is in this file.
import { languages } from "../dist/languages.js";

// How files are read and decompressed: by Node's own modules in Node, by
// fetch and DecompressionStream elsewhere. (Bundlers for the browser put
// browser.js in place of node.js, as package.json's "browser" field says.)
const inNode = typeof process === "object" && typeof process.versions?.node === "string";
const platform = () => (inNode ? import("./node.js") : import("./browser.js"));

const encoder = new TextEncoder();

let loading; // the one Engine of this JavaScript realm, as a promise

/** The engine, loaded on first use. */
export function engine() {
  loading ??= Engine.load();
  return loading;
}

class Engine {
  static async load() {
    const { gunzip, readAsset } = await platform();
    const bytes = await readAsset(new URL("../dist/sillabor.wasm", import.meta.url));
    let memory; // the module's, once it is instantiated
    const imports = {
      env: { emscripten_notify_memory_growth() {} },
      wasi_snapshot_preview1: {
        // The C library asks for the environment; the module has none.
        environ_sizes_get(count, size) {
          const view = new DataView(memory.buffer);
          view.setUint32(count, 0, true);
          view.setUint32(size, 0, true);
          return 0;
        },
        environ_get() {
          return 0;
        },
        proc_exit(code) {
          throw new Error(`sillabor: the WebAssembly module stopped (${code})`);
        },
      },
    };
    const { instance } = await WebAssembly.instantiate(bytes, imports);
    memory = instance.exports.memory;
    return new Engine(instance.exports, { gunzip, readAsset });
  }

  constructor(exports, files) {
    this.x = exports;
    this.files = files;
    exports._initialize();
    this.loaded = new Map(); // language index -> promise of its files provided
    this.ready = new Set(); // the language indices whose files are provided
    this.wordCapacity = 0; // UTF-16 units
    this.wordBuffer = 0; // a word's code units, then its breaks, 32 bits each, at breaksBuffer
    this.growWordBuffer(0);
    this.views();
  }

  // Typed arrays over the memory, made again when it has grown.
  views() {
    const buffer = this.x.memory.buffer;
    if (buffer !== this.buffer) {
      this.buffer = buffer;
      this.u8 = new Uint8Array(buffer);
      this.u32 = new Uint32Array(buffer);
    }
  }

  error(what) {
    this.views();
    const at = this.x.sb_error();
    let end = at;
    while (this.u8[end]) end++;
    return new Error(`sillabor: ${what}: ${new TextDecoder().decode(this.u8.subarray(at, end))}`);
  }

  // Copies bytes into the module's memory; the caller frees them.
  put(bytes) {
    const at = this.x.sb_alloc(bytes.length || 1);
    if (!at) throw new Error("sillabor: out of WebAssembly memory");
    this.views();
    this.u8.set(bytes, at);
    return at;
  }

  withBytes(list, f) {
    const pointers = list.map((b) => this.put(b));
    try {
      return f(...pointers.flatMap((p, i) => [p, list[i].length]));
    } finally {
      for (const p of pointers) this.x.sb_free(p);
    }
  }

  /** The index of the language a tag names, or -1. */
  languageIndex(tag) {
    return this.withBytes([encoder.encode(String(tag))], (p, n) => this.x.sb_language_by_name(p, n));
  }

  /** Whether language `index` has been loaded. */
  isLoaded(index) {
    return this.ready.has(index);
  }

  /** Provides the files of language `index`, once. */
  load(index) {
    let done = this.loaded.get(index);
    if (!done) {
      done = this.fetchLanguage(index);
      this.loaded.set(index, done);
      done.catch(() => this.loaded.delete(index)); // a failed load may be tried again
    }
    return done;
  }

  async fetchLanguage(index) {
    const code = languages[index];
    const url = new URL(`../dist/languages/${code}.txt.gz`, import.meta.url);
    const bundle = await this.files.gunzip(await this.files.readAsset(url));
    const status = this.withBytes([encoder.encode(code), bundle], (c, cn, b, bn) =>
      this.x.sb_provide_language(c, cn, b, bn),
    );
    if (status < 0) throw this.error(`cannot read ${url}`);
    this.ready.add(index);
  }

  /** A hyphenation of language `index` (loaded), with other minima and more exceptions if given. */
  language(index, left = -1, right = -1, exceptions = "") {
    const h = this.withBytes([encoder.encode(exceptions)], (p, n) => this.x.sb_language(index, left, right, p, n));
    if (!h) throw this.error(`cannot load ${languages[index]}`);
    return h;
  }

  /** A hyphenation from pattern and exception texts. */
  patterns(patterns, exceptions, left, right) {
    const texts = [encoder.encode(patterns), encoder.encode(exceptions)];
    const h = this.withBytes(texts, (p, pn, e, en) => this.x.sb_patterns(p, pn, e, en, left, right));
    if (!h) throw this.error("cannot read the patterns");
    return h;
  }

  free(h) {
    this.x.sb_hyphenation_free(h);
  }

  /** The break offsets (UTF-16) of `word` with hyphenation `h`. */
  breaks(h, word) {
    // The word goes in as UTF-16 code units, 32 bits each, written in place
    // (for words this short, faster than any encoder call); the module reads
    // a word without surrogate pairs where it lies.
    const n = word.length;
    if (n > this.wordCapacity) this.growWordBuffer(n);
    if (this.u32.byteLength === 0) this.views(); // the memory has grown
    let u32 = this.u32;
    for (let i = 0, at = this.wordBuffer >>> 2; i < n; i++) u32[at + i] = word.charCodeAt(i);
    const count = this.x.sb_breaks(h, this.wordBuffer, n, this.breaksBuffer);
    if (count < 0) throw this.error(`cannot hyphenate "${word}"`);
    if (this.u32.byteLength === 0) this.views();
    u32 = this.u32;
    const result = new Array(count);
    for (let i = 0, at = this.breaksBuffer >>> 2; i < count; i++) result[i] = u32[at + i];
    return result;
  }

  growWordBuffer(units) {
    if (this.wordBuffer) this.x.sb_free(this.wordBuffer);
    this.wordCapacity = Math.max(128, 2 * units);
    // The word's code units, then room for a break after each.
    this.wordBuffer = this.x.sb_alloc(8 * this.wordCapacity);
    if (!this.wordBuffer) throw new Error("sillabor: out of WebAssembly memory");
    this.breaksBuffer = this.wordBuffer + 4 * this.wordCapacity;
  }

  /** A stream of text (html false) or HTML through hyphenation `h`. */
  stream(h, html, options) {
    const [separator, skipClass] = [options.separator, options.skipClass].map((s) => encoder.encode(s));
    const s = this.withBytes([separator, skipClass], (sp, sn, kp, kn) =>
      this.x.sb_stream(h, html ? 1 : 0, sp, sn, options.minLength, options.capitals ? 1 : 0, kp, kn),
    );
    if (!s) throw this.error("cannot start the stream");
    return s;
  }

  /** Feeds UTF-8 bytes to stream `s` (or ends it) and returns the output bytes. */
  feed(s, bytes, finish = false) {
    let status;
    if (finish) {
      status = this.x.sb_stream_feed(s, 0, 0, 1);
    } else {
      status = this.withBytes([bytes], (p, n) => this.x.sb_stream_feed(s, p, n, 0));
    }
    if (status < 0) throw this.error("cannot hyphenate the text");
    this.views();
    const at = this.x.sb_stream_output(s);
    return this.u8.slice(at, at + this.x.sb_stream_output_size(s));
  }

  endStream(s) {
    this.x.sb_stream_free(s);
  }
}
