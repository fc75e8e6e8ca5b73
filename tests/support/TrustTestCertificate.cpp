// Adds the test CA (a DER file) to the "Root" store of the Wine prefix it runs in, so the
// setup's HTTPS clients accept the stand-in service's certificate there and nowhere else.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: trust_test_ca CA.der\n");
        return 2;
    }
    std::ifstream file(std::filesystem::path(argv[1]), std::ios::binary);
    const std::vector<BYTE> der((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (der.empty()) {
        std::fprintf(stderr, "trust_test_ca: cannot read the certificate\n");
        return 1;
    }
    if (!CertAddEncodedCertificateToSystemStoreW(L"Root", der.data(), static_cast<DWORD>(der.size()))) {
        std::fprintf(stderr, "trust_test_ca: adding to Root failed: %lu\n", GetLastError());
        return 1;
    }
    return 0;
}
