# The test CA and localhost certificate live in the shared folder, so every preset's tests and the
# Wine prefixes that trust the CA agree on one set.
set(TESSERA_CERT_DIR "${TESSERA_SHARED_DIR}/certs")
add_custom_command(
  OUTPUT "${TESSERA_CERT_DIR}/ca.pem" "${TESSERA_CERT_DIR}/ca.der" "${TESSERA_CERT_DIR}/localhost.pem"
  COMMAND "${CMAKE_SOURCE_DIR}/scripts/make-test-certs" "${TESSERA_CERT_DIR}"
  COMMENT "Making the test certificates"
  VERBATIM)
add_custom_target(test_certificates ALL DEPENDS "${TESSERA_CERT_DIR}/ca.pem")
