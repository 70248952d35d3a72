// Turns a folder of hyph-utf8 data files into a C++ source that holds them as
// constant bytes, for the library to embed.
//
//     embed_data <data folder> <manifest> <output.cpp> [--no-verify] [--languages LIST]
//                [--licences FOLDER]
//
// The folder holds, for each language variant, its character, exception,
// licence and pattern file, either packed (hyph-<code>.<kind>.txt.gz) or as
// plain text (hyph-<code>.<kind>.txt, as hyph-utf8 publishes them), which is
// compressed here. Each file's text is checked against the manifest (name,
// size, SHA-256): a difference or a missing file stops the build, naming
// it. With --no-verify, what is there is embedded, and the differences and
// the missing files are listed instead. --languages (names, file codes or
// tags, separated by ';' or ',') embeds only those variants. Prints the
// licences of what it embeds, and with --licences copies their texts to a
// folder, for installing beside the library.
#include "Sha256.hpp"

#include "detail/data/LanguageFacts.hpp"
#include "detail/data/LanguageNames.hpp"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Text::Sillabor::detail::dataKinds;
using Text::Sillabor::detail::languageFacts;

[[noreturn]] void fail(const std::string& message) {
    std::cerr << "embed_data: " << message << '\n';
    std::exit(1);
}

struct Pinned {
    std::uintmax_t size;
    std::string sha256;
};

// plain-text name -> size and SHA-256 of the text.
std::map<std::string, Pinned> readManifest(const fs::path& path) {
    std::map<std::string, Pinned> rows;
    std::ifstream in(path);
    if (!in) fail("cannot read the manifest " + path.string());
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name, sha;
        std::uintmax_t size = 0;
        if (std::getline(fields, name, '\t') && fields >> size >> sha) rows[name] = {size, sha};
    }
    return rows;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail("cannot read " + path.string());
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// The text of gzip data: every member, one after another.
std::string gunzip(const std::string& bytes, const fs::path& path) {
    std::string out;
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) fail("zlib cannot start");
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    char buffer[1 << 16];
    for (;;) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        const int r = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
        if (r == Z_STREAM_END) {
            if (z.avail_in == 0) break;
            inflateReset(&z); // another member follows
        } else if (r != Z_OK) {
            inflateEnd(&z);
            fail(path.string() + " is not gzip data that decompresses");
        }
    }
    inflateEnd(&z);
    return out;
}

// `text` as one gzip member named `name`, compressed as tightly as zlib can.
// The header carries no time, so that the same text always packs to the same
// bytes, and says Unix, as gzip does here.
std::string gzip(const std::string& text, const std::string& name) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        fail("zlib cannot start");
    gz_header header{};
    std::string stored = name; // zlib wants a mutable, NUL-terminated name
    header.name = reinterpret_cast<Bytef*>(stored.data());
    header.os = 3;
    if (deflateSetHeader(&z, &header) != Z_OK) fail("zlib cannot write a gzip header");
    std::string out(deflateBound(&z, static_cast<uLong>(text.size())) + stored.size() + 32, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) fail("zlib cannot compress");
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// The variants `list` names (all of them for an empty list).
std::vector<std::size_t> chooseLanguages(const std::string& list) {
    std::vector<std::size_t> chosen;
    std::string item;
    std::istringstream in(list);
    while (std::getline(in, item, list.find(';') != std::string::npos ? ';' : ',')) {
        item.erase(0, item.find_first_not_of(" \t"));
        item.erase(item.find_last_not_of(" \t") + 1);
        if (item.empty()) continue;
        const auto i = Text::Sillabor::detail::languageIndexByName(item);
        if (!i)
            fail("SILLABOR_LANGUAGES names '" + item +
                 "', which is no language here (use a file code such as en-us, a tag such as "
                 "de-CH-1901, or an enumerator such as German_1996)");
        if (std::find(chosen.begin(), chosen.end(), *i) == chosen.end()) chosen.push_back(*i);
    }
    if (list.find_first_not_of(" \t;,") == std::string::npos)
        for (std::size_t i = 0; i < languageFacts.size(); ++i)
            chosen.push_back(i);
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

void appendLiteral(std::string& out, const std::string& bytes) {
    static const char octal[] = "01234567";
    out += "    \"";
    std::size_t column = 5;
    for (unsigned char b : bytes) {
        if (column > 96) {
            out += "\"\n    \"";
            column = 5;
        }
        if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\' && b != '?') {
            out += static_cast<char>(b);
            column += 1;
        } else {
            out += '\\';
            out += octal[b >> 6];
            out += octal[(b >> 3) & 7];
            out += octal[b & 7];
            column += 4;
        }
    }
    out += "\"";
}

