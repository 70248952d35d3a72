// The package's types as a TypeScript user meets them (checked by tsc --noEmit).
import { fromPatterns, hyphenateElement, hyphenator, languages, type Hyphenator, type TextOptions } from "sillabor";
import { hyphenateSync } from "sillabor/hyphen/en";

const en: Hyphenator = await hyphenator("en-US", { left: 2, right: 3, exceptions: ["ta-ble"] });
const pieces: string[] = en.hyphenate("hyphenation");
const offsets: number[] = en.positions("hyphenation");
const options: TextOptions = { separator: "-", minLength: 5, capitals: false, skipClass: "keep" };
const text: string = en.text("Typesetting", options);
const html: string = await en.html("<p>Typesetting</p>", options);
const stream: TransformStream<string, string> = en.stream({ html: true });
const own: Hyphenator = await fromPatterns("1ba", "", { left: 1, right: 1 });
const codes: readonly string[] = languages;
const old: string = hyphenateSync("A certain king", { hyphenChar: "-", minWordLength: 5 });
declare const page: Element;
await hyphenateElement(page, { lang: "de" });
console.log(pieces, offsets, text, html, stream, own, codes, old);
