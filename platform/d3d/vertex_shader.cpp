#include "platform/d3d/vertex_shader.h"

#include <cstring>

#include "platform/d3d/shader_gen.h"

namespace go3d::d3d {

namespace {

using namespace vs;

UINT TypeSize(DWORD type)
{
    static constexpr UINT sizes[] = {4, 8, 12, 16, 4, 4, 4, 8};
    return sizes[type];
}

// Stream 0 only, registers 0 to 15 once each, constants, skips; nothing
// that needs a second stream or the tessellator.
bool ParseDeclaration(const DWORD* t, std::vector<VertexElement>& elements, UINT& stride,
                      std::vector<ShaderConstant>& constants, std::string& why)
{
    bool stream = false;
    unsigned seen = 0;
    for (int i = 0; i < 4096; ++i)
    {
        const DWORD token = t[i];
        if (token == kDeclEndToken || DeclTokenType(token) == kDeclEnd)
            return true;
        switch (DeclTokenType(token))
        {
        case kDeclNop: break;
        case kDeclStream:
            if ((token & 0x0FFFFFFF) != 0 || stream)
                return why = "only stream 0 is drawn from", false;
            stream = true;
            break;
        case kDeclStreamData:
            if (!stream)
                return why = "register before the stream", false;
            if (token & (1u << 28))  // a skip of whole dwords
                stride += 4 * ((token >> 16) & 0xF);
            else
            {
                const DWORD reg = token & 0x1F, type = (token >> 16) & 0xF;
                if (reg >= kInputs || type > kShort4 || (seen & (1u << reg)))
                    return why = "bad register in the declaration", false;
                seen |= 1u << reg;
                elements.push_back({reg, type, stride});
                stride += TypeSize(type);
            }
            break;
        case kDeclConstMem:
        {
            const DWORD reg = token & 0x7F, count = (token >> 25) & 0xF;
            if (reg + count > kConstants)
                return why = "constants past c95 in the declaration", false;
            for (DWORD k = 0; k < count; ++k)
            {
                ShaderConstant c{reg + k, {}};
                std::memcpy(c.value, &t[i + 1 + 4 * k], sizeof c.value);
                constants.push_back(c);
            }
            i += static_cast<int>(4 * count);
            break;
        }
        default: return why = "declaration token the layer does not draw", false;
        }
    }
    return why = "the declaration has no end", false;
}

bool ParseOperand(DWORD token, bool destination, ShaderOperand& o)
{
    if (!(token & kParameter))
        return false;
    o.type = (token >> 28) & 7;
    o.number = token & kNumberMask;
    o.relative = token & kRelative;
    if (destination)
    {
        o.components = (token >> 16) & 0xF;
        if ((token >> 20) & 0xF)
            return false;  // result modifiers are not in vs.1.1
    }
    else
    {
        o.components = (token >> 16) & 0xFF;
        const DWORD modifier = (token >> 24) & 0xF;
        if (modifier > 1)
            return false;
        o.negate = modifier == 1;
    }
    UINT limit = 0;
    switch (o.type)
    {
    case kTemp: limit = kTemps; break;
    case kInput: limit = destination ? 0 : kInputs; break;
    case kConst: limit = destination ? 0 : kConstants; break;
    case kAddress: limit = destination ? 1 : 0; break;
    case kRasterOut: limit = destination ? 3 : 0; break;
    case kAttributeOut: limit = destination ? kColors : 0; break;
    case kTexCoordOut: limit = destination ? kTexCoords : 0; break;
    default: break;
    }
    return o.number < limit && (!o.relative || o.type == kConst);
}

}  // namespace

HRESULT VertexShader::Create(const DWORD* declaration, const DWORD* function, std::unique_ptr<VertexShader>& out,
                             std::string& why)
{
    auto s = std::make_unique<VertexShader>();
    if (!declaration || !ParseDeclaration(declaration, s->elements_, s->stride_, s->constants_, why))
        return why = why.empty() ? "no declaration" : why, D3DERR_INVALIDCALL;
    if (!function)
        return why = "no shader code", D3DERR_INVALIDCALL;
    if (function[0] != kVersion11 && function[0] != kVersion10)
        return why = "not a vs.1.0 or vs.1.1 shader", D3DERR_INVALIDCALL;
    for (std::size_t i = 1; i < 1 << 16;)
    {
        const DWORD token = function[i];
        const DWORD opcode = token & 0xFFFF;
        if (token == kEnd)
        {
            out = std::move(s);
            return D3D_OK;
        }
        if (opcode == kComment)
        {
            i += 1 + ((token >> 16) & 0x7FFF);
            continue;
        }
        if (token & 0xFFFF0000u)
            return why = "bad instruction token", D3DERR_INVALIDCALL;
        if (opcode == kDef)
        {
            const DWORD dst = function[i + 1];
            if (!(dst & kParameter) || ((dst >> 28) & 7) != kConst || (dst & kNumberMask) >= kConstants)
                return why = "def of a register that is not a constant", D3DERR_INVALIDCALL;
            ShaderConstant c{dst & kNumberMask, {}};
            std::memcpy(c.value, &function[i + 2], sizeof c.value);
            s->constants_.push_back(c);
            i += 6;
            continue;
        }
        const OpcodeInfo* info = FindOpcode(opcode);
        if (!info)
            return why = "unknown opcode " + std::to_string(opcode), D3DERR_INVALIDCALL;
        ShaderInstruction in;
        in.info = info;
        ++i;
        if (opcode != kNop)
        {
            if (!ParseOperand(function[i++], true, in.dst))
                return why = std::string("bad destination of ") + info->name, D3DERR_INVALIDCALL;
            if (in.dst.type == kAddress && opcode != kMov)
                return why = "a0 is written only by mov", D3DERR_INVALIDCALL;
            for (int k = 0; k < info->sources; ++k)
            {
                ShaderOperand& src = in.src[k];
                if (!ParseOperand(function[i++], false, src))
                    return why = std::string("bad source of ") + info->name, D3DERR_INVALIDCALL;
                const UINT rows = k == 1 && info->matrixRows ? static_cast<UINT>(info->matrixRows) : 1;
                const UINT limit = src.type == kTemp ? kTemps : src.type == kInput ? kInputs : kConstants;
                if (!src.relative && src.number + rows > limit)
                    return why = "a matrix runs past the last register", D3DERR_INVALIDCALL;
                if (src.type == kInput)
                    for (UINT r = 0; r < rows; ++r)
                        s->inputsRead_ |= 1u << (src.number + r);
            }
            if (in.dst.type == kRasterOut && in.dst.number == kOutPointSize)
                s->writesPointSize_ = true;
        }
        s->code_.push_back(in);
    }
    return why = "the shader has no end", D3DERR_INVALIDCALL;
}

namespace {

std::string N(unsigned i) { return std::to_string(i); }

std::string Register(const ShaderOperand& o, UINT row)
{
    switch (o.type)
    {
    case kTemp: return "r[" + N(o.number + row) + "]";
    case kInput:
    {
        // Appended, not "v" + ...: g++ 12 at -O3 warns falsely of an overlap.
        std::string name = "v";
        name += N(o.number + row);
        return name;
    }
    default:
        if (o.relative)
            return "C(a0 + " + N(o.number + row) + ")";
        return "c[" + N(o.number + row) + "]";
    }
}

std::string Source(const ShaderOperand& o, UINT row = 0)
{
    std::string s = Register(o, row);
    if (o.components != kIdentitySwizzle)
    {
        s += '.';
        for (int i = 0; i < 4; ++i)
            s += "xyzw"[(o.components >> (2 * i)) & 3];
    }
    return o.negate ? "(-" + s + ")" : s;
}

std::string Destination(const ShaderOperand& o)
{
    switch (o.type)
    {
    case kTemp: return "r[" + N(o.number) + "]";
    case kRasterOut: return o.number == kOutPosition ? "oPos" : o.number == kOutFog ? "oFog" : "oPts";
    case kAttributeOut: return "oD[" + N(o.number) + "]";
    default: return "oT[" + N(o.number) + "]";
    }
}

std::string Rows(const ShaderInstruction& in, bool four)
{
    std::string s = "vec4(";
    for (int r = 0; r < 4; ++r)
    {
        if (r)
            s += ", ";
        if (r < in.info->matrixRows)
            s += four ? "dot(" + Source(in.src[0]) + ", " + Source(in.src[1], static_cast<UINT>(r)) + ")"
                      : "dot(" + Source(in.src[0]) + ".xyz, " + Source(in.src[1], static_cast<UINT>(r)) + ".xyz)";
        else
            s += "0.0";
    }
    return s + ")";
}

std::string Expression(const ShaderInstruction& in)
{
    const std::string a = in.info->sources > 0 ? Source(in.src[0]) : "";
    const std::string b = in.info->sources > 1 ? Source(in.src[1]) : "";
    const std::string c = in.info->sources > 2 ? Source(in.src[2]) : "";
    switch (in.info->opcode)
    {
    case kMov: return a;
    case kAdd: return a + " + " + b;
    case kSub: return a + " - " + b;
    case kMul: return a + " * " + b;
    case kMad: return a + " * " + b + " + " + c;
    case kDp3: return "vec4(dot(" + a + ".xyz, " + b + ".xyz))";
    case kDp4: return "vec4(dot(" + a + ", " + b + "))";
    case kRcp: return "vec4(Rcp(" + a + ".w))";
    case kRsq: return "vec4(Rsq(" + a + ".w))";
    case kMin: return "min(" + a + ", " + b + ")";
    case kMax: return "max(" + a + ", " + b + ")";
    case kSlt: return "vec4(lessThan(" + a + ", " + b + "))";
    case kSge: return "vec4(greaterThanEqual(" + a + ", " + b + "))";
    case kExp: return "vec4(exp2(" + a + ".w))";
    case kLog: return "vec4(Log2(" + a + ".w))";
    case kExpp: return "ExpP(" + a + ".w)";
    case kLogp: return "LogP(" + a + ".w)";
    case kLit: return "Lit(" + a + ")";
    case kDst: return "vec4(1.0, " + a + ".y * " + b + ".y, " + a + ".z, " + b + ".w)";
    case kFrc: return "fract(" + a + ")";
    case kM4x4:
    case kM4x3: return Rows(in, true);
    default: return Rows(in, false);
    }
}

}  // namespace

std::string VertexShader::GlslFor(const ProgramKey& k) const
{
    std::string s = "#version 130\n";
    const char* q = k.flat ? "flat " : "";
    s += "uniform vec4 c[96];\nuniform vec2 uPixelOffset;\nuniform float uFlipY;\n";
    for (unsigned i = 0; i < kInputs; ++i)
        if (inputsRead_ & (1u << i))
            s += "in vec4 v" + N(i) + ";\n";
    s += std::string(q) + "out vec4 vDiffuse;\n" + q + "out vec4 vSpecular;\n";
    for (int i = 0; i < k.stageCount; ++i)
        if (k.stage[i].texture)
            s += "out vec4 vTex" + N(static_cast<unsigned>(i)) + ";\n";
    if (k.fogMode)
        s += k.fogPixel ? "out float vEyeZ;\n" : "out float vFog;\n";
    if (k.points)
        s += "uniform vec4 uPointSize;\n";  // size, min, max, viewport height
    // Out-of-range relative reads give zero rather than another register.
    s += "vec4 C(int i) { return i >= 0 && i < 96 ? c[i] : vec4(0.0); }\n"
         "float Rcp(float x) { return x == 1.0 ? 1.0 : 1.0 / x; }\n"
         "float Rsq(float x) { float a = abs(x); return a == 1.0 ? 1.0 : inversesqrt(a); }\n"
         "float Log2(float x) { float a = abs(x); return a == 0.0 ? -3.4e38 : log2(a); }\n"
         "vec4 ExpP(float w) { float f = floor(w); return vec4(exp2(f), w - f, exp2(w), 1.0); }\n"
         "vec4 LogP(float w)\n{\n    float a = abs(w);\n    if (a == 0.0) return vec4(-3.4e38, 1.0, -3.4e38, 1.0);\n"
         "    float e = floor(log2(a));\n    return vec4(e, a / exp2(e), log2(a), 1.0);\n}\n"
         "vec4 Lit(vec4 s)\n{\n    float p = clamp(s.w, -128.0, 128.0);\n"
         "    float sp = s.x > 0.0 ? (s.y > 0.0 ? pow(s.y, p) : (p == 0.0 ? 1.0 : 0.0)) : 0.0;\n"
         "    return vec4(1.0, max(s.x, 0.0), sp, 1.0);\n}\n";
    s += "void main()\n{\n    vec4 r[12];\n    for (int i = 0; i < 12; ++i) r[i] = vec4(0.0);\n";
    s += "    int a0 = 0;\n    vec4 oPos = vec4(0.0, 0.0, 0.0, 1.0), oFog = vec4(1.0), oPts = vec4(0.0);\n";
    s += "    vec4 oD[2];\n    oD[0] = vec4(1.0);\n    oD[1] = vec4(0.0);\n";
    s += "    vec4 oT[8];\n    for (int i = 0; i < 8; ++i) oT[i] = vec4(0.0, 0.0, 0.0, 1.0);\n";
    for (const ShaderInstruction& in : code_)
    {
        if (in.info->opcode == kNop)
            continue;
        if (in.dst.type == kAddress)
        {
            s += "    a0 = int(floor(" + Source(in.src[0]) + ".x));\n";
            continue;
        }
        const std::string e = Expression(in);
        if (in.dst.components == 0xF)
            s += "    " + Destination(in.dst) + " = " + e + ";\n";
        else
        {
            std::string m;
            for (int i = 0; i < 4; ++i)
                if (in.dst.components & (1u << i))
                    m += "xyzw"[i];
            s += "    " + Destination(in.dst) + "." + m + " = (" + e + ")." + m + ";\n";
        }
    }
    s += "    vDiffuse = clamp(oD[0], 0.0, 1.0);\n    vSpecular = clamp(oD[1], 0.0, 1.0);\n";
    for (int i = 0; i < k.stageCount; ++i)
        if (k.stage[i].texture)
            s += "    vTex" + N(static_cast<unsigned>(i)) + " = oT[" + N(k.stage[i].coordSource & 7) + "];\n";
    if (k.fogMode)
        s += k.fogPixel ? "    vEyeZ = oPos.w;\n" : "    vFog = clamp(oFog.x, 0.0, 1.0);\n";
    if (k.points)
        s += writesPointSize_ ? "    gl_PointSize = clamp(oPts.x, uPointSize.y, uPointSize.z);\n"
                              : "    gl_PointSize = clamp(uPointSize.x, uPointSize.y, uPointSize.z);\n";
    s += "    vec4 clip = oPos;\n    clip.y *= uFlipY;\n    clip.z = 2.0 * clip.z - clip.w;\n";
    s += "    clip.xy += uPixelOffset * clip.w;\n    gl_Position = clip;\n}\n";
    return s;
}

Program* VertexShader::ProgramFor(const ProgramKey& key)
{
    auto found = programs_.find(key);
    if (found != programs_.end())
        return found->second.get();
    auto p = LinkProgram(key, GlslFor(key), GenerateFragmentShader(key));
    if (!p)
        return nullptr;
    Program* raw = p.get();
    programs_.emplace(key, std::move(p));
    return raw;
}

}  // namespace go3d::d3d
