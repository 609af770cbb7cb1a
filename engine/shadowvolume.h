#pragma once

// Stencil shadow volumes: the edges around a mesh's triangles that face away
// from a light, each pulled out into a long quad away from it.

#include "engine/3dgeom.h"
#include "math/matrix4x4.h"
#include "math/vector3.h"

class Light;

// The direction of the light's rays through point, in the coordinates that
// InvXForm brings the light's world position into; not normalised.
Vector3 GetLightDirection(Light* light, const Vector3& point, const Matrix4x4& InvXForm);

// Appends e, or cancels it against an entry with the same two vertices in
// either order (the last entry moves into its place). Returns the new count.
dword AddEdge(Edge* list, dword count, Edge e);

// A new one-level, context-free mesh of 6 vertices per silhouette edge and no
// triangles, in the mesh's own coordinates; the caller owns it.
TriMesh* CreateShadowVolume(TriMesh* mesh, Light* light, const Matrix4x4& world);