struct Arguments {
    fs::path folder;
    fs::path manifest;
    fs::path output;
    bool verify = true;
    std::string languages;
    fs::path licenceFolder; // where to copy the licence texts of what is embedded
};

Arguments parseArguments(int argc, char** argv) {
    if (argc < 4)
        fail("usage: embed_data <data folder> <manifest> <output.cpp> [--no-verify] "
             "[--languages LIST] [--licences FOLDER]");
    Arguments args;
    args.folder = argv[1];
    args.manifest = argv[2];
    args.output = argv[3];
    for (int i = 4; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-verify")
            args.verify = false;
        else if (arg == "--languages" && i + 1 < argc)
            args.languages = argv[++i];
        else if (arg == "--licences" && i + 1 < argc)
            args.licenceFolder = argv[++i];
        else
            fail("unknown argument " + arg);
    }
    return args;
}

// What the folder gave for the chosen variants.
struct Gathered {
    std::map<std::string, std::string> packed; // .txt.gz name -> gzip bytes
    std::vector<std::string> differing, missing;
    std::map<std::string, std::set<std::string>> licences; // licence -> variants
};

// The text of one data file, and its packed bytes; nothing when the folder
// has neither form.
std::optional<std::pair<std::string, std::string>> readDataFile(const fs::path& folder,
                                                                const std::string& name) {
    if (fs::exists(folder / (name + ".gz"))) {
        std::string bytes = readFile(folder / (name + ".gz"));
        std::string text = gunzip(bytes, folder / (name + ".gz"));
        return std::pair{std::move(text), std::move(bytes)};
    }
    if (fs::exists(folder / name)) {
        std::string text = readFile(folder / name);
        std::string bytes = gzip(text, name);
        return std::pair{std::move(text), std::move(bytes)};
    }
    return std::nullopt;
}

// Whether `text` is the manifest's file `name`; stops the build when it is
// not and the data is verified.
bool matchesManifest(const Arguments& args, const std::map<std::string, Pinned>& manifest,
                     const std::string& name, const std::string& text) {
    const auto pinned = manifest.find(name);
    const std::string sha = sillabor_tools::sha256(text);
    if (pinned != manifest.end() && pinned->second.size == text.size() &&
        pinned->second.sha256 == sha)
        return true;
    if (args.verify)
        fail((args.folder / name).string() + " is not the pinned file: its text has " +
             std::to_string(text.size()) + " bytes and SHA-256 " + sha +
             (pinned == manifest.end()
                  ? std::string(", and the manifest has no such file")
                  : ", where the manifest says " + std::to_string(pinned->second.size) +
                        " bytes and " + pinned->second.sha256) +
             ".\nSet SILLABOR_DATA_VERIFY=OFF to embed other patterns.");
    return false;
}

Gathered gather(const Arguments& args, const std::vector<std::size_t>& chosen) {
    const std::map<std::string, Pinned> manifest = readManifest(args.manifest);
    Gathered out;
    for (std::size_t index : chosen) {
        const auto& language = languageFacts[index];
        for (std::string_view kind : dataKinds) {
            const std::string name =
                "hyph-" + std::string(language.affix) + "." + std::string(kind) + ".txt";
            auto file = readDataFile(args.folder, name);
            if (!file) {
                if (args.verify)
                    fail("the data folder " + args.folder.string() + " lacks " + name + " (or " +
                         name +
                         ".gz).\nSet SILLABOR_DATA_DIR to a hyph-utf8 "
                         "folder that holds it, or SILLABOR_DATA_VERIFY=OFF to build without it.");
                out.missing.push_back(name);
                continue;
            }
            auto& [text, bytes] = *file;
            if (!matchesManifest(args, manifest, name, text)) out.differing.push_back(name);
            if (kind == "lic") {
                out.licences[std::string(language.licence)].insert(std::string(language.affix));
                if (!args.licenceFolder.empty()) {
                    fs::create_directories(args.licenceFolder);
                    std::ofstream(args.licenceFolder / name, std::ios::binary) << text;
                }
            }
            out.packed[name + ".gz"] = std::move(bytes);
        }
    }
    return out;
}

