# Build variants, endpoints and compiler settings shared by every target.

# Every variant is built in one tree: the libraries and the tests that do not depend on the variant
# once, then per variant only what differs (the build constants, one file, and the resources) and
# what is linked from them. The first variant listed is the one the common test suites link.
set(TESSERA_VARIANTS "isv;dlm;isv-heritage" CACHE STRING "Build variants to make: isv, dlm, isv-heritage")

# tessera_variant(NAME KEY_VAR BRANDED_VAR HERITAGE_VAR): the wizard type key and the two page flags
# (ON or OFF) of a variant.
function(tessera_variant name key branded heritage)
  if(name STREQUAL "isv")
    set(values ISV ON OFF)
  elseif(name STREQUAL "dlm")
    set(values DLM OFF OFF)
  elseif(name STREQUAL "isv-heritage")
    set(values ISV ON ON)
  else()
    message(FATAL_ERROR "Unknown build variant '${name}': isv, dlm or isv-heritage")
  endif()
  list(GET values 0 value)
  set(${key} ${value} PARENT_SCOPE)
  list(GET values 1 value)
  set(${branded} ${value} PARENT_SCOPE)
  list(GET values 2 value)
  set(${heritage} ${value} PARENT_SCOPE)
endfunction()
list(GET TESSERA_VARIANTS 0 TESSERA_COMMON_VARIANT)

# One host serves configuration, telemetry and images; the maker's hosts serve the product and the legal pages.
set(TESSERA_SERVICE_ORIGIN "https://localhost:8443" CACHE STRING "Configuration, telemetry and image host")
set(TESSERA_MAKER_ORIGIN "https://localhost:8443" CACHE STRING "Product download and legal pages host")
set(TESSERA_CONFIG_URL "${TESSERA_SERVICE_ORIGIN}/o" CACHE STRING "Configuration endpoint")
set(TESSERA_TELEMETRY_URL "${TESSERA_SERVICE_ORIGIN}/zbd" CACHE STRING "Telemetry endpoint")
set(TESSERA_IMAGE_BASE_URL "${TESSERA_SERVICE_ORIGIN}/f/" CACHE STRING "Base of offer image URLs")
set(TESSERA_PRODUCT_URL "${TESSERA_MAKER_ORIGIN}/endpoint/bramweb/os/riserollout/track/beta" CACHE STRING "Product installer")
set(TESSERA_PRIVACY_URL "${TESSERA_MAKER_ORIGIN}/legal/privacy-policy/" CACHE STRING "Privacy policy page")
set(TESSERA_TERMS_URL "${TESSERA_MAKER_ORIGIN}/legal/terms-of-use/" CACHE STRING "Terms of use page")

# The host-side suites (service, locale documents, image generator, the executables' import tables).
option(TESSERA_HOST_TESTS "Also run the host-side suites" ON)

# Prefixes, certificates and the test session are shared by every build tree.
set(TESSERA_SHARED_DIR "${CMAKE_SOURCE_DIR}/build" CACHE PATH "Folder shared by the build trees (Wine prefixes, test certificates)")

add_compile_definitions(UNICODE _UNICODE NOMINMAX STRICT WINVER=0x0601 _WIN32_WINNT=0x0601)
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wall> $<$<COMPILE_LANGUAGE:CXX>:-Wextra>)
# Optimised for size, which the setup is downloaded for: every function and datum in a section of its
# own, so that the linker keeps only what is used.
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-Os> $<$<COMPILE_LANGUAGE:C,CXX>:-ffunction-sections>
                    $<$<COMPILE_LANGUAGE:C,CXX>:-fdata-sections>)
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--gc-sections)
