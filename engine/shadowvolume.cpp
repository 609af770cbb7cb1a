#include "engine/shadowvolume.h"

#include "engine/lights.h"

#include <vector>

Vector3 GetLightDirection(Light* light, const Vector3& point, const Matrix4x4& InvXForm)
{
    if (light->GetType() == LightType_Directional)
        return light->GetDirection();
    Vector3 lpos = light->GetPosition();
    lpos.Transform(InvXForm);
    return point - lpos;
}

dword AddEdge(Edge* list, dword count, Edge e)
{
    for (dword i = 0; i < count; ++i) {
        if ((list[i].A == e.A && list[i].B == e.B) || (list[i].A == e.B && list[i].B == e.A)) {
            list[i] = list[count - 1];
            return count - 1;
        }
    }
    list[count] = e;
    return count + 1;
}

TriMesh* CreateShadowVolume(TriMesh* mesh, Light* light, const Matrix4x4& world)
{
    const Matrix4x4 InvXForm = world.Inverse();
    const Vertex* V = mesh->GetVertexArray(0);
    const Triangle* T = mesh->GetTriangleArray(0);
    const dword n = mesh->GetTriangleCount(0);
    const dword vcount = mesh->GetVertexCount(0);

    std::vector<Edge> edges(3 * static_cast<std::size_t>(n));
    dword count = 0;
    for (dword t = 0; t < n; ++t) {
        const Index a = T[t].Vertices[0], b = T[t].Vertices[1], c = T[t].Vertices[2];
        // A corner past the vertex array would be read out of bounds.
        if (a >= vcount || b >= vcount || c >= vcount)
            continue;
        const Vector3 centre = (V[a].Position + V[b].Position + V[c].Position) * (1.0f / 3.0f);
        const Vector3 LightDir = GetLightDirection(light, centre, InvXForm);
        if (DotProduct(T[t].Normal, LightDir) >= 0.0f) {
            count = AddEdge(edges.data(), count, Edge(a, b, 0, 0));
            count = AddEdge(edges.data(), count, Edge(b, c, 0, 0));
            count = AddEdge(edges.data(), count, Edge(c, a, 0, 0));
        }
    }

    std::vector<Vertex> quads(6 * static_cast<std::size_t>(count));
    for (dword i = 0; i < count; ++i) {
        const Vertex& A = V[edges[i].A];
        const Vertex& B = V[edges[i].B];
        const Vertex Q0 = A;
        const Vertex Q1 = B;
        const Vertex Q2(B.Position + GetLightDirection(light, B.Position, InvXForm) * 100000.0f, 0.0f, 0.0f,
                        0x00FFFFFF);
        const Vertex Q3(A.Position + GetLightDirection(light, A.Position, InvXForm) * 100000.0f, 0.0f, 0.0f,
                        0x00FFFFFF);
        Vertex* q = &quads[6 * static_cast<std::size_t>(i)];
        q[0] = Q0;
        q[1] = Q1;
        q[2] = Q2;
        q[3] = Q0;
        q[4] = Q2;
        q[5] = Q3;
    }

    auto* volume = new TriMesh(1, nullptr);
    volume->SetData(quads.data(), nullptr, 6 * count, 0);
    return volume;
}