// A folder with patterns but no character file at all is a TeX
// distribution's tree, which the library cannot use: every variant needs its
// character file to read words.
void requireCharacterFiles(const Arguments& args, const Gathered& gathered) {
    for (const auto& [name, bytes] : gathered.packed)
        if (name.find(".chr.txt") != std::string::npos) return;
    if (gathered.packed.empty() && gathered.missing.empty()) return; // nothing chosen
    fail("the data folder " + args.folder.string() +
         " has patterns but no character files (hyph-*.chr.txt), as TeX distributions ship "
         "them.\nEvery language needs its character file. Leave SILLABOR_DATA_DIR empty to "
         "use the checkout's data/hyph-utf8, or point it at a hyph-utf8 tree (its "
         "tex/generic/hyph-utf8/patterns/txt folder holds all four kinds of file).");
}

void report(const Arguments& args, const Gathered& gathered, std::size_t variants) {
    std::cout << "sillabor: embedding " << gathered.packed.size() << " data files of " << variants
              << " language variants from " << args.folder.string() << "\n";
    if (!gathered.differing.empty()) {
        std::cout << "sillabor: " << gathered.differing.size()
                  << " files differ from the pinned set:\n";
        for (const auto& name : gathered.differing)
            std::cout << "  " << name << "\n";
    }
    if (!gathered.missing.empty()) {
        std::cout << "sillabor: " << gathered.missing.size()
                  << " files are missing, and their variants will fail on first use:\n";
        for (const auto& name : gathered.missing)
            std::cout << "  " << name << "\n";
    }
    std::cout << "sillabor: licences of the embedded data (each variant's lic file says which):";
    for (const auto& [licence, codes] : gathered.licences) {
        std::cout << "\n  " << licence << ":";
        for (const auto& code : codes)
            std::cout << ' ' << code;
    }
    std::cout << std::endl;
}

// The C++ source that holds the packed files, sorted by name, and a table of
// them.
std::string makeSource(const fs::path& folder, const std::map<std::string, std::string>& packed) {
    std::string source;
    source += "// Generated by tools/embed_data.cpp from " + folder.string() +
              ": do not edit.\n"
              "// " +
              std::to_string(packed.size()) +
              " hyph-utf8 data files, each one gzip member, as constant bytes.\n"
              "#include \"detail/data/EmbeddedFiles.hpp\"\n\n"
              "// Some files are longer than the 65,536 characters the standard asks\n"
              "// every compiler to take in one literal; GCC and Clang take them.\n"
              "#if defined(__clang__)\n"
              "#pragma clang diagnostic ignored \"-Woverlength-strings\"\n"
              "#elif defined(__GNUC__)\n"
              "#pragma GCC diagnostic ignored \"-Woverlength-strings\"\n"
              "#endif\n\n"
              "#include <cstddef>\n\n"
              "namespace Text::Sillabor::detail {\n\nnamespace {\n\n";
    std::size_t index = 0;
    // The names in one block, so that a search by name reads a few adjacent
    // bytes instead of touching pages all over the data.
    std::string namesBlock, table;
    for (const auto& [name, bytes] : packed) {
        const std::string file = "file" + std::to_string(index++);
        source += "constexpr char " + file + "[] = // " + name + "\n";
        appendLiteral(source, bytes);
        source += ";\n\n";
        table += "    {{names + " + std::to_string(namesBlock.size()) + ", " +
                 std::to_string(name.size()) + "}, {" + file + ", sizeof " + file + " - 1}},\n";
        namesBlock += name;
    }
    source += "constexpr char names[] =\n";
    appendLiteral(source, namesBlock);
    source += ";\n\n} // namespace\n\n"
              "extern constinit const EmbeddedFile embeddedFileTable[] = {\n" +
              table;
    if (packed.empty()) source += "    {{}, {}}, // none: an array cannot be empty\n";
    source +=
        "};\n\nextern const std::size_t embeddedFileCount = " + std::to_string(packed.size()) +
        ";\n\n} // namespace Text::Sillabor::detail\n";
    return source;
}

// Writes beside the target and renames, so that an interrupted run leaves no
// half-written source behind.
void writeAtomically(const fs::path& output, const std::string& source) {
    const fs::path temporary = output.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary);
        out << source;
        if (!out) fail("cannot write " + temporary.string());
    }
    fs::rename(temporary, output);
}

} // namespace

int main(int argc, char** argv) {
    const Arguments args = parseArguments(argc, argv);
    const std::vector<std::size_t> chosen = chooseLanguages(args.languages);
    const Gathered gathered = gather(args, chosen);
    requireCharacterFiles(args, gathered);
    report(args, gathered, chosen.size());
    writeAtomically(args.output, makeSource(args.folder, gathered.packed));
    return 0;
}
