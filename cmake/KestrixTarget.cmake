# Kestrix::kestrix, the one target a program links: the display library, the clips, the
# DirectDraw and Direct3D layer, the real audio library, the program's main (which calls
# WinMain) and, through them, their include folders and system libraries. A program with a
# main of its own keeps it: the linker takes main from the library only when none is there.
add_library(kestrix INTERFACE)
target_link_libraries(kestrix INTERFACE kestrix_entry kestrix_display kestrix_audio kestrix_bass kestrix_directx
                                        kestrix_platform)
target_compile_features(kestrix INTERFACE cxx_std_17)

# The same names as the installed package (Kestrix::kestrix, Kestrix::display, ...), for a
# project that builds Kestrix inside itself with add_subdirectory.
set(KESTRIX_PACKAGE_LIBRARIES kestrix kestrix_entry kestrix_display kestrix_audio kestrix_bass kestrix_directx
                              kestrix_platform kestrix_base)
if(NOT WIN32)
  list(APPEND KESTRIX_PACKAGE_LIBRARIES kestrix_bass_mix kestrix_platform_headers kestrix_files)
endif()
foreach(target IN LISTS KESTRIX_PACKAGE_LIBRARIES)
  string(REGEX REPLACE "^kestrix_" "" name ${target})
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${name})
  add_library(Kestrix::${name} ALIAS ${target})
endforeach()
if(TARGET kestrix-pak)
  set(KESTRIX_PACKAGE_PROGRAMS kestrix-pak kestrix-pcx)
  foreach(program IN LISTS KESTRIX_PACKAGE_PROGRAMS)
    add_executable(Kestrix::${program} ALIAS ${program})
  endforeach()
endif()

# Inside another project, find_package(Kestrix) there finds the targets of this build, so
# that one CMakeLists.txt serves a program against an installed Kestrix or one built along.
if(NOT PROJECT_IS_TOP_LEVEL)
  include(CMakePackageConfigHelpers)
  set(KESTRIX_BUILD_PACKAGE ${PROJECT_BINARY_DIR}/package-in-build)
  file(WRITE ${KESTRIX_BUILD_PACKAGE}/KestrixConfig.cmake "# Kestrix is built inside this project: its targets exist.\n")
  write_basic_package_version_file(${KESTRIX_BUILD_PACKAGE}/KestrixConfigVersion.cmake VERSION ${PROJECT_VERSION}
                                   COMPATIBILITY SameMinorVersion)
  set(Kestrix_DIR ${KESTRIX_BUILD_PACKAGE} PARENT_SCOPE)
endif()
