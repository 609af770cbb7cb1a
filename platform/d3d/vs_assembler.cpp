#include "platform/d3d/vs_assembler.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/d3d/d3dx_buffer.h"
#include "platform/d3d/vs_tokens.h"
#include "platform/d3d/whole_file.h"

namespace go3d::d3d {

namespace {

using namespace vs;

struct Operand
{
    DWORD type = 0, number = 0;
    DWORD components = 0;  // write mask of a destination, swizzle of a source
    bool negate = false, relative = false, hasSuffix = false;
};

class Failure
{
public:
    explicit Failure(std::string why) : why(std::move(why)) {}
    std::string why;
};

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string WithoutSpaces(const std::string& s)
{
    std::string out;
    for (char c : s)
        if (!std::isspace(static_cast<unsigned char>(c)))
            out += c;
    return out;
}

bool Number(const std::string& s, DWORD& value)
{
    if (s.empty() || s.size() > 4)
        return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    value = static_cast<DWORD>(std::stoul(s));
    return true;
}

int Component(char c)
{
    const char* at = std::strchr("xyzw", c);
    return c && at ? static_cast<int>(at - "xyzw") : -1;
}

// One register with its modifiers: -r0.xyz, c[a0.x + 4].w, oPos, oT3.xy.
Operand ParseOperand(const std::string& text, bool destination)
{
    std::string s = Lower(WithoutSpaces(text));
    Operand o;
    if (s.empty())
        throw Failure("missing operand");
    if (s[0] == '-')
    {
        if (destination)
            throw Failure("a destination cannot be negated");
        o.negate = true;
        s.erase(0, 1);
    }
    std::string reg = s, suffix;
    const std::size_t bracket = s.find('[');
    std::size_t dot = s.find('.', bracket == std::string::npos ? 0 : s.find(']'));
    if (reg.rfind("a0", 0) == 0)
        dot = 2 < s.size() && s[2] == '.' ? 2 : std::string::npos;
    if (dot != std::string::npos)
    {
        reg = s.substr(0, dot);
        suffix = s.substr(dot + 1);
        o.hasSuffix = true;
        if (suffix.empty())
            throw Failure("missing components after '.' in '" + text + "'");
    }

    if (reg.rfind("c[", 0) == 0)
    {
        if (reg.back() != ']')
            throw Failure("missing ']' in '" + text + "'");
        std::string inside = reg.substr(2, reg.size() - 3);
        o.type = kConst;
        std::stringstream terms(inside);
        std::string term;
        bool any = false;
        while (std::getline(terms, term, '+'))
        {
            DWORD n = 0;
            if (term == "a0.x" && !o.relative)
                o.relative = true;
            else if (Number(term, n) && !any)
                o.number = n, any = true;
            else
                throw Failure("bad constant index '" + inside + "': use c[a0.x + n]");
        }
        if (!o.relative && !any)
            throw Failure("bad constant index '" + inside + "'");
    }
    else if (reg == "opos")
        o.type = kRasterOut, o.number = kOutPosition;
    else if (reg == "ofog")
        o.type = kRasterOut, o.number = kOutFog;
    else if (reg == "opts")
        o.type = kRasterOut, o.number = kOutPointSize;
    else if (reg == "a0")
        o.type = kAddress, o.number = 0;
    else
    {
        std::size_t letters = reg.rfind("od", 0) == 0 || reg.rfind("ot", 0) == 0 ? 2 : 1;
        DWORD n = 0;
        if (reg.size() <= letters || !Number(reg.substr(letters), n))
            throw Failure("unknown register '" + text + "'");
        const std::string kind = reg.substr(0, letters);
        if (kind == "r")
            o.type = kTemp;
        else if (kind == "v")
            o.type = kInput;
        else if (kind == "c")
            o.type = kConst;
        else if (kind == "od")
            o.type = kAttributeOut;
        else if (kind == "ot")
            o.type = kTexCoordOut;
        else
            throw Failure("unknown register '" + text + "'");
        o.number = n;
    }

    const UINT limit = o.type == kTemp ? kTemps : o.type == kInput ? kInputs : o.type == kConst ? kConstants
                     : o.type == kAttributeOut ? kColors : o.type == kTexCoordOut ? kTexCoords : 3;
    if (o.number >= limit)
        throw Failure("register number out of range in '" + text + "'");

    if (destination)
    {
        if (!o.hasSuffix)
            o.components = 0xF;
        int last = -1;
        for (char c : suffix)
        {
            const int k = Component(c);
            if (k <= last)
                throw Failure("bad write mask '." + suffix + "': components of x, y, z, w in order");
            o.components |= 1u << k;
            last = k;
        }
    }
    else
    {
        o.components = kIdentitySwizzle;
        if (o.hasSuffix)
        {
            if (suffix.size() > 4)
                throw Failure("bad swizzle '." + suffix + "'");
            o.components = 0;
            for (std::size_t i = 0; i < 4; ++i)
            {
                const int k = Component(suffix[std::min(i, suffix.size() - 1)]);
                if (k < 0)
                    throw Failure("bad swizzle '." + suffix + "'");
                o.components |= static_cast<DWORD>(k) << (2 * i);
            }
        }
    }
    return o;
}

DWORD DestinationToken(const Operand& o)
{
    return kParameter | (o.type << 28) | (o.components << 16) | o.number;
}

DWORD SourceToken(const Operand& o)
{
    return kParameter | (o.type << 28) | (o.components << 16) | (o.negate ? kNegate : 0) |
           (o.relative ? kRelative : 0) | o.number;
}

std::vector<std::string> SplitOperands(const std::string& rest)
{
    std::vector<std::string> parts;
    std::string part;
    std::stringstream in(rest);
    while (std::getline(in, part, ','))
        parts.push_back(part);
    if (!rest.empty() && rest.back() == ',')
        parts.push_back("");
    return parts;
}

float ParseFloat(const std::string& text)
{
    const std::string s = WithoutSpaces(text);
    char* end = nullptr;
    const float f = std::strtof(s.c_str(), &end);
    if (s.empty() || *end != '\0')
        throw Failure("bad number '" + text + "'");
    return f;
}

void Assemble(const std::string& mnemonic, const std::string& rest, AssembledShader& out)
{
    const std::vector<std::string> parts = SplitOperands(rest);
    if (mnemonic == "def")
    {
        if (parts.size() != 5)
            throw Failure("def takes a constant register and four numbers");
        const Operand d = ParseOperand(parts[0], true);
        if (d.type != kConst || d.relative || d.hasSuffix)
            throw Failure("def defines a constant register c0 to c95");
        float v[4];
        for (int i = 0; i < 4; ++i)
            v[i] = ParseFloat(parts[static_cast<std::size_t>(i) + 1]);
        out.tokens.push_back(kDef);
        out.tokens.push_back(DestinationToken(d));
        out.constants.push_back(DeclConst(d.number, 1));
        for (float f : v)
        {
            DWORD bits;
            std::memcpy(&bits, &f, 4);
            out.tokens.push_back(bits);
            out.constants.push_back(bits);
        }
        return;
    }
    const OpcodeInfo* info = FindOpcode(mnemonic.c_str());
    if (!info)
        throw Failure("unknown instruction '" + mnemonic + "'");
    if (info->opcode == kNop)
    {
        if (!WithoutSpaces(rest).empty())
            throw Failure("nop takes no operands");
        out.tokens.push_back(kNop);
        return;
    }
    if (parts.size() != static_cast<std::size_t>(info->sources) + 1)
        throw Failure(mnemonic + " takes " + std::to_string(info->sources + 1) + " operands");
    const Operand d = ParseOperand(parts[0], true);
    if (d.type == kInput || d.type == kConst)
        throw Failure("cannot write to '" + WithoutSpaces(parts[0]) + "'");
    if (d.type == kAddress && (info->opcode != kMov || d.components != 1))
        throw Failure("a0 is written only by mov a0.x");
    if (d.type == kRasterOut && d.number != kOutPosition && (d.components & ~1u))
        throw Failure("oFog and oPts take only .x");
    if (info->matrixRows && d.components & ~((1u << info->matrixRows) - 1))
        throw Failure(mnemonic + " writes only the first " + std::to_string(info->matrixRows) + " components");
    out.tokens.push_back(info->opcode);
    out.tokens.push_back(DestinationToken(d));
    for (int i = 0; i < info->sources; ++i)
    {
        const Operand s = ParseOperand(parts[static_cast<std::size_t>(i) + 1], false);
        if (s.type != kTemp && s.type != kInput && s.type != kConst)
            throw Failure("cannot read from '" + WithoutSpaces(parts[static_cast<std::size_t>(i) + 1]) + "'");
        if (info->matrixRows && i == 1 && !s.relative)
        {
            const UINT limit = s.type == kTemp ? kTemps : s.type == kInput ? kInputs : kConstants;
            if (s.number + static_cast<UINT>(info->matrixRows) > limit)
                throw Failure("the matrix runs past the last register");
        }
        out.tokens.push_back(SourceToken(s));
    }
}

// Comments run from ';' or "//" to the end of the line, or between /* and */.
std::string WithoutComments(const std::string& text)
{
    std::string out;
    bool block = false, line = false;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i], next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (block)
        {
            if (c == '*' && next == '/')
                block = false, ++i;
            else if (c == '\n')
                out += c;
        }
        else if (line)
        {
            if (c == '\n')
                line = false, out += c;
        }
        else if (c == '/' && next == '*')
            block = true, ++i;
        else if (c == ';' || (c == '/' && next == '/'))
            line = true;
        else
            out += c;
    }
    return out;
}

}  // namespace

