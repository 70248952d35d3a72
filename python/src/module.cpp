// The compiled half of the Python package: hyphenators for the built-in
// languages and for pattern text, `hyph_*.dic` dictionaries, running text and
// HTML, and the word-level core of the pyphen-compatible class. The package's
// Python half (sillabor/__init__.py) puts the public names together. This
// file's external interface is just the module sillabor._sillabor.
//
// Words cross the boundary as Python strings read in place (no UTF-32 copy
// through the codec machinery); long texts are hyphenated with the GIL
// released, so that threads hyphenate in parallel.
#include <pybind11/operators.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <Text/Sillabor.hpp>
#include <Text/Sillabor/Epub.hpp>
#include <sillabor.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <utility>
#include <vector>

namespace py = pybind11;
namespace S = Text::Sillabor;

namespace {

/// A language name that names none of the built-in languages.
class UnknownLanguage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

S::Language findLanguage(const std::string& name) {
    if (auto l = S::languageByName(name)) return *l;
    throw UnknownLanguage("unknown language '" + name +
                          "'; sillabor.languages() lists the languages it knows");
}

std::string tagOf(S::Language l) {
    return std::string(S::languageAffix(l));
}

// ---- Python strings ---------------------------------------------------------

/// `o` as a str, or a TypeError that names the argument.
PyObject* requireStr(py::handle o, const char* what) {
    if (!PyUnicode_Check(o.ptr()))
        throw py::type_error(std::string(what) + " must be str, not " + Py_TYPE(o.ptr())->tp_name);
    return o.ptr();
}

/// `word` itself, or for a subclass of str a plain copy of its characters:
/// the methods below call str's own lower(), upper() and isupper(), never a
/// subclass's, so that no Python code runs while they use their scratch
/// space.
py::object exactStr(PyObject* word) {
    if (PyUnicode_CheckExact(word)) return py::reinterpret_borrow<py::object>(word);
    PyObject* copy = PyUnicode_FromKindAndData(PyUnicode_KIND(word), PyUnicode_DATA(word),
                                               PyUnicode_GET_LENGTH(word));
    if (!copy) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(copy);
}

/// The UTF-8 bytes of a str (kept by the str itself). Lone surrogates raise
/// UnicodeEncodeError, a ValueError.
std::string_view utf8Of(PyObject* s) {
    Py_ssize_t n = 0;
    const char* p = PyUnicode_AsUTF8AndSize(s, &n);
    if (!p) throw py::error_already_set();
    return {p, static_cast<std::size_t>(n)};
}

/// The code points of a str, read in place into `out`.
void codePointsOf(PyObject* s, std::u32string& out) {
    const Py_ssize_t n = PyUnicode_GET_LENGTH(s);
    const int kind = PyUnicode_KIND(s);
    const void* data = PyUnicode_DATA(s);
    out.resize(static_cast<std::size_t>(n));
    for (Py_ssize_t i = 0; i < n; ++i)
        out[static_cast<std::size_t>(i)] = PyUnicode_READ(kind, data, i);
}

py::str strOf(std::u32string_view s) {
    PyObject* o = PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, s.data(),
                                            static_cast<Py_ssize_t>(s.size()));
    if (!o) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(o);
}

py::str strOf(std::string_view utf8) {
    PyObject* o = PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "strict");
    if (!o) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(o);
}

/// `word` in lower case, as str.lower() gives it, but one character for one:
/// where lowering changes the length ("İ" becomes two code points), each
/// character that would grow is kept as it is, so that positions found on
/// the lowered word hold for the word as written.
py::str lowered(PyObject* word) {
    if (PyUnicode_IS_ASCII(word)) {
        // Most words: lowered here, or kept when they hold no capital.
        const Py_ssize_t n = PyUnicode_GET_LENGTH(word);
        const auto* p = static_cast<const unsigned char*>(PyUnicode_DATA(word));
        Py_ssize_t i = 0;
        while (i < n && !(p[i] >= 'A' && p[i] <= 'Z'))
            ++i;
        if (i == n) return py::reinterpret_borrow<py::str>(word);
        PyObject* low = PyUnicode_New(n, 127);
        if (!low) throw py::error_already_set();
        auto* q = static_cast<unsigned char*>(PyUnicode_DATA(low));
        for (Py_ssize_t k = 0; k < n; ++k)
            q[k] = p[k] >= 'A' && p[k] <= 'Z' ? static_cast<unsigned char>(p[k] + 32) : p[k];
        return py::reinterpret_steal<py::str>(low);
    }
    py::str low = py::reinterpret_steal<py::str>(PyObject_CallMethod(word, "lower", nullptr));
    if (!low) throw py::error_already_set();
    if (PyUnicode_GET_LENGTH(low.ptr()) == PyUnicode_GET_LENGTH(word)) return low;
    std::u32string chars;
    codePointsOf(word, chars);
    for (char32_t& c : chars) {
        py::str one = strOf(std::u32string_view(&c, 1));
        py::str l = one.attr("lower")();
        if (PyUnicode_GET_LENGTH(l.ptr()) == 1) c = PyUnicode_READ_CHAR(l.ptr(), 0);
    }
    return strOf(chars);
}

