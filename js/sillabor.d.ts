/** The codes of the 73 built-in language variants ("en-us", "de-1996", ...). */
export const languages: readonly string[];

/** How running text and HTML are hyphenated; the defaults hyphenate every word. */
export interface TextOptions {
  /** What goes at each break (default U+00AD, the soft hyphen). */
  separator?: string;
  /** Words of fewer characters are left alone (default 0). */
  minLength?: number;
  /** Whether words in capitals ("NASA") are hyphenated (default true). */
  capitals?: boolean;
  /** In HTML, elements of this class are left alone (default "nohyphenate"). */
  skipClass?: string;
  /** The least characters before the first break (default: the language's). */
  left?: number;
  /** The least characters after the last break (default: the language's). */
  right?: number;
}

export interface StreamOptions extends TextOptions {
  /** Whether the stream is HTML (default false: running text). */
  html?: boolean;
}

export interface Minima {
  /** The least characters before the first break. */
  left?: number;
  /** The least characters after the last break. */
  right?: number;
}

export interface LanguageOptions extends Minima {
  /** Exceptions ("ta-ble"), an array or a line each: they replace or add to the language's. */
  exceptions?: string | readonly string[];
}

export interface Hyphenator {
  /** The word cut where a hyphen may go: ["hy", "phen", "ation"]. */
  hyphenate(word: string): string[];
  /** The offsets (UTF-16 code units) in the word where a hyphen may go: [2, 6]. */
  positions(word: string): number[];
  /** Running text with the separator at every break of every word. */
  text(text: string, options?: TextOptions): string;
  /** HTML with the separator in the words of its text; `lang` attributes choose the language. */
  html(html: string, options?: TextOptions): Promise<string>;
  /** html() without waiting: the languages its `lang` attributes name must be loaded already. */
  htmlSync(html: string, options?: TextOptions): string;
  /** A stream of strings hyphenated as they flow, in memory that does not grow with them. */
  stream(options?: StreamOptions): TransformStream<string, string>;
  /** Frees what the hyphenator holds now, rather than when it is collected. */
  dispose(): void;
}

/** The hyphenator of a built-in language, by tag or name ("en-US", "en", "de-1996"). */
export function hyphenator(tag: string, options?: LanguageOptions): Promise<Hyphenator>;

/** A hyphenator from your own patterns ("hy3ph", a line each) and exceptions ("ta-ble"). */
export function fromPatterns(patterns: string, exceptions?: string, minima?: Minima): Promise<Hyphenator>;

export interface ElementOptions extends TextOptions {
  /** The language of text that no `lang` attribute governs (default: the document's). */
  lang?: string;
}

/** Hyphenates the text nodes of a live DOM in place, by their `lang`; idempotent. */
export function hyphenateElement(root: Element | Document, options?: ElementOptions): Promise<void>;
