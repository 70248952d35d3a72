// Writes the package's language files from a folder of hyph-utf8 data: for
// each language, <code>.txt.gz holds its character file, its exception file
// and its patterns, packed, separated by NUL characters (which the files
// never hold), and licences/<code>.txt its licence file.
//
// Packed patterns are two texts, separated by a NUL too: the trie of the
// patterns' letters, depth first (a child's character, "*" where a pattern
// ends, the child's own children, then ")"; the closing ")"s at the end are
// left out), and the scores of the patterns in the order their "*"s come, a
// line each, every non-zero score written as the letter that says its gap
// ("A" before the first character, "B" after it, ...) and its digit. Where
// several patterns have the same letters, the first one's scores are kept,
// as the library's parser keeps them. Packed, the patterns compress to about
// two thirds of their text. js/src/module.cpp unpacks them. languages.js, beside the
// folder, lists the codes in the order of the library's table of languages
// (Languages.def), which is the order of the module's language numbers.
//
//     node js/tools/languages.mjs LANGUAGES_DEF DATA_FOLDER OUTPUT_FOLDER
import { mkdirSync, readdirSync, readFileSync, writeFileSync } from "node:fs";
import { dirname, join } from "node:path";
import { constants, gzipSync } from "node:zlib";

const [table, data, out] = process.argv.slice(2);
if (!table || !data || !out) {
  console.error("usage: node languages.mjs LANGUAGES_DEF DATA_FOLDER OUTPUT_FOLDER");
  process.exit(2);
}
mkdirSync(join(out, "licences"), { recursive: true });
const rows = /^SILLABOR_LANGUAGE\(\s*\w+\s*,\s*\w+\s*,\s*"([^"]+)"/gm;
const codes = [...readFileSync(table, "utf8").matchAll(rows)].map((m) => m[1]);
const present = new Set(readdirSync(data));
const missing = codes.filter((code) => !present.has(`hyph-${code}.pat.txt`));
if (codes.length === 0 || missing.length) {
  console.error(`${data} lacks the patterns of: ${missing.join(", ") || "every language"}`);
  process.exit(1);
}
function pack(code, text) {
  const root = new Map();
  for (const line of text.split("\n")) {
    if (!line) continue;
    const letters = [];
    let scores = "";
    let pending = "";
    for (const c of line) {
      if (c >= "0" && c <= "9") {
        if (pending) throw new Error(`hyph-${code}.pat.txt: two digits in a row in "${line}"`);
        pending = c;
      } else {
        if (c === "*" || c === ")") throw new Error(`hyph-${code}.pat.txt: "${c}" in "${line}"`);
        if (pending > "0") scores += String.fromCharCode(65 + letters.length) + pending;
        pending = "";
        letters.push(c);
      }
    }
    if (pending > "0") scores += String.fromCharCode(65 + letters.length) + pending;
    let node = { children: root };
    for (const c of letters) {
      if (!node.children.has(c)) node.children.set(c, { children: new Map(), scores: undefined });
      node = node.children.get(c);
    }
    node.scores ??= scores; // the first of the same letters wins
  }
  const trie = [];
  const scores = [];
  const walk = (children) => {
    for (const c of [...children.keys()].sort((a, b) => a.codePointAt(0) - b.codePointAt(0))) {
      const child = children.get(c);
      trie.push(c);
      if (child.scores !== undefined) {
        trie.push("*");
        scores.push(child.scores);
      }
      walk(child.children);
      trie.push(")");
    }
  };
  walk(root);
  while (trie.at(-1) === ")") trie.pop();
  return Buffer.from(`${trie.join("")}\0${scores.join("\n")}`);
}

const nul = Buffer.from([0]);
for (const code of codes) {
  const file = (kind) => readFileSync(join(data, `hyph-${code}.${kind}.txt`));
  const patterns = pack(code, file("pat").toString("utf8"));
  const bundle = Buffer.concat([file("chr"), nul, file("hyp"), nul, patterns]);
  writeFileSync(join(out, `${code}.txt.gz`), gzipSync(bundle, { level: constants.Z_BEST_COMPRESSION }));
  writeFileSync(join(out, "licences", `${code}.txt`), file("lic"));
}
writeFileSync(
  join(dirname(out), "languages.js"),
  "// The codes of the languages, in the order of the module's language numbers.\n" +
    `export const languages = Object.freeze(${JSON.stringify(codes)});\n`,
);
console.log(`${codes.length} languages written to ${out}`);
