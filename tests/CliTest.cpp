// End-to-end tests of the command-line tool: each runs the built program
// with its standard streams on files.
#include "../cli/Options.hpp"
#include "PinnedData.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

struct Outcome {
    int status = -1;
    std::string out, err;
    long peakKiB = 0; // largest resident set of the program
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        SILLABOR_NEEDS_PINNED_DATA(); // the tool's outputs are the pinned data's breaks
        dir_ = fs::temp_directory_path() /
               ("sillabor-cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path file(const std::string& name, std::string_view contents) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << contents;
        return p;
    }

    static std::string slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // Runs the tool with `args` and standard output to a file (or to the
    // given descriptor). Standard input is the file `input`, or, if `piped`,
    // a pipe that a thread fills from it, so the tool cannot seek or map it.
    Outcome runWith(const std::vector<std::string>& args, const fs::path& input, int outputFd = -1,
                    bool piped = false, bool sigpipeIgnored = false) {
        const fs::path out = dir_ / "stdout", err = dir_ / "stderr";
        std::vector<char*> argv{const_cast<char*>(SILLABOR_TOOL)};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        int pipeFds[2] = {-1, -1};
        if (piped && ::pipe(pipeFds) != 0) return {};
        const pid_t pid = ::fork();
        if (pid == 0) {
            // The tool starts as it would from a shell, or from a program
            // that ignores SIGPIPE.
            ::signal(SIGPIPE, sigpipeIgnored ? SIG_IGN : SIG_DFL);
            const int in = piped ? pipeFds[0] : ::open(input.c_str(), O_RDONLY);
            if (piped) ::close(pipeFds[1]);
            const int o =
                outputFd >= 0 ? outputFd : ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(in, 0);
            ::dup2(o, 1);
            ::dup2(e, 2);
            ::execv(SILLABOR_TOOL, argv.data());
            ::_exit(127);
        }
        std::thread writer;
        if (piped) {
            // If the tool stops reading, the writer sees an error, not a signal.
            ::signal(SIGPIPE, SIG_IGN);
            ::close(pipeFds[0]);
            writer = std::thread([&input, fd = pipeFds[1]] {
                std::ifstream in(input, std::ios::binary);
                std::vector<char> buffer(1 << 16);
                while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) ||
                       in.gcount() > 0) {
                    const char* at = buffer.data();
                    auto left = static_cast<std::size_t>(in.gcount());
                    while (left > 0) {
                        const ssize_t n = ::write(fd, at, left);
                        if (n <= 0) break;
                        at += n;
                        left -= static_cast<std::size_t>(n);
                    }
                }
                ::close(fd);
            });
        }
        Outcome r;
        int status = 0;
        rusage usage{};
        ::wait4(pid, &status, 0, &usage);
        if (writer.joinable()) writer.join();
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        r.peakKiB = usage.ru_maxrss;
        if (outputFd < 0) r.out = slurp(out);
        r.err = slurp(err);
        return r;
    }

    Outcome run(const std::vector<std::string>& args, std::string_view input = "") {
        return runWith(args, file("stdin", input));
    }

    fs::path dir_;
};

