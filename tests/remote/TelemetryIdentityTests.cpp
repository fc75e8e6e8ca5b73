#include <doctest/doctest.h>

#include "WineEnvironment.h"
#include "framework/TextConversion.h"
#include "profile/ConfigurationManager.h"
#include "remote/AccountHash.h"
#include "remote/AffiliateCode.h"
#include "remote/ApiManager.h"
#include "framework/CryptoDigest.h"
#include "remote/OsVersionString.h"
#include "remote/RequestSignature.h"

#include <set>
#include <string>

TEST_CASE("The affiliate code follows the country exactly")
{
    CHECK(AffiliateCode("US") == "91088");
    CHECK(AffiliateCode("us") == "91082");
    CHECK(AffiliateCode("") == "91082");
    CHECK(AffiliateCode("US ") == "91082");
    CHECK(AffiliateCode("XX") == "91082");
    CHECK(AffiliateCode("CA") == "91166");
    CHECK(AffiliateCode("BR") == "91199");
    for (const char* country : {"AU", "NZ", "KR"}) {
        CHECK(AffiliateCode(country) == "91214");
    }
    for (const char* country : {"DZ", "PL", "RU", "AE"}) {
        CHECK(AffiliateCode(country) == "91105");
    }
    for (const char* country : {"TH", "MX", "HK", "SG"}) {
        CHECK(AffiliateCode(country) == "91215");
    }
}

TEST_CASE("Digests through the platform's cryptography match the standard vectors")
{
    SUBCASE("MD5")
    {
        CHECK(CryptoDigest::Md5Hex("") == "d41d8cd98f00b204e9800998ecf8427e");
        CHECK(CryptoDigest::Md5Hex("abc") == "900150983cd24fb0d6963f7d28e17f72");
        CHECK(CryptoDigest::Md5Hex("message digest") == "f96b697d7cb7938d525a2f31aaf161d0");
    }
    SUBCASE("SHA-256")
    {
        CHECK(CryptoDigest::Sha256Hex("") == "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
        CHECK(CryptoDigest::Sha256Hex("abc") == "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
        CHECK(CryptoDigest::Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq") ==
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
        CHECK(CryptoDigest::Sha256Hex(std::string(1000000, 'a')) ==
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    }
    SUBCASE("an algorithm the provider does not have is a failure naming the call")
    {
        const ALG_ID unknownHash = ALG_CLASS_HASH | ALG_TYPE_ANY | 0x7F;
        CHECK_THROWS_WITH(CryptoDigest::Hex(PROV_RSA_FULL, unknownHash, "abc"), "CryptCreateHash failed");
    }
}

TEST_CASE("The account hash is the MD5 of the account name, and the signature the SHA-256 of user and session")
{
    CHECK(AccountHash(L"Kelvane") == "94df4551648d2c7f83e2a67f6ba6d95d");
    CHECK(AccountHash(L"") == "d41d8cd98f00b204e9800998ecf8427e");
    CHECK(RequestSignature("user", "session") ==
          L"Signature=1715bc803a6f998de853c461c5343db3ab174b4259a2db85f5fcb3660e31eea7");
    CHECK(RequestSignature("", "") == L"Signature=e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST_CASE("The OS version string is the running Windows version")
{
    const std::string section = "Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion";
    const auto version = WineEnvironment::RegistryFileValue("system.reg", section, "CurrentVersion");
    const auto build = WineEnvironment::RegistryFileValue("system.reg", section, "CurrentBuildNumber");
    REQUIRE(version.has_value());
    REQUIRE(build.has_value());
    CHECK(OsVersionString() == *version + "." + *build);
}

TEST_CASE("The base request carries the identity fields and the signature of user and session")
{
    auto configuration = ConfigurationManager::Instance();
    const CString savedCfl = configuration->m_cfl;
    const CString savedCh = configuration->m_ch;
    configuration->m_cfl = L"flow-3";
    configuration->m_ch = L"12";
    const BaseRequest request = ApiManager::Instance()->MakeBaseRequest();
    configuration->m_cfl = savedCfl;
    configuration->m_ch = savedCh;

    std::set<std::string> keys;
    for (const auto& item : request.event.items()) {
        keys.insert(item.key());
    }
    std::set<std::string> expected{"31", "38"};
    for (int key = 0; key <= 22; ++key) {
        expected.insert(std::to_string(key));
    }
    CHECK(keys == expected);

    const std::string userId = configuration->UserId();
    const std::string sessionId = configuration->SessionId();
    REQUIRE_FALSE(userId.empty());
    CHECK(request.event.at("1") == userId);
    CHECK(request.event.at("2") == sessionId);
    CHECK(request.event.at("3") == "Kelvane");
    CHECK(request.event.at("4") == "Bramble_Web");
    CHECK(request.event.at("7") == TESSERA_VERSION_TEXT);
    CHECK(request.event.at("15") == 0);
    CHECK(request.event.at("15").is_number());
    CHECK(request.event.at("19") == "flow-3");
    CHECK(request.event.at("21") == "12");
    CHECK(request.event.at("22") == ToAnsi(configuration->m_productTitle));
    CHECK(request.event.at("31") == OsVersionString());
    CHECK(request.event.at("38") == (WineEnvironment::PrefixArch() == "win64" ? "1" : "0"));
    for (const char* untouched : {"0", "5", "6", "10", "16", "17", "18"}) {
        CHECK(request.event.at(untouched) == "");
    }

    REQUIRE(request.headers.size() == 1);
    CHECK(request.headers[0].first == L"Authorization");
    CHECK(request.headers[0].second == RequestSignature(userId, sessionId));
    CHECK(request.headers[0].second.size() == 10 + 64);
}
