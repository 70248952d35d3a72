// Megabytes a second of html() and text() on a documentation page (Debian's
// manual of ninja by default), hyphenated whole, again and again in one
// process; the best of the runs.
//
//     node js/bench/html.mjs [PAGE] [RUNS]
import { readFileSync } from "node:fs";
import { hyphenator } from "../sillabor.js";

const [file = "/usr/share/doc/ninja-build/manual.html", runs = 20] = process.argv.slice(2);
const page = readFileSync(file, "utf8");
const bytes = Buffer.byteLength(page);
const en = await hyphenator("en-us");
await en.html(page); // loads the languages the page names
for (const [what, run] of [["html()", () => en.htmlSync(page)], ["text()", () => en.text(page)]]) {
  let best = Infinity;
  for (let r = 0; r < Number(runs); r++) {
    const t = performance.now();
    run();
    best = Math.min(best, performance.now() - t);
  }
  console.log(`${what} on ${file} (${(bytes / 1e3).toFixed(0)} kB): ${(bytes / 1e3 / best).toFixed(1)} MB/s`);
}