TEST_F(Cli, HyphenatesWordsFromTheCommandLine) {
    const Outcome r = run({"Typesetting", "hyphenation", "associate"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Type-set-ting\nhy-phen-ation\nas-so-ciate\n");
    EXPECT_EQ(run({"-l", "de-1996", "-s", "=", "Silbentrennung"}).out, "Sil=ben=tren=nung\n");
    EXPECT_EQ(run({"--language=German_1996", "--separator=\xc2\xb7", "Silbentrennung"}).out,
              "Sil\xc2\xb7"
              "ben\xc2\xb7tren\xc2\xb7nung\n");
    EXPECT_EQ(run({"-s", "", "--", "-word-"}).out, "-word-\n");
    // A hard hyphen is a break of its own: no separator beside it.
    EXPECT_EQ(run({"-l", "de", "E-Mail-Adresse"}).out, "E-Mail-Adres-se\n");
    EXPECT_EQ(run({"-s", "=", "co-operation"}).out, "co-op=er=a=tion\n");
}

TEST_F(Cli, ReadsHyphDicDictionaries) {
    const std::string dic = SILLABOR_SMALL_DIC;
    // Words and lines: breaks that change the word are written as the line
    // would be broken; capitals are lowered for the lookup, not in the output.
    EXPECT_EQ(run({"--dic", dic, "-s", "=", "asszonnyal", "Asszonnyal", "paral\xc2\xb7lel"}).out,
              "asz=szony=nyal\nAsz=szony=nyal\nparal=lel\n");
    EXPECT_EQ(run({"--dic=" + dic, "-s", "="}, "asszonnyal\nszesz\n").out,
              "asz=szony=nyal\nsze=sz\n");
    // Running text and HTML: only the plain breaks, so that the output is the
    // input with separators.
    EXPECT_EQ(run({"--dic", dic, "--text", "-s", "="}, "asszonnyal szesz\n").out,
              "asszonnyal sze=sz\n");
    EXPECT_EQ(run({"--dic", dic, "--html", "-s", "="}, "<p>szesz <b>asszonnyal</b></p>").out,
              "<p>sze=sz <b>asszonnyal</b></p>");
    // Errors name the file and the line.
    const Outcome missing = run({"--dic", "/nonexistent/hyph_xx.dic", "word"});
    EXPECT_NE(missing.status, 0);
    EXPECT_THAT(missing.err, ::testing::HasSubstr("/nonexistent/hyph_xx.dic"));
    EXPECT_EQ(run({"--dic", dic, "--left", "1", "word"}).status, 2);
}

TEST_F(Cli, HyphenatesEachLineOfStandardInput) {
    const Outcome r = run({"-l", "de"}, "Silbentrennung\r\n\n\xc3\x9c"
                                        "bergr\xc3\xb6\xc3\x9f"
                                        "entr\xc3\xa4ger");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Sil-ben-tren-nung\r\n\n\xc3\x9c"
                     "ber-gr\xc3\xb6-\xc3\x9f"
                     "en-tr\xc3\xa4-ger\n");
}

TEST_F(Cli, InsertsSoftHyphensIntoRunningText) {
    const Outcome r = run({"--text"}, "<p>Hyphenation, 42 typesetting.</p>\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "<p>Hy\xc2\xadphen\xc2\xad"
                     "ation, 42 type\xc2\xadset\xc2\xadting.</p>\n");
    EXPECT_EQ(run({"--text", "-s", "|"}, "associate").out, "as|so|ciate");
}

TEST_F(Cli, HyphenatesTheTextOfHtml) {
    const std::string page =
        "<html lang=\"de\"><head><meta charset=\"utf-8\"><title>Silbentrennung</title>"
        "<script>var Silbentrennung;</script></head><body>"
        "<p title=\"Silbentrennung\">Silbentrennung <code>Silbentrennung</code> "
        "<span lang=en>hyphenation https://x.org/hyphenation</span> "
        "<span class=keep>Silbentrennung</span> SILBENTRENNUNG Tor</p></body></html>\n";
    Outcome r = run({"--html", "-s", "|", "--skip-class", "keep", "--no-caps"}, page);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "<html lang=\"de\"><head><meta charset=\"utf-8\"><title>Silbentrennung</title>"
              "<script>var Silbentrennung;</script></head><body>"
              "<p title=\"Silbentrennung\">Sil|ben|tren|nung <code>Silbentrennung</code> "
              "<span lang=en>hy|phen|ation https://x.org/hyphenation</span> "
              "<span class=keep>Silbentrennung</span> SILBENTRENNUNG Tor</p></body></html>\n");
    // The soft hyphen by default; a second run changes nothing, in both modes.
    for (const char* mode : {"--html", "--text"}) {
        const Outcome once = run({mode}, page);
        EXPECT_NE(once.out.find("Sil\u00adben"), std::string::npos) << mode;
        EXPECT_EQ(run({mode}, once.out).out, once.out) << mode;
    }
    EXPECT_EQ(run({"--text", "-l", "de", "-s", "|"}, "Tore Silbentrennung").out,
              "To|re Sil|ben|tren|nung");
    EXPECT_EQ(
        run({"--text", "-l", "de", "-s", "|", "--min-length", "5"}, "Tore Silbentrennung").out,
        "Tore Sil|ben|tren|nung");
}

