/* sillabor's C interface: hyphenation of UTF-8 words with a built-in
 * language, a hyph_*.dic dictionary or your own patterns.
 *
 *     sillabor_hyphenator *h = sillabor_open_language("en-US");
 *     sillabor_break breaks[32];
 *     char text[256];
 *     size_t text_size;
 *     long n = sillabor_breaks(h, "hyphenation", 11, breaks, 32, sizeof *breaks, text,
 *                              sizeof text, &text_size);
 *     // n == 2: breaks[0].at == 2, breaks[1].at == 6 ("hy-phen-ation")
 *     sillabor_free(h);
 *
 * Only plain C types cross this interface. Its structures only grow at
 * their end, and the caller says how large it knows them to be (the
 * break_size of sillabor_breaks), so a program built against one release
 * runs with later ones. A hyphenator is immutable: any number of threads
 * may use one at once. When a function fails it returns NULL or -1, and
 * sillabor_last_error() says why, for the calling thread. */
#ifndef SILLABOR_H
#define SILLABOR_H

#include <stddef.h>

#if defined(_WIN32) && defined(SILLABOR_SHARED)
#if defined(SILLABOR_BUILDING)
#define SILLABOR_C_API __declspec(dllexport)
#else
#define SILLABOR_C_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define SILLABOR_C_API __attribute__((visibility("default")))
#else
#define SILLABOR_C_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct sillabor_hyphenator sillabor_hyphenator;

/* A place where a word may break. Offsets are bytes of the UTF-8 word. The
 * line ends with word[0, from) followed by the text `before`; the next line
 * starts with the text `after` followed by word[to, size). For a plain break
 * from == at == to and both texts are empty. The texts are in the caller's
 * text buffer, at the offsets given, not NUL-terminated. */
typedef struct sillabor_break {
    size_t at;
    size_t from;
    size_t to;
    size_t before_offset, before_size;
    size_t after_offset, after_size;
} sillabor_break;

/* The hyphenator of a built-in language, by name or tag: "en-US", "en_US",
 * "de-1996", "German_Swiss", "fr". NULL if there is no such language. */
SILLABOR_C_API sillabor_hyphenator* sillabor_open_language(const char* name);

/* A hyph_*.dic dictionary, from a file or from its bytes. NULL if the file
 * cannot be read or is malformed. */
SILLABOR_C_API sillabor_hyphenator* sillabor_open_dictionary(const char* path);
SILLABOR_C_API sillabor_hyphenator* sillabor_open_dictionary_bytes(const char* bytes, size_t size);

/* A hyphenator from Liang pattern text and exception text (UTF-8, one per
 * line; exceptions may be NULL), with the least number of characters before
 * the first break and after the last. */
SILLABOR_C_API sillabor_hyphenator*
sillabor_open_patterns(const char* patterns, size_t patterns_size, const char* exceptions,
                       size_t exceptions_size, int left_min, int right_min);

SILLABOR_C_API void sillabor_free(sillabor_hyphenator* h);

/* The breaks of the UTF-8 word `word[0, size)`, in ascending order. Returns
 * how many there are, and stores in *text_size how many bytes their texts
 * take. Both buffers are filled only when both are large enough (capacity
 * breaks, text_capacity bytes); otherwise nothing is written to them and the
 * call may be repeated with larger ones. break_size is sizeof(sillabor_break)
 * as the caller was compiled with it: the breaks are break_size bytes apart,
 * and the fields past it (those of later releases) are not written. Returns
 * -1 for invalid UTF-8, a NULL argument (breaks and text may be NULL when
 * their capacity is 0) or a break_size too small to hold `at`.
 *
 * A word with hard hyphens (U+002D, U+2010) breaks as the C++ interface's
 * UTF-8 hyphenate cuts it: each part between them is hyphenated on its own,
 * and a hard hyphen with a part on either side gives a break after it, which
 * is the hyphen's own: the line ends with it, and no other hyphen is shown
 * ("co-operation": "co-" / "op" / "er" / "a" / "tion"). A hyph_*.dic
 * dictionary breaks such words as the file's own rules say. */
SILLABOR_C_API long sillabor_breaks(const sillabor_hyphenator* h, const char* word, size_t size,
                                    sillabor_break* breaks, size_t capacity, size_t break_size,
                                    char* text, size_t text_capacity, size_t* text_size);

/* What the last failing call on this thread went wrong on, as UTF-8; an
 * empty string if none did. Valid until the thread's next call. */
SILLABOR_C_API const char* sillabor_last_error(void);

/* This library's version, "major.minor.patch". */
SILLABOR_C_API const char* sillabor_version(void);

#ifdef __cplusplus
}
#endif

#endif