// ---- Hyphenators --------------------------------------------------------------

/// A hyphenator with the characters that make words in running text, and
/// the language it was made for, if any.
struct PyHyphenator {
    S::Hyphenator hyphenator;
    S::WordCharacters letters;
    std::optional<S::Language> language;
    /// For one made from patterns: their text and the exceptions', which a
    /// pickle carries.
    std::shared_ptr<const std::pair<std::u32string, std::u32string>> source = nullptr;
};

PyHyphenator forLanguage(const std::string& name, std::optional<int> left,
                         std::optional<int> right) {
    const S::Language l = findLanguage(name);
    PyHyphenator h{S::languageHyphenator(l), S::WordCharacters::of(l), l};
    if (left) h.hyphenator.hyphenatorLeftMin = *left;
    if (right) h.hyphenator.hyphenatorRightMin = *right;
    return h;
}

void checkMinimum(int n, const char* what) {
    if (n < 1)
        throw py::value_error(std::string(what) + " must be at least 1, not " + std::to_string(n));
}

/// A hyphenator from pattern and exception text. With a language, words are
/// lowered by its character map and made of its letters; without one, the
/// letters are those of the patterns and exceptions, and their capitals (as
/// str.upper() gives them) are lowered to them.
PyHyphenator fromPatterns(py::handle patterns, py::handle exceptions, int left, int right,
                          const std::optional<std::string>& language) {
    checkMinimum(left, "left");
    checkMinimum(right, "right");
    std::u32string pat, exc;
    codePointsOf(requireStr(patterns, "patterns"), pat);
    codePointsOf(requireStr(exceptions, "exceptions"), exc);
    auto made = [&]() -> PyHyphenator {
        if (language) return forLanguage(*language, std::nullopt, std::nullopt);
        std::u32string smalls, capitals;
        auto map = std::make_shared<std::unordered_map<char32_t, char32_t>>();
        for (std::u32string_view text : {std::u32string_view(pat), std::u32string_view(exc)})
            for (char32_t c : text) {
                const bool syntax = (c >= U'0' && c <= U'9') || c == U'.' || c == U'-' ||
                                    c == U' ' || c == U'\t' || c == U'\n' || c == U'\r' ||
                                    c == U'%';
                if (syntax || smalls.find(c) != std::u32string::npos) continue;
                smalls += c;
                py::str up = strOf(std::u32string_view(&c, 1)).attr("upper")();
                if (PyUnicode_GET_LENGTH(up.ptr()) == 1) {
                    const char32_t u = PyUnicode_READ_CHAR(up.ptr(), 0);
                    if (u != c && !map->count(u)) {
                        map->emplace(u, c);
                        capitals += u;
                    }
                }
            }
        PyHyphenator h{S::Hyphenator{}, S::WordCharacters(smalls, capitals), std::nullopt};
        h.hyphenator.hyphenatorChars = [map](char32_t c) {
            const auto i = map->find(c);
            return i == map->end() ? c : i->second;
        };
        return h;
    };
    PyHyphenator h = made();
    h.hyphenator.hyphenatorPatterns = S::parsePatterns(pat);
    h.source = std::make_shared<const std::pair<std::u32string, std::u32string>>(pat, exc);
    h.hyphenator.hyphenatorExceptions = S::parseExceptions(exc);
    h.hyphenator.hyphenatorLeftMin = left;
    h.hyphenator.hyphenatorRightMin = right;
    return h;
}

py::list piecesOf(const S::Hyphenator& h, py::handle word) {
    const std::vector<std::string> pieces = S::hyphenate(h, utf8Of(requireStr(word, "word")));
    py::list out(pieces.size());
    for (std::size_t i = 0; i < pieces.size(); ++i)
        out[i] = strOf(pieces[i]);
    return out;
}

/// Where the built-in hyphenator breaks `word`: the number of code points
/// before each break.
void positionsOf(const S::Hyphenator& h, PyObject* word, std::vector<std::size_t>& out) {
    out.clear();
    const std::vector<std::string> pieces = S::hyphenate(h, utf8Of(word));
    std::size_t at = 0;
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        for (unsigned char b : pieces[i])
            at += (b & 0xC0) != 0x80;
        out.push_back(at);
    }
}

py::list listOf(const std::vector<std::size_t>& xs) {
    py::list out(xs.size());
    for (std::size_t i = 0; i < xs.size(); ++i)
        out[i] = py::int_(xs[i]);
    return out;
}

S::TextOptions textOptions(py::handle separator, std::size_t minLength, bool capitals,
                           std::size_t longestWord, std::string skipClass) {
    S::TextOptions o;
    o.separator = std::string(utf8Of(requireStr(separator, "separator")));
    o.minLength = minLength;
    o.capitals = capitals;
    o.longestWord = longestWord;
    o.skipClass = std::move(skipClass);
    return o;
}

