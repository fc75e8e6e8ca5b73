// Prints the strings of one locale document as tinyxml2 reads them, one "KEY<TAB>text" line each,
// with CR, LF, TAB and backslash escaped. A language document also yields "@name<TAB>locale".
// test_check_locales.py compares this with what ElementTree saw, so both parsers must agree.
#include "tinyxml2.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string escaped(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        switch (*p) {
            case '\\': out += "\\\\"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            default: out += *p;
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    tinyxml2::XMLDocument document;
    if (document.LoadFile(argv[1]) != tinyxml2::XML_SUCCESS) {
        std::fprintf(stderr, "%s: %s\n", argv[1], document.ErrorStr());
        return 1;
    }
    // The branded document has no root: its strings are the top-level elements themselves.
    const tinyxml2::XMLElement* first = document.FirstChildElement();
    if (first && std::strcmp(first->Name(), "Locale") == 0 && !first->NextSiblingElement()) {
        const char* name = first->Attribute("name");
        std::printf("@name\t%s\n", name ? name : "");
        first = first->FirstChildElement();
    }
    for (const tinyxml2::XMLElement* element = first; element; element = element->NextSiblingElement()) {
        const char* text = element->GetText();
        if (!text) {
            std::fprintf(stderr, "%s: %s has no text\n", argv[1], element->Name());
            return 1;
        }
        std::printf("%s\t%s\n", element->Name(), escaped(text).c_str());
    }
    return 0;
}
