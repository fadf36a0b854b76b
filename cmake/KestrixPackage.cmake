# cmake --install: the libraries, their headers, the data tools, a CMake package
# (find_package(Kestrix): Kestrix::kestrix and the finer targets) and kestrix.pc for
# pkg-config. Headers go to include/kestrix: base/, display/ and audio/ under it, the layer's
# mirror headers of the Windows SDK and the audio library in include/kestrix/sdk. Every path
# is relative to the prefix, so the files also work from the prefix given at install time
# (cmake --install B --prefix P). The leak suppressions for sanitizer builds go to
# share/kestrix/lsan.supp.
include(CMakePackageConfigHelpers)
set(KESTRIX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Kestrix)

install(TARGETS ${KESTRIX_PACKAGE_LIBRARIES} EXPORT KestrixTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS ${KESTRIX_PACKAGE_PROGRAMS} EXPORT KestrixTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(folder base display audio)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kestrix/${folder}
          FILES_MATCHING PATTERN "*.h")
endforeach()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/include/ ${PROJECT_SOURCE_DIR}/platform/bass/include/
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kestrix/sdk FILES_MATCHING PATTERN "*.h")

# Leak suppressions for a program built with AddressSanitizer: the system libraries' own.
install(FILES ${PROJECT_SOURCE_DIR}/tests/sanitizers/lsan.supp DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrix)

install(EXPORT KestrixTargets NAMESPACE Kestrix:: DESTINATION ${KESTRIX_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KestrixConfigVersion.cmake COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/KestrixConfig.cmake ${PROJECT_BINARY_DIR}/KestrixConfigVersion.cmake
        DESTINATION ${KESTRIX_CMAKE_DIR})

# pkg-config finds the prefix from the .pc file's own folder.
file(RELATIVE_PATH KESTRIX_PC_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" KESTRIX_PC_PREFIX ${KESTRIX_PC_PREFIX})
configure_file(${PROJECT_SOURCE_DIR}/cmake/kestrix.pc.in ${PROJECT_BINARY_DIR}/kestrix.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kestrix.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