/// Runs `work` on `text`'s UTF-8 bytes with the GIL released.
/// Text decoded from UTF-8 into the narrowest layout a Python string uses
/// for it (one, two or four bytes a character), so that making the string
/// is one copy. Needs no GIL. The bytes are the library's output: valid.
struct Decoded {
    std::string data;
    Py_ssize_t length = 0;
    Py_UCS4 maxChar = 0;
};

Decoded decodeForPython(std::string_view utf8) {
    Decoded d;
    auto next = [&](std::size_t& i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const std::size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        Py_UCS4 c = n == 1 ? b : b & (0x7F >> n);
        for (std::size_t k = 1; k < n && i + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += n;
        return c;
    };
    for (std::size_t i = 0; i < utf8.size();) {
        d.maxChar = std::max(d.maxChar, next(i));
        ++d.length;
    }
    const std::size_t width = d.maxChar < 0x100 ? 1 : d.maxChar < 0x10000 ? 2 : 4;
    d.data.resize(static_cast<std::size_t>(d.length) * width);
    char* out = d.data.data();
    for (std::size_t i = 0; i < utf8.size(); out += width) {
        const Py_UCS4 c = next(i);
        if (width == 1) {
            *out = static_cast<char>(c);
        } else if (width == 2) {
            const auto u = static_cast<Py_UCS2>(c);
            std::memcpy(out, &u, 2);
        } else {
            std::memcpy(out, &c, 4);
        }
    }
    return d;
}

py::str strOf(const Decoded& d) {
    PyObject* o = PyUnicode_New(d.length, d.maxChar);
    if (!o) throw py::error_already_set();
    std::memcpy(PyUnicode_DATA(o), d.data.data(), d.data.size());
    return py::reinterpret_steal<py::str>(o);
}

/// Runs `work` on `text`'s UTF-8 bytes with the GIL released, and decodes
/// its output before taking the GIL back: only the copies in and out hold
/// it, so that threads hyphenate in parallel.
template <class Work>
py::str withoutGil(py::handle text, const char* what, Work work) {
    const std::string in(utf8Of(requireStr(text, what)));
    Decoded out;
    {
        py::gil_scoped_release release;
        out = decodeForPython(work(in));
    }
    return strOf(out);
}

// ---- Dictionaries -------------------------------------------------------------

/// A dictionary with the bytes of its file, which a pickle carries.
struct PyDictionary {
    S::Dictionary dictionary;
    std::shared_ptr<const std::string> content;
};

PyDictionary dictionaryFromBytes(const py::bytes& data) {
    auto content = std::make_shared<const std::string>(data);
    return {S::parseDictionary(*content), content};
}

PyDictionary readDictionary(py::handle path) {
    const std::string file = py::str(py::module_::import("os").attr("fspath")(path));
    S::Dictionary d = S::readDictionary(file); // its errors name the file
    std::ifstream in(file, std::ios::binary);
    auto content = std::make_shared<std::string>(std::istreambuf_iterator<char>(in),
                                                 std::istreambuf_iterator<char>());
    if (in.bad()) throw std::system_error(errno, std::generic_category(), "cannot read " + file);
    return {std::move(d), std::move(content)};
}

/// The breaks of `word` in `d`, found on the word lowered.
std::vector<S::Break> dictionaryBreaks(const S::Dictionary& d, PyObject* word,
                                       std::optional<int> left, std::optional<int> right,
                                       std::u32string& scratch) {
    const py::str low = lowered(word);
    codePointsOf(low.ptr(), scratch);
    if (!left && !right) return d.breaks(scratch);
    const int l = left ? *left : (d.leftMin() > 0 ? d.leftMin() : 2);
    const int r = right ? *right : (d.rightMin() > 0 ? d.rightMin() : 2);
    return d.breaks(scratch, l, r);
}

// ---- The pyphen-compatible core ------------------------------------------------

/// The word-level methods of `sillabor.Pyphen`: positions, inserted, iterate
/// and wrap, over a built-in hyphenator or a dictionary, with the left and
/// right minima the caller gives (2 and 2 unless told otherwise, whatever
/// the file says).
class PyphenBase {
public:
    PyphenBase(py::object source, int left, int right, py::object dataInt)
        : source_(std::move(source)), dataInt_(std::move(dataInt)) {
        if (py::isinstance<PyDictionary>(source_)) {
            dictionary_ = &source_.cast<const PyDictionary&>().dictionary;
        } else if (py::isinstance<PyHyphenator>(source_)) {
            base_ = &source_.cast<const PyHyphenator&>().hyphenator;
        } else {
            throw py::type_error("a Pyphen reads a Dictionary or a Hyphenator, not " +
                                 std::string(Py_TYPE(source_.ptr())->tp_name));
        }
        setMinima(left, right);
    }

    int left() const { return left_; }
    int right() const { return right_; }
    void setLeft(int left) { setMinima(left, right_); }
    void setRight(int right) { setMinima(left_, right); }
    py::object source() const { return source_; }

    py::list positions(py::handle word) {
        const py::object exact = exactStr(requireStr(word, "word"));
        PyObject* w = exact.ptr();
        find(w);
        // Making a DataInt runs Python code, which may call this object
        // again (from this thread or another): work on a vector of our own,
        // and hand the buffer back after.
        std::vector<Found> found;
        found.swap(found_);
        py::list out(found.size());
        for (std::size_t i = 0; i < found.size(); ++i)
            out[i] = dataIntOf(found[i]);
        found.swap(found_);
        return out;
    }

    py::str inserted(py::handle word, py::handle hyphen) {
        std::u32string hy;
        codePointsOf(requireStr(hyphen, "hyphen"), hy);
        const bool upper = readWord(word);
        std::u32string& out = out_;
        out.clear();
        std::size_t done = 0;
        for (const Found& f : found_) {
            if (f.from < done) continue; // overlaps the break before
            out.append(text_, done, f.from - done);
            out += cased(f.before, upper);
            if (!endsInHardHyphen(out)) out += hy;
            out += cased(f.after, upper);
            done = f.to;
        }
        out.append(text_, done);
        return strOf(out);
    }

    py::list pairs(py::handle word) {
        const bool upper = readWord(word);
        py::list out;
        for (auto f = found_.rbegin(); f != found_.rend(); ++f)
            out.append(py::make_tuple(strOf(firstPart(*f, upper)), strOf(secondPart(*f, upper))));
        return out;
    }

    py::object wrap(py::handle word, std::ptrdiff_t width, py::handle hyphen) {
        std::u32string hy;
        codePointsOf(requireStr(hyphen, "hyphen"), hy);
        const bool upper = readWord(word);
        for (auto f = found_.rbegin(); f != found_.rend(); ++f) {
            std::u32string first = firstPart(*f, upper);
            // A part that ends in a hard hyphen takes no second one.
            const bool hard = endsInHardHyphen(first);
            const std::ptrdiff_t room = width - (hard ? 0 : static_cast<std::ptrdiff_t>(hy.size()));
            if (static_cast<std::ptrdiff_t>(first.size()) <= room) {
                if (!hard) first += hy;
                return py::make_tuple(strOf(first), strOf(secondPart(*f, upper)));
            }
        }
        return py::none();
    }

private:
    using Found = S::Break;

    void setMinima(int left, int right) {
        left_ = left;
        right_ = right;
        if (base_) {
            // The built-in patterns with the caller's minima: a copy that
            // shares the tables.
            own_ = *base_;
            own_.hyphenatorLeftMin = std::max(left, 1);
            own_.hyphenatorRightMin = std::max(right, 1);
        }
    }

    /// Fills `found_` with the breaks of `word`, as positions that satisfy
    /// left <= at <= length - right.
    void find(PyObject* word) {
        found_.clear();
        const std::ptrdiff_t n = PyUnicode_GET_LENGTH(word);
        auto keep = [&](std::size_t at) {
            const auto a = static_cast<std::ptrdiff_t>(at);
            return left_ <= a && a <= n - right_;
        };
        if (dictionary_) {
            const py::str low = lowered(word);
            codePointsOf(low.ptr(), scratch_);
            dictionary_->breaks(scratch_, std::max(left_, 1), std::max(right_, 1), found_);
            std::erase_if(found_, [&](const Found& f) { return !keep(f.at); });
        } else {
            positionsOf(own_, word, at_);
            for (std::size_t at : at_)
                if (keep(at)) found_.push_back({at, at, at, {}, {}});
        }
    }

    /// Finds the breaks of `word` and reads its characters into `text_`.
    /// Returns whether replacements are to be written in capitals (a break
    /// has one, and the word is in capitals).
    bool readWord(py::handle word) {
        const py::object exact = exactStr(requireStr(word, "word"));
        find(exact.ptr());
        codePointsOf(exact.ptr(), text_);
        return anyRule() && isUpper(exact.ptr());
    }

    bool anyRule() const {
        return std::any_of(found_.begin(), found_.end(), [](const Found& f) { return !f.plain(); });
    }

    static bool isUpper(PyObject* word) {
        PyObject* r = PyObject_CallMethod(word, "isupper", nullptr);
        if (!r) throw py::error_already_set();
        const bool upper = r == Py_True;
        Py_DECREF(r);
        return upper;
    }

    /// A replacement's text in capitals when the word is written in them.
    static std::u32string cased(const std::u32string& text, bool upper) {
        if (!upper || text.empty()) return text;
        std::u32string out;
        py::str up = strOf(text).attr("upper")();
        codePointsOf(up.ptr(), out);
        return out;
    }

    static bool endsInHardHyphen(std::u32string_view s) {
        return !s.empty() && (s.back() == U'-' || s.back() == U'\u2010');
    }

    std::u32string firstPart(const Found& f, bool upper) const {
        return text_.substr(0, f.from) + cased(f.before, upper);
    }
    std::u32string secondPart(const Found& f, bool upper) const {
        return cased(f.after, upper) + text_.substr(f.to);
    }

    /// The DataInt for a break: plain ones are shared (their `data` is None
    /// and cannot be set), nonstandard ones carry (change, index, cut) as the
    /// file's rules write them.
    py::object dataIntOf(const Found& f) {
        if (f.plain()) {
            if (f.at < plain_.size() && plain_[f.at]) return plain_[f.at];
            py::object made = dataInt_(f.at); // may call back: index plain_ only after
            if (f.at >= plain_.size()) plain_.resize(f.at + 1);
            if (!plain_[f.at]) plain_[f.at] = std::move(made);
            return plain_[f.at];
        }
        std::u32string change = f.before + U"=" + f.after;
        const auto index = static_cast<std::ptrdiff_t>(f.from) - static_cast<std::ptrdiff_t>(f.at);
        const auto cut = static_cast<std::ptrdiff_t>(f.to - f.from);
        return dataInt_(f.at, py::arg("data") = py::make_tuple(strOf(change), index, cut));
    }

    py::object source_;
    py::object dataInt_;
    const S::Dictionary* dictionary_ = nullptr;
    const S::Hyphenator* base_ = nullptr;
    S::Hyphenator own_;
    int left_ = 2, right_ = 2;
    std::vector<py::object> plain_;
    // Scratch space, kept from word to word.
    std::vector<Found> found_;
    std::vector<std::size_t> at_;
    std::u32string scratch_, text_, out_;
};

// ---- Calls without pybind11's dispatcher ---------------------------------------
//
// pyphen's methods are called once a word, often on millions of words, and
// a call through pybind11's general dispatcher costs more than hyphenating a
// short word: `positions` on English words took 375 ns a call through it and
// 273 ns this way (median of nine runs, in turns in one process). These take
// their arguments with CPython's vectorcall protocol (METH_FASTCALL, a
// public, stable interface) and are registered as methods of the bound
// class.

/// Reads positional and keyword arguments into `out` by `names`; the first
/// `required` are required. Returns false with a TypeError set.
bool parseArguments(const char* method, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                    std::initializer_list<const char*> names, std::size_t required,
                    PyObject** out) {
    const std::size_t n = names.size();
    std::fill(out, out + n, nullptr);
    if (static_cast<std::size_t>(nargs) > n) {
        PyErr_Format(PyExc_TypeError, "%s() takes at most %zu arguments (%zd given)", method, n,
                     nargs);
        return false;
    }
    for (Py_ssize_t i = 0; i < nargs; ++i)
        out[i] = args[i];
    const Py_ssize_t nkw = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    for (Py_ssize_t k = 0; k < nkw; ++k) {
        PyObject* key = PyTuple_GET_ITEM(kwnames, k);
        std::size_t i = 0;
        for (const char* name : names) {
            if (PyUnicode_CompareWithASCIIString(key, name) == 0) break;
            ++i;
        }
        if (i == n) {
            PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", method,
                         key);
            return false;
        }
        if (out[i]) {
            PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%U'", method,
                         key);
            return false;
        }
        out[i] = args[nargs + k];
    }
    for (std::size_t i = 0; i < required; ++i)
        if (!out[i]) {
            PyErr_Format(PyExc_TypeError, "%s() missing required argument '%s'", method,
                         names.begin()[i]);
            return false;
        }
    return true;
}

