# Installation of the library: `cmake --install build [--prefix DIR]` puts
#   lib/      libvorl.so with its SONAME links, the CMake package vorl
#             (find_package(vorl) gives vorl::vorl) and the pkg-config file vorl.pc
#   include/  vorl.h and the tables it includes (vorl_exports.inc)
#   bin/      the tool brimlow (its install rule is in tools/CMakeLists.txt)
# Every installed path is relative to the prefix, so an installed tree may be
# moved as a whole; `cpack -G DEB` packs the same files (cmake/VorlPackage.cmake).
# Included by the top CMakeLists.txt after the target vorl exists.
include_guard(GLOBAL)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VORL_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/vorl)
# The tool finds the library from wherever the tree is installed.
file(RELATIVE_PATH _vorl_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set(VORL_INSTALL_RPATH "$ORIGIN/${_vorl_bin_to_lib}")
set(_vorl_package_dir ${PROJECT_BINARY_DIR}/vorl-package)

target_include_directories(vorl INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
install(TARGETS vorl EXPORT vorlTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
# vorl.h and every table it includes.
file(GLOB VORL_PUBLIC_HEADERS CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/include/*.h ${PROJECT_SOURCE_DIR}/include/*.inc)
install(FILES ${VORL_PUBLIC_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(EXPORT vorlTargets NAMESPACE vorl:: DESTINATION ${VORL_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/vorlConfig.cmake.in
  ${_vorl_package_dir}/vorlConfig.cmake
  INSTALL_DESTINATION ${VORL_INSTALL_CMAKEDIR})
# The interface only grows within a major version: ordinals are fixed.
write_basic_package_version_file(${_vorl_package_dir}/vorlConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${_vorl_package_dir}/vorlConfig.cmake ${_vorl_package_dir}/vorlConfigVersion.cmake
  DESTINATION ${VORL_INSTALL_CMAKEDIR})

# vorl.pc finds the prefix from its own folder (pkg-config's pcfiledir).
file(RELATIVE_PATH VORL_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" VORL_PC_TO_PREFIX "${VORL_PC_TO_PREFIX}")
foreach(_vorl_dir LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${_vorl_dir}}")
    set(VORL_PC_${_vorl_dir} "${CMAKE_INSTALL_${_vorl_dir}}")
  else()
    set(VORL_PC_${_vorl_dir} "\${prefix}/${CMAKE_INSTALL_${_vorl_dir}}")
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/vorl.pc.in ${_vorl_package_dir}/vorl.pc @ONLY)
install(FILES ${_vorl_package_dir}/vorl.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

