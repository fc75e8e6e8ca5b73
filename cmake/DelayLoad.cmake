# Libraries that are not loaded by the system from its own folder (KnownDLLs) are never imported when
# the process starts: a copy saved beside the setup would be loaded first. They are delay-loaded
# instead, from System32, once the process has restricted its library search (src/framework/SystemLibraries).
find_program(TESSERA_NM NAMES ${TOOLCHAIN_PREFIX}-nm REQUIRED)
find_program(TESSERA_DLLTOOL NAMES ${TOOLCHAIN_PREFIX}-dlltool REQUIRED)
set(TESSERA_DELAY_IMPORT_DIR "${CMAKE_BINARY_DIR}/delay-imports")

# tessera_delay_imports(VARIABLE dll...): VARIABLE receives the libraries to link instead of the import libraries.
function(tessera_delay_imports variable)
  set(libraries)
  foreach(dll IN LISTS ARGN)
    find_library(import_library_${dll} NAMES ${dll} REQUIRED NO_CACHE)
    set(output "${TESSERA_DELAY_IMPORT_DIR}/lib${dll}-delay.a")
    add_custom_command(OUTPUT "${output}"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${TESSERA_DELAY_IMPORT_DIR}"
      COMMAND "${CMAKE_SOURCE_DIR}/cmake/make-delay-import" "${TESSERA_NM}" "${TESSERA_DLLTOOL}"
              "${import_library_${dll}}" "${dll}.dll" "${output}"
      DEPENDS "${CMAKE_SOURCE_DIR}/cmake/make-delay-import"
      COMMENT "Making the delay-load import library of ${dll}.dll"
      VERBATIM)
    list(APPEND libraries "${output}")
  endforeach()
  add_custom_target(tessera_delay_imports DEPENDS ${libraries})
  set(${variable} ${libraries} PARENT_SCOPE)
endfunction()
