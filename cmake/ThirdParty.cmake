# nlohmann/json and doctest come from Debian's headers, tinyxml2 from Debian's source package.
# The host include folder cannot be added as a whole to a cross build, so the two header trees are linked in.
set(TESSERA_HOST_HEADERS "${CMAKE_BINARY_DIR}/host-headers")
file(MAKE_DIRECTORY "${TESSERA_HOST_HEADERS}")
foreach(tree nlohmann doctest)
  if(NOT EXISTS "/usr/include/${tree}")
    message(FATAL_ERROR "/usr/include/${tree} is missing: run scripts/bootstrap")
  endif()
  file(CREATE_LINK "/usr/include/${tree}" "${TESSERA_HOST_HEADERS}/${tree}" SYMBOLIC)
endforeach()

add_library(nlohmann_json INTERFACE)
target_include_directories(nlohmann_json SYSTEM INTERFACE "${TESSERA_HOST_HEADERS}")
target_compile_definitions(nlohmann_json INTERFACE JSON_USE_IMPLICIT_CONVERSIONS=0)

add_library(doctest_headers INTERFACE)
target_include_directories(doctest_headers SYSTEM INTERFACE "${TESSERA_HOST_HEADERS}")

file(GLOB TINYXML2_SOURCE "${CMAKE_SOURCE_DIR}/third_party/tinyxml2/tinyxml2-*/tinyxml2.cpp")
if(NOT TINYXML2_SOURCE)
  message(FATAL_ERROR "tinyxml2 source package not found under third_party/: run scripts/bootstrap")
endif()
get_filename_component(TINYXML2_DIR "${TINYXML2_SOURCE}" DIRECTORY)
add_library(tinyxml2 STATIC "${TINYXML2_SOURCE}")
target_include_directories(tinyxml2 SYSTEM PUBLIC "${TINYXML2_DIR}")
target_compile_options(tinyxml2 PRIVATE -w)
# Its number parsing uses sscanf: the C runtime's own, not MinGW's portable copy linked into the setup.
target_compile_definitions(tinyxml2 PRIVATE __USE_MINGW_ANSI_STDIO=0)
