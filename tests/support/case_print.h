#pragma once

// Names and printouts for the cases of parameterised tests, so that test
// listings and failures say which case it is in a short line rather than
// as a dump of the case's bytes.

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>

namespace testsupport {

// A case's name as gtest takes it: letters, digits and '_' only.
inline std::string CaseName(std::string name)
{
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

// The name generator of a suite whose cases carry a name member.
struct NameOfCase
{
    template <class Info>
    std::string operator()(const Info& info) const
    {
        return CaseName(info.param.name);
    }
};

// A 32-bit colour or set of flags, in hex.
struct Hex
{
    std::uint32_t value;
};

inline std::ostream& operator<<(std::ostream& os, Hex h)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(h.value));
    return os << text;
}

// Text in quotes on one line, its line breaks shown as \n.
struct Quoted
{
    const char* text;
};

inline std::ostream& operator<<(std::ostream& os, Quoted q)
{
    os << '"';
    for (const char* c = q.text; *c != '\0'; ++c) {
        if (*c == '\n')
            os << "\\n";
        else
            os << *c;
    }
    return os << '"';
}

}  // namespace testsupport
