// Hyphenating EPUBs: the book is copied beside its destination, its
// spine's chapters are hyphenated one at a time, and those that change
// replace their entries when libzip writes the copy; the copy is then
// renamed over the destination. This file's external interface is
// hyphenateEpub.
#include "Text/Sillabor/Epub.hpp"

#include "Text/Sillabor/Html.hpp"
#include "Text/Sillabor/Utf8.hpp"
#include "detail/book/ChapterSpill.hpp"
#include "detail/book/Package.hpp"
#include "detail/book/Zip.hpp"
#include "detail/text/BookHtml.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <istream>
#include <ostream>
#include <random>
#include <system_error>

namespace Text::Sillabor {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void systemFailure(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// A file made for this run, removed when it goes out of scope unless it
// was renamed into place. It is made as a new file is, so that the umask
// gives its permissions.
class TemporaryFile {
public:
    // A new file in `folder`, named after `stem`.
    TemporaryFile(const fs::path& folder, const std::string& stem) {
        std::random_device seed;
        for (int attempt = 0;; ++attempt) {
            std::string name("."); // appended: "." + string trips GCC 12's -Wrestrict at -O3
            name.append(stem).append(".sillabor-").append(std::to_string(seed()));
            path_ = folder / name;
            const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                ::close(fd);
                return;
            }
            if (errno != EEXIST || attempt == 100)
                systemFailure("cannot create a file in " + folder.string());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!path_.empty()) {
            std::error_code ignored;
            fs::remove(path_, ignored);
        }
    }
    const fs::path& path() const { return path_; }
    // Renames the file to `to`; it is no longer removed.
    void renameTo(const fs::path& to) {
        if (std::rename(path_.c_str(), to.c_str()) != 0)
            systemFailure("cannot rename " + path_.string() + " to " + to.string());
        path_.clear();
    }

private:
    fs::path path_;
};

// The folder a file at `path` is in, for temporary files beside it.
fs::path folderOf(const fs::path& path) {
    const fs::path parent = path.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

void copyFile(const fs::path& from, const fs::path& to) {
    if (::access(from.c_str(), R_OK) != 0) systemFailure("cannot read " + from.string());
    std::error_code e;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, e);
    if (e) throw std::system_error(e, "cannot copy " + from.string() + " to " + to.string());
}

// Refuses a book whose entries are encrypted, other than obfuscated fonts.
void checkNotEncrypted(const detail::ZipArchive& zip, const std::string& book) {
    for (std::size_t i = 0; i < zip.size(); ++i)
        if (zip.encrypted(i))
            throw EpubError(book + ": the book is encrypted (" + std::string(zip.name(i)) +
                            " is an encrypted entry); an encrypted book cannot be hyphenated");
    const auto encryption = zip.find("META-INF/encryption.xml");
    if (!encryption) return;
    const std::vector<std::string> others = detail::encryptionOtherThanFonts(zip.read(*encryption));
    if (!others.empty())
        throw EpubError(book + ": the book is encrypted (META-INF/encryption.xml names " +
                        others.front() +
                        ", which is not font obfuscation); an encrypted book cannot be "
                        "hyphenated");
}

// The package document's facts, checked against the container.
detail::Package packageOf(const detail::ZipArchive& zip, const std::string& book) {
    const auto container = zip.find("META-INF/container.xml");
    if (!container) throw EpubError(book + ": not an EPUB (no META-INF/container.xml)");
    const std::string path = detail::packagePath(zip.read(*container));
    if (path.empty()) throw EpubError(book + ": META-INF/container.xml names no package document");
    const auto opf = zip.find(path);
    if (!opf)
        throw EpubError(book + ": the package document " + path +
                        " that META-INF/container.xml names is missing");
    detail::Package package = detail::readPackage(zip.read(*opf), path);
    if (!package.unknownIdrefs.empty())
        throw EpubError(book + ": the spine of " + path + " names \"" +
                        package.unknownIdrefs.front() + "\", which its manifest does not hold");
    for (const std::string& document : package.contentDocuments)
        if (!zip.find(document))
            throw EpubError(book + ": " + path + " names the chapter " + document +
                            ", which the book does not hold");
    return package;
}

// `bytes` through a book's HTML hyphenator.
std::string hyphenated(std::string_view bytes, Language language, const TextOptions& options,
                       const std::string& where) {
    HtmlHyphenator html = detail::HtmlAccess::forBook(language, options);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    try {
        html.feed(bytes, out);
        html.finish(out);
    } catch (const InvalidUtf8& e) {
        throw EpubError(where + ", byte " + std::to_string(e.offset() + 1) +
                        ": invalid UTF-8: " + e.problem());
    }
    return out;
}

// The book at `in` to `out`; `book` is what messages call it.
EpubReport hyphenateBook(const fs::path& in, const fs::path& out, const EpubOptions& options,
                         const std::string& book) {
    TextOptions text = options.text;
    text.separator = "\u00ad";

    // The copy that libzip edits, beside the destination, so that the
    // rename at the end stays on one file system.
    const fs::path folder = folderOf(out);
    const std::string stem = out.filename().string();
    TemporaryFile work(folder, stem);
    // A replaced book keeps its permissions; a new one has those the copy
    // was made with.
    struct stat st {};
    if (::stat(out.c_str(), &st) != 0 && ::stat(work.path().c_str(), &st) != 0)
        systemFailure("cannot read the permissions of " + work.path().string());
    const mode_t mode = st.st_mode & 07777;
    copyFile(in, work.path());

    EpubReport report;
    {
        detail::ZipArchive zip(work.path().string(), book);
        checkNotEncrypted(zip, book);
        const detail::Package package = packageOf(zip, book);
        report.packageLanguage = languageByName(package.language);
        const Language language = report.packageLanguage.value_or(options.language);

        TemporaryFile spillFile(folder, stem + ".chapters");
        detail::ChapterSpill spill(spillFile.path());
        for (const std::string& document : package.contentDocuments) {
            const std::size_t index = *zip.find(document);
            const std::string before = zip.read(index);
            std::string after = hyphenated(before, language, text, book + ", " + document);
            ++report.documents;
            if (after == before) continue;
            spill.add(index, std::move(after));
            ++report.changed;
        }
        for (const detail::ChapterSpill::Entry& e : spill.finish())
            zip.replace(e.index, spillFile.path().string(), e.offset, e.compressedSize, e.size,
                        e.crc);
        zip.close();
    }
    if (::chmod(work.path().c_str(), mode) != 0)
        systemFailure("cannot set the permissions of " + work.path().string());
    work.renameTo(out);
    return report;
}

} // namespace

EpubReport hyphenateEpub(const fs::path& in, const fs::path& out, const EpubOptions& options) {
    return hyphenateBook(in, out, options, in.string());
}

EpubReport hyphenateEpub(std::istream& in, std::ostream& out, const EpubOptions& options) {
    const fs::path folder = fs::temp_directory_path();
    TemporaryFile source(folder, "book.epub");
    {
        std::ofstream copy(source.path(), std::ios::binary | std::ios::trunc);
        if (in.rdbuf()->sgetc() != std::char_traits<char>::eof()) copy << in.rdbuf();
        if (in.bad()) throw EpubError("the book's stream could not be read");
        copy.close();
        if (!copy) systemFailure("cannot write " + source.path().string());
    }
    TemporaryFile result(folder, "book.epub");
    const EpubReport report =
        hyphenateBook(source.path(), result.path(), options, "the book read from a stream");
    std::ifstream written(result.path(), std::ios::binary);
    out << written.rdbuf();
    if (!out) throw EpubError("the hyphenated book could not be written to its stream");
    return report;
}

} // namespace Text::Sillabor