TEST_F(Cli, BuildsAHyphenatorFromFiles) {
    const fs::path patterns =
        file("p.txt", "hy3ph\nhe2n\nhen5at\nhena4\n1na\nn2at\n1tio\n2io\no2n\n");
    const fs::path exceptions = file("e.txt", "ta-ble\nhy-phen-ation\n");
    EXPECT_EQ(run({"--patterns", patterns, "hyphenation", "typesetting"}).out,
              "hy-phen-ation\ntypesetting\n");
    EXPECT_EQ(run({"--patterns", patterns, "--left", "7", "hyphenation"}).out, "hyphenation\n");
    EXPECT_EQ(run({"--exceptions", exceptions, "hyphenation", "table"}).out,
              "hy-phen-ation\nta-ble\n");
    // The language's character map folds capitals; --identity does not, so
    // "hy3ph" misses the capital.
    EXPECT_EQ(run({"--patterns", patterns, "Hyphenation"}).out, "Hy-phen-ation\n");
    EXPECT_EQ(run({"--patterns", patterns, "--identity", "Hyphenation"}).out, "Hyphen-ation\n");
}

TEST_F(Cli, ListsTheLanguages) {
    const Outcome r = run({"--list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 73);
    EXPECT_THAT(r.out, HasSubstr("English_US               en-us            2 3\n"));
    EXPECT_THAT(r.out, HasSubstr("German_Swiss             de-ch-1901       2 2\n"));
    EXPECT_THAT(run({"--help"}).out, StartsWith("usage: sillabor"));
    EXPECT_EQ(run({"--version"}).out, "sillabor " SILLABOR_VERSION "\n");
}

TEST_F(Cli, HelpParserAndManualPageShareOneTable) {
    // Every option of the table: accepted by the parser (whatever its value
    // makes of the rest), listed by --help, and described in sillabor(1).
    EXPECT_EQ(run({"--help"}).out, sillabor_cli::usageText());
    std::ifstream manFile(SILLABOR_MAN_PAGE);
    ASSERT_TRUE(manFile) << SILLABOR_MAN_PAGE;
    const std::string man((std::istreambuf_iterator<char>(manFile)), {});
    EXPECT_THAT(man, StartsWith(".TH SILLABOR 1 \"\" \"sillabor " SILLABOR_VERSION "\""));
    for (const sillabor_cli::Option& o : sillabor_cli::options) {
        const std::string name = "--" + std::string(o.longName);
        std::vector<std::string> args{name};
        if (o.argument == "N")
            args.push_back("1");
        else if (o.argument == "NAME")
            args.push_back("en");
        else if (!o.argument.empty())
            args.push_back("/nonexistent/file");
        const Outcome r = run(args, "");
        EXPECT_THAT(r.err, Not(HasSubstr("unknown option"))) << name;
        EXPECT_NE(r.status, 70) << name << ": " << r.err;
        EXPECT_THAT(run({"--help"}).out, HasSubstr(name)) << name;
        EXPECT_THAT(man, HasSubstr("\\fB\\-\\-" + sillabor_cli::roff(o.longName) + "\\fR")) << name;
        if (o.shortName) {
            const Outcome s = run({std::string("-") + o.shortName, args.size() > 1 ? args[1] : ""});
            EXPECT_THAT(s.err, Not(HasSubstr("unknown option"))) << o.shortName;
        }
    }
}

TEST_F(Cli, ReportsABadCommandLine) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-l", "xx", "word"}, "sillabor: unknown language 'xx'; the languages are Afrikaans,"},
        {{"--left", "two", "word"}, "sillabor: --left: not a whole number: 'two'\n"},
        {{"--right"}, "sillabor: --right needs a value\n"},
        {{"--frobnicate"}, "sillabor: unknown option '--frobnicate' (see sillabor --help)\n"},
        {{"--text", "word"}, "sillabor: --text reads standard input and takes no WORD\n"},
        {{"--html", "word"},
         "sillabor: --html reads standard input and takes no WORD (with --in-place, PATHs)\n"},
        {{"--text", "--html"}, "sillabor: --text, --html and --epub exclude each other\n"},
        {{"--epub", "--html"}, "sillabor: --text, --html and --epub exclude each other\n"},
        {{"--no-caps", "word"}, "sillabor: --no-caps goes with --text, --html or --epub\n"},
        {{"--min-length", "3"}, "sillabor: --min-length goes with --text, --html or --epub\n"},
        {{"--remove-soft-hyphens", "word"},
         "sillabor: --remove-soft-hyphens goes with --text, --html or --epub\n"},
        {{"--text", "--skip-class", "x"}, "sillabor: --skip-class goes with --html or --epub\n"},
        {{"--in-place", "x"}, "sillabor: --in-place goes with --html or --epub\n"},
        {{"--html", "--in-place"}, "sillabor: --in-place needs at least one PATH\n"},
        {{"--html", "--jobs", "2"}, "sillabor: --jobs goes with --in-place\n"},
        {{"--html", "--in-place", "-j", "0", "x"},
         "sillabor: --jobs: not a count of at least 1: '0'\n"},
        {{"--html", "-o", "x"}, "sillabor: -o goes with --epub\n"},
        {{"--epub", "a.epub"}, "sillabor: --epub needs -o FILE or --in-place\n"},
        {{"--epub", "-o", "x", "--in-place", "a"},
         "sillabor: -o and --in-place exclude each other\n"},
        {{"--epub", "-o", "x", "a", "b"}, "sillabor: --epub with -o takes one BOOK, not 2\n"},
        {{"--epub", "-s", "-", "-o", "x", "a"},
         "sillabor: --epub writes soft hyphens and takes no -s\n"},
        {{"--epub", "--dic", "d", "-o", "x", "a"},
         "sillabor: --epub hyphenates with the languages the book names; it excludes --dic,"},
        {{"--text", "--min-length", "-1"}, "sillabor: --min-length: not a count: '-1'\n"},
        {{"--version", "--text"}, "sillabor: --version takes no other option, not --text\n"},
        {{"--list", "--patterns", "/nonexistent"},
         "sillabor: --list takes no other option, not --patterns\n"},
        {{"-l", "de", "--list"}, "sillabor: --list takes no other option, not -l\n"},
        {{"--help", "word"}, "sillabor: --help takes no WORD\n"},
        {{"--list", "--version"}, "sillabor: --help, --version and --list exclude each other\n"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << message;
        EXPECT_THAT(r.err, StartsWith(message));
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(Cli, ReportsBadInputWithItsPlace) {
    const fs::path bad = file("bad.txt", "hy3ph\nhe2n\xff\n");
    Outcome r = run({"--patterns", bad, "word"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "sillabor: " + bad.string() +
                         ", line 2, byte 5: invalid UTF-8: byte that never occurs in UTF-8\n");
    r = run({"--exceptions", (dir_ / "missing.txt").string(), "word"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "sillabor: cannot read " + (dir_ / "missing.txt").string() +
                         ": No such file or directory\n");
    r = run({"hyphenation", "ab\xc3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "hy-phen-ation\n");
    EXPECT_EQ(r.err, "sillabor: word 2, byte 3: invalid UTF-8: sequence cut short by the end of "
                     "the text\n");
    // With --strict, what was written before the bad byte stays, and is valid.
    r = run({"--text", "--strict", "-s", "|"}, "table\nhyphenation ab\xed\xa0\x80 more");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "ta|ble\nhy|phen|ation ab");
    EXPECT_EQ(r.err, "sillabor: standard input, line 2, byte 15: invalid UTF-8: surrogate code "
                     "point\n");
    r = run({"--html", "--strict"}, "table \xe2\x82");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "sillabor: standard input, line 1, byte 7: invalid UTF-8: sequence cut short "
                     "by the end of the text\n");
    r = run({}, "table\nab\xc0\xaf\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "ta-ble\n");
    EXPECT_EQ(r.err,
              "sillabor: standard input, line 2, byte 3: invalid UTF-8: overlong encoding\n");
}

// Text modes copy bytes that are not UTF-8 as they are, and say so once.
TEST_F(Cli, CopiesBytesThatAreNotUtf8WithOneWarning) {
    const std::string input = "table\nhyphenation ab\xed\xa0\x80 more \xff table\xe2\x82";
    Outcome r = run({"--text", "-s", "|"}, input);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "ta|ble\nhy|phen|ation ab\xed\xa0\x80 more \xff ta|ble\xe2\x82");
    EXPECT_EQ(r.err, "sillabor: warning: standard input: 5 sequences that are not UTF-8 copied as "
                     "they were; the first at byte offset 20 (line 2, byte 15)\n");
    r = run({"--html", "-s", "|"}, "<p>caf\xe9 table</p>");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "<p>caf\xe9 ta|ble</p>");
    EXPECT_EQ(r.err, "sillabor: warning: standard input: 1 sequence that is not UTF-8 copied as "
                     "it was; the first at byte offset 6 (line 1, byte 7)\n");
    EXPECT_EQ(run({"--strict", "word"}).err,
              "sillabor: --strict goes with --text, --html or --epub\n");
}

// A reader that goes away ends the tool quietly, as it ends other filters.
TEST_F(Cli, EndsQuietlyWhenTheReaderGoes) {
    std::string input;
    for (int i = 0; i < 20000; ++i)
        input += "hyphenation typesetting\n";
    for (const bool ignored : {false, true}) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        ::close(fds[0]); // nobody reads
        // Started with SIGPIPE ignored, the tool sees EPIPE instead.
        const Outcome r = runWith({"--text"}, file("in", input), fds[1], false, ignored);
        ::close(fds[1]);
        EXPECT_EQ(r.status, 128 + SIGPIPE) << ignored;
        EXPECT_EQ(r.err, "") << ignored;
    }
}

// A full disk is still reported.
TEST_F(Cli, ReportsAFullDisk) {
    const int full = ::open("/dev/full", O_WRONLY);
    if (full < 0) GTEST_SKIP() << "no /dev/full";
    const Outcome r = runWith({"--text"}, file("in", "hyphenation typesetting\n"), full);
    ::close(full);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "sillabor: cannot write to standard output: No space left on device\n");
}

// A large text streams through a pipe in constant memory, and comes out as
// it went in, but for the separators.
TEST_F(Cli, StreamsALargeText) {
    const fs::path input = dir_ / "large.txt";
    std::size_t size = 0;
    {
        std::ofstream out(input, std::ios::binary);
        const char* words[] = {"hyphenation", "the",          "typesetting", "of",
                               "democratic",  "institutions", "is",          "associate",
                               "table",       "algorithm,",   "42",          "<em>computer</em>",
                               "—",           "repeatedly."};
        std::mt19937 random(1);
        std::string line;
        while (size < (64u << 20)) {
            line.clear();
            for (int k = 0; k < 12; ++k) {
                line += words[random() % std::size(words)];
                line += ' ';
            }
            line.back() = '\n';
            out << line;
            size += line.size();
        }
    }
    const fs::path output = dir_ / "out.txt";
    const Outcome r = runWith({"--text", "-s", "|"}, input,
                              ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), true);
    EXPECT_EQ(r.status, 0) << r.err;
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) // they keep freed memory
    EXPECT_LT(r.peakKiB, 32 * 1024) << "memory grows with the text";
#endif
    std::ifstream in(input, std::ios::binary), out(output, std::ios::binary);
    std::string original(std::istreambuf_iterator<char>(in), {});
    std::string result(std::istreambuf_iterator<char>(out), {});
    const auto separators = std::count(result.begin(), result.end(), '|');
    EXPECT_GT(separators, static_cast<long>(size / 20));
    result.erase(std::remove(result.begin(), result.end(), '|'), result.end());
    EXPECT_TRUE(result == original) << "the text changed beyond the separators";
}

