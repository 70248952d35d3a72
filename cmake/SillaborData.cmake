# Where the 292 hyph-utf8 data files come from, and the generated source that
# embeds them.
#
# SILLABOR_DATA_DIR defaults to data/ in the source tree when that holds the
# set, else to the shared folder beside the checkout.

set(_sillabor_probe "hyph-en-us.pat.txt.gz")
if(EXISTS "${PROJECT_SOURCE_DIR}/data/${_sillabor_probe}")
  set(_sillabor_default_data "${PROJECT_SOURCE_DIR}/data")
else()
  get_filename_component(_sillabor_default_data "${PROJECT_SOURCE_DIR}/../shared/hyph-utf8" ABSOLUTE)
endif()
set(SILLABOR_DATA_DIR "${_sillabor_default_data}" CACHE PATH
    "Folder with the 292 hyph-utf8 data files (hyph-*.{chr,hyp,lic,pat}.txt.gz)")

if(NOT EXISTS "${SILLABOR_DATA_DIR}/${_sillabor_probe}")
  message(FATAL_ERROR
    "sillabor: no hyph-utf8 data in ${SILLABOR_DATA_DIR} (looked for ${_sillabor_probe}). "
    "Set SILLABOR_DATA_DIR to the folder that holds the 292 data files; see data/README.md.")
endif()
message(STATUS "sillabor: language data from ${SILLABOR_DATA_DIR}")

file(GLOB _sillabor_data_files CONFIGURE_DEPENDS "${SILLABOR_DATA_DIR}/hyph-*.txt.gz")
set(_sillabor_manifest "")
if(EXISTS "${SILLABOR_DATA_DIR}/MANIFEST.tsv")
  set(_sillabor_manifest "${SILLABOR_DATA_DIR}/MANIFEST.tsv")
endif()

# sillabor_embedded_source(<var>): sets <var> to the generated source that
# embeds the data files. Call it from the directory of the target that
# compiles the source, so that the build knows how to make it.
function(sillabor_embedded_source var)
  # The generator runs on the build machine.
  add_executable(sillabor_embed_data "${PROJECT_SOURCE_DIR}/tools/embed_data.cpp")
  target_include_directories(sillabor_embed_data PRIVATE "${PROJECT_SOURCE_DIR}/src")
  target_compile_features(sillabor_embed_data PRIVATE cxx_std_20)
  sillabor_warnings(sillabor_embed_data)

  set(output "${PROJECT_BINARY_DIR}/generated/EmbeddedData.cpp")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${PROJECT_BINARY_DIR}/generated"
    COMMAND sillabor_embed_data "${SILLABOR_DATA_DIR}" "${output}"
    DEPENDS sillabor_embed_data ${_sillabor_data_files} ${_sillabor_manifest}
    COMMENT "Embedding the hyph-utf8 data files"
    VERBATIM)
  set(${var} "${output}" PARENT_SCOPE)
endfunction()
