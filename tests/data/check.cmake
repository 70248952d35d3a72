# Builds the tool with data from elsewhere, as a user would, and checks what
# the build says and what the tool does with it:
#
# 1. The pinned data taken from a file:// archive in the layout the
#    hyph-utf8 repository publishes (.../patterns/txt/), for three variants.
# 2. A tree where two files are changed (as plain text) and one is missing,
#    with SILLABOR_DATA_VERIFY=OFF: the build names them; the changed
#    patterns are used; the missing file's variant, and a variant not
#    chosen, fail on first use with "Could not find".
# 3. The same tree with verification on: the build stops, naming the file.
# 4. A tree without character files, as TeX distributions ship: the build
#    stops, saying so.
#
#     cmake -DSOURCE_DIR=... -DDATA_DIR=... -DWORK_DIR=... -DGENERATOR=... -DCXX=...
#           [-DDEPENDENCIES=-Dname=value|...] -P tests/data/check.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK_DIR}")
set(layout "tex-hyphen/hyph-utf8/tex/generic/hyph-utf8/patterns/txt")
set(tree "${WORK_DIR}/tree/${layout}")
file(MAKE_DIRECTORY "${tree}")
file(GLOB files "${DATA_DIR}/hyph-*.txt.gz" "${DATA_DIR}/hyph-*.txt") # packed or plain
file(COPY ${files} DESTINATION "${tree}")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(status "${status}" PARENT_SCOPE)
  set(output "${out}${err}" PARENT_SCOPE)
endfunction()
function(expect what text)
  string(FIND "${output}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${what}: expected to find \"${text}\" in:\n${output}")
  endif()
endfunction()
# The parent build's choices of where zlib comes from, '|'-separated.
string(REPLACE "|" ";" dependencies "${DEPENDENCIES}")
list(FILTER dependencies EXCLUDE REGEX "=$")
function(build name)
  run("${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${WORK_DIR}/${name}" -G "${GENERATOR}"
      -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release -DSILLABOR_TEST=OFF
      -DSILLABOR_EXAMPLES=OFF -DSILLABOR_INSTALL=OFF ${dependencies} ${ARGN})
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "configuring ${name} failed:\n${output}")
  endif()
  set(configured "${output}")
  run("${CMAKE_COMMAND}" --build "${WORK_DIR}/${name}" --target sillabor_cli ${build_targets})
  set(output "${configured}${output}" PARENT_SCOPE)
  set(status "${status}" PARENT_SCOPE)
endfunction()

# 1. The download path, from a file:// archive.
run("${CMAKE_COMMAND}" -E chdir "${WORK_DIR}/tree" "${CMAKE_COMMAND}" -E tar czf
    "${WORK_DIR}/tex-hyphen.tar.gz" tex-hyphen)
# The demo shows the languages the build has, here without English first.
set(build_targets demo)
build(archive "-DSILLABOR_DATA_URL=file://${WORK_DIR}/tex-hyphen.tar.gz"
      "-DSILLABOR_LANGUAGES=fr,de-1996,en-us")
set(build_targets)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "building from the archive failed:\n${output}")
endif()
expect("archive demo" "ty-po-gra-phie")
expect("archive demo" "La ty|po|gra|phie")
expect("archive" "language data from ${WORK_DIR}/archive/_sillabor_data/tree/")
expect("archive" "embedding 12 data files of 3 language variants")
set(tool "${WORK_DIR}/archive/cli/sillabor")
run("${tool}" Typesetting)
expect("archive" "Type-set-ting")
run("${tool}" -l de Silbentrennung)
expect("archive" "Sil-ben-tren-nung")

# 2. Changed and missing files, not verified.
foreach(name hyph-en-us.pat.txt hyph-en-us.hyp.txt hyph-fr.pat.txt)
  file(REMOVE "${tree}/${name}" "${tree}/${name}.gz")
endforeach()
file(WRITE "${tree}/hyph-en-us.pat.txt" "1p\n")   # a break before every p, as plain text
file(WRITE "${tree}/hyph-en-us.hyp.txt" "ta-ble\n")
build(unverified "-DSILLABOR_DATA_DIR=${WORK_DIR}/tree" -DSILLABOR_DATA_VERIFY=OFF
      "-DSILLABOR_LANGUAGES=English_US,de,fr")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "building from a changed tree failed:\n${output}")
endif()
expect("unverified" "(not verified)")
expect("unverified" "2 files differ from the pinned set:\n  hyph-en-us.hyp.txt\n  hyph-en-us.pat.txt\n")
expect("unverified" "1 files are missing, and their variants will fail on first use:\n  hyph-fr.pat.txt\n")
expect("unverified" "embedding 11 data files of 3 language variants")
expect("unverified" "LPPL: de-1996")
set(tool "${WORK_DIR}/unverified/cli/sillabor")
run("${tool}" hyphenation table)
expect("changed patterns" "hy-phenation\nta-ble\n")
run("${tool}" --left 1 --right 1 apple)
expect("changed patterns" "a-p-ple")
run("${tool}" -l fr typographie)
if(status EQUAL 0)
  message(FATAL_ERROR "a missing pattern file did not fail: ${output}")
endif()
expect("missing file" "Could not find hyph-fr.pat.txt.gz")
run("${tool}" -l it parola)
expect("variant left out" "Could not find hyph-it.")

# 3. Verified: the build stops at the first changed file.
build(verified "-DSILLABOR_DATA_DIR=${WORK_DIR}/tree" "-DSILLABOR_LANGUAGES=en-us")
if(status EQUAL 0)
  message(FATAL_ERROR "a changed file was embedded with verification on:\n${output}")
endif()
expect("verified" "hyph-en-us.hyp.txt is not the pinned file")
expect("verified" "SILLABOR_DATA_VERIFY=OFF")

# 4. A TeX distribution's tree: patterns, and no character files. The build
#    stops, even unverified, saying what is missing and what to do.
file(GLOB character_files "${tree}/hyph-*.chr.txt" "${tree}/hyph-*.chr.txt.gz")
file(REMOVE ${character_files})
build(tex "-DSILLABOR_DATA_DIR=${WORK_DIR}/tree" -DSILLABOR_DATA_VERIFY=OFF "-DSILLABOR_LANGUAGES=de")
if(status EQUAL 0)
  message(FATAL_ERROR "a tree without character files was embedded:\n${output}")
endif()
expect("tex" "has patterns but no character files")
expect("tex" "Leave SILLABOR_DATA_DIR empty")
message(STATUS "data choices: all as expected")