// 10 MB of text and HTML with stray bytes of every kind, read through a pipe
// (so that sequences fall across the pieces the tool reads): the output is
// the input with separators, the warning counts them, and --strict stops at
// the first.
TEST_F(Cli, StreamsTenMegabytesWithStrayBytes) {
    const char* words[] = {"hyphenation",  "typesetting", "democratic",
                           "<b>table</b>", "caf\xc3\xa9", "\xe2\x80\x94"};
    const char* stray[] = {"\x80",         "\xbf",         "\xc0\xaf",         "\xe0\x80\xaf",
                           "\xed\xa0\x80", "\xed\xbf\xbf", "\xf4\x90\x80\x80", "\xff",
                           "\xfe",         "\xe2\x82",     "\xf0\x9f\x98",     "\xe9"};
    const std::uint64_t strays[] = {1, 1, 2, 3, 3, 3,
                                    4, 1, 1, 1, 1, 1}; // ill-formed sequences in each
    std::mt19937 random(7);
    std::string text;
    std::uint64_t expected = 0;
    std::size_t first = std::string::npos;
    while (text.size() < (10u << 20)) {
        if (random() % 8 == 0) {
            const std::size_t k = random() % std::size(stray);
            if (first == std::string::npos) first = text.size();
            text += stray[k];
            expected += strays[k];
        }
        text += words[random() % std::size(words)];
        text += random() % 10 == 0 ? '\n' : ' ';
    }
    const fs::path input = file("stray.txt", text);
    for (const char* mode : {"--text", "--html"}) {
        const fs::path output = dir_ / "out.txt";
        const Outcome r = runWith({mode, "-s", "|"}, input,
                                  ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), true);
        EXPECT_EQ(r.status, 0) << mode;
        EXPECT_THAT(r.err, ::testing::StartsWith(
                               "sillabor: warning: standard input: " + std::to_string(expected) +
                               " sequences that are not UTF-8 copied as they "
                               "were; the first at byte offset " +
                               std::to_string(first) + " ("))
            << mode;
        std::string result = slurp(output);
        EXPECT_GT(std::count(result.begin(), result.end(), '|'), 100000) << mode;
        result.erase(std::remove(result.begin(), result.end(), '|'), result.end());
        EXPECT_TRUE(result == text) << mode << ": the text changed beyond the separators";

        const Outcome strict =
            runWith({mode, "--strict", "-s", "|"}, input,
                    ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), true);
        EXPECT_EQ(strict.status, 1) << mode;
        EXPECT_THAT(strict.err, ::testing::HasSubstr(": invalid UTF-8: ")) << mode;
        result = slurp(output);
        result.erase(std::remove(result.begin(), result.end(), '|'), result.end());
        EXPECT_EQ(result, text.substr(0, first)) << mode << ": all before the first, nothing after";
    }
}

