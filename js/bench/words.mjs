// Nanoseconds a word on an English word list, for sillabor and the npm
// hyphenators hyphen 1.14.1, hypher 0.2.5 and Hyphenopoly 6.1.0, each in a
// fresh Node process of its own. Caches defeated: hyphen and Hyphenopoly keep
// every word they have hyphenated, so each process hyphenates every timed
// word once only, after a warm-up (for the JIT) on other words of the list.
// Also the time from a fresh process's start of import to its first English
// word, for each.
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
  const warm = words.filter((_, i) => i % 4 === 0);
  const timed = words.filter((_, i) => i % 4 !== 0);
  let sink = 0;
  for (const w of warm) sink += hyphenate(w).length;
  const t = performance.now();
  for (const w of timed) sink += hyphenate(w).length;
  const ns = ((performance.now() - t) * 1e6) / timed.length;
  console.log(JSON.stringify({ ns, firstWord, sink }));
} else {
  const file = mode ?? fileURLToPath(new URL("../../build/bench/words/words-en.txt", import.meta.url));
  const runs = Number(rest[0] ?? 5);
  const median = (xs) => [...xs].sort((a, b) => a - b)[xs.length >> 1];
  const results = Object.fromEntries(Object.keys(peers).map((n) => [n, { ns: [], firstWord: [] }]));
  for (let r = 0; r < runs; r++)
    for (const name of Object.keys(peers)) {
      const out = JSON.parse(execFileSync(process.execPath, [here, "--one", name, file], { encoding: "utf8" }));
      results[name].ns.push(out.ns);
      results[name].firstWord.push(out.firstWord);
    }
  const ours = median(results.sillabor.ns);
  console.log(`${file}, median of ${runs} fresh processes each, in turns; Node ${process.version}`);
  console.log("package        ns a word   import to first word   sillabor faster");
  for (const [name, { ns, firstWord }] of Object.entries(results))
    console.log(
      `${name.padEnd(14)} ${median(ns).toFixed(0).padStart(9)}   ${median(firstWord).toFixed(1).padStart(17)} ms   ${(median(ns) / ours).toFixed(1).padStart(14)}x`,
    );
}
