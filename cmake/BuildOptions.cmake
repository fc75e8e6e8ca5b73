# Build variant, endpoints and compiler settings shared by every target.

set(TESSERA_WIZARD_KEY "ISV" CACHE STRING "Wizard type key of this build: ISV or DLM")
option(TESSERA_BRANDED_PAGES "Maker-branded language and licence pages" ON)
option(TESSERA_HERITAGE_PAGES "Heritage warning, options and configurations pages" OFF)
foreach(flag BRANDED_PAGES HERITAGE_PAGES)
  if(TESSERA_${flag})
    set(TESSERA_${flag}_VALUE true)
  else()
    set(TESSERA_${flag}_VALUE false)
  endif()
endforeach()

# One host serves configuration, telemetry and images; the maker's hosts serve the product and the legal pages.
set(TESSERA_SERVICE_ORIGIN "https://localhost:8443" CACHE STRING "Configuration, telemetry and image host")
set(TESSERA_MAKER_ORIGIN "https://localhost:8443" CACHE STRING "Product download and legal pages host")
set(TESSERA_CONFIG_URL "${TESSERA_SERVICE_ORIGIN}/o" CACHE STRING "Configuration endpoint")
set(TESSERA_TELEMETRY_URL "${TESSERA_SERVICE_ORIGIN}/zbd" CACHE STRING "Telemetry endpoint")
set(TESSERA_IMAGE_BASE_URL "${TESSERA_SERVICE_ORIGIN}/f/" CACHE STRING "Base of offer image URLs")
set(TESSERA_PRODUCT_URL "${TESSERA_MAKER_ORIGIN}/endpoint/bramweb/os/riserollout/track/beta" CACHE STRING "Product installer")
set(TESSERA_PRIVACY_URL "${TESSERA_MAKER_ORIGIN}/legal/privacy-policy/" CACHE STRING "Privacy policy page")
set(TESSERA_TERMS_URL "${TESSERA_MAKER_ORIGIN}/legal/terms-of-use/" CACHE STRING "Terms of use page")

# The host-side suites (service, locale documents, image generator) run with one preset only.
option(TESSERA_HOST_TESTS "Also run the host-side Python suites" OFF)

# Prefixes, certificates and the test session are shared by every preset's build tree.
set(TESSERA_SHARED_DIR "${CMAKE_SOURCE_DIR}/build" CACHE PATH "Folder shared by the presets (Wine prefixes, test certificates)")

add_compile_definitions(UNICODE _UNICODE NOMINMAX STRICT WINVER=0x0601 _WIN32_WINNT=0x0601)
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wall> $<$<COMPILE_LANGUAGE:CXX>:-Wextra>)
add_link_options(-static -static-libgcc -static-libstdc++)
