# Builds with Make use every core and no more. The presets build with the
# native tool's own parallelism (`jobs: 0`): Ninja runs as many jobs as the
# machine has cores, while Make runs every job it can at once, dozens of
# compilers on two cores. With Make, each compiler waits for a free core
# (cmake/one-per-core.sh), unless the user chose a launcher of their own.
if(CMAKE_GENERATOR MATCHES "Makefiles" AND NOT CMAKE_CXX_COMPILER_LAUNCHER
   AND NOT CMAKE_C_COMPILER_LAUNCHER AND CMAKE_HOST_UNIX)
  cmake_host_system_information(RESULT _sillabor_cores QUERY NUMBER_OF_LOGICAL_CORES)
  set(_sillabor_launcher sh "${CMAKE_CURRENT_LIST_DIR}/one-per-core.sh"
    "${PROJECT_BINARY_DIR}/cores" ${_sillabor_cores})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${_sillabor_launcher})
  set(CMAKE_C_COMPILER_LAUNCHER ${_sillabor_launcher})
endif()
