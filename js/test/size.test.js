// What a page downloads: the engine at most 150 KB gzipped, and each
// language file no larger than Hyphenopoly's for the same language.
import { test } from "node:test";
import assert from "node:assert/strict";
import { existsSync, readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { gzipSync } from "node:zlib";
import { languages } from "../sillabor.js";
import { engine } from "../lib/engine.js";

const dist = fileURLToPath(new URL("../dist/", import.meta.url));
const gzipped = (path) => gzipSync(readFileSync(path), { level: 9 }).length;

test("the engine is at most 150 KB gzipped", () => {
  const size = gzipped(join(dist, "sillabor.wasm"));
  assert.ok(size <= 150_000, `${size} bytes`);
});

const hyphenopoly = (() => {
  try {
    return join(dirname(createRequire(import.meta.url).resolve("hyphenopoly")), "patterns");
  } catch {
    return null;
  }
})();

test("each language file is no larger than Hyphenopoly's, gzipped as a server would", {
  skip: hyphenopoly ? false : "hyphenopoly is not installed",
}, async () => {
  const larger = [];
  let compared = 0;
  for (const name of ["en-us", "en-gb", "de", "fr", "hu", "nl", "ru", "pl", "it", "es", "sv", "ta", "hy", "la", "pt", "el-monoton"]) {
    const theirs = join(hyphenopoly, `${name}.wasm`);
    if (!existsSync(theirs)) continue;
    // Their file for a tag against ours for the variant the tag stands for.
    const code = languages[(await engine()).languageIndex(name)];
    const ours = readFileSync(join(dist, "languages", `${code}.txt.gz`)).length;
    compared++;
    if (ours > gzipped(theirs)) larger.push(`${name}: ${ours} against ${gzipped(theirs)}`);
  }
  assert.ok(compared >= 10, `${compared} languages compared`);
  assert.deepEqual(larger, []);
});
