# Install rules: headers, library, tool, CMake package and pkg-config file,
# and a Debian package through CPack.
include(CMakePackageConfigHelpers)

set(SILLABOR_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/Sillabor")

install(TARGETS sillabor EXPORT SillaborTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# What is installed is what include/ holds.
install(DIRECTORY "${PROJECT_SOURCE_DIR}/include/" DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}")
if(TARGET sillabor_cli)
  # The installed tool finds a shared library beside it, in any prefix.
  file(RELATIVE_PATH _sillabor_bin_to_lib "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_LIBDIR}")
  set_target_properties(sillabor_cli PROPERTIES INSTALL_RPATH "$ORIGIN/${_sillabor_bin_to_lib}")
  install(TARGETS sillabor_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES "${PROJECT_BINARY_DIR}/cli/sillabor.1" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
endif()

# libsillabor_hyphen, static and shared, with its libhyphen header in a folder
# of its own so that it never shadows a real libhyphen's. In the CMake
# package, Sillabor::hyphen is the kind BUILD_SHARED_LIBS chose.
if(BUILD_SHARED_LIBS)
  set_target_properties(sillabor_hyphen_shared PROPERTIES EXPORT_NAME hyphen)
  set_target_properties(sillabor_hyphen_static PROPERTIES EXPORT_NAME hyphen_static)
else()
  set_target_properties(sillabor_hyphen_static PROPERTIES EXPORT_NAME hyphen)
  set_target_properties(sillabor_hyphen_shared PROPERTIES EXPORT_NAME hyphen_shared)
endif()
install(TARGETS sillabor_hyphen_shared sillabor_hyphen_static EXPORT SillaborTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES "${PROJECT_SOURCE_DIR}/compat/libhyphen/hyphen.h"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/sillabor/libhyphen")

# The CMake package, for find_package(Sillabor).
install(EXPORT SillaborTargets NAMESPACE Sillabor:: DESTINATION "${SILLABOR_CMAKE_DIR}")
configure_package_config_file("${PROJECT_SOURCE_DIR}/cmake/SillaborConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/SillaborConfig.cmake" INSTALL_DESTINATION "${SILLABOR_CMAKE_DIR}")
write_basic_package_version_file("${PROJECT_BINARY_DIR}/SillaborConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/SillaborConfig.cmake"
  "${PROJECT_BINARY_DIR}/SillaborConfigVersion.cmake" DESTINATION "${SILLABOR_CMAKE_DIR}")

# The same package straight from the build tree.
export(EXPORT SillaborTargets NAMESPACE Sillabor:: FILE "${PROJECT_BINARY_DIR}/SillaborTargets.cmake")

# pkg-config, relocatable: the prefix is found from the file's own place, so
# that `cmake --install --prefix` anywhere gives a working file.
file(RELATIVE_PATH SILLABOR_PC_UP "${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig" "${CMAKE_INSTALL_PREFIX}")
string(REGEX REPLACE "/$" "" SILLABOR_PC_UP "${SILLABOR_PC_UP}")
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(SILLABOR_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
else()
  set(SILLABOR_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(SILLABOR_PC_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}")
else()
  set(SILLABOR_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
# A static library needs zlib, libzip and the C++ runtime wherever it is linked, C
# programs included, so they are in Requires and Libs, and the README's
# `pkg-config --libs sillabor` links it; a shared library needs them only for
# a --static link.
if(BUILD_SHARED_LIBS)
  set(SILLABOR_PC_REQUIRES "Requires.private")
  set(SILLABOR_PC_STATIC_LIBS "")
else()
  set(SILLABOR_PC_REQUIRES "Requires")
  set(SILLABOR_PC_STATIC_LIBS " -lstdc++ -lm")
endif()
configure_file("${PROJECT_SOURCE_DIR}/cmake/sillabor.pc.in" "${PROJECT_BINARY_DIR}/sillabor.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/sillabor.pc" DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
configure_file("${PROJECT_SOURCE_DIR}/cmake/sillabor-hyphen.pc.in" "${PROJECT_BINARY_DIR}/sillabor-hyphen.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/sillabor-hyphen.pc" DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")

# The licences: the project's own, and the texts of the embedded data's lic
# files, which the build copies as it embeds them.
install(DIRECTORY "${PROJECT_BINARY_DIR}/generated/licences/"
  DESTINATION "${CMAKE_INSTALL_DOCDIR}/hyph-utf8")
install(FILES "${PROJECT_SOURCE_DIR}/data/README.md" DESTINATION "${CMAKE_INSTALL_DOCDIR}/hyph-utf8")
install(FILES "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/LICENSE"
  DESTINATION "${CMAKE_INSTALL_DOCDIR}")
install(DIRECTORY "${PROJECT_SOURCE_DIR}/docs/" DESTINATION "${CMAKE_INSTALL_DOCDIR}/docs"
  FILES_MATCHING PATTERN "*.md" PATTERN "*.png")

# cpack -G DEB
set(CPACK_PACKAGE_NAME "sillabor")
set(CPACK_PACKAGE_VENDOR "sillabor")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "sillabor developers")
set(CPACK_DEBIAN_PACKAGE_SECTION "libdevel")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "zlib1g, libzip4, libstdc++6 (>= 12), zlib1g-dev, libzip-dev")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_GENERATOR "DEB")
include(CPack)
