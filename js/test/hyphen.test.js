// Users of the npm package hyphen switch by changing an import: the same
// functions, the same options, sillabor's breaks.
import { test } from "node:test";
import assert from "node:assert/strict";
import { createRequire } from "node:module";
import * as en from "sillabor/hyphen/en";
import * as de from "sillabor/hyphen/de";

const require = createRequire(import.meta.url);
const hyphenInstalled = (() => {
  try {
    return require("hyphen/en");
  } catch {
    return null;
  }
})();

test("the same functions as hyphen's", { skip: hyphenInstalled ? false : "hyphen is not installed" }, () => {
  const theirs = Object.keys(hyphenInstalled).filter((k) => typeof hyphenInstalled[k] === "function").sort();
  assert.deepEqual(Object.keys(en).sort(), theirs);
});

test("hyphen's options, with the language's minima", async () => {
  const text = "A certain king had a beautiful garden";
  assert.equal(await en.hyphenate(text), "A cer\u00adtain king had a beau\u00adti\u00adful gar\u00adden");
  assert.equal(en.hyphenateSync(text, { hyphenChar: "-" }), "A cer-tain king had a beau-ti-ful gar-den");
  assert.equal(en.hyphenateSync(text, { hyphenChar: "-", minWordLength: 7 }), "A cer-tain king had a beau-ti-ful garden");
  assert.equal(en.hyphenateSync("garden", { hyphenChar: "-", exceptions: ["gar-den"] }), "gar-den");
  assert.equal(
    await de.hyphenate("Ein gewisser König hatte einen wunderschönen Garten", { hyphenChar: "-" }),
    "Ein ge-wis-ser Kö-nig hat-te ei-nen wun-der-schö-nen Gar-ten",
  );
});

test("HTML is read as HTML", async () => {
  const page = '<p title="hyphenation">hyphenation <code>hyphenation</code><script>hyphenation()</script></p>';
  const expected = '<p title="hyphenation">hy-phen-ation <code>hyphenation</code><script>hyphenation()</script></p>';
  assert.equal(await en.hyphenateHTML(page, { hyphenChar: "-" }), expected);
  assert.equal(en.hyphenateHTMLSync(page, { hyphenChar: "-" }), expected);
});