// The C++ object of a Pyphen. This is the module's one use of pybind11's
// internals: its public py::cast hands back the storage of an instance whose
// __init__ never ran (`Pyphen.__new__(Pyphen)`) as if it held an object, and
// the call then reads unconstructed memory (it crashed the test that makes
// such an instance); only the instance record says that no object was made.
PyphenBase* pyphenOf(PyObject* self) {
    auto* inst = reinterpret_cast<py::detail::instance*>(self);
    auto* base = static_cast<PyphenBase*>(inst->get_value_and_holder().value_ptr());
    if (!base) throw py::type_error("Pyphen.__init__() was not called");
    return base;
}

/// Runs `body`, turning C++ exceptions into Python ones as the dispatcher does.
template <class Body>
PyObject* guarded(Body body) {
    try {
        return body().release().ptr();
    } catch (py::error_already_set& e) {
        e.restore();
    } catch (py::builtin_exception& e) {
        e.set_error();
    } catch (const std::invalid_argument& e) {
        PyErr_SetString(PyExc_ValueError, e.what());
    } catch (const std::exception& e) {
        PyErr_SetString(PyExc_RuntimeError, e.what());
    }
    return nullptr;
}

PyObject* hyphenOr(PyObject* given) {
    static PyObject* dash = PyUnicode_InternFromString("-");
    return given ? given : dash;
}

