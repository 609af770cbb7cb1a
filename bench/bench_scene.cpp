#include "bench_scene.h"

#include <cmath>

namespace bench {

Mesh MakeSphere()
{
    Mesh m;
    const int rings = 6, segments = 6;
    for (int r = 0; r <= rings; ++r)
        for (int s = 0; s <= segments; ++s)
        {
            const float th = 3.14159265f * r / rings, ph = 6.2831853f * s / segments;
            Vertex v{};
            v.nx = std::sin(th) * std::cos(ph);
            v.ny = std::cos(th);
            v.nz = std::sin(th) * std::sin(ph);
            v.x = v.nx;
            v.y = v.ny;
            v.z = v.nz;
            v.color = 0xFFFFFFFF;
            m.vertices.push_back(v);
        }
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s)
        {
            const auto a = static_cast<std::uint16_t>(r * (segments + 1) + s), b = static_cast<std::uint16_t>(a + 1),
                       c = static_cast<std::uint16_t>(a + segments + 1), d = static_cast<std::uint16_t>(c + 1);
            if (r != 0)
                m.indices.insert(m.indices.end(), {a, c, b});
            if (r != rings - 1)
                m.indices.insert(m.indices.end(), {b, c, d});
        }
    // Pad to 60 triangles with a second pass over the first rows.
    while (m.indices.size() < 180)
        m.indices.push_back(m.indices[m.indices.size() % 30]);
    return m;
}

D3DMATRIX World(int draw, int frame)
{
    const float x = static_cast<float>(draw % 19) - 9.0f, z = static_cast<float>(draw / 19) - 9.0f;
    const float a = 0.01f * static_cast<float>(frame + draw);
    D3DMATRIX m{};
    m.m[0][0] = 0.45f * std::cos(a);
    m.m[0][2] = -0.45f * std::sin(a);
    m.m[1][1] = 0.3f;
    m.m[2][0] = 0.45f * std::sin(a);
    m.m[2][2] = 0.45f * std::cos(a);
    m.m[3][0] = x;
    m.m[3][2] = z;
    m.m[3][3] = 1;
    return m;
}

D3DMATERIAL8 Material(int draw)
{
    const float k = static_cast<float>(draw % 7) / 7.0f;
    return {{0.2f + k, 0.5f, 1.0f - k, 1}, {0.2f, 0.2f, 0.2f, 1}, {0.5f, 0.5f, 0.5f, 1}, {0, 0, 0, 0}, 20};
}

D3DMATRIX View()
{
    // Looking at the origin from (0, 14, -14).
    const float c = std::sqrt(0.5f);
    D3DMATRIX m{};
    m.m[0][0] = 1;
    m.m[1][1] = c;
    m.m[1][2] = c;
    m.m[2][1] = -c;
    m.m[2][2] = c;
    m.m[3][2] = 14.0f / c;
    m.m[3][3] = 1;
    return m;
}

D3DMATRIX Projection()
{
    const float zn = 1, zf = 1000, h = 1.0f / std::tan(0.785398f / 2);
    D3DMATRIX m{};
    m.m[0][0] = h * 0.75f;
    m.m[1][1] = h;
    m.m[2][2] = zf / (zf - zn);
    m.m[3][2] = -zn * zf / (zf - zn);
    m.m[2][3] = 1;
    return m;
}

D3DLIGHT8 Light()
{
    D3DLIGHT8 l{};
    l.Type = D3DLIGHT_POINT;
    l.Diffuse = {1, 1, 1, 0};
    l.Specular = {1, 1, 1, 0};
    l.Position = {0, 100, 0};
    l.Range = 1000;
    l.Attenuation0 = 1;
    return l;
}

}  // namespace bench
