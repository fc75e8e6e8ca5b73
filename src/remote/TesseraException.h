#pragma once

#include <exception>

// The setup's own failure of a JSON exchange (transport failure, empty response). It carries no
// text: the boundary that catches it answers the same way whatever went wrong below.
class TesseraException : public std::exception {
public:
    const char* what() const noexcept override { return "TesseraException"; }
};
