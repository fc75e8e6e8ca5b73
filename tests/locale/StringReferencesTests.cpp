#include <doctest/doctest.h>

#include "locale/StringReferences.h"

using Table = std::map<std::string, std::string>;

TEST_CASE("References expand through several levels")
{
    Table table{{"BUTTON_NEXT", "Next"},
                {"PRODUCT_TITLE", "Bramble Web"},
                {"SPLASH_TEXT", "Click \"{BUTTON_NEXT}\"."},
                {"WELCOME", "{GREETING}, {PRODUCT_TITLE}"},
                {"GREETING", "Hello from {PRODUCT_TITLE}"}};
    ExpandStringReferences(table);
    CHECK(table["SPLASH_TEXT"] == "Click \"Next\".");
    CHECK(table["WELCOME"] == "Hello from Bramble Web, Bramble Web");
    CHECK(table["GREETING"] == "Hello from Bramble Web");
}

TEST_CASE("A reference to a missing key stays and the scan goes on after it")
{
    Table table{{"A", "x {MISSING} y {B} z"}, {"B", "b"}, {"PAGE", "[PACKAGE_NAME] $percent$ {B"}};
    ExpandStringReferences(table);
    CHECK(table["A"] == "x {MISSING} y b z");
    CHECK(table["PAGE"] == "[PACKAGE_NAME] $percent$ {B");

    // A reference that expands to something shorter than itself is followed at once by the next one.
    Table shorter{{"A", "{LONGKEY}{B}"}, {"LONGKEY", "x"}, {"B", "b"}};
    ExpandStringReferences(shorter);
    CHECK(shorter["A"] == "xb");

    Table braces{{"A", "{X{B}}"}, {"B", "b"}};
    ExpandStringReferences(braces);
    CHECK(braces["A"] == "{X{B}}");
}

TEST_CASE("Reference cycles end, leaving the closing reference as written")
{
    SUBCASE("a value that names itself")
    {
        Table table{{"SELF", "again {SELF} and again"}};
        ExpandStringReferences(table);
        CHECK(table["SELF"] == "again {SELF} and again");
    }
    SUBCASE("a cycle through other keys, with ordinary references around it")
    {
        Table table{{"A", "a[{B}]"}, {"B", "b[{C}]"}, {"C", "c[{A}] {D}"}, {"D", "d"}};
        ExpandStringReferences(table);
        CHECK(table["A"] == "a[b[c[{A}] d]]");
        CHECK(table["D"] == "d");
        CHECK(table["B"] == "b[c[a[{B}]] d]");
        CHECK(table["C"] == "c[a[b[{C}]]] d");
    }
}
