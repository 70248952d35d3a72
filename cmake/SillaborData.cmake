# Where the hyph-utf8 data comes from, which of it is embedded, and the
# generated source that embeds it.
#
# The pinned data is in the checkout, in data/hyph-utf8, and is what a build
# takes unless told otherwise: it never looks outside the checkout by
# itself. SILLABOR_DATA_DIR names another folder of data files (plain
# hyph-*.txt files, the packed hyph-*.txt.gz set, or a tree that has them
# under .../patterns/txt/); SILLABOR_DATA_URL an archive of such a tree to
# download and unpack. Whatever the source, every file is checked against
# data/hyph-utf8/MANIFEST.tsv unless SILLABOR_DATA_VERIFY is off.

set(SILLABOR_DATA_DIR "" CACHE PATH
    "Folder with hyph-utf8 data: hyph-*.txt, hyph-*.txt.gz, or a tree with .../patterns/txt/ (empty: the checkout's data/hyph-utf8)")
set(SILLABOR_DATA_URL "" CACHE STRING
    "An archive of a hyph-utf8 tree to download and embed: a URL, a file:// URL or a local archive (empty: none)")
option(SILLABOR_DATA_VERIFY "Stop the build when a data file differs from data/hyph-utf8/MANIFEST.tsv" ON)
set(SILLABOR_LANGUAGES "" CACHE STRING
    "The language variants to embed: file codes, tags or names, separated by ';' or ',' (empty: all 73)")
set(_sillabor_manifest "${PROJECT_SOURCE_DIR}/data/hyph-utf8/MANIFEST.tsv")

# Build folders configured before the data was in the checkout hold the
# download of the pinned tree as their URL; the checkout's copy is that data.
set(_sillabor_old_default_url
  "https://github.com/hyphenation/tex-hyphen/archive/48a3e1b460527d1d6d0095c2301b83a70b559f42.tar.gz")
if(SILLABOR_DATA_URL STREQUAL _sillabor_old_default_url)
  message(STATUS "sillabor: the pinned data is in the checkout now; not downloading it")
  set_property(CACHE SILLABOR_DATA_URL PROPERTY VALUE "")
endif()

# _sillabor_data_folder(<dir> <var>): sets <var> to the folder under <dir>
# (itself, or a .../patterns/txt/ below it) that holds hyph-utf8 files, or
# to "" when there is none.
function(_sillabor_data_folder dir var)
  set(found "")
  file(GLOB here "${dir}/hyph-*.pat.txt.gz" "${dir}/hyph-*.pat.txt")
  if(here)
    set(found "${dir}")
  elseif(IS_DIRECTORY "${dir}")
    file(GLOB_RECURSE below "${dir}/hyph-*.pat.txt" "${dir}/hyph-*.pat.txt.gz")
    list(FILTER below INCLUDE REGEX "/patterns/txt/hyph-[^/]*\\.pat\\.txt(\\.gz)?$")
    if(below)
      list(GET below 0 first)
      get_filename_component(found "${first}" DIRECTORY)
    endif()
  endif()
  set(${var} "${found}" PARENT_SCOPE)
endfunction()

# _sillabor_download_data(<var>): fetches and unpacks SILLABOR_DATA_URL (once
# per URL) and sets <var> to the data folder in it.
function(_sillabor_download_data var)
  set(work "${PROJECT_BINARY_DIR}/_sillabor_data")
  set(tree "${work}/tree")
  set(stamp "${work}/unpacked-from.txt")
  if(EXISTS "${stamp}")
    file(READ "${stamp}" unpacked)
  endif()
  if(NOT unpacked STREQUAL SILLABOR_DATA_URL)
    file(REMOVE_RECURSE "${tree}")
    if(EXISTS "${SILLABOR_DATA_URL}")
      set(archive "${SILLABOR_DATA_URL}") # a local archive
    else()
      set(archive "${work}/hyph-utf8.tar.gz")
      message(STATUS "sillabor: downloading the hyph-utf8 data from ${SILLABOR_DATA_URL}")
      file(DOWNLOAD "${SILLABOR_DATA_URL}" "${archive}" STATUS status)
      list(GET status 0 code)
      if(NOT code EQUAL 0)
        list(GET status 1 reason)
        message(FATAL_ERROR "sillabor: cannot download the hyph-utf8 data from "
          "${SILLABOR_DATA_URL}: ${reason}.\nThe checkout holds the pinned data "
          "(data/hyph-utf8): leave SILLABOR_DATA_URL empty to use it.")
      endif()
    endif()
    file(ARCHIVE_EXTRACT INPUT "${archive}" DESTINATION "${tree}" PATTERNS "*patterns/txt/hyph-*")
    file(WRITE "${stamp}" "${SILLABOR_DATA_URL}")
  endif()
  _sillabor_data_folder("${tree}" folder)
  if(NOT folder)
    message(FATAL_ERROR "sillabor: ${SILLABOR_DATA_URL} holds no hyph-utf8 pattern files "
      "(looked for .../patterns/txt/hyph-*.pat.txt)")
  endif()
  set(${var} "${folder}" PARENT_SCOPE)
