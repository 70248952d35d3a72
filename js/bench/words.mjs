// Nanoseconds a word on an English word list, for sillabor and the npm
// hyphenators hyphen 1.14.1, hypher 0.2.5 and Hyphenopoly 6.1.0, each in a
// fresh Node process of its own, in turns. Caches defeated: hyphen and
// Hyphenopoly keep every word they have hyphenated, so each pass over the
// list hyphenates words none of them has seen: pass p writes in capitals
// the first three letters of each word as the bits of p say (all four
// packages lower a word before they look it up, so the work is the same).
// Reported: the first pass (the JIT still cold) and the median of passes 4
// to 8 (warm), and the time from a fresh process's start of import to its
// first English word.
//
//     node js/bench/words.mjs [WORDS] [RUNS]
//     (default: build/bench/words/words-en.txt, as bench/words.sh makes it; 5 runs)
import { execFileSync } from "node:child_process";
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { fileURLToPath } from "node:url";

const here = fileURLToPath(import.meta.url);
const [mode, ...rest] = process.argv.slice(2);

const peers = {
  async sillabor() {
    const { hyphenator } = await import("../sillabor.js");
    const en = await hyphenator("en-us");
    return (w) => en.positions(w);
  },
  async hyphen() {
    const { hyphenateSync } = createRequire(import.meta.url)("hyphen/en-us");
    return (w) => hyphenateSync(w, { minWordLength: 1 });
  },
  async hypher() {
    const require = createRequire(import.meta.url);
    const Hypher = require("hypher");
    const h = new Hypher(require("hyphenation.en-us"));
    return (w) => h.hyphenate(w);
  },
  async hyphenopoly() {
    const { default: hyphenopoly } = await import("hyphenopoly");
    const { readFile } = await import("node:fs/promises");
    const hyphenators = hyphenopoly.config({
      require: ["en-us"],
      hyphen: "\u00ad",
      minWordLength: 1,
      loader: (file, patterns) => readFile(new URL(file, patterns)),
    });
    const h = await hyphenators.get("en-us");
    return (w) => h(w);
  },
};

if (mode === "--one") {
  // A child: one peer on one list, printing its two figures as JSON.
  const [name, file] = rest;
  const start = performance.now();
  const hyphenate = await peers[name]();
  hyphenate("hyphenation");
  const firstWord = performance.now() - start;
  const words = readFileSync(file, "utf8").split("\n").filter(Boolean);
  const variant = (w, p) =>
    [...w].map((c, i) => (i < 3 && (p >> i) & 1 ? c.toUpperCase() : c)).join("");
  const passes = [];
  let sink = 0;
  for (let p = 0; p < 8; p++) {
    const list = words.map((w) => variant(w, p));
    const t = performance.now();
    for (const w of list) sink += hyphenate(w).length;
    passes.push(((performance.now() - t) * 1e6) / list.length);
  }
  const warm = passes.slice(3).sort((a, b) => a - b)[2];
  console.log(JSON.stringify({ cold: passes[0], ns: warm, firstWord, sink }));
} else {
  const file = mode ?? fileURLToPath(new URL("../../build/bench/words/words-en.txt", import.meta.url));
  const runs = Number(rest[0] ?? 5);
  const median = (xs) => [...xs].sort((a, b) => a - b)[xs.length >> 1];
  const results = Object.fromEntries(Object.keys(peers).map((n) => [n, { cold: [], ns: [], firstWord: [] }]));
  for (let r = 0; r < runs; r++)
    for (const name of Object.keys(peers)) {
      const out = JSON.parse(execFileSync(process.execPath, [here, "--one", name, file], { encoding: "utf8" }));
      for (const k of ["cold", "ns", "firstWord"]) results[name][k].push(out[k]);
    }
  const ours = median(results.sillabor.ns);
  const oursCold = median(results.sillabor.cold);
  console.log(`${file}, median of ${runs} fresh processes each, in turns; Node ${process.version}`);
  console.log("package        first pass, ns a word   warm, ns a word   import to first word");
  for (const [name, { cold, ns, firstWord }] of Object.entries(results))
    console.log(
      `${name.padEnd(14)} ${median(cold).toFixed(0).padStart(9)} (${(median(cold) / oursCold).toFixed(1)}x)` +
        `   ${median(ns).toFixed(0).padStart(9)} (${(median(ns) / ours).toFixed(1)}x)` +
        `   ${median(firstWord).toFixed(1).padStart(10)} ms`,
    );
}
