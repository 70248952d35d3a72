// Writes dist/hyphen/<name>.js, a module for each language of the npm
// package `hyphen` that sillabor has, so that its users switch by changing
// an import ("hyphen/de" to "sillabor/hyphen/de"). Run after the module and
// the languages are built.
//
//     node js/tools/hyphen.mjs
import { mkdirSync, writeFileSync } from "node:fs";
import { engine } from "../lib/engine.js";

// The language entries of hyphen 1.14.1.
const names = `af as be bg bn ca cop cs cu cy da de de-1901 de-1996 de-ch-1901 el el-monoton
el-polyton en en-gb en-us es et ethi eu fi fi-x-school fr fur ga gl grc gu hi hr hsb hu hy ia id
is it ka kmr kn la la-x-classic la-x-liturgic lt lv mk ml mn mn-cyrl mn-cyrl-x-lmc mr mul-ethi nb nl
nn no oc or pa pi pl pms pt rm ro ru sa sh sh-cyrl sh-latn sk sl sq sr sr-cyrl sv ta te th tk tr uk
zh zh-latn-pinyin`.split(/\s+/);

const e = await engine();
const out = new URL("../dist/hyphen/", import.meta.url);
mkdirSync(out, { recursive: true });
const written = [];
for (const name of names) {
  if (e.languageIndex(name) < 0) continue;
  writeFileSync(
    new URL(`${name}.js`, out),
    `// hyphen's interface for "${name}", on sillabor (see the package's README).\n` +
      `import { compatible } from "../../lib/hyphen.js";\n` +
      `export const { hyphenate, hyphenateSync, hyphenateHTML, hyphenateHTMLSync } = await compatible(${JSON.stringify(name)});\n`,
  );
  written.push(name);
}
writeFileSync(
  new URL("index.d.ts", out),
  `// The declarations of every dist/hyphen/<name>.js.\n` +
    `export interface HyphenOptions { hyphenChar?: string; minWordLength?: number; exceptions?: string[]; }\n` +
    `export function hyphenate(text: string, options?: HyphenOptions): Promise<string>;\n` +
    `export function hyphenateSync(text: string, options?: HyphenOptions): string;\n` +
    `export function hyphenateHTML(html: string, options?: HyphenOptions): Promise<string>;\n` +
    `export function hyphenateHTMLSync(html: string, options?: HyphenOptions): string;\n`,
);
console.log(`hyphen's interface for ${written.length} of its ${names.length} languages; not: ${names.filter((n) => !written.includes(n)).join(" ")}`);
