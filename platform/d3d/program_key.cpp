#include "platform/d3d/program_key.h"

namespace go3d::d3d {

namespace {

ColorSource Source(DWORD mcs, bool colorVertex, const VertexLayout& l)
{
    if (!colorVertex)
        return ColorSource::Material;
    if (mcs == D3DMCS_COLOR1 && l.diffuseOffset >= 0)
        return ColorSource::Diffuse;
    if (mcs == D3DMCS_COLOR2 && l.specularOffset >= 0)
        return ColorSource::Specular;
    return ColorSource::Material;
}

bool UsesTexture(DWORD arg) { return (arg & D3DTA_SELECTMASK) == D3DTA_TEXTURE; }

std::uint8_t Narrow(DWORD v) { return static_cast<std::uint8_t>(v); }

}  // namespace

ProgramKey MakeProgramKey(const DeviceState& s, const VertexLayout& l, D3DPRIMITIVETYPE type,
                          const StageTextures& textures)
{
    ProgramKey k;
    std::memset(&k, 0, sizeof k);
    const auto& rs = s.render;
    k.hasNormal = l.normalOffset >= 0;
    k.hasDiffuse = l.diffuseOffset >= 0;
    k.hasSpecular = l.specularOffset >= 0;
    k.hasPSize = l.psizeOffset >= 0;
    k.texCount = Narrow(l.texCount);
    for (int i = 0; i < l.texCount; ++i)
        k.texSize[i] = Narrow(l.texSize[i]);

    k.lighting = rs[D3DRS_LIGHTING] != 0;
    if (k.lighting)
    {
        int n = 0;
        for (const auto& [index, slot] : s.lights)
            if (slot.enabled && n < static_cast<int>(kMaxActiveLights))
                k.lightType[n++] = Narrow(slot.light.Type);
        k.specular = rs[D3DRS_SPECULARENABLE] != 0;
        k.localViewer = k.specular && rs[D3DRS_LOCALVIEWER] != 0;
        const bool cv = rs[D3DRS_COLORVERTEX] != 0;
        k.diffuseSource = Source(rs[D3DRS_DIFFUSEMATERIALSOURCE], cv, l);
        k.ambientSource = Source(rs[D3DRS_AMBIENTMATERIALSOURCE], cv, l);
        k.specularSource = k.specular ? Source(rs[D3DRS_SPECULARMATERIALSOURCE], cv, l) : ColorSource::Material;
        k.emissiveSource = Source(rs[D3DRS_EMISSIVEMATERIALSOURCE], cv, l);
    }
    k.normalize = rs[D3DRS_NORMALIZENORMALS] != 0;
    k.points = type == D3DPT_POINTLIST || rs[D3DRS_FILLMODE] == D3DFILL_POINT;
    if (k.points)
    {
        k.pointScale = rs[D3DRS_POINTSCALEENABLE] != 0;
        k.pointSprite = rs[D3DRS_POINTSPRITEENABLE] != 0;
    }
    k.flat = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
    if (rs[D3DRS_FOGENABLE])
    {
        if (rs[D3DRS_FOGTABLEMODE] != D3DFOG_NONE)
        {
            k.fogMode = Narrow(rs[D3DRS_FOGTABLEMODE]);
            k.fogPixel = 1;
        }
        else if (rs[D3DRS_FOGVERTEXMODE] != D3DFOG_NONE)
        {
            k.fogMode = Narrow(rs[D3DRS_FOGVERTEXMODE]);
            k.fogRange = rs[D3DRS_RANGEFOGENABLE] != 0;
        }
        else
        {
            k.fogMode = D3DFOG_LINEAR;
            k.fogFromSpecular = 1;
        }
    }
    k.specularAdd = rs[D3DRS_SPECULARENABLE] != 0 && (k.lighting || k.hasSpecular);
    if (rs[D3DRS_ALPHATESTENABLE] && rs[D3DRS_ALPHAFUNC] != D3DCMP_ALWAYS)
        k.alphaFunc = Narrow(rs[D3DRS_ALPHAFUNC]);

    // A disabled stage ends the cascade; what follows it has no effect.
    for (DWORD i = 0; i < kStages; ++i)
    {
        const auto& t = s.stage[i];
        if (t[D3DTSS_COLOROP] == D3DTOP_DISABLE)
            break;
        StageKey& st = k.stage[i];
        st.colorOp = Narrow(t[D3DTSS_COLOROP]);
        st.colorArg0 = Narrow(t[D3DTSS_COLORARG0]);
        st.colorArg1 = Narrow(t[D3DTSS_COLORARG1]);
        st.colorArg2 = Narrow(t[D3DTSS_COLORARG2]);
        st.alphaOp = Narrow(t[D3DTSS_ALPHAOP]);
        st.alphaArg0 = Narrow(t[D3DTSS_ALPHAARG0]);
        st.alphaArg1 = Narrow(t[D3DTSS_ALPHAARG1]);
        st.alphaArg2 = Narrow(t[D3DTSS_ALPHAARG2]);
        const bool sampled = UsesTexture(st.colorArg0) || UsesTexture(st.colorArg1) ||
                             UsesTexture(st.colorArg2) || UsesTexture(st.alphaArg0) ||
                             UsesTexture(st.alphaArg1) || UsesTexture(st.alphaArg2) ||
                             st.colorOp == D3DTOP_BLENDTEXTUREALPHA || st.alphaOp == D3DTOP_BLENDTEXTUREALPHA ||
                             st.colorOp == D3DTOP_BLENDTEXTUREALPHAPM || st.alphaOp == D3DTOP_BLENDTEXTUREALPHAPM;
        if (sampled && textures.kind[i] != 0)
        {
            st.texture = textures.kind[i];
            st.coordSource = Narrow(t[D3DTSS_TEXCOORDINDEX] & 0xFFFF);
            st.coordGen = Narrow(t[D3DTSS_TEXCOORDINDEX] >> 16);
            const DWORD flags = t[D3DTSS_TEXTURETRANSFORMFLAGS];
            st.transform = Narrow((flags & 7) | ((flags & D3DTTFF_PROJECTED) ? 8 : 0));
        }
        k.stageCount = Narrow(i + 1);
    }
    return k;
}

}  // namespace go3d::d3d
