# The libraries the build needs: each is used from the system when installed
# there, and otherwise downloaded at a pinned version, checked against its
# SHA-256, and built with the project. The URL and hash of each are cache
# variables, so that a mirror or a local archive (file://...) can stand in.
#
#     sillabor_dependency(<name>)   zlib, libzip, googletest or benchmark

include(FetchContent)

set(SILLABOR_ZLIB_URL "https://github.com/madler/zlib/releases/download/v1.3.1/zlib-1.3.1.tar.gz"
    CACHE STRING "Where to download zlib from when the system has none")
set(SILLABOR_ZLIB_SHA256 "9a93b2b7dfdac77ceba5a558a580e74667dd6fede4585b91eefb60f03b72df23"
    CACHE STRING "The SHA-256 of SILLABOR_ZLIB_URL")
set(SILLABOR_LIBZIP_URL "https://libzip.org/download/libzip-1.7.3.tar.xz"
    CACHE STRING "Where to download libzip from when the system has none")
set(SILLABOR_LIBZIP_SHA256 "a60473ffdb7b4260c08bfa19c2ccea0438edac11193c3afbbb1f17fbcf6c6132"
    CACHE STRING "The SHA-256 of SILLABOR_LIBZIP_URL")
set(SILLABOR_GOOGLETEST_URL
    "https://github.com/google/googletest/archive/refs/tags/release-1.12.1.tar.gz"
    CACHE STRING "Where to download GoogleTest from when the system has none")
set(SILLABOR_GOOGLETEST_SHA256 "81964fe578e9bd7c94dfdb09c8e4d6e6759e19967e397dbea48d1c10e45d0df2"
    CACHE STRING "The SHA-256 of SILLABOR_GOOGLETEST_URL")
set(SILLABOR_BENCHMARK_URL "https://github.com/google/benchmark/archive/refs/tags/v1.7.1.tar.gz"
    CACHE STRING "Where to download Google Benchmark from when the system has none")
set(SILLABOR_BENCHMARK_SHA256 "6430e4092653380d9dc4ccb45a1e2dc9259d581f4866dc0759713126056bc1d7"
    CACHE STRING "The SHA-256 of SILLABOR_BENCHMARK_URL")

# Set when zlib or libzip is built here rather than found.
set(SILLABOR_ZLIB_BUILT OFF)
set(SILLABOR_LIBZIP_BUILT OFF)

macro(sillabor_dependency name)
  if("${name}" STREQUAL "zlib")
    # Named as CMake's own FindZLIB knows it.
    FetchContent_Declare(ZLIB URL "${SILLABOR_ZLIB_URL}" URL_HASH SHA256=${SILLABOR_ZLIB_SHA256}
      FIND_PACKAGE_ARGS)
    # zlib's own build: no install rules, no examples; old releases ask for
    # an old CMake.
    set(SKIP_INSTALL_ALL ON)
    set(ZLIB_BUILD_EXAMPLES OFF)
    set(CMAKE_POLICY_VERSION_MINIMUM 3.5)
    FetchContent_MakeAvailable(ZLIB)
    unset(CMAKE_POLICY_VERSION_MINIMUM)
    if(NOT TARGET ZLIB::ZLIB)
      # Built from source: the static library, with its headers (zconf.h is
      # generated into the build tree).
      target_include_directories(zlibstatic INTERFACE
        $<BUILD_INTERFACE:${zlib_SOURCE_DIR}> $<BUILD_INTERFACE:${zlib_BINARY_DIR}>)
      set_target_properties(zlibstatic PROPERTIES POSITION_INDEPENDENT_CODE ON)
      add_library(ZLIB::ZLIB ALIAS zlibstatic)
      set(SILLABOR_ZLIB_BUILT ON)
      message(STATUS "sillabor: zlib built from ${SILLABOR_ZLIB_URL}")
    endif()
  elseif("${name}" STREQUAL "libzip")
    # Found through pkg-config: Debian's CMake files for libzip name tools
    # that the -dev package does not install, and fail.
    if(NOT FETCHCONTENT_TRY_FIND_PACKAGE_MODE STREQUAL "NEVER" AND NOT TARGET libzip::zip)
      find_package(PkgConfig QUIET)
      if(PKG_CONFIG_FOUND)
        pkg_check_modules(SILLABOR_LIBZIP QUIET IMPORTED_TARGET GLOBAL libzip)
      endif()
      if(SILLABOR_LIBZIP_FOUND)
        add_library(libzip::zip ALIAS PkgConfig::SILLABOR_LIBZIP)
      endif()
    endif()
    FetchContent_Declare(libzip URL "${SILLABOR_LIBZIP_URL}" URL_HASH SHA256=${SILLABOR_LIBZIP_SHA256})
    # Only the library, static, with deflate (the one method EPUB uses):
    # no tools, tests, documentation, or other compressors and ciphers.
    foreach(_part TOOLS REGRESS EXAMPLES DOC)
      set(BUILD_${_part} OFF)
    endforeach()
    foreach(_part BZIP2 LZMA ZSTD COMMONCRYPTO GNUTLS MBEDTLS OPENSSL WINDOWS_CRYPTO)
      set(ENABLE_${_part} OFF)
    endforeach()
    set(_sillabor_shared ${BUILD_SHARED_LIBS})
    set(BUILD_SHARED_LIBS OFF)
    set(CMAKE_POLICY_VERSION_MINIMUM 3.5)
    if(NOT TARGET libzip::zip)
      FetchContent_MakeAvailable(libzip)
      set_target_properties(zip PROPERTIES POSITION_INDEPENDENT_CODE ON)
      if(NOT TARGET libzip::zip) # some releases make the alias themselves
        add_library(libzip::zip ALIAS zip)
      endif()
      set(SILLABOR_LIBZIP_BUILT ON)
      message(STATUS "sillabor: libzip built from ${SILLABOR_LIBZIP_URL}")
    endif()
    unset(CMAKE_POLICY_VERSION_MINIMUM)
    set(BUILD_SHARED_LIBS ${_sillabor_shared})
  elseif("${name}" STREQUAL "googletest")
    FetchContent_Declare(googletest URL "${SILLABOR_GOOGLETEST_URL}"
      URL_HASH SHA256=${SILLABOR_GOOGLETEST_SHA256} FIND_PACKAGE_ARGS NAMES GTest)
    set(INSTALL_GTEST OFF)
    set(BUILD_GMOCK ON)
    FetchContent_MakeAvailable(googletest)
  elseif("${name}" STREQUAL "benchmark")
    FetchContent_Declare(benchmark URL "${SILLABOR_BENCHMARK_URL}"
      URL_HASH SHA256=${SILLABOR_BENCHMARK_SHA256} FIND_PACKAGE_ARGS NAMES benchmark)
    set(BENCHMARK_ENABLE_TESTING OFF)
    set(BENCHMARK_ENABLE_INSTALL OFF)
    set(BENCHMARK_ENABLE_GTEST_TESTS OFF)
    set(BENCHMARK_ENABLE_WERROR OFF)
    FetchContent_MakeAvailable(benchmark)
  else()
    message(FATAL_ERROR "sillabor_dependency: no dependency named ${name}")
  endif()
endmacro()
