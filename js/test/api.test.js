// The interface as users meet it: words, errors that say what went wrong,
// text that is not well-formed UTF-16, streams, and memory that stays flat.
import { test } from "node:test";
import assert from "node:assert/strict";
import { cpSync, mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { fileURLToPath } from "node:url";
import { fromPatterns, hyphenator, languages } from "../sillabor.js";
import { engine } from "../lib/engine.js";

test("errors inside the module come out as errors that say what went wrong", async () => {
  const e = await engine();
  const bad = () =>
    e.withBytes([new TextEncoder().encode("xx"), new Uint8Array([1, 2, 3])], (c, cn, b, bn) => {
      if (e.x.sb_provide_language(c, cn, b, bn) < 0) throw e.error("cannot read xx");
    });
  assert.throws(bad, /not a language bundle/);
});

test("words, pieces and positions", async () => {
  const en = await hyphenator("en-US");
  const cases = [
    ["hyphenation", ["hy", "phen", "ation"]],
    ["Typesetting", ["Type", "set", "ting"]],
    ["co-operation", ["co-", "op", "er", "a", "tion"]],
    ["", [""]],
    ["a", ["a"]],
  ];
  for (const [word, pieces] of cases) {
    assert.deepEqual(en.hyphenate(word), pieces, word);
    assert.deepEqual(en.positions(word), pieces.slice(0, -1).map((_, i) => pieces.slice(0, i + 1).join("").length));
  }
  const long = "hyphenation".repeat(200); // longer than the word buffer at first
  assert.equal(en.hyphenate(long).join(""), long);
  assert.deepEqual((await hyphenator("de")).hyphenate("Silbentrennung"), ["Sil", "ben", "tren", "nung"]);
  assert.deepEqual((await hyphenator("en", { left: 3, right: 3 })).hyphenate("hyphenation"), ["hyphen", "ation"]);
});

test("every language loads, by code", async () => {
  assert.equal(languages.length, 73);
  for (const code of languages) assert.ok(Array.isArray((await hyphenator(code)).hyphenate("abc")), code);
});

test("your own patterns and exceptions", async () => {
  const own = await fromPatterns("1ba\n", "aba-ba\n", { left: 1, right: 1 });
  assert.deepEqual(own.hyphenate("ababa"), ["aba", "ba"]); // the exception
  assert.deepEqual(own.hyphenate("abababa"), ["a", "ba", "ba", "ba"]); // the pattern
  assert.deepEqual(own.hyphenate("abba"), ["ab", "ba"]);
  assert.equal(own.text("ababa abba", { separator: "-" }), "aba-ba ab-ba");
  const wide = await fromPatterns("1ba\n", "", { left: 2, right: 2 });
  assert.deepEqual(wide.hyphenate("ababa"), ["aba", "ba"]); // the minima
});

test("an unknown language is a rejected promise that names it and the languages", async () => {
  await assert.rejects(hyphenator("tlh"), (e) => e.message.includes('"tlh"') && e.message.includes("en-us"));
});

test("a language file that cannot be read is an error that names it", async () => {
  const here = fileURLToPath(new URL("..", import.meta.url));
  const copy = mkdtempSync(join(tmpdir(), "sillabor-"));
  try {
    cpSync(here, copy, { recursive: true, filter: (p) => !p.includes("node_modules") && !p.endsWith("fr.txt.gz") });
    const { hyphenator: fromCopy } = await import(join(copy, "sillabor.js"));
    await assert.rejects(fromCopy("fr"), (e) => e.message.includes("fr.txt.gz"));
  } finally {
    rmSync(copy, { recursive: true, force: true });
  }
});

test("lone surrogates are copied through and never part of a word", async () => {
  const en = await hyphenator("en");
  const text = "\ud800hyphenation \udc00 typesetting\udbff";
  assert.equal(en.text(text, { separator: "-" }), "\ud800hy-phen-ation \udc00 type-set-ting\udbff");
  assert.equal(await en.html(`<p>${text}</p>`, { separator: "-" }), `<p>\ud800hy-phen-ation \udc00 type-set-ting\udbff</p>`);
  assert.deepEqual(en.hyphenate("hyphen\ud800ation").join(""), "hyphen\ud800ation");
  const pair = "\ud83d\ude00"; // a character outside the BMP stays whole
  assert.equal(en.text(`${pair}hyphenation${pair}`, { separator: "-" }), `${pair}hy-phen-ation${pair}`);
  // Offsets stay in UTF-16 code units when a word holds a pair.
  const after = en.positions("hyphenation").map((at) => at + 3);
  assert.deepEqual(en.positions(`${pair}-hyphenation`), [3, ...after]);
});

test("a byte-order mark is kept, and says the text is UTF-8", async () => {
  const en = await hyphenator("en");
  assert.equal(en.text("\ufeffhyphenation", { separator: "-" }), "\ufeffhy-phen-ation");
  assert.equal(await en.html("<p>hyphenation</p>"), "<p>hy&#173;phen&#173;ation</p>");
  assert.equal(await en.html("\ufeff<p>hyphenation</p>"), "\ufeff<p>hy\u00adphen\u00adation</p>");
});

test("html() follows lang, loading the languages it names", async () => {
  const en = await hyphenator("en");
  const page = '<p>hyphenation <span lang="de-1996">Silbentrennung</span> <i lang="ja">hyphenation</i> <b xml:lang=\'fr\'>hyphénation</b></p>';
  assert.equal(
    await en.html(page, { separator: "-" }),
    '<p>hy-phen-ation <span lang="de-1996">Sil-ben-tren-nung</span> <i lang="ja">hyphenation</i> <b xml:lang=\'fr\'>hy-phé-na-tion</b></p>',
  );
});

async function pipe(stream, chunks) {
  const out = [];
  const reader = stream.readable.getReader();
  const reading = (async () => {
    for (;;) {
      const { value, done } = await reader.read();
      if (done) return;
      out.push(value);
    }
  })();
  const writer = stream.writable.getWriter();
  for (const c of chunks) await writer.write(c);
  await writer.close();
  await reading;
  return out.join("");
}

test("a stream gives what one call gives, however the text is cut", async () => {
  const en = await hyphenator("en");
  const page = '<p lang="de">Silbentrennung</p><p>hyphenation \ud83d\ude00 typesetting</p>'.repeat(50);
  const whole = await en.html(page);
  for (const size of [1, 7, 100, 4096]) {
    const chunks = [];
    for (let i = 0; i < page.length; i += size) chunks.push(page.slice(i, i + size));
    assert.equal(await pipe(en.stream({ html: true }), chunks), whole, `pieces of ${size}`);
  }
  assert.equal(await pipe(en.stream(), ["hyphen", "ation"]), en.text("hyphenation"));
});

test("a hundred megabytes through a stream keep the module's memory under 64 MB", async () => {
  const en = await hyphenator("en");
  const chunk = "Hyphenation inserts soft hyphens into running text, invisibly. ".repeat(16384); // 1 MiB
  const stream = en.stream();
  const reader = stream.readable.getReader();
  let bytes = 0;
  const reading = (async () => {
    for (;;) {
      const { value, done } = await reader.read();
      if (done) return;
      bytes += value.length;
    }
  })();
  const writer = stream.writable.getWriter();
  for (let i = 0; i < 100; i++) await writer.write(chunk);
  await writer.close();
  await reading;
  assert.ok(bytes > 100 * chunk.length);
  const memory = (await engine()).x.memory.buffer.byteLength;
  assert.ok(memory < 64 << 20, `${memory} bytes`);
});
