# Installs the built project into a fresh prefix and builds three user
# programs against it: through find_package, through pkg-config, and through
# add_subdirectory of the source tree. Each must build and run.
#
# Run by CTest with -DSOURCE_DIR, -DBUILD_DIR, -DWORK_DIR, -DGENERATOR,
# -DCXX, -DDATA_DIR.

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "failed (${result}): ${command}\n${out}\n${err}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")

message(STATUS "installing into ${prefix}")
run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")
foreach(file include/Text/Sillabor.hpp include/Text/Sillabor/Language.hpp bin/sillabor
        lib/cmake/Sillabor/SillaborConfig.cmake lib/cmake/Sillabor/SillaborConfigVersion.cmake
        lib/pkgconfig/sillabor.pc share/doc/Sillabor/LICENSE
        share/doc/Sillabor/hyph-utf8/hyph-en-us.lic.txt)
  if(NOT EXISTS "${prefix}/${file}")
    message(FATAL_ERROR "the install lacks ${file}")
  endif()
endforeach()
if(EXISTS "${prefix}/include/Text/Sillabor/detail")
  message(FATAL_ERROR "the install holds internal headers")
endif()

message(STATUS "find_package consumer")
run("${CMAKE_COMMAND}" -S "${SOURCE_DIR}/tests/packaging/find_package" -B "${WORK_DIR}/find_package"
    -G "${GENERATOR}" -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix})
run("${CMAKE_COMMAND}" --build "${WORK_DIR}/find_package")
run("${WORK_DIR}/find_package/consumer")

find_program(PKG_CONFIG pkg-config)
if(NOT PKG_CONFIG)
  message(STATUS "pkg-config consumer: skipped, no pkg-config on this machine")
else()
message(STATUS "pkg-config consumer")
set(ENV{PKG_CONFIG_PATH} "${prefix}/lib/pkgconfig")
run("${PKG_CONFIG}" --cflags --libs --static sillabor)
string(STRIP "${output}" flags)
separate_arguments(flags UNIX_COMMAND "${flags}")
run("${CXX}" -std=c++20 "${SOURCE_DIR}/tests/packaging/consumer.cpp" -o "${WORK_DIR}/pkg_consumer"
    ${flags} -Wl,-rpath,${prefix}/lib)
run("${WORK_DIR}/pkg_consumer")
endif()

message(STATUS "add_subdirectory consumer")
run("${CMAKE_COMMAND}" -S "${SOURCE_DIR}/tests/packaging/subdirectory" -B "${WORK_DIR}/subdirectory"
    -G "${GENERATOR}" -DCMAKE_CXX_COMPILER=${CXX} -DSILLABOR_SOURCE_DIR=${SOURCE_DIR}
    -DSILLABOR_DATA_DIR=${DATA_DIR} -DCMAKE_BUILD_TYPE=Release)
run("${CMAKE_COMMAND}" --build "${WORK_DIR}/subdirectory")
run("${WORK_DIR}/subdirectory/consumer")
