# The word lists that the corpus tests and the benchmarks measure on, made
# once per build folder from Debian's word lists (wamerican, wngerman) by
# bench/words.sh. Where those are not installed, the lists are missing, the
# corpus tests are skipped and the benchmarks that need them say so.
set(_sillabor_default_words "${PROJECT_BINARY_DIR}/words")
set(SILLABOR_WORDS_DIR "${_sillabor_default_words}" CACHE PATH
    "Folder with the word lists words-en.txt and words-de.txt (default: made from Debian's wamerican and wngerman)")
if(SILLABOR_WORDS_DIR STREQUAL _sillabor_default_words
   AND NOT EXISTS "${SILLABOR_WORDS_DIR}/words-en.txt")
  execute_process(COMMAND sh "${PROJECT_SOURCE_DIR}/bench/words.sh" "${SILLABOR_WORDS_DIR}"
    OUTPUT_VARIABLE _sillabor_words_said ERROR_VARIABLE _sillabor_words_said)
  if(_sillabor_words_said)
    message(STATUS "sillabor: ${_sillabor_words_said}")
  endif()
endif()