bool AssembleVertexShader(const std::string& text, AssembledShader& out, std::string& error)
{
    out = AssembledShader{};
    std::stringstream lines(WithoutComments(text));
    std::string line;
    int number = 0;
    bool version = false;
    try
    {
        while (std::getline(lines, line))
        {
            ++number;
            std::stringstream words(line);
            std::string mnemonic;
            if (!(words >> mnemonic))
                continue;
            mnemonic = Lower(mnemonic);
            std::string rest;
            std::getline(words, rest);
            if (!version)
            {
                if ((mnemonic != "vs.1.1" && mnemonic != "vs.1.0") || !WithoutSpaces(rest).empty())
                    throw Failure("expected the version line vs.1.1");
                out.tokens.push_back(mnemonic == "vs.1.1" ? kVersion11 : kVersion10);
                version = true;
                continue;
            }
            Assemble(mnemonic, rest, out);
        }
        if (!version)
            throw Failure("expected the version line vs.1.1");
    }
    catch (const Failure& f)
    {
        error = "line " + std::to_string(number ? number : 1) + ": " + f.why;
        out = AssembledShader{};
        return false;
    }
    out.tokens.push_back(kEnd);
    return true;
}

}  // namespace go3d::d3d

namespace {

LPD3DXBUFFER Text(const std::string& s)
{
    std::vector<BYTE> bytes(s.begin(), s.end());
    bytes.push_back(0);
    return new go3d::d3d::Buffer(std::move(bytes));
}

template <typename T>
LPD3DXBUFFER Words(const std::vector<T>& words)
{
    std::vector<BYTE> bytes(words.size() * sizeof(T));
    if (!bytes.empty())
        std::memcpy(bytes.data(), words.data(), bytes.size());
    return new go3d::d3d::Buffer(std::move(bytes));
}

}  // namespace

HRESULT D3DXAssembleShaderFromFileA(const char* path, DWORD, LPD3DXBUFFER* constants, LPD3DXBUFFER* code,
                                    LPD3DXBUFFER* errors)
{
    for (LPD3DXBUFFER* out : {constants, code, errors})
        if (out)
            *out = nullptr;
    if (!path || !code)
        return D3DERR_INVALIDCALL;
    std::vector<unsigned char> bytes;
    std::string why;
    if (!go3d::d3d::ReadWholeFile(path, bytes, why))
    {
        if (errors)
            *errors = Text(std::string(path) + ": cannot read the file: " + why);
        return D3DERR_NOTFOUND;
    }
    const std::string text(bytes.begin(), bytes.end());
    go3d::d3d::AssembledShader shader;
    if (!go3d::d3d::AssembleVertexShader(text, shader, why))
    {
        if (errors)
            *errors = Text(std::string(path) + ": " + why);
        return D3DXERR_INVALIDDATA;
    }
    *code = Words(shader.tokens);
    if (constants)
        *constants = Words(shader.constants);
    return D3D_OK;
}
