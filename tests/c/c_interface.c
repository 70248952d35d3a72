/* The C interface, used from C: a built-in language, a dictionary with
 * replacements, buffers too small, a caller that knows a smaller break, hard
 * hyphens, and failures. Exits non-zero if a check fails, naming each. */
#include <sillabor.h>

#include <stdio.h>
#include <string.h>

static int failures = 0;
#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #cond);                     \
            ++failures;                                                                            \
        }                                                                                          \
    } while (0)

int main(int argc, char** argv) {
    sillabor_break breaks[8];
    char text[64];
    size_t text_size = 99;

    sillabor_hyphenator* en = sillabor_open_language("en-US");
    CHECK(en != NULL);
    long n = sillabor_breaks(en, "hyphenation", 11, breaks, 8, sizeof *breaks, text, sizeof text,
                             &text_size);
    CHECK(n == 2);
    CHECK(breaks[0].at == 2 && breaks[0].from == 2 && breaks[0].to == 2 && breaks[1].at == 6);
    CHECK(text_size == 0);
    /* Too small: the count comes back, nothing is written. */
    breaks[0].at = 77;
    CHECK(sillabor_breaks(en, "hyphenation", 11, breaks, 1, sizeof *breaks, text, sizeof text,
                          &text_size) == 2);
    CHECK(breaks[0].at == 77);
    /* Invalid UTF-8 is refused with a reason. */
    CHECK(sillabor_breaks(en, "\xC3(", 2, breaks, 8, sizeof *breaks, text, sizeof text,
                          &text_size) == -1);
    CHECK(strlen(sillabor_last_error()) > 0);

    /* A caller built when a break held only at, from and to: each break
     * takes that much room, and nothing past it is written. */
    {
        struct old_break {
            size_t at, from, to;
        };
        struct {
            struct old_break b[2];
            size_t after;
        } old = {{{0, 0, 0}, {0, 0, 0}}, 777};
        CHECK(sillabor_breaks(en, "hyphenation", 11, (sillabor_break*)old.b, 2,
                              sizeof(struct old_break), text, sizeof text, &text_size) == 2);
        CHECK(old.b[0].at == 2 && old.b[1].at == 6 && old.b[1].to == 6);
        CHECK(old.after == 777);
        CHECK(sillabor_breaks(en, "hyphenation", 11, breaks, 8, 3, text, sizeof text, &text_size) ==
              -1);
    }

    /* Hard hyphens: the parts are hyphenated each on its own, and the break
     * after the hyphen is its own. */
    n = sillabor_breaks(en, "co-operation", 12, breaks, 8, sizeof *breaks, text, sizeof text,
                        &text_size);
    CHECK(n == 4);
    CHECK(breaks[0].at == 3 && breaks[1].at == 5 && breaks[2].at == 7 && breaks[3].at == 8);
    sillabor_free(en);

    CHECK(sillabor_open_language("Klingon") == NULL);
    CHECK(strstr(sillabor_last_error(), "Klingon") != NULL);

    if (argc > 1) {
        sillabor_hyphenator* hu = sillabor_open_dictionary(argv[1]);
        CHECK(hu != NULL);
        n = sillabor_breaks(hu, "asszonnyal", 10, breaks, 8, sizeof *breaks, text, sizeof text,
                            &text_size);
        CHECK(n == 2);
        /* "as|szonnyal": the line ends "a" + "sz", the next starts "szonnyal". */
        CHECK(breaks[0].at == 2 && breaks[0].from == 1 && breaks[0].to == 2);
        CHECK(breaks[0].before_size == 2 && memcmp(text + breaks[0].before_offset, "sz", 2) == 0);
        CHECK(breaks[0].after_size == 0);
        /* "asszon|nyal": "ny" ends the line, "ny" starts the next. */
        CHECK(breaks[1].at == 6 && breaks[1].from == 5 && breaks[1].to == 8);
        CHECK(breaks[1].after_size == 2 && memcmp(text + breaks[1].after_offset, "ny", 2) == 0);
        sillabor_free(hu);
        CHECK(sillabor_open_dictionary("/nonexistent/hyph_xx.dic") == NULL);
    }

    const char* patterns = "hy3ph\nhe2n\nhen5at\nhena4\n1na\nn2at\n1tio\n2io\no2n\n";
    sillabor_hyphenator* own = sillabor_open_patterns(patterns, strlen(patterns), NULL, 0, 2, 3);
    CHECK(own != NULL);
    CHECK(sillabor_breaks(own, "hyphenation", 11, breaks, 8, sizeof *breaks, text, sizeof text,
                          &text_size) == 2);
    sillabor_free(own);
    CHECK(strlen(sillabor_version()) > 0);

    if (failures == 0) printf("C interface: all checks passed\n");
    return failures == 0 ? 0 : 1;
}
