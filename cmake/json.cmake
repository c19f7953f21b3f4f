# The JSON library (header-only) as the target zandu_json. A cross compiler
# does not search the host's /usr/include, and must not see the rest of it, so
# there the target's include folder holds the library's headers alone: a link
# to them in the build tree.
find_path(ZANDU_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
          DOC "Folder that holds nlohmann/json.hpp")
if(NOT ZANDU_JSON_INCLUDE)
  message(FATAL_ERROR "nlohmann/json.hpp not found (Debian: nlohmann-json3-dev; MSYS2: mingw-w64-x86_64-nlohmann-json)")
endif()
set(ZANDU_JSON_ONLY ${ZANDU_JSON_INCLUDE})
if(CMAKE_CROSSCOMPILING)
  set(ZANDU_JSON_ONLY ${CMAKE_BINARY_DIR}/json-include)
  if(NOT EXISTS ${ZANDU_JSON_ONLY}/nlohmann/json.hpp)
    file(MAKE_DIRECTORY ${ZANDU_JSON_ONLY})
    file(CREATE_LINK ${ZANDU_JSON_INCLUDE}/nlohmann ${ZANDU_JSON_ONLY}/nlohmann SYMBOLIC)
  endif()
endif()
add_library(zandu_json INTERFACE)
target_include_directories(zandu_json SYSTEM INTERFACE ${ZANDU_JSON_ONLY})
