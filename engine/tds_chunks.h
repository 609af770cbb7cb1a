#pragma once

// The ids of the 3DS chunks the reader walks and our writer writes, shared
// so the two can never disagree.

#include <cstdint>

namespace TdsChunk {

// Chunk ids.
enum : std::uint16_t {
    Chunk_Color_Float = 0x0010,
    Chunk_Color_24 = 0x0011,
    Chunk_Color_Lin24 = 0x0012,
    Chunk_Color_LinFloat = 0x0013,
    Chunk_Percent_Int = 0x0030,
    Chunk_Percent_Float = 0x0031,
    Chunk_Main = 0x4D4D,
    Chunk_Edit = 0x3D3D,
    Chunk_Edit_AmbientLight = 0x2100,
    Chunk_Edit_Fog = 0x2200,
    Chunk_Edit_Object = 0x4000,
    Chunk_Obj_TriMesh = 0x4100,
    Chunk_TriMesh_VertexList = 0x4110,
    Chunk_TriMesh_FaceList = 0x4120,
    Chunk_TriMesh_MaterialGroup = 0x4130,
    Chunk_TriMesh_TexCoords = 0x4140,
    Chunk_TriMesh_SmoothGroups = 0x4150,
    Chunk_TriMesh_LocalAxes = 0x4160,
    Chunk_Obj_Light = 0x4600,
    Chunk_Light_Spot = 0x4610,
    Chunk_Light_Attenuation = 0x4625,
    Chunk_Light_Shadowed = 0x4630,
    Chunk_Light_OuterRange = 0x465A,
    Chunk_Light_Multiplier = 0x465B,
    Chunk_Obj_Camera = 0x4700,
    Chunk_Edit_Material = 0xAFFF,
    Chunk_Mat_Name = 0xA000,
    Chunk_Mat_Ambient = 0xA010,
    Chunk_Mat_Diffuse = 0xA020,
    Chunk_Mat_Specular = 0xA030,
    Chunk_Mat_Shininess = 0xA040,
    Chunk_Mat_ShininessStrength = 0xA041,
    Chunk_Mat_Transparency = 0xA050,
    Chunk_Mat_SelfIllumination = 0xA084,
    Chunk_Mat_TextureMap = 0xA200,
    Chunk_Mat_OpacityMap = 0xA210,
    Chunk_Mat_ReflectionMap = 0xA220,
    Chunk_Mat_BumpMap = 0xA230,
    Chunk_Map_FileName = 0xA300,
    Chunk_Mat_TextureMap2 = 0xA33A,
    Chunk_Mat_SelfIlluminationMap = 0xA33D,
};

}  // namespace TdsChunk