PyObject* fastPositions(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                        PyObject* kwnames) {
    PyObject* a[1];
    if (!parseArguments("positions", args, nargs, kwnames, {"word"}, 1, a)) return nullptr;
    return guarded([&] { return pyphenOf(self)->positions(a[0]); });
}

PyObject* fastInserted(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* a[2];
    if (!parseArguments("inserted", args, nargs, kwnames, {"word", "hyphen"}, 1, a)) return nullptr;
    return guarded([&] { return pyphenOf(self)->inserted(a[0], hyphenOr(a[1])); });
}

PyObject* fastPairs(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* a[1];
    if (!parseArguments("iterate", args, nargs, kwnames, {"word"}, 1, a)) return nullptr;
    return guarded([&] { return pyphenOf(self)->pairs(a[0]); });
}

PyObject* fastWrap(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* a[3];
    if (!parseArguments("wrap", args, nargs, kwnames, {"word", "width", "hyphen"}, 2, a))
        return nullptr;
    return guarded([&] {
        if (!PyLong_Check(a[1]))
            throw py::type_error(std::string("width must be int, not ") + Py_TYPE(a[1])->tp_name);
        const Py_ssize_t width = PyLong_AsSsize_t(a[1]);
        if (width == -1 && PyErr_Occurred()) throw py::error_already_set();
        return pyphenOf(self)->wrap(a[0], width, hyphenOr(a[2]));
    });
}

