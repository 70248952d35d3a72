/* sillabor's libhyphen-compatible interface.
 *
 * A program written for libhyphen compiles against this header and links
 * libsillabor_hyphen instead, unchanged: the same functions, the same
 * HyphenDict fields, the same outputs for the same dictionary files.
 * Dictionaries are immutable once loaded; one may serve any number of
 * threads at once.
 */
#ifndef SILLABOR_COMPAT_HYPHEN_H
#define SILLABOR_COMPAT_HYPHEN_H

#include <stdio.h>

#if defined(_WIN32) && defined(SILLABOR_HYPHEN_SHARED)
#if defined(SILLABOR_HYPHEN_BUILDING)
#define SILLABOR_HYPHEN_API __declspec(dllexport)
#else
#define SILLABOR_HYPHEN_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define SILLABOR_HYPHEN_API __attribute__((visibility("default")))
#else
#define SILLABOR_HYPHEN_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define MAX_CHARS 100
#define MAX_NAME 20

typedef struct _HyphenDict HyphenDict;
/* The pattern automaton is kept inside the library; these stay incomplete. */
typedef struct _HyphenState HyphenState;
typedef struct _HyphenTrans HyphenTrans;

/* A loaded dictionary. The fields are filled in for programs that read them
 * (lhmin and rhmin especially); changing them changes nothing. */
struct _HyphenDict {
    char lhmin;            /* the file's LEFTHYPHENMIN */
    char rhmin;            /* the file's RIGHTHYPHENMIN */
    char clhmin;           /* COMPOUNDLEFTHYPHENMIN */
    char crhmin;           /* COMPOUNDRIGHTHYPHENMIN */
    char* nohyphen;        /* NOHYPHEN items, each ending in a NUL */
    int nohyphenl;         /* how many */
    int num_states;        /* states of this level's automaton */
    char cset[MAX_NAME];   /* the character set, as line 1 names it */
    int utf8;              /* 1 for UTF-8 files */
    HyphenState* states;   /* always NULL here */
    HyphenDict* nextlevel; /* the second level, or NULL */
};

/* Reads a dictionary file; NULL if it cannot be read or is malformed (the
 * reason is written to stderr). */
SILLABOR_HYPHEN_API HyphenDict* hnj_hyphen_load(const char* fn);
/* The same, from an open file, read to its end. */
SILLABOR_HYPHEN_API HyphenDict* hnj_hyphen_load_file(FILE* f);
SILLABOR_HYPHEN_API void hnj_hyphen_free(HyphenDict* dict);

/* Standard breaks only: hyphens[i] is odd when a break may follow character
 * i; hyphens needs word_size + 5 bytes. */
SILLABOR_HYPHEN_API int hnj_hyphen_hyphenate(HyphenDict* dict, const char* word, int word_size,
                                             char* hyphens);

/* Breaks with replacements, with the file's minima. The hyphenated word
 * takes at most 2 * word_size + 1 bytes with its NUL: a longer one (only
 * replacements can make one) is cut there. */

/* Breaks with replacements, with the file's minima.
 *   word, word_size: the word, in the file's encoding, lower case;
 *   hyphens:   word_size + 5 bytes; hyphens[i] odd: a break after character i
 *              (characters are code points in UTF-8 files);
 *   hyphenated_word: NULL, or about 2 * word_size bytes for the word with
 *              '=' at each break and replacements made;
 *   rep, pos, cut: NULL, or pointers to NULL (the library allocates word_size
 *              entries with malloc when a replacement occurs; free each rep[i],
 *              then the arrays) or to zeroed arrays of word_size entries.
 *              rep[i]: the text that replaces, '=' marking the line end;
 *              pos[i]: it starts pos[i] - 1 characters before character i;
 *              cut[i]: how many characters of the word it replaces.
 * Returns 0. */
SILLABOR_HYPHEN_API int hnj_hyphen_hyphenate2(HyphenDict* dict, const char* word, int word_size,
                                              char* hyphens, char* hyphenated_word, char*** rep,
                                              int** pos, int** cut);

/* As hnj_hyphen_hyphenate2, with the minima given (0 or less: 2 for lhmin and
 * rhmin, none for the compound minima). */
SILLABOR_HYPHEN_API int hnj_hyphen_hyphenate3(HyphenDict* dict, const char* word, int word_size,
                                              char* hyphens, char* hyphword, char*** rep, int** pos,
                                              int** cut, int lhmin, int rhmin, int clhmin,
                                              int crhmin);

#ifdef __cplusplus
}
#endif

#endif
