/* A program written for libhyphen, as its users write them: it compiles
 * against sillabor's compatible header and links libsillabor_hyphen. It
 * prints each word hyphenated, replacements made. */
#include <hyphen.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s DICTIONARY WORD...\n", argv[0]);
        return 2;
    }
    HyphenDict* dict = hnj_hyphen_load(argv[1]);
    if (!dict) {
        fprintf(stderr, "could not load %s\n", argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        const char* word = argv[i];
        int n = (int)strlen(word);
        char* hyphens = malloc(n + 5);
        char* hyphword = malloc(2 * n + 16);
        char** rep = NULL;
        int *pos = NULL, *cut = NULL;
        hnj_hyphen_hyphenate2(dict, word, n, hyphens, hyphword, &rep, &pos, &cut);
        printf("%s lhmin=%d %s\n", word, dict->lhmin, hyphword);
        if (rep) {
            for (int j = 0; j < n; ++j)
                free(rep[j]);
            free(rep);
            free(pos);
            free(cut);
        }
        free(hyphens);
        free(hyphword);
    }
    hnj_hyphen_free(dict);
    return 0;
}
