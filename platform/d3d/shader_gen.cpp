#include "platform/d3d/shader_gen.h"

namespace go3d::d3d {

namespace {

std::string N(int i) { return std::to_string(i); }

const char* SourceExpr(ColorSource s, const char* material)
{
    switch (s)
    {
    case ColorSource::Diffuse: return "aDiffuse";
    case ColorSource::Specular: return "aSpecular";
    default: return material;
    }
}

// Reads a stage's vertex coordinates (or generated ones) as a vec4 padded the
// way Direct3D pads them before a texture transform: the element after the
// last one given is 1, the rest 0.
std::string StageCoordinates(const ProgramKey& k, const StageKey& st)
{
    switch (st.coordGen)
    {
    case 1: return "vec4(N, 1.0)";
    case 2: return "vec4(P, 1.0)";
    case 3: return "vec4(reflect(normalize(P), N), 1.0)";
    default: break;
    }
    int set = st.coordSource;
    if (set >= k.texCount)
        return "vec4(0.0, 0.0, 1.0, 0.0)";
    std::string a = "aTex" + N(set);
    switch (k.texSize[set])
    {
    case 1: return "vec4(" + a + ".x, 1.0, 0.0, 0.0)";
    case 2: return "vec4(" + a + ".xy, 1.0, 0.0)";
    case 3: return "vec4(" + a + ".xyz, 1.0)";
    default: return a;
    }
}

}  // namespace

std::string GenerateVertexShader(const ProgramKey& k)
{
    std::string s = "#version 130\n";
    const char* q = k.flat ? "flat " : "";
    s += "uniform mat4 uWorldView;\nuniform mat4 uProj;\nuniform mat3 uNormalMatrix;\n";
    s += "uniform vec2 uPixelOffset;\n";
    s += "in vec3 aPosition;\n";
    if (k.hasNormal) s += "in vec3 aNormal;\n";
    if (k.hasPSize) s += "in float aPSize;\n";
    if (k.hasDiffuse) s += "in vec4 aDiffuse;\n";
    if (k.hasSpecular) s += "in vec4 aSpecular;\n";
    for (int i = 0; i < k.texCount; ++i)
        s += "in vec4 aTex" + N(i) + ";\n";
    s += std::string(q) + "out vec4 vDiffuse;\n" + q + "out vec4 vSpecular;\n";
    for (int i = 0; i < k.stageCount; ++i)
        if (k.stage[i].texture)
            s += "out vec4 vTex" + N(i) + ";\nuniform mat4 uTexMatrix" + N(i) + ";\n";
    if (k.fogMode)
        s += k.fogPixel ? "out float vEyeZ;\n" : "out float vFog;\n";
    if (k.fogMode && !k.fogPixel)
        s += "uniform vec3 uFog;\n";  // start, end, density
    if (k.points)
        s += "uniform vec4 uPointSize;\nuniform vec4 uPointScale;\n";  // size, min, max, viewport height; A, B, C
    if (k.lighting)
    {
        s += "uniform vec4 uMatDiffuse, uMatAmbient, uMatSpecular, uMatEmissive;\n";
        s += "uniform float uMatPower;\nuniform vec4 uAmbient;\n";
        s += "uniform vec4 uLightDiffuse[8], uLightSpecular[8], uLightAmbient[8];\n";
        s += "uniform vec3 uLightPosition[8], uLightDirection[8];\n";
        s += "uniform vec4 uLightAttenuation[8];\n";  // a0, a1, a2, range
        s += "uniform vec3 uLightSpot[8];\n";         // cos(theta/2), cos(phi/2), falloff
        s += "float Power(float x, float p) { return p == 0.0 ? 1.0 : (x > 0.0 ? pow(x, p) : 0.0); }\n";
    }
    s += "void main()\n{\n";
    s += "    vec3 P = (uWorldView * vec4(aPosition, 1.0)).xyz;\n";
    s += k.hasNormal ? "    vec3 N = uNormalMatrix * aNormal;\n" : "    vec3 N = vec3(0.0);\n";
    if (k.normalize && k.hasNormal)
        s += "    N = normalize(N);\n";
    if (k.lighting)
    {
        s += std::string("    vec4 md = ") + SourceExpr(k.diffuseSource, "uMatDiffuse") + ";\n";
        s += std::string("    vec4 ma = ") + SourceExpr(k.ambientSource, "uMatAmbient") + ";\n";
        s += std::string("    vec4 me = ") + SourceExpr(k.emissiveSource, "uMatEmissive") + ";\n";
        if (k.specular)
            s += std::string("    vec4 ms = ") + SourceExpr(k.specularSource, "uMatSpecular") + ";\n";
        s += "    vec3 amb = vec3(0.0), dif = vec3(0.0), spe = vec3(0.0);\n";
        s += "    vec3 L; float att, ndl; vec3 d; float dist;\n";
        if (k.localViewer)
            s += "    vec3 V = -normalize(P);\n";
        else if (k.specular)
            s += "    vec3 V = vec3(0.0, 0.0, -1.0);\n";
        for (int i = 0; i < static_cast<int>(kMaxActiveLights); ++i)
        {
            const int type = k.lightType[i];
            if (!type)
                continue;
            const std::string I = "[" + N(i) + "]";
            s += "    {\n";
            if (type == D3DLIGHT_DIRECTIONAL)
                s += "        L = uLightDirection" + I + ";\n        att = 1.0;\n";
            else
            {
                s += "        d = uLightPosition" + I + " - P;\n        dist = length(d);\n";
                s += "        L = d / dist;\n";
                s += "        vec4 a = uLightAttenuation" + I + ";\n";
                s += "        att = dist > a.w ? 0.0 : 1.0 / (a.x + a.y * dist + a.z * dist * dist);\n";
                if (type == D3DLIGHT_SPOT)
                {
                    s += "        vec3 sp = uLightSpot" + I + ";\n";
                    s += "        float rho = dot(-L, uLightDirection" + I + ");\n";
                    s += "        att *= rho > sp.x ? 1.0 : (rho <= sp.y ? 0.0 : "
                         "Power((rho - sp.y) / (sp.x - sp.y), sp.z));\n";
                }
            }
            s += "        amb += att * uLightAmbient" + I + ".rgb;\n";
            s += "        ndl = dot(N, L);\n";
            s += "        if (ndl > 0.0)\n        {\n";
            s += "            dif += att * ndl * uLightDiffuse" + I + ".rgb;\n";
            if (k.specular)
                s += "            spe += att * Power(dot(N, normalize(L + V)), uMatPower) * uLightSpecular" + I +
                     ".rgb;\n";
            s += "        }\n    }\n";
        }
        s += "    vDiffuse = clamp(vec4(me.rgb + ma.rgb * (uAmbient.rgb + amb) + md.rgb * dif, md.a), 0.0, 1.0);\n";
        if (k.specular)
            s += "    vSpecular = clamp(vec4(ms.rgb * spe, ms.a), 0.0, 1.0);\n";
        else
            s += "    vSpecular = vec4(0.0);\n";
    }
    else
    {
        s += k.hasDiffuse ? "    vDiffuse = aDiffuse;\n" : "    vDiffuse = vec4(1.0);\n";
        s += k.hasSpecular ? "    vSpecular = aSpecular;\n" : "    vSpecular = vec4(0.0);\n";
    }
    for (int i = 0; i < k.stageCount; ++i)
    {
        const StageKey& st = k.stage[i];
        if (!st.texture)
            continue;
        std::string c = StageCoordinates(k, st);
        if (st.transform & 7)
            c = "uTexMatrix" + N(i) + " * " + c;
        s += "    vTex" + N(i) + " = " + c + ";\n";
    }
    if (k.fogMode)
    {
        if (k.fogPixel)
            s += "    vEyeZ = P.z;\n";
        else if (k.fogFromSpecular)
            s += k.hasSpecular ? "    vFog = aSpecular.a;\n" : "    vFog = 1.0;\n";
        else
        {
            s += k.fogRange ? "    float fd = length(P);\n" : "    float fd = P.z;\n";
            if (k.fogMode == D3DFOG_LINEAR)
                s += "    vFog = clamp((uFog.y - fd) / (uFog.y - uFog.x), 0.0, 1.0);\n";
            else if (k.fogMode == D3DFOG_EXP)
                s += "    vFog = clamp(exp(-fd * uFog.z), 0.0, 1.0);\n";
            else
                s += "    vFog = clamp(exp(-(fd * uFog.z) * (fd * uFog.z)), 0.0, 1.0);\n";
        }
    }
    if (k.points)
    {
        s += k.hasPSize ? "    float size = aPSize;\n" : "    float size = uPointSize.x;\n";
        if (k.pointScale)
            s += "    float de = length(P);\n"
                 "    size = uPointSize.w * size * sqrt(1.0 / (uPointScale.x + uPointScale.y * de + "
                 "uPointScale.z * de * de));\n";
        s += "    gl_PointSize = clamp(size, uPointSize.y, uPointSize.z);\n";
    }
    // Direct3D's depth runs 0..1 where GL's runs -1..1, and its pixel centres
    // lie on integer coordinates where GL's lie half a pixel further.
    s += "    vec4 clip = uProj * vec4(P, 1.0);\n";
    s += "    clip.z = 2.0 * clip.z - clip.w;\n";
    s += "    clip.xy += uPixelOffset * clip.w;\n";
    s += "    gl_Position = clip;\n}\n";
    return s;
}

namespace {

std::string Arg(DWORD arg, int stage, bool alpha)
{
    std::string v;
    switch (arg & D3DTA_SELECTMASK)
    {
    case D3DTA_DIFFUSE: v = "vDiffuse"; break;
    case D3DTA_CURRENT: v = "cur"; break;
    case D3DTA_TEXTURE: v = "tex" + N(stage); break;
    case D3DTA_TFACTOR: v = "uTextureFactor"; break;
    case D3DTA_SPECULAR: v = "vSpecular"; break;
    default: v = "vec4(0.0)"; break;
    }
    if (arg & D3DTA_ALPHAREPLICATE)
        v = "vec4(" + v + ".a)";
    if (arg & D3DTA_COMPLEMENT)
        v = "(vec4(1.0) - " + v + ")";
    return alpha ? v + ".a" : v + ".rgb";
}

// One stage operation on colour (rgb) or alpha (a) arguments.
std::string Operation(DWORD op, const std::string& a0, const std::string& a1, const std::string& a2,
                      const std::string& texA, const std::string& T)
{
    switch (op)
    {
    case D3DTOP_SELECTARG1: return a1;
    case D3DTOP_SELECTARG2: return a2;
    case D3DTOP_MODULATE: return a1 + " * " + a2;
    case D3DTOP_MODULATE2X: return "2.0 * " + a1 + " * " + a2;
    case D3DTOP_MODULATE4X: return "4.0 * " + a1 + " * " + a2;
    case D3DTOP_ADD: return a1 + " + " + a2;
    case D3DTOP_ADDSIGNED: return a1 + " + " + a2 + " - " + T + "(0.5)";
    case D3DTOP_ADDSIGNED2X: return "2.0 * (" + a1 + " + " + a2 + " - " + T + "(0.5))";
    case D3DTOP_SUBTRACT: return a1 + " - " + a2;
    case D3DTOP_ADDSMOOTH: return a1 + " + " + a2 + " - " + a1 + " * " + a2;
    case D3DTOP_BLENDDIFFUSEALPHA: return "mix(" + a2 + ", " + a1 + ", vDiffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA: return "mix(" + a2 + ", " + a1 + ", " + texA + ")";
    case D3DTOP_BLENDFACTORALPHA: return "mix(" + a2 + ", " + a1 + ", uTextureFactor.a)";
    case D3DTOP_BLENDTEXTUREALPHAPM: return a1 + " + " + a2 + " * (1.0 - " + texA + ")";
    case D3DTOP_BLENDCURRENTALPHA: return "mix(" + a2 + ", " + a1 + ", cur.a)";
    case D3DTOP_MULTIPLYADD: return a0 + " + " + a1 + " * " + a2;
    case D3DTOP_LERP: return "mix(" + a2 + ", " + a1 + ", " + a0 + ")";
    default: return a1;
    }
}

}  // namespace

std::string GenerateFragmentShader(const ProgramKey& k)
{
    std::string s = "#version 130\n";
    const char* q = k.flat ? "flat " : "";
    s += std::string(q) + "in vec4 vDiffuse;\n" + q + "in vec4 vSpecular;\n";
    s += "uniform vec4 uTextureFactor;\n";
    for (int i = 0; i < k.stageCount; ++i)
        if (k.stage[i].texture)
            s += "in vec4 vTex" + N(i) + ";\nuniform sampler2D uSampler" + N(i) + ";\n";
    if (k.fogMode)
    {
        s += k.fogPixel ? "in float vEyeZ;\n" : "in float vFog;\n";
        s += "uniform vec4 uFogColor;\n";
        if (k.fogPixel)
            s += "uniform vec3 uFog;\n";
    }
    if (k.alphaFunc)
        s += "uniform float uAlphaRef;\n";
    s += "void main()\n{\n    vec4 cur = vDiffuse;\n";
    for (int i = 0; i < k.stageCount; ++i)
    {
        const StageKey& st = k.stage[i];
        const std::string t = "tex" + N(i);
        if (st.texture)
        {
            std::string coord = "vTex" + N(i);
            if (k.pointSprite)
                coord = "vec4(gl_PointCoord, 0.0, 1.0)";
            const int count = st.transform & 7;
            if ((st.transform & 8) && count >= 2)
            {
                static const char* last[] = {"", "x", "y", "z", "w"};
                coord = "(" + coord + " / " + coord + "." + last[count] + ")";
            }
            s += "    vec4 " + t + " = texture2D(uSampler" + N(i) + ", " + coord + ".xy);\n";
        }
        else
            s += "    vec4 " + t + " = vec4(1.0);\n";  // no texture reads as opaque white
        const std::string texA = t + ".a";
        if (st.colorOp == D3DTOP_DOTPRODUCT3)
        {
            s += "    cur = vec4(clamp(4.0 * dot(" + Arg(st.colorArg1, i, false) + " - vec3(0.5), " +
                 Arg(st.colorArg2, i, false) + " - vec3(0.5)), 0.0, 1.0));\n";
            continue;
        }
        const std::string color =
            Operation(st.colorOp, Arg(st.colorArg0, i, false), Arg(st.colorArg1, i, false),
                      Arg(st.colorArg2, i, false), texA, "vec3");
        std::string alpha = "cur.a";
        if (st.alphaOp == D3DTOP_DOTPRODUCT3)
            alpha = "clamp(4.0 * dot(" + Arg(st.colorArg1, i, false) + " - vec3(0.5), " +
                    Arg(st.colorArg2, i, false) + " - vec3(0.5)), 0.0, 1.0)";
        else if (st.alphaOp != D3DTOP_DISABLE)
            alpha = Operation(st.alphaOp, Arg(st.alphaArg0, i, true), Arg(st.alphaArg1, i, true),
                              Arg(st.alphaArg2, i, true), texA, "float");
        s += "    cur = clamp(vec4(" + color + ", " + alpha + "), 0.0, 1.0);\n";
    }
    if (k.specularAdd)
        s += "    cur.rgb = clamp(cur.rgb + vSpecular.rgb, 0.0, 1.0);\n";
    if (k.fogMode)
    {
        if (k.fogPixel)
        {
            if (k.fogMode == D3DFOG_LINEAR)
                s += "    float f = clamp((uFog.y - vEyeZ) / (uFog.y - uFog.x), 0.0, 1.0);\n";
            else if (k.fogMode == D3DFOG_EXP)
                s += "    float f = clamp(exp(-vEyeZ * uFog.z), 0.0, 1.0);\n";
            else
                s += "    float f = clamp(exp(-(vEyeZ * uFog.z) * (vEyeZ * uFog.z)), 0.0, 1.0);\n";
        }
        else
            s += "    float f = vFog;\n";
        s += "    cur.rgb = mix(uFogColor.rgb, cur.rgb, f);\n";
    }
    if (k.alphaFunc)
    {
        // Direct3D compares the alpha as a byte with the reference.
        static const char* ops[] = {"", "false", "<", "==", "<=", ">", "!=", ">="};
        s += "    float a8 = floor(cur.a * 255.0 + 0.5);\n";
        if (k.alphaFunc == D3DCMP_NEVER)
            s += "    discard;\n";
        else
            s += std::string("    if (!(a8 ") + ops[k.alphaFunc] + " uAlphaRef)) discard;\n";
    }
    s += "    gl_FragColor = cur;\n}\n";
    return s;
}

}  // namespace go3d::d3d
