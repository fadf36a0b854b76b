# The layer in a browser page (emscripten): what differs there, and how programs link.
# Included by platform/CMakeLists.txt. SDL2, libopenmpt and libmpg123 come built for
# WebAssembly (scripts/web.sh builds them from Debian's sources).
#
# The program keeps its blocking loop: -sASYNCIFY lets PeekMessage and WaitMessage suspend
# it while the browser runs, and the tick timer runs from the message pump, so no threads
# (and no cross-origin isolation headers) are needed. Everything is built with -fexceptions,
# as libopenmpt is: catching works the same in every part.
set(KESTRIX_WEB_DIR ${CMAKE_CURRENT_LIST_DIR})

# Replace the threaded timer, the box that waits for a person, the watch on the X server and
# the X11 window-manager probe.
set(KESTRIX_SYSTEM_SOURCES web/timer.cpp web/browser_frame.cpp web/message_box.cpp web/lost_display.cpp)
set(KESTRIX_DIRECTX_SYSTEM_SOURCES ../web/window_manager.cpp)

# Programs that use the layer compile the same way (KestrixFlags.cmake does it for this
# build), with the library's C++20 gaps filled.
target_compile_options(kestrix_platform_headers INTERFACE -fexceptions
                       "$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include ${KESTRIX_WEB_DIR}/cxx20_gaps.h>")

# What every program that links the layer needs in a page. kestrix_web_page (below) makes a
# program an .html page, on platform/web/shell.html, with its data files.
set(KESTRIX_WEB_LINK_OPTIONS
  -fexceptions -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -sMINIFY_HTML=0
  # SDL's audio and the page's settings use these emscripten functions (in a file: their
  # names start with $, which the build's quoting would not leave alone).
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${KESTRIX_WEB_DIR}/library_functions.json
  -lGL -lEGL
  "SHELL:--shell-file ${KESTRIX_WEB_DIR}/shell.html"
  "SHELL:--pre-js ${KESTRIX_WEB_DIR}/page_settings.js")

# kestrix_web_page(target [file...]): the program becomes a page, target.html (with
# target.js, target.wasm and target.data), and the files go into the page's data, each at
# the root of the program's file system under its own name, where the program, started in
# "/", opens them as it does beside the program elsewhere.
function(kestrix_web_page target)
  set_target_properties(${target} PROPERTIES SUFFIX .html)
  foreach(file IN LISTS ARGN)
    get_filename_component(name ${file} NAME)
    target_link_options(${target} PRIVATE "SHELL:--preload-file ${file}@/${name}")
  endforeach()
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${ARGN} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/shell.html)
endfunction()
