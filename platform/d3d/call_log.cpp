#include "platform/d3d/call_log.h"

#include <cstdio>

namespace go3d::d3d {

std::vector<std::string> CallLog::Texts() const
{
    std::vector<std::string> out;
    out.reserve(records_.size());
    for (const auto& r : records_)
        out.push_back(r.Text());
    return out;
}

std::vector<std::string> CallLog::Methods() const
{
    std::vector<std::string> out;
    out.reserve(records_.size());
    for (const auto& r : records_)
        out.push_back(r.method);
    return out;
}

std::string FormatArg(unsigned long long v) { return std::to_string(v); }
std::string FormatArg(long long v) { return std::to_string(v); }

std::string FormatArg(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

std::string FormatArg(const void* p)
{
    if (!p)
        return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%p", p);
    return text;
}

namespace {
// "{a b c}": the parts, space separated, in braces.
std::string Braced(const std::vector<std::string>& parts)
{
    std::string out = "{";
    for (std::size_t i = 0; i < parts.size(); ++i)
    {
        if (i)
            out += ' ';
        out += parts[i];
    }
    out += '}';
    return out;
}

std::string Floats(const float* f, int n)
{
    std::vector<std::string> parts;
    for (int i = 0; i < n; ++i)
        parts.push_back(FormatArg(static_cast<double>(f[i])));
    return Braced(parts);
}
std::string Color(const D3DCOLORVALUE& c) { return Floats(&c.r, 4); }
}  // namespace

std::string FormatArg(const D3DMATRIX* m) { return m ? Floats(&m->m[0][0], 16) : "null"; }

std::string FormatArg(const D3DVIEWPORT8* v)
{
    if (!v)
        return "null";
    return Braced({std::to_string(v->X), std::to_string(v->Y), std::to_string(v->Width), std::to_string(v->Height),
                   FormatArg(static_cast<double>(v->MinZ)), FormatArg(static_cast<double>(v->MaxZ))});
}

std::string FormatArg(const D3DMATERIAL8* m)
{
    if (!m)
        return "null";
    return Braced({Color(m->Diffuse), Color(m->Ambient), Color(m->Specular), Color(m->Emissive),
                   FormatArg(static_cast<double>(m->Power))});
}

std::string FormatArg(const D3DLIGHT8* l)
{
    if (!l)
        return "null";
    return Braced({std::to_string(l->Type), Color(l->Diffuse), Color(l->Specular), Color(l->Ambient),
                   Floats(&l->Position.x, 3), Floats(&l->Direction.x, 3), Floats(&l->Range, 7)});
}

}  // namespace go3d::d3d
