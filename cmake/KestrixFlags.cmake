# Warnings and sanitizers shared by every target of the build.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
if(KESTRIX_WERROR)
  add_compile_options(-Werror)
endif()

if(KESTRIX_SANITIZE)
  set(kestrix_sanitizers ${KESTRIX_SANITIZE})
  if(KESTRIX_SANITIZE MATCHES "undefined")
    # Float-to-int conversions out of range are undefined too, but not in GCC's "undefined";
    # the standard library's own checks catch reversed bounds and indices out of range.
    string(APPEND kestrix_sanitizers ",float-cast-overflow")
    add_compile_definitions(_GLIBCXX_ASSERTIONS)
  endif()
  add_compile_options(-fsanitize=${kestrix_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${kestrix_sanitizers})
endif()

# In a browser build, libopenmpt throws and catches: every part is built to catch the same way.
if(EMSCRIPTEN)
  add_compile_options(-fexceptions)
endif()

# Everything is linked into executables and tests, some of them with threads.
set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)
