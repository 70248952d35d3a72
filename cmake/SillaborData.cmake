# Where the hyph-utf8 data comes from, which of it is embedded, and the
# generated source that embeds it.
#
# SILLABOR_DATA_DIR names a folder of data files: the packed hyph-*.txt.gz set,
# or plain hyph-*.txt files, or a tree that has them under .../patterns/txt/
# (the tex-hyphen repository, TeX Live's installed tree). Left empty, the
# build looks in data/ and in ../shared/hyph-utf8 beside the checkout, and
# else downloads the pinned tree from SILLABOR_DATA_URL (a URL set by hand is
# downloaded in any case). Whatever the source,
# every file is checked against data/MANIFEST.tsv unless SILLABOR_DATA_VERIFY
# is off.

set(SILLABOR_DATA_DIR "" CACHE PATH
    "Folder with hyph-utf8 data: hyph-*.txt.gz, hyph-*.txt, or a tree with .../patterns/txt/ (empty: found or downloaded)")
set(SILLABOR_PINNED_DATA_URL
    "https://github.com/hyphenation/tex-hyphen/archive/48a3e1b460527d1d6d0095c2301b83a70b559f42.tar.gz")
set(SILLABOR_DATA_URL "${SILLABOR_PINNED_DATA_URL}" CACHE STRING "The hyph-utf8 tree to download when no local data is given or found: a URL, a file:// URL or a local archive")
option(SILLABOR_DATA_VERIFY "Stop the build when a data file differs from data/MANIFEST.tsv" ON)
set(SILLABOR_LANGUAGES "" CACHE STRING
    "The language variants to embed: file codes, tags or names, separated by ';' (empty: all 73)")

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
          "${SILLABOR_DATA_URL}: ${reason}. Without network, set SILLABOR_DATA_DIR to a "
          "folder that holds the data (see data/README.md), or SILLABOR_DATA_URL to a local "
          "archive of it.")
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
      "hyph-*.pat.txt.gz, hyph-*.pat.txt and .../patterns/txt/ below it); see data/README.md")
  endif()
elseif(NOT SILLABOR_DATA_URL STREQUAL SILLABOR_PINNED_DATA_URL)
  _sillabor_download_data(SILLABOR_DATA_FOLDER) # the archive the user named
else()
  get_filename_component(_sillabor_shared "${PROJECT_SOURCE_DIR}/../shared/hyph-utf8" ABSOLUTE)
  foreach(candidate "${PROJECT_SOURCE_DIR}/data" "${_sillabor_shared}")
    _sillabor_data_folder("${candidate}" SILLABOR_DATA_FOLDER)
    if(SILLABOR_DATA_FOLDER)
      break()
    endif()
  endforeach()
  if(NOT SILLABOR_DATA_FOLDER)
    _sillabor_download_data(SILLABOR_DATA_FOLDER)
  endif()
endif()
if(SILLABOR_DATA_VERIFY)
  message(STATUS "sillabor: language data from ${SILLABOR_DATA_FOLDER}")
else()
  message(STATUS "sillabor: language data from ${SILLABOR_DATA_FOLDER} (not verified)")
endif()

file(GLOB _sillabor_data_files CONFIGURE_DEPENDS
  "${SILLABOR_DATA_FOLDER}/hyph-*.txt.gz" "${SILLABOR_DATA_FOLDER}/hyph-*.txt")
set(_sillabor_manifest "${PROJECT_SOURCE_DIR}/data/MANIFEST.tsv")

# The choices the generated source depends on, in a file that changes only
# when they do, so that a new choice regenerates it with any generator.
set(_sillabor_embed_args "${SILLABOR_DATA_FOLDER}" "${_sillabor_manifest}")
set(_sillabor_embed_options "")
if(NOT SILLABOR_DATA_VERIFY)
  list(APPEND _sillabor_embed_options --no-verify)
endif()
if(SILLABOR_LANGUAGES)
  string(REPLACE ";" "," _sillabor_language_list "${SILLABOR_LANGUAGES}")
  list(APPEND _sillabor_embed_options --languages "${_sillabor_language_list}")
endif()
file(CONFIGURE OUTPUT "${PROJECT_BINARY_DIR}/generated/data-choices.txt"
  CONTENT "${SILLABOR_DATA_FOLDER}\n${_sillabor_embed_options}\n")

# sillabor_embedded_source(<var>): sets <var> to the generated source that
# embeds the data files. Call it from the directory of the target that
# compiles the source, so that the build knows how to make it.
function(sillabor_embedded_source var)
  # The generator runs on the build machine.
  add_executable(sillabor_embed_data "${PROJECT_SOURCE_DIR}/tools/embed_data.cpp")
  target_include_directories(sillabor_embed_data PRIVATE "${PROJECT_SOURCE_DIR}/src")
  target_compile_features(sillabor_embed_data PRIVATE cxx_std_20)
  target_link_libraries(sillabor_embed_data PRIVATE ZLIB::ZLIB)
  sillabor_warnings(sillabor_embed_data)

  set(output "${PROJECT_BINARY_DIR}/generated/EmbeddedData.cpp")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND sillabor_embed_data ${_sillabor_embed_args} "${output}" ${_sillabor_embed_options}
      --licences "${PROJECT_BINARY_DIR}/generated/licences"
    DEPENDS sillabor_embed_data ${_sillabor_data_files} "${_sillabor_manifest}"
      "${PROJECT_BINARY_DIR}/generated/data-choices.txt"
    COMMENT "Embedding the hyph-utf8 data files"
    VERBATIM)
  set(${var} "${output}" PARENT_SCOPE)
endfunction()
