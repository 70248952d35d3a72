// Running text and HTML through the module's streams: JavaScript strings go
// in as UTF-8 a slice at a time (so that the module's memory stays small
// whatever the length), and come back as strings. A lone surrogate, which
// UTF-8 cannot hold, crosses as the three bytes it would take (a sequence
// the module copies as it is, outside any word) and comes back as itself.

const SLICE = 1 << 18; // UTF-16 units a call: at most 768 KiB of UTF-8
const encoder = new TextEncoder();

function wellFormed(s) {
  if (typeof s.isWellFormed === "function") return s.isWellFormed();
  return !/[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/.test(s);
}

// UTF-8 of a string whose surrogates may be unpaired.
function encodeLoose(s) {
  const out = new Uint8Array(3 * s.length);
  let n = 0;
  for (let i = 0; i < s.length; i++) {
    let c = s.charCodeAt(i);
    if (c >= 0xd800 && c < 0xdc00 && i + 1 < s.length) {
      const d = s.charCodeAt(i + 1);
      if (d >= 0xdc00 && d < 0xe000) {
        c = 0x10000 + ((c - 0xd800) << 10) + (d - 0xdc00);
        i++;
      }
    }
    if (c < 0x80) out[n++] = c;
    else if (c < 0x800) {
      out[n++] = 0xc0 | (c >> 6);
      out[n++] = 0x80 | (c & 63);
    } else if (c < 0x10000) {
      out[n++] = 0xe0 | (c >> 12);
      out[n++] = 0x80 | ((c >> 6) & 63);
      out[n++] = 0x80 | (c & 63);
    } else {
      out[n++] = 0xf0 | (c >> 18);
      out[n++] = 0x80 | ((c >> 12) & 63);
      out[n++] = 0x80 | ((c >> 6) & 63);
      out[n++] = 0x80 | (c & 63);
    }
  }
  return out.subarray(0, n);
}

// The inverse of encodeLoose, for output: `pending` holds the bytes of a
// character that the last piece ended inside of.
class LooseDecoder {
  pending = new Uint8Array(0);

  decode(bytes) {
    const all = this.pending.length ? concat(this.pending, bytes) : bytes;
    let s = "";
    let i = 0;
    const units = [];
    const flush = () => {
      s += String.fromCharCode(...units);
      units.length = 0;
    };
    while (i < all.length) {
      const b = all[i];
      const size = b < 0x80 ? 1 : b < 0xe0 ? 2 : b < 0xf0 ? 3 : 4;
      if (i + size > all.length) break;
      let c;
      if (size === 1) c = b;
      else if (size === 2) c = ((b & 31) << 6) | (all[i + 1] & 63);
      else if (size === 3) c = ((b & 15) << 12) | ((all[i + 1] & 63) << 6) | (all[i + 2] & 63);
      else c = ((b & 7) << 18) | ((all[i + 1] & 63) << 12) | ((all[i + 2] & 63) << 6) | (all[i + 3] & 63);
      if (c >= 0x10000) {
        c -= 0x10000;
        units.push(0xd800 + (c >> 10), 0xdc00 + (c & 1023));
      } else units.push(c);
      if (units.length > 4096) flush();
      i += size;
    }
    flush();
    this.pending = all.slice(i);
    return s;
  }
}

function concat(a, b) {
  const c = new Uint8Array(a.length + b.length);
  c.set(a);
  c.set(b, a.length);
  return c;
}

/** One stream of the module, fed strings. */
export class TextPump {
  constructor(engine, hyphenation, html, options, owned) {
    this.engine = engine;
    this.stream = engine.stream(hyphenation, html, options);
    this.owned = owned; // a hyphenation made for this stream's minima, freed with it
    this.decoder = new TextDecoder("utf-8", { ignoreBOM: true }); // a byte-order mark is text too
    this.loose = null; // a LooseDecoder from the first lone surrogate on
    this.carry = ""; // a high surrogate that ended the last piece
  }

  /** The output that `text` completes. */
  push(text) {
    let s = this.carry + text;
    this.carry = "";
    const last = s.charCodeAt(s.length - 1);
    if (last >= 0xd800 && last < 0xdc00) {
      this.carry = s.slice(-1);
      s = s.slice(0, -1);
    }
    let out = "";
    for (let from = 0; from < s.length; ) {
      let to = Math.min(s.length, from + SLICE);
      const c = s.charCodeAt(to - 1);
      if (to < s.length && c >= 0xd800 && c < 0xdc00) to--; // keep a pair together
      out += this.#feed(s.slice(from, to));
      from = to;
    }
    return out;
  }

  /** The rest of the output, at the end of the text. */
  finish() {
    let out = this.carry ? this.#feed(this.carry) : "";
    this.carry = "";
    out += this.#decode(this.engine.feed(this.stream, null, true), true);
    return out;
  }

  close() {
    if (this.stream) {
      this.engine.endStream(this.stream);
      if (this.owned) this.engine.free(this.owned);
      this.stream = 0;
    }
  }

  #feed(piece) {
    let bytes;
    if (wellFormed(piece)) bytes = encoder.encode(piece);
    else {
      bytes = encodeLoose(piece);
      this.loose ??= new LooseDecoder();
    }
    return this.#decode(this.engine.feed(this.stream, bytes));
  }

  #decode(bytes, end = false) {
    if (this.loose) {
      // What the strict decoder holds back is handed over first.
      const held = this.decoder.decode(new Uint8Array(0), { stream: false });
      return held + this.loose.decode(bytes);
    }
    return this.decoder.decode(bytes, { stream: !end });
  }
}
