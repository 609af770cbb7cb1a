#include "platform/d3d/device_state.h"

#include <cmath>
#include <limits>
#include <string>

#include "platform/d3d/unsupported.h"

namespace go3d::d3d {

D3DMATRIX IdentityMatrix()
{
    D3DMATRIX m{};
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1.0f;
    return m;
}

D3DLIGHT8 DefaultLight()
{
    D3DLIGHT8 l{};
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    l.Direction = {0.0f, 0.0f, 1.0f};
    return l;
}

void DeviceState::Reset(bool hasDepth, UINT width, UINT height)
{
    render.fill(0);
    auto rs = [this](D3DRENDERSTATETYPE s, DWORD v) { render[s] = v; };
    auto rf = [this](D3DRENDERSTATETYPE s, float v) { render[s] = FloatToDwordBits(v); };
    rs(D3DRS_ZENABLE, hasDepth ? D3DZB_TRUE : D3DZB_FALSE);
    rs(D3DRS_FILLMODE, D3DFILL_SOLID);
    rs(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    rs(D3DRS_ZWRITEENABLE, TRUE);
    rs(D3DRS_LASTPIXEL, TRUE);
    rs(D3DRS_SRCBLEND, D3DBLEND_ONE);
    rs(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    rs(D3DRS_CULLMODE, D3DCULL_CCW);
    rs(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    rs(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
    rf(D3DRS_FOGSTART, 0.0f);
    rf(D3DRS_FOGEND, 1.0f);
    rf(D3DRS_FOGDENSITY, 1.0f);
    rs(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    rs(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    rs(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    rs(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    rs(D3DRS_STENCILMASK, 0xFFFFFFFFu);
    rs(D3DRS_STENCILWRITEMASK, 0xFFFFFFFFu);
    rs(D3DRS_TEXTUREFACTOR, 0xFFFFFFFFu);
    rs(D3DRS_CLIPPING, TRUE);
    rs(D3DRS_LIGHTING, TRUE);
    rs(D3DRS_COLORVERTEX, TRUE);
    rs(D3DRS_LOCALVIEWER, TRUE);
    rs(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    rs(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2);
    rs(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    rs(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
    rf(D3DRS_POINTSIZE, 1.0f);
    rf(D3DRS_POINTSIZE_MIN, 0.0f);
    rf(D3DRS_POINTSCALE_A, 1.0f);
    rf(D3DRS_POINTSCALE_B, 0.0f);
    rf(D3DRS_POINTSCALE_C, 0.0f);
    rs(D3DRS_MULTISAMPLEANTIALIAS, TRUE);
    rs(D3DRS_MULTISAMPLEMASK, 0xFFFFFFFFu);
    rf(D3DRS_PATCHSEGMENTS, 1.0f);
    rf(D3DRS_POINTSIZE_MAX, 64.0f);
    rs(D3DRS_COLORWRITEENABLE, 0xF);
    rs(D3DRS_BLENDOP, D3DBLENDOP_ADD);

    for (DWORD s = 0; s < kStages; ++s)
    {
        auto& t = stage[s];
        t.fill(0);
        t[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        t[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        t[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        t[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        t[D3DTSS_RESULTARG] = D3DTA_CURRENT;
        t[D3DTSS_TEXCOORDINDEX] = s;
        t[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        t[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        t[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
        t[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        t[D3DTSS_MINFILTER] = D3DTEXF_POINT;
        t[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        t[D3DTSS_MAXANISOTROPY] = 1;
        t[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
    }
    world.fill(IdentityMatrix());
    view = IdentityMatrix();
    projection = IdentityMatrix();
    texture.fill(IdentityMatrix());
    viewport = {0, 0, width, height, 0.0f, 1.0f};
    material = {};
    lights.clear();
}

int DeviceState::EnabledLights() const
{
    int n = 0;
    for (const auto& [index, slot] : lights)
        n += slot.enabled ? 1 : 0;
    return n;
}

namespace {

HRESULT Refuse(const char* what, DWORD value)
{
    ReportUnsupported(what, value);
    return D3DERR_INVALIDCALL;
}

bool IsBool(DWORD v) { return v <= 1; }
bool IsCmp(DWORD v) { return v >= D3DCMP_NEVER && v <= D3DCMP_ALWAYS; }
bool IsBlend(DWORD v) { return v >= D3DBLEND_ZERO && v <= D3DBLEND_BOTHINVSRCALPHA; }
bool IsStencilOp(DWORD v) { return v >= D3DSTENCILOP_KEEP && v <= D3DSTENCILOP_DECR; }
bool IsMcs(DWORD v) { return v <= D3DMCS_COLOR2; }
bool IsFog(DWORD v) { return v <= D3DFOG_LINEAR; }
bool IsFiniteFloat(DWORD v) { return std::isfinite(DwordToFloat(v)); }

}  // namespace

HRESULT CheckRenderState(D3DRENDERSTATETYPE s, DWORD v)
{
    bool ok = true;
    switch (s)
    {
    case D3DRS_ZENABLE: ok = v <= D3DZB_TRUE; break;
    case D3DRS_FILLMODE: ok = v >= D3DFILL_POINT && v <= D3DFILL_SOLID; break;
    case D3DRS_SHADEMODE: ok = v == D3DSHADE_FLAT || v == D3DSHADE_GOURAUD; break;
    case D3DRS_LINEPATTERN: ok = v == 0; break;
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND: ok = IsBlend(v); break;
    case D3DRS_CULLMODE: ok = v >= D3DCULL_NONE && v <= D3DCULL_CCW; break;
    case D3DRS_ZFUNC:
    case D3DRS_ALPHAFUNC:
    case D3DRS_STENCILFUNC: ok = IsCmp(v); break;
    case D3DRS_ALPHAREF: ok = v <= 0xFF; break;
    case D3DRS_STENCILFAIL:
    case D3DRS_STENCILZFAIL:
    case D3DRS_STENCILPASS: ok = IsStencilOp(v); break;
    case D3DRS_ZWRITEENABLE:
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_LASTPIXEL:
    case D3DRS_DITHERENABLE:
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_FOGENABLE:
    case D3DRS_SPECULARENABLE:
    case D3DRS_EDGEANTIALIAS:
    case D3DRS_RANGEFOGENABLE:
    case D3DRS_STENCILENABLE:
    case D3DRS_CLIPPING:
    case D3DRS_LIGHTING:
    case D3DRS_COLORVERTEX:
    case D3DRS_LOCALVIEWER:
    case D3DRS_NORMALIZENORMALS:
    case D3DRS_SOFTWAREVERTEXPROCESSING:
    case D3DRS_POINTSPRITEENABLE:
    case D3DRS_POINTSCALEENABLE:
    case D3DRS_MULTISAMPLEANTIALIAS: ok = IsBool(v); break;
    case D3DRS_ZVISIBLE:
    case D3DRS_ZBIAS:
    case D3DRS_VERTEXBLEND:
    case D3DRS_CLIPPLANEENABLE:
    case D3DRS_INDEXEDVERTEXBLENDENABLE: ok = v == 0; break;
    case D3DRS_FOGCOLOR:
    case D3DRS_STENCILREF:
    case D3DRS_STENCILMASK:
    case D3DRS_STENCILWRITEMASK:
    case D3DRS_TEXTUREFACTOR:
    case D3DRS_AMBIENT:
    case D3DRS_MULTISAMPLEMASK:
    case D3DRS_DEBUGMONITORTOKEN:
    case D3DRS_PATCHEDGESTYLE: break;
    case D3DRS_FOGTABLEMODE:
    case D3DRS_FOGVERTEXMODE: ok = IsFog(v); break;
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
    case D3DRS_POINTSCALE_A:
    case D3DRS_POINTSCALE_B:
    case D3DRS_POINTSCALE_C:
    case D3DRS_PATCHSEGMENTS:
    case D3DRS_TWEENFACTOR: ok = IsFiniteFloat(v); break;
    case D3DRS_POINTSIZE:
    case D3DRS_POINTSIZE_MIN:
    case D3DRS_POINTSIZE_MAX: ok = IsFiniteFloat(v) && DwordToFloat(v) >= 0.0f; break;
    case D3DRS_DIFFUSEMATERIALSOURCE:
    case D3DRS_SPECULARMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE:
    case D3DRS_EMISSIVEMATERIALSOURCE: ok = IsMcs(v); break;
    case D3DRS_COLORWRITEENABLE: ok = v <= 0xF; break;
    case D3DRS_BLENDOP: ok = v >= D3DBLENDOP_ADD && v <= D3DBLENDOP_MAX; break;
    default:
        if (s >= D3DRS_WRAP0 && s <= D3DRS_WRAP7)
        {
            ok = v == 0;
            break;
        }
        return Refuse("render state", s);
    }
    if (!ok)
    {
        // One line per state, naming the refused value.
        ReportUnsupported(("value of render state " + std::to_string(s)).c_str(), v);
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

namespace {

bool IsArg(DWORD v)
{
    DWORD source = v & D3DTA_SELECTMASK;
    return (v & ~(D3DTA_SELECTMASK | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE)) == 0 && source <= D3DTA_SPECULAR;
}

bool IsOp(DWORD v)
{
    return v >= D3DTOP_DISABLE && v <= D3DTOP_LERP && v != D3DTOP_PREMODULATE && v != D3DTOP_BUMPENVMAP &&
           v != D3DTOP_BUMPENVMAPLUMINANCE;
}

}  // namespace

HRESULT CheckStageState(D3DTEXTURESTAGESTATETYPE t, DWORD v)
{
    bool ok = true;
    switch (t)
    {
    case D3DTSS_COLOROP:
    case D3DTSS_ALPHAOP: ok = IsOp(v); break;
    case D3DTSS_COLORARG0:
    case D3DTSS_COLORARG1:
    case D3DTSS_COLORARG2:
    case D3DTSS_ALPHAARG0:
    case D3DTSS_ALPHAARG1:
    case D3DTSS_ALPHAARG2: ok = IsArg(v); break;
    case D3DTSS_RESULTARG: ok = v == D3DTA_CURRENT; break;
    case D3DTSS_TEXCOORDINDEX:
        ok = (v & 0xFFFF) < 8 && (v & ~0xFFFFu) <= D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR;
        break;
    case D3DTSS_TEXTURETRANSFORMFLAGS: ok = (v & ~D3DTTFF_PROJECTED) <= D3DTTFF_COUNT4; break;
    case D3DTSS_ADDRESSU:
    case D3DTSS_ADDRESSV:
    case D3DTSS_ADDRESSW: ok = v >= D3DTADDRESS_WRAP && v <= D3DTADDRESS_MIRRORONCE; break;
    case D3DTSS_MAGFILTER:
    case D3DTSS_MINFILTER: ok = v >= D3DTEXF_POINT && v <= D3DTEXF_ANISOTROPIC; break;
    case D3DTSS_MIPFILTER: ok = v <= D3DTEXF_LINEAR; break;
    case D3DTSS_MAXANISOTROPY: ok = v >= 1 && v <= 16; break;
    case D3DTSS_BORDERCOLOR:
    case D3DTSS_MAXMIPLEVEL:
    case D3DTSS_MIPMAPLODBIAS:
    case D3DTSS_BUMPENVMAT00:
    case D3DTSS_BUMPENVMAT01:
    case D3DTSS_BUMPENVMAT10:
    case D3DTSS_BUMPENVMAT11:
    case D3DTSS_BUMPENVLSCALE:
    case D3DTSS_BUMPENVLOFFSET: break;
    default: return Refuse("texture stage state", t);
    }
    if (!ok)
    {
        ReportUnsupported(("value of texture stage state " + std::to_string(t)).c_str(), v);
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT CheckLight(const D3DLIGHT8& l)
{
    if (l.Type < D3DLIGHT_POINT || l.Type > D3DLIGHT_DIRECTIONAL)
        return Refuse("light type", l.Type);
    if (l.Type == D3DLIGHT_DIRECTIONAL)
    {
        if (l.Direction.x == 0.0f && l.Direction.y == 0.0f && l.Direction.z == 0.0f)
            return D3DERR_INVALIDCALL;
        return D3D_OK;
    }
    if (!(l.Range >= 0.0f) || l.Range > std::sqrt(std::numeric_limits<float>::max()))
        return D3DERR_INVALIDCALL;
    if (l.Attenuation0 < 0.0f || l.Attenuation1 < 0.0f || l.Attenuation2 < 0.0f ||
        (l.Attenuation0 == 0.0f && l.Attenuation1 == 0.0f && l.Attenuation2 == 0.0f))
        return D3DERR_INVALIDCALL;
    if (l.Type == D3DLIGHT_SPOT)
    {
        if (l.Direction.x == 0.0f && l.Direction.y == 0.0f && l.Direction.z == 0.0f)
            return D3DERR_INVALIDCALL;
        if (l.Theta < 0.0f || l.Phi < l.Theta || l.Phi > 3.14159274f || l.Falloff < 0.0f)
            return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

}  // namespace go3d::d3d
