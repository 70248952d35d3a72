"""Where the tests find their data: the benchmark word lists beside the
checkout (../shared, or SILLABOR_SHARED_DIR) and Debian's hyph_*.dic files.
Tests that need what a machine lacks are skipped, saying what is missing."""

import os
from pathlib import Path

import pytest

HYPHEN_DIR = Path("/usr/share/hyphen")
REPO = Path(__file__).resolve().parents[2]


def shared_dir() -> Path:
    given = os.environ.get("SILLABOR_SHARED_DIR")
    return Path(given) if given else REPO.parent / "shared"


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
        path = shared_dir() / "bench" / name
        if not path.exists():
            pytest.skip(f"{path} is missing (the shared benchmark lists)")
        return path.read_text(encoding="utf-8").split()

    return read
