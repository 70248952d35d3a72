// text() and html() give the tool's --text and --html output byte for byte:
// on the HTML test documents, on Debian's HTML documentation, and on the
// project's own text, with the tool's options.
import { test } from "node:test";
import assert from "node:assert/strict";
import { readFileSync, readdirSync, existsSync } from "node:fs";
import { fileURLToPath } from "node:url";
import { hyphenator } from "../sillabor.js";
import { run, skipWithoutTool } from "./native.js";

const root = fileURLToPath(new URL("../../", import.meta.url));
const decoder = new TextDecoder("utf-8", { fatal: true });

function utf8(path) {
  try {
    return decoder.decode(readFileSync(path));
  } catch {
    return null; // a document that is not UTF-8 is no JavaScript string
  }
}

const htmlDocuments = [`${root}tests/html/traps.html`, `${root}tests/html/traps.xhtml`];
for (const dir of ["/usr/share/doc/ninja-build", "/usr/share/doc/zlib1g-dev/examples", "/usr/share/doc/cmake-data/html/manual"])
  if (existsSync(dir))
    htmlDocuments.push(...readdirSync(dir).filter((f) => f.endsWith(".html")).slice(0, 10).map((f) => `${dir}/${f}`));
const textDocuments = [`${root}README.md`, ...readdirSync(`${root}docs`).filter((f) => f.endsWith(".md")).map((f) => `${root}docs/${f}`), `${root}LICENSE`];

const choices = [
  [[], {}],
  [["-s", "|", "--min-length", "6", "--no-caps"], { separator: "|", minLength: 6, capitals: false }],
  [["-s", "=", "--left", "3", "--right", "3", "--skip-class", "keep"], { separator: "=", left: 3, right: 3, skipClass: "keep" }],
];

test("html() writes what sillabor --html writes", { skip: skipWithoutTool }, async () => {
  const en = await hyphenator("en-us");
  for (const path of htmlDocuments) {
    const source = utf8(path);
    if (source === null) continue;
    for (const [args, options] of choices) {
      const expected = run(["--html", "-l", "en-us", ...args], source).toString("utf8");
      assert.ok((await en.html(source, options)) === expected, `${path} ${args.join(" ")}`);
    }
  }
});

test("text() writes what sillabor --text writes", { skip: skipWithoutTool }, async () => {
  const en = await hyphenator("en-us");
  for (const path of textDocuments) {
    const source = utf8(path);
    for (const [html, options] of choices) {
      const args = html.filter((a, i) => a !== "--skip-class" && html[i - 1] !== "--skip-class");
      const expected = run(["--text", "-l", "en-us", ...args], source).toString("utf8");
      assert.ok(en.text(source, options) === expected, `${path} ${args.join(" ")}`);
    }
  }
});

test("a second run changes nothing", async () => {
  const en = await hyphenator("en-us");
  const page = readFileSync(`${root}tests/html/traps.html`, "utf8");
  const once = await en.html(page);
  assert.notEqual(once, page);
  assert.equal(await en.html(once), once);
  const text = readFileSync(`${root}README.md`, "utf8");
  assert.equal(en.text(en.text(text)), en.text(text));
});
