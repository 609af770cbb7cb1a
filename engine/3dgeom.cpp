#include "engine/3dgeom.h"

Vertex::Vertex(const Vector3& pos, float u, float v, dword colour) : Position(pos), Color(colour)
{
    for (TexCoord& t : Tex)
        t = TexCoord(u, v);
}

void Vertex::CalculateNormal(const Vertex* vbuffer, const Triangle* triangles, long tricount)
{
    // The index from the addresses as integers: defined even for a vertex
    // that is not in vbuffer, which then matches no corner.
    const std::uintptr_t self = reinterpret_cast<std::uintptr_t>(this);
    const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(vbuffer);
    long i = -1;
    if (self >= base && (self - base) % sizeof(Vertex) == 0)
        i = long((self - base) / sizeof(Vertex));

    Normal = Vector3();
    for (long n = 0; n < tricount; ++n)
    {
        const Triangle& tri = triangles[n];
        if (tri.Vertices[0] == i || tri.Vertices[1] == i || tri.Vertices[2] == i)
            Normal += tri.Normal;
    }
    Normal.Normalize();
}

void Triangle::CalculateNormal(const Vertex* vbuffer, bool normalize)
{
    const Vector3& p0 = vbuffer[Vertices[0]].Position;
    const Vector3& p1 = vbuffer[Vertices[1]].Position;
    const Vector3& p2 = vbuffer[Vertices[2]].Position;
    Normal = (p1 - p0).CrossProduct(p2 - p0);
    if (normalize)
        Normal.Normalize();
}
