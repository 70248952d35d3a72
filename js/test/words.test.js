// Every language gives the same breaks as the native library: on the word
// lists (SILLABOR_WORDS_DIR, as bench/words.sh makes them) and on words made
// from each language's own patterns.
import { test } from "node:test";
import assert from "node:assert/strict";
import { existsSync, readFileSync } from "node:fs";
import { join } from "node:path";
import { fileURLToPath } from "node:url";
import { hyphenator, languages } from "../sillabor.js";
import { run, skipWithoutTool } from "./native.js";

const data = fileURLToPath(new URL("../../data/hyph-utf8/", import.meta.url));

// Words from a language's patterns: the letters of one pattern, then of
// another further on, so that the words cross the patterns' edges.
function wordsOf(code, count = 1500) {
  const patterns = readFileSync(join(data, `hyph-${code}.pat.txt`), "utf8")
    .split("\n")
    .map((p) => p.replace(/[0-9.]/g, ""))
    .filter(Boolean);
  const words = new Set();
  for (let i = 0; i < patterns.length && words.size < count; i += Math.max(1, patterns.length / count) | 0) {
    words.add(patterns[i] + patterns[(i * 7 + 3) % patterns.length]);
    words.add(patterns[i]);
  }
  return [...words];
}

// The pieces as the tool prints them: no separator after a hard hyphen,
// which is a break itself.
const joined = (pieces) => pieces.reduce((out, p) => (/[-\u2010]$/.test(out) ? out + p : out + "=" + p));

function compare(t, code, h, words) {
  const expected = run(["-l", code, "-s", "="], words.join("\n") + "\n").toString("utf8").split("\n");
  let differ = 0;
  words.forEach((w, i) => {
    const mine = joined(h.hyphenate(w));
    if (mine !== expected[i] && differ++ < 5) t.diagnostic(`${code}: ${w}: ${mine} against ${expected[i]}`);
  });
  assert.equal(differ, 0, `${code}: ${differ} of ${words.length} words differ`);
}

test("every language breaks its own patterns' words as the native library does", { skip: skipWithoutTool }, async (t) => {
  for (const code of languages) compare(t, code, await hyphenator(code), wordsOf(code));
});

const lists = process.env.SILLABOR_WORDS_DIR;
for (const [file, codes] of [
  ["words-en.txt", ["en-us", "en-gb"]],
  ["words-de.txt", ["de-1996", "de-1901", "de-ch-1901"]],
]) {
  const path = lists && join(lists, file);
  const skip = skipWithoutTool || (!path || !existsSync(path) ? `no ${file} in SILLABOR_WORDS_DIR` : false);
  test(`${file} breaks as the native library breaks it`, { skip }, async (t) => {
    const words = readFileSync(path, "utf8").split("\n").filter(Boolean);
    for (const code of codes) compare(t, code, await hyphenator(code), words);
  });
}