PyMethodDef pyphenMethods[] = {
    {"positions", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(fastPositions)),
     METH_FASTCALL | METH_KEYWORDS,
     "positions($self, word)\n--\n\nWhere the word may break: DataInt positions, ascending."},
    {"inserted", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(fastInserted)),
     METH_FASTCALL | METH_KEYWORDS,
     "inserted($self, word, hyphen='-')\n--\n\nThe word with the hyphen at every break."},
    {"_pairs", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(fastPairs)),
     METH_FASTCALL | METH_KEYWORDS, "The ways to cut the word in two, longest first part first."},
    {"wrap", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(fastWrap)),
     METH_FASTCALL | METH_KEYWORDS,
     "wrap($self, word, width, hyphen='-')\n--\n\nThe longest first part, hyphen included, that "
     "fits "
     "in width characters, and the rest; None when none fits."},
    {nullptr, nullptr, 0, nullptr}};

// UnknownLanguageError, and OSError for the library's system errors.
void bindErrors(py::module_& m) {
    auto unknown =
        py::register_exception<UnknownLanguage>(m, "UnknownLanguageError", PyExc_KeyError);
    py::register_exception<S::EpubError>(m, "EpubError", PyExc_ValueError);
    // A KeyError's message is shown quoted; this one reads as a sentence.
    unknown.attr("__str__") = py::module_::import("builtins").attr("Exception").attr("__str__");
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p) std::rethrow_exception(p);
        } catch (const std::system_error& e) {
            const int code = e.code().category() == std::generic_category() ? e.code().value() : 0;
            py::object err =
                py::module_::import("builtins").attr("OSError")(code, py::str(e.what()));
            PyErr_SetObject(PyExc_OSError, err.ptr());
        }
    });
}

// languages(), language_info() and find_language().
void bindLanguages(py::module_& m) {
    m.def(
        "languages",
        [] {
            std::vector<std::string> out;
            for (S::Language l : S::enumFrom(S::minBound<S::Language>))
                out.push_back(tagOf(l));
            return out;
        },
        "The tags of the built-in languages, as their data files name them.");
    m.def(
        "language_info",
        [](const std::string& name) {
            const S::Language l = findLanguage(name);
            const S::Hyphenator& h = S::languageHyphenator(l);
            return py::make_tuple(tagOf(l), S::show(l), h.hyphenatorLeftMin, h.hyphenatorRightMin);
        },
        py::arg("lang"));
    m.def(
        "find_language",
        [](const std::string& name) -> std::optional<std::string> {
            if (auto l = S::languageByName(name)) return tagOf(*l);
            return std::nullopt;
        },
        py::arg("name"));
}