// A single line of 100 MB, with no line feed, and in it a "word" of 40 MB:
// memory stays bounded, the long word is copied as it is, and the rest is
// hyphenated as usual.
TEST_F(Cli, StreamsAHundredMegabyteLineWithAHugeWord) {
    const fs::path input = dir_ / "line.txt";
    {
        std::ofstream out(input, std::ios::binary);
        std::string chunk;
        for (int i = 0; i < 4096; ++i)
            chunk += "hyphenation typesetting ";
        for (std::size_t n = 0; n < (30u << 20); n += chunk.size())
            out << chunk;
        out << std::string(40u << 20, 'a');
        for (std::size_t n = 0; n < (30u << 20); n += chunk.size())
            out << chunk;
    }
    const fs::path output = dir_ / "out.txt";
    const Outcome r = runWith({"--text", "-s", "|"}, input,
                              ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    EXPECT_EQ(r.status, 0) << r.err;
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    EXPECT_LT(r.peakKiB, 32 * 1024) << "memory grows with the line";
#endif
    std::ifstream in(input, std::ios::binary), out(output, std::ios::binary);
    std::string original(std::istreambuf_iterator<char>(in), {});
    std::string result(std::istreambuf_iterator<char>(out), {});
    EXPECT_NE(result.find("hy|phen|ation type|set|ting " + std::string(1000, 'a')),
              std::string::npos);
    result.erase(std::remove(result.begin(), result.end(), '|'), result.end());
    EXPECT_TRUE(result == original) << "the text changed beyond the separators";
}

// An HTML page of 64 MB whose comment and attribute are each 16 MB long
// streams through a pipe in constant memory, and comes out as it went in, but
// for the separators.
TEST_F(Cli, StreamsALargePageWithHugeMarkup) {
    const fs::path input = dir_ / "large.html";
    std::size_t size = 0;
    {
        std::ofstream out(input, std::ios::binary);
        std::string paragraph = "<p class=\"text\">";
        for (int i = 0; i < 40; ++i)
            paragraph +=
                i % 7 ? "hyphenation typesetting " : "<em>democratic</em> &amp; K&auml;se ";
        paragraph += "</p>\n";
        out << "<!DOCTYPE html><html><body><!--" << std::string(16u << 20, '-') << "-->";
        out << "<div title='" << std::string(16u << 20, 'x') << "'>";
        size = 2 * (16u << 20);
        for (; size < (64u << 20); size += paragraph.size())
            out << paragraph;
        out << "</div></body></html>\n";
    }
    const fs::path output = dir_ / "out.html";
    const Outcome r = runWith({"--html", "-s", "|"}, input,
                              ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), true);
    EXPECT_EQ(r.status, 0) << r.err;
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    EXPECT_LT(r.peakKiB, 32 * 1024) << "memory grows with the page";
#endif
    std::string original = slurp(input), result = slurp(output);
    const auto separators = std::count(result.begin(), result.end(), '|');
    EXPECT_GT(separators, static_cast<long>(size / 40));
    EXPECT_NE(result.find("hy|phen|ation type|set|ting"), std::string::npos);
    result.erase(std::remove(result.begin(), result.end(), '|'), result.end());
    EXPECT_TRUE(result == original) << "the page changed beyond the separators";
}

} // namespace
