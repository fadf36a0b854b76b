# Warnings and sanitizers shared by every target of the build.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
if(KESTRIX_WERROR)
  add_compile_options(-Werror)
endif()

if(KESTRIX_SANITIZE)
  add_compile_options(-fsanitize=${KESTRIX_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${KESTRIX_SANITIZE})
endif()

# Everything is linked into executables and tests, some of them with threads.
set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)
