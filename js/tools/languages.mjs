// Writes the package's language files from a folder of hyph-utf8 data: for
// each language, <code>.txt.gz holds its character, exception and pattern
// files, in that order, separated by NUL characters (which the files never
// hold), and licences/<code>.txt its licence file. languages.js, beside the
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
const nul = Buffer.from([0]);
for (const code of codes) {
  const file = (kind) => readFileSync(join(data, `hyph-${code}.${kind}.txt`));
  const bundle = Buffer.concat([file("chr"), nul, file("hyp"), nul, file("pat")]);
  writeFileSync(join(out, `${code}.txt.gz`), gzipSync(bundle, { level: constants.Z_BEST_COMPRESSION }));
  writeFileSync(join(out, "licences", `${code}.txt`), file("lic"));
}
writeFileSync(
  join(dirname(out), "languages.js"),
  "// The codes of the languages, in the order of the module's language numbers.\n" +
    `export const languages = Object.freeze(${JSON.stringify(codes)});\n`,
);
console.log(`${codes.length} languages written to ${out}`);
