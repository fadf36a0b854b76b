# The include folders of base/, game/, display/ and audio/. Each holds links to the source
# folders whose headers its users may include, and nothing else:
#   include/base:    base/, the floor, for everything above it (and for base/ itself, which
#                    so includes nothing else of the project);
#   include/library: display/ and audio/, for the library and the clips and their users;
#   include/game:    game/, for the game's users (tools, tests, benchmarks).
# The project's root is no include folder of these targets, so from game/, display/ or
# audio/ an include of "platform/...", "tools/..." or "tests/..." does not compile; the
# layer's headers with the Windows SDK's names come from kestrix_platform_headers, and no
# target of theirs carries SDL's include folder.
set(KESTRIX_BASE_HEADERS ${PROJECT_BINARY_DIR}/include/base)
set(KESTRIX_LIBRARY_HEADERS ${PROJECT_BINARY_DIR}/include/library)
set(KESTRIX_GAME_HEADERS ${PROJECT_BINARY_DIR}/include/game)

function(kestrix_header_link root folder)
  file(MAKE_DIRECTORY ${root})
  if(NOT IS_SYMLINK ${root}/${folder})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
endfunction()
kestrix_header_link(${KESTRIX_BASE_HEADERS} base)
kestrix_header_link(${KESTRIX_LIBRARY_HEADERS} display)
kestrix_header_link(${KESTRIX_LIBRARY_HEADERS} audio)
kestrix_header_link(${KESTRIX_GAME_HEADERS} game)
