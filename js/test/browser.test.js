// In a real browser (Debian's chromium, driven by puppeteer-core): a page
// imports the module as it is, with no bundler, hyphenates a German and an
// English paragraph of a live DOM by their lang, and gets from html() what
// Node gets.
import { test } from "node:test";
import assert from "node:assert/strict";
import { existsSync, readFileSync } from "node:fs";
import { createServer } from "node:http";
import { extname, join, normalize } from "node:path";
import { fileURLToPath } from "node:url";
import { hyphenator } from "../sillabor.js";

const chromium = process.env.SILLABOR_CHROMIUM ?? "/usr/bin/chromium";
const root = fileURLToPath(new URL("..", import.meta.url));
const traps = fileURLToPath(new URL("../../tests/html/traps.html", import.meta.url));
const types = { ".js": "text/javascript", ".wasm": "application/wasm", ".html": "text/html; charset=utf-8" };

const page = `<!doctype html><html lang="en"><head><meta charset="utf-8"></head><body>
<div id="root"><p lang="de">Silbentrennung verbessert den Blocksatz.</p>
<p>Hyphenation improves justification.</p><pre>hyphenation</pre><p class="nohyphenate">hyphenation</p></div>
<script type="module">
import { hyphenateElement, hyphenator } from "/sillabor.js";
const root = document.getElementById("root");
await hyphenateElement(root);
const once = root.innerHTML;
await hyphenateElement(root);
const traps = await (await fetch("/traps.html")).text();
window.result = {
  paragraphs: [...root.children].map((e) => e.textContent),
  idempotent: once === root.innerHTML,
  html: await (await hyphenator("en")).html(traps),
};
</script></body></html>`;

function serve() {
  const server = createServer((request, response) => {
    const path = new URL(request.url, "http://localhost").pathname;
    const file = path === "/" ? null : path === "/traps.html" ? traps : join(root, normalize(path));
    if (path === "/") {
      response.writeHead(200, { "content-type": types[".html"] }).end(page);
    } else if (file.startsWith(root) || file === traps) {
      try {
        const body = readFileSync(file);
        response.writeHead(200, { "content-type": types[extname(file)] ?? "application/octet-stream" }).end(body);
      } catch {
        response.writeHead(404).end();
      }
    } else response.writeHead(403).end();
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

test("a page hyphenates its DOM by lang, and html() gives what it gives in Node", {
  skip: existsSync(chromium) ? false : `no browser at ${chromium}`,
}, async () => {
  const { default: puppeteer } = await import("puppeteer-core");
  const server = await serve();
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
      "--disable-component-update", "--disable-sync", "--disable-quic"],
  });
  try {
    const tab = await browser.newPage();
    const errors = [];
    tab.on("pageerror", (e) => errors.push(e.message));
    await tab.goto(`http://127.0.0.1:${server.address().port}/`);
    const result = await tab.waitForFunction(() => window.result, { timeout: 30000 }).then((h) => h.jsonValue());
    assert.deepEqual(errors, []);
    const de = await hyphenator("de");
    const en = await hyphenator("en");
    assert.deepEqual(result.paragraphs, [
      de.text("Silbentrennung verbessert den Blocksatz."),
      en.text("Hyphenation improves justification."),
      "hyphenation",
      "hyphenation",
    ]);
    assert.ok(result.paragraphs[0].includes("Sil\u00adben\u00adtren\u00adnung"));
    assert.ok(result.idempotent);
    assert.equal(result.html, await en.html(readFileSync(traps, "utf8")));
  } finally {
    await browser.close();
    server.close();
  }
});
