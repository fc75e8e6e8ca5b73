#include <doctest/doctest.h>

#include "transfer/EncodingUtilities.h"

#include <stdexcept>
#include <string>

using namespace std::string_literals;

TEST_CASE("IsValidUrl tells URLs from paths to put under the image base")
{
    SUBCASE("hosts with a dot, with or without scheme and path, and bare file names are URLs")
    {
        CHECK(IsValidUrl(L"a.b"));
        CHECK(IsValidUrl(L"a.b/c?d"));
        CHECK(IsValidUrl(L"https://a.b/c?d"));
        CHECK(IsValidUrl(L"http://cdn.example.com/dl/setup.exe#top"));
        CHECK(IsValidUrl(L"setup.exe"));
    }
    SUBCASE("relative paths, a bare host name and the empty text are not")
    {
        CHECK_FALSE(IsValidUrl(L"files/setup.exe"));
        CHECK_FALSE(IsValidUrl(L"/f/setup.exe"));
        CHECK_FALSE(IsValidUrl(L"localhost"));
        CHECK_FALSE(IsValidUrl(L""));
        CHECK_FALSE(IsValidUrl(L"dl/notarra-setup.exe"));
    }
    SUBCASE("a port after the host keeps a URL a URL")
    {
        CHECK(IsValidUrl(L"https://cdn.example.com:8443/x"));
        CHECK(IsValidUrl(L"cdn.example.com:8443/x"));
        CHECK(IsValidUrl(L"https://a.b:443"));
        CHECK_FALSE(IsValidUrl(L"https://cdn.example.com:port/x"));
        CHECK_FALSE(IsValidUrl(L"https://cdn.example.com:/x"));
    }
    SUBCASE("with an http or https scheme any host will do")
    {
        CHECK(IsValidUrl(L"https://localhost:8443/endpoint/bramweb/os/riserollout/track/beta"));
        CHECK(IsValidUrl(L"http://localhost/f/offer-1.png"));
        CHECK(IsValidUrl(L"https://fileserver"));
        CHECK_FALSE(IsValidUrl(L"localhost:8443/x"));
        CHECK_FALSE(IsValidUrl(L"ftp://localhost/x"));
        CHECK_FALSE(IsValidUrl(L"https://"));
        CHECK_FALSE(IsValidUrl(L"https://local host/x"));
    }
}

TEST_CASE("Base62Encode converts the bytes as one big number")
{
    CHECK(Base62Encode("abc") == "qMin");
    CHECK(Base62Encode("\xFF") == "47");
    CHECK(Base62Encode(std::string(16, '\xFF')) == "7N42dgm5tFLK9N8MT7fHC7");

    SUBCASE("leading zero bytes leave no trace")
    {
        CHECK(Base62Encode("\0abc"s) == "qMin");
        CHECK(Base62Encode("\0"s) == "");
        CHECK(Base62Encode("\0\0\0"s) == "");
        CHECK(Base62Encode("") == "");
    }
    SUBCASE("long inputs carry through every digit")
    {
        std::string everyByte;
        for (int value = 0; value < 256; ++value) {
            everyByte += static_cast<char>(value);
        }
        CHECK(Base62Encode(everyByte) ==
            "35WzM1EDB9ruSmKv3AmfXhkbYY8j2Am5kR1oXRo0HMobBL8mQlurLTUVcsDuYDTTR0Kdh5ljYUR4AkpUWFSXQz0alF45ZqUwTEh7"
            "if5YCQre5MyV5S3IWMe6mYkuhDHaQhaTEhcsGMxKpBHXYDLUujpSzDHMC8jFPX2aKfatfliy11C84eIu86SLYIe7AAEbZqew1Rgh"
            "2YJB3rYcofRd2oL1caaMsshz9vFbMjBQEwEV8aWD6qRQf8NdPjq7ikkXlQ81BrpqZXdDY5SEBvihocavXLf0DNPb8Onc2RQ2H7z0"
            "2p679DgksLv8BwD13MXEgJBvG7l5NXlRzkQrZDN27Z");
    }
    SUBCASE("a tracking value of user id, offer and session")
    {
        CHECK(Base62Encode("{8F0C0F5A-1111-2222-3333-444455556666}|ad-77|20240131120000") ==
              "1tDb5W12c78HDh5oYgHLmTzSrnpfH8XCw1ACW7iXMksdTeQaZSCQjfYhmZeMC6HfOhwXsw7pEodYS6aY");
    }
}

TEST_CASE("Utf8ToWide converts UTF-8 and replaces what is not")
{
    CHECK(Utf8ToWide("") == L"");
    CHECK(Utf8ToWide("Bramble Web") == L"Bramble Web");
    CHECK(Utf8ToWide("Gr\xC3\xBC\xC3\x9F") == L"Gr\u00FC\u00DF");
    CHECK(Utf8ToWide("\xF0\x9F\x8E\x89") == L"\xD83C\xDF89");

    SUBCASE("invalid sequences become replacement characters instead of failing")
    {
        std::wstring converted;
        REQUIRE_NOTHROW(converted = Utf8ToWide("a\xFF" "b\xC3"));
        CHECK(converted.front() == L'a');
        CHECK(converted.find(L'b') != std::wstring::npos);
        CHECK(converted.find(L'\xFFFD') != std::wstring::npos);
        CHECK(converted.find(L'\xFFFD', converted.find(L'b')) != std::wstring::npos);
    }
}