// Hyphenator: built-in languages and patterns of one's own.
void bindHyphenator(py::module_& m) {
    py::class_<PyHyphenator>(m, "Hyphenator")
        .def(py::init(&fromPatterns), py::arg("patterns"), py::arg("exceptions") = py::str(""),
             py::kw_only(), py::arg("left") = 2, py::arg("right") = 2, py::arg("lang") = py::none())
        .def_static("for_language", &forLanguage, py::arg("lang"), py::kw_only(),
                    py::arg("left") = py::none(), py::arg("right") = py::none())
        .def_property_readonly("left",
                               [](const PyHyphenator& h) { return h.hyphenator.hyphenatorLeftMin; })
        .def_property_readonly(
            "right", [](const PyHyphenator& h) { return h.hyphenator.hyphenatorRightMin; })
        .def_property_readonly("lang",
                               [](const PyHyphenator& h) -> std::optional<std::string> {
                                   if (h.language) return tagOf(*h.language);
                                   return std::nullopt;
                               })
        .def(
            "hyphenate",
            [](const PyHyphenator& h, py::handle word) { return piecesOf(h.hyphenator, word); },
            py::arg("word"))
        .def(
            "positions",
            [](const PyHyphenator& h, py::handle word) {
                std::vector<std::size_t> at;
                positionsOf(h.hyphenator, requireStr(word, "word"), at);
                return listOf(at);
            },
            py::arg("word"))
        .def(
            "hyphenate_text",
            [](const PyHyphenator& h, py::handle text, py::handle separator, std::size_t minLength,
               bool capitals, std::size_t longestWord) {
                const S::TextOptions o =
                    textOptions(separator, minLength, capitals, longestWord, "nohyphenate");
                return withoutGil(text, "text", [&](const std::string& in) {
                    return S::hyphenateText(h.hyphenator, h.letters, in, o);
                });
            },
            py::arg("text"), py::arg("separator") = py::str("\u00ad"), py::kw_only(),
            py::arg("min_length") = 0, py::arg("capitals") = true, py::arg("longest_word") = 1024)
        .def(
            "hyphenate_html",
            [](const PyHyphenator& h, py::handle html, py::handle separator, std::size_t minLength,
               bool capitals, std::size_t longestWord, std::string skipClass) {
                const S::TextOptions o =
                    textOptions(separator, minLength, capitals, longestWord, std::move(skipClass));
                return withoutGil(html, "html", [&](const std::string& in) {
                    S::HtmlHyphenator hh(h.hyphenator, h.letters, h.language, o);
                    std::string out;
                    hh.feed(in, out);
                    hh.finish(out);
                    return out;
                });
            },
            py::arg("html"), py::arg("separator") = py::str("\u00ad"), py::kw_only(),
            py::arg("min_length") = 0, py::arg("capitals") = true, py::arg("longest_word") = 1024,
            py::arg("skip_class") = "nohyphenate")
        // Pickled by its language's tag, or by its patterns' and exceptions'
        // text, with its minima.
        .def(py::pickle(
            [](const PyHyphenator& h) {
                const py::object lang =
                    h.language ? py::object(py::str(tagOf(*h.language))) : py::none();
                if (!h.source)
                    return py::make_tuple(lang, h.hyphenator.hyphenatorLeftMin,
                                          h.hyphenator.hyphenatorRightMin);
                return py::make_tuple(lang, h.hyphenator.hyphenatorLeftMin,
                                      h.hyphenator.hyphenatorRightMin, strOf(h.source->first),
                                      strOf(h.source->second));
            },
            [](const py::tuple& state) {
                const auto lang = state[0].cast<std::optional<std::string>>();
                const int left = state[1].cast<int>(), right = state[2].cast<int>();
                if (state.size() == 3) return forLanguage(*lang, left, right);
                return fromPatterns(state[3], state[4], left, right, lang);
            }))
        .def("__repr__", [](const PyHyphenator& h) {
            if (h.language) return "sillabor.Hyphenator.for_language('" + tagOf(*h.language) + "')";
            return std::string("<sillabor.Hyphenator from patterns>");
        });
}

// Break: a place where a dictionary word may break, with its replacement.
void bindBreak(py::module_& m) {
    py::class_<S::Break>(m, "Break")
        .def_readonly("at", &S::Break::at)
        .def_readonly("start", &S::Break::from)
        .def_readonly("end", &S::Break::to)
        .def_property_readonly("before", [](const S::Break& b) { return strOf(b.before); })
        .def_property_readonly("after", [](const S::Break& b) { return strOf(b.after); })
        .def_property_readonly("plain", &S::Break::plain)
        .def(py::self == py::self)
        .def("__repr__", [](const S::Break& b) {
            return py::str("Break(at={}, start={}, end={}, before={!r}, after={!r})")
                .format(b.at, b.from, b.to, strOf(b.before), strOf(b.after));
        });
}

// Dictionary: a hyph_*.dic file.
void bindDictionary(py::module_& m) {
    py::class_<PyDictionary>(m, "Dictionary")
        .def(py::init(&readDictionary), py::arg("path"))
        .def_static("from_bytes", &dictionaryFromBytes, py::arg("data"))
        .def_property_readonly("left_min",
                               [](const PyDictionary& d) { return d.dictionary.leftMin(); })
        .def_property_readonly("right_min",
                               [](const PyDictionary& d) { return d.dictionary.rightMin(); })
        .def_property_readonly("compound_left_min",
                               [](const PyDictionary& d) { return d.dictionary.compoundLeftMin(); })
        .def_property_readonly(
            "compound_right_min",
            [](const PyDictionary& d) { return d.dictionary.compoundRightMin(); })
        .def_property_readonly("encoding",
                               [](const PyDictionary& d) { return d.dictionary.encoding(); })
        .def(
            "breaks",
            [](const PyDictionary& d, py::handle word, std::optional<int> left,
               std::optional<int> right) {
                std::u32string scratch;
                return dictionaryBreaks(d.dictionary, requireStr(word, "word"), left, right,
                                        scratch);
            },
            py::arg("word"), py::kw_only(), py::arg("left") = py::none(),
            py::arg("right") = py::none())
        .def(
            "hyphenate",
            [](const PyDictionary& d, py::handle word, std::optional<int> left,
               std::optional<int> right) {
                PyObject* w = requireStr(word, "word");
                std::u32string scratch, text;
                const auto found = dictionaryBreaks(d.dictionary, w, left, right, scratch);
                codePointsOf(w, text);
                py::list out;
                for (const std::u32string& piece : S::applyBreaks(text, found))
                    out.append(strOf(piece));
                return out;
            },
            py::arg("word"), py::kw_only(), py::arg("left") = py::none(),
            py::arg("right") = py::none())
        // Pickled by the bytes of its file.
        .def(py::pickle([](const PyDictionary& d) { return py::make_tuple(py::bytes(*d.content)); },
                        [](const py::tuple& state) {
                            return dictionaryFromBytes(state[0].cast<py::bytes>());
                        }));
}

