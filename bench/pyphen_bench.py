"""sillabor's pyphen interface against pyphen, in one process, on the same
words: pyphen with its word cache cleared before each pass (every word
hyphenated afresh), pyphen with a warm cache (every word looked up), and
sillabor (every word hyphenated afresh; it keeps no word cache).

    /usr/bin/python3 bench/pyphen_bench.py [WORDS] [DIC] [--repeat N]

WORDS defaults to build/bench/words/words-en.txt (bench/words.sh) and DIC to Debian's
hyph_en_US.dic. Run it with the interpreter that has both packages (for the
build tree: PYTHONPATH=build/python/python). Prints nanoseconds a word, the
best of the passes, for positions() and inserted().
"""

import argparse
import time
from pathlib import Path

import pyphen

import sillabor

HERE = Path(__file__).resolve().parent


def best(passes, run, words, before=None):
    times = []
    for _ in range(passes):
        if before:
            before()
        start = time.perf_counter()
        for w in words:
            run(w)
        times.append(time.perf_counter() - start)
    return min(times) / len(words) * 1e9


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("words", nargs="?", default=str(HERE.parent / "build/bench/words/words-en.txt"))
    parser.add_argument("dic", nargs="?", default="/usr/share/hyphen/hyph_en_US.dic")
    parser.add_argument("--repeat", type=int, default=5)
    args = parser.parse_args()

    words = Path(args.words).read_text(encoding="utf-8").split()
    theirs = pyphen.Pyphen(filename=args.dic)
    ours = sillabor.Pyphen(filename=args.dic)
    clear = theirs.hd.cache.clear

    print(f"{len(words)} words of {args.words}, {args.dic}; ns a word, best of {args.repeat}")
    print(f"{'method':<10} {'pyphen cold':>12} {'pyphen warm':>12} {'sillabor':>10} {'vs cold':>8} {'vs warm':>8}")
    for method in ("positions", "inserted"):
        cold = best(args.repeat, getattr(theirs, method), words, clear)
        getattr(theirs, method)  # the cache is now warm from the last pass
        warm = best(args.repeat, getattr(theirs, method), words)
        mine = best(args.repeat, getattr(ours, method), words)
        print(f"{method:<10} {cold:12.0f} {warm:12.0f} {mine:10.0f} {cold / mine:7.1f}x {warm / mine:7.1f}x")


if __name__ == "__main__":
    main()
