"""Where the tests find their data: the word lists that bench/words.sh makes
(in the folder SILLABOR_WORDS_DIR names) and Debian's hyph_*.dic files.
Tests that need what a machine lacks are skipped, saying what is missing."""

import os
from pathlib import Path

import pytest

HYPHEN_DIR = Path("/usr/share/hyphen")
REPO = Path(__file__).resolve().parents[2]


def words_dir() -> Path:
    return Path(os.environ.get("SILLABOR_WORDS_DIR", REPO / "build" / "words"))


@pytest.fixture(scope="session")
def dic():
    """The path of a Debian dictionary, by its file name; skips without it."""

    def find(name: str) -> Path:
        path = HYPHEN_DIR / name
        if not path.exists():
            pytest.skip(f"{path} is not installed (Debian's hyphen-* packages)")
        return path

    return find


@pytest.fixture(scope="session")
def words():
    """The words of a benchmark list, by its file name; skips without it."""

    def read(name: str) -> list:
        path = words_dir() / name
        if not path.exists():
            pytest.skip(f"{path} is missing (bench/words.sh makes it; SILLABOR_WORDS_DIR)")
        return path.read_text(encoding="utf-8").split()

    return read
