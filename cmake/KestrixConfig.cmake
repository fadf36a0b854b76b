# find_package(Kestrix): the imported targets Kestrix::kestrix (everything a program needs),
# Kestrix::display, Kestrix::audio, Kestrix::directx, Kestrix::bass, Kestrix::entry,
# Kestrix::platform, Kestrix::base (the floor they share), and the data tools
# Kestrix::kestrix-pak and Kestrix::kestrix-pcx.
include(CMakeFindDependencyMacro)
set(THREADS_PREFER_PTHREAD_FLAG ON)
find_dependency(Threads)
find_dependency(SDL2)
find_dependency(X11)
find_dependency(PkgConfig)
# The names the library's targets were linked with.
foreach(module KESTRIX_OPENMPT:libopenmpt KESTRIX_MPG123:libmpg123)
  string(REPLACE ":" ";" module ${module})
  list(GET module 0 prefix)
  list(GET module 1 name)
  if(NOT TARGET PkgConfig::${prefix})
    pkg_check_modules(${prefix} QUIET IMPORTED_TARGET ${name})
    if(NOT ${prefix}_FOUND)
      set(Kestrix_FOUND FALSE)
      set(Kestrix_NOT_FOUND_MESSAGE "Kestrix needs ${name} (pkg-config did not find it)")
      return()
    endif()
  endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/KestrixTargets.cmake)