// PyphenBase: the core of pyphen's Pyphen class (sillabor/_pyphen.py).
void bindPyphen(py::module_& m) {
    py::class_<PyphenBase> pyphen(m, "PyphenBase");
    pyphen
        .def(py::init<py::object, int, int, py::object>(), py::arg("source"), py::arg("left"),
             py::arg("right"), py::arg("data_int"))
        .def_property("left", &PyphenBase::left, &PyphenBase::setLeft)
        .def_property("right", &PyphenBase::right, &PyphenBase::setRight)
        .def_property_readonly("source", &PyphenBase::source);
    for (PyMethodDef* def = pyphenMethods; def->ml_name; ++def) {
        PyObject* method = PyDescr_NewMethod(reinterpret_cast<PyTypeObject*>(pyphen.ptr()), def);
        if (!method) throw py::error_already_set();
        pyphen.attr(def->ml_name) = py::reinterpret_steal<py::object>(method);
    }
}

// hyphenate_html(): HTML in any language its lang attributes name.
void bindHtml(py::module_& m) {
    m.def(
        "hyphenate_html",
        [](py::handle html, const std::string& lang, py::handle separator, std::size_t minLength,
           bool capitals, std::size_t longestWord, std::string skipClass) {
            const S::Language l = findLanguage(lang);
            const S::TextOptions o =
                textOptions(separator, minLength, capitals, longestWord, std::move(skipClass));
            return withoutGil(html, "html",
                              [&](const std::string& in) { return S::hyphenateHtml(l, in, o); });
        },
        py::arg("html"), py::arg("lang"), py::arg("separator"), py::arg("min_length"),
        py::arg("capitals"), py::arg("longest_word"), py::arg("skip_class"));
}

// hyphenate_epub(): a book from a path to a path, or from bytes to bytes.
void bindEpub(py::module_& m) {
    const auto options = [](const std::string& lang, std::size_t minLength, bool capitals,
                            std::string skipClass, bool remove) {
        S::EpubOptions o;
        o.language = findLanguage(lang);
        o.text.minLength = minLength;
        o.text.capitals = capitals;
        o.text.skipClass = std::move(skipClass);
        o.text.removeSoftHyphens = remove;
        return o;
    };
    const auto report = [](const S::EpubReport& r) {
        const py::object lang =
            r.packageLanguage ? py::object(py::str(tagOf(*r.packageLanguage))) : py::none();
        return py::make_tuple(r.documents, r.changed, lang);
    };
    m.def(
        "hyphenate_epub",
        [=](py::handle src, py::handle dst, const std::string& lang, std::size_t minLength,
            bool capitals, std::string skipClass, bool remove) {
            const auto path = [](py::handle p) {
                return std::string(py::str(py::module_::import("os").attr("fspath")(p)));
            };
            const std::string in = path(src), out = path(dst);
            const S::EpubOptions o =
                options(lang, minLength, capitals, std::move(skipClass), remove);
            S::EpubReport r;
            {
                py::gil_scoped_release release;
                r = S::hyphenateEpub(in, out, o);
            }
            return report(r);
        },
        py::arg("src"), py::arg("dst"), py::arg("lang"), py::arg("min_length"), py::arg("capitals"),
        py::arg("skip_class"), py::arg("remove_soft_hyphens"));
    m.def(
        "hyphenate_epub_bytes",
        [=](const py::bytes& book, const std::string& lang, std::size_t minLength, bool capitals,
            std::string skipClass, bool remove) {
            const S::EpubOptions o =
                options(lang, minLength, capitals, std::move(skipClass), remove);
            std::istringstream in{std::string(book)};
            std::ostringstream out;
            S::EpubReport r;
            {
                py::gil_scoped_release release;
                r = S::hyphenateEpub(in, out, o);
            }
            return py::make_tuple(py::bytes(out.str()), report(r));
        },
        py::arg("book"), py::arg("lang"), py::arg("min_length"), py::arg("capitals"),
        py::arg("skip_class"), py::arg("remove_soft_hyphens"));
}

} // namespace

PYBIND11_MODULE(_sillabor, m) {
    m.doc() = "The compiled core of sillabor; use the sillabor package.";
    m.attr("__version__") = sillabor_version();
    bindErrors(m);
    bindLanguages(m);
    bindHyphenator(m);
    bindBreak(m);
    bindDictionary(m);
    bindPyphen(m);
    bindHtml(m);
    bindEpub(m);
}