endfunction()

if(SILLABOR_DATA_DIR)
  _sillabor_data_folder("${SILLABOR_DATA_DIR}" SILLABOR_DATA_FOLDER)
  if(NOT SILLABOR_DATA_FOLDER)
    message(FATAL_ERROR "sillabor: no hyph-utf8 data in ${SILLABOR_DATA_DIR} (looked for "
      "hyph-*.pat.txt, hyph-*.pat.txt.gz and .../patterns/txt/ below it).\nThe checkout holds "
      "the pinned data (data/hyph-utf8): leave SILLABOR_DATA_DIR empty to use it.")
  endif()
elseif(SILLABOR_DATA_URL)
  _sillabor_download_data(SILLABOR_DATA_FOLDER)
else()
  set(SILLABOR_DATA_FOLDER "${PROJECT_SOURCE_DIR}/data/hyph-utf8")
endif()
if(SILLABOR_DATA_VERIFY)
  message(STATUS "sillabor: language data from ${SILLABOR_DATA_FOLDER}")
else()
  message(STATUS "sillabor: language data from ${SILLABOR_DATA_FOLDER} (not verified)")
endif()

# Whether the build embeds exactly the pinned set, which some tests need
# (they are skipped where it does not).
if(SILLABOR_DATA_VERIFY AND NOT SILLABOR_LANGUAGES)
  set(SILLABOR_DATA_PINNED ON)
else()
  set(SILLABOR_DATA_PINNED OFF)
endif()

file(GLOB _sillabor_data_files CONFIGURE_DEPENDS
  "${SILLABOR_DATA_FOLDER}/hyph-*.txt.gz" "${SILLABOR_DATA_FOLDER}/hyph-*.txt")

# The choices the generated source depends on, and the data itself (each
# file's name, size and hash), in a file that changes only when they do, so
# that other data or another choice regenerates it with any generator.
set(_sillabor_embed_options "")
if(NOT SILLABOR_DATA_VERIFY)
  list(APPEND _sillabor_embed_options --no-verify)
endif()
if(SILLABOR_LANGUAGES)
  string(REPLACE ";" "," _sillabor_language_list "${SILLABOR_LANGUAGES}")
  list(APPEND _sillabor_embed_options --languages "${_sillabor_language_list}")
endif()
set(_sillabor_data_stamp "${SILLABOR_DATA_FOLDER}\n${_sillabor_embed_options}\n")
foreach(file IN LISTS _sillabor_data_files)
  file(SIZE "${file}" size)
  file(SHA256 "${file}" hash)
  get_filename_component(name "${file}" NAME)
  string(APPEND _sillabor_data_stamp "${name}\t${size}\t${hash}\n")
endforeach()
file(CONFIGURE OUTPUT "${PROJECT_BINARY_DIR}/generated/data-stamp.txt"
  CONTENT "${_sillabor_data_stamp}")

# sillabor_embedded_source(<var>): sets <var> to the generated source that
# embeds the data files. Call it from the directory of the target that
# compiles the source, so that the build knows how to make it.
function(sillabor_embedded_source var)
  # The generator runs on the build machine.
  add_executable(sillabor_embed_data "${PROJECT_SOURCE_DIR}/tools/embed_data.cpp")
  target_link_libraries(sillabor_embed_data PRIVATE sillabor_language_facts ZLIB::ZLIB)
  sillabor_warnings(sillabor_embed_data)

  set(output "${PROJECT_BINARY_DIR}/generated/EmbeddedData.cpp")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND sillabor_embed_data "${SILLABOR_DATA_FOLDER}" "${_sillabor_manifest}" "${output}"
      ${_sillabor_embed_options} --licences "${PROJECT_BINARY_DIR}/generated/licences"
    DEPENDS sillabor_embed_data "${_sillabor_manifest}"
      "${PROJECT_BINARY_DIR}/generated/data-stamp.txt"
    COMMENT "Embedding the hyph-utf8 data files"
    VERBATIM)
  set(${var} "${output}" PARENT_SCOPE)
endfunction()
