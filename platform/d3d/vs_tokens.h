#pragma once

// Direct3D 8 vertex shader tokens (vs.1.0 and vs.1.1) and declaration
// tokens: the numbers both the assembler and the device's translator use.

#include <cstdint>

#include "platform/d3d/d3d8types.h"

namespace go3d::d3d::vs {

// Instruction opcodes.
enum Opcode : DWORD
{
    kNop = 0, kMov = 1, kAdd = 2, kSub = 3, kMad = 4, kMul = 5, kRcp = 6, kRsq = 7, kDp3 = 8, kDp4 = 9,
    kMin = 10, kMax = 11, kSlt = 12, kSge = 13, kExp = 14, kLog = 15, kLit = 16, kDst = 17, kFrc = 19,
    kM4x4 = 20, kM4x3 = 21, kM3x4 = 22, kM3x3 = 23, kM3x2 = 24, kExpp = 78, kLogp = 79, kDef = 81,
    kComment = 0xFFFE, kEnd = 0xFFFF,
};

// Register types, bits 28 to 30 of a parameter token.
enum RegisterType : DWORD
{
    kTemp = 0, kInput = 1, kConst = 2, kAddress = 3, kRasterOut = 4, kAttributeOut = 5, kTexCoordOut = 6,
};
// Numbers of the rasteriser outputs.
constexpr DWORD kOutPosition = 0, kOutFog = 1, kOutPointSize = 2;

constexpr DWORD kParameter = 0x80000000u;  // every parameter token has bit 31 set
constexpr DWORD kNumberMask = 0x7FF;
constexpr DWORD kRelative = 1u << 13;      // c[a0.x + n]
constexpr DWORD kNegate = 1u << 24;        // source modifier
constexpr DWORD kIdentitySwizzle = 0xE4;   // x, y, z, w
constexpr DWORD kVersion11 = 0xFFFE0101u, kVersion10 = 0xFFFE0100u;

constexpr UINT kTemps = 12, kInputs = 16, kConstants = 96, kTexCoords = 8, kColors = 2;

struct OpcodeInfo
{
    const char* name;
    DWORD opcode;
    int sources;
    int matrixRows;  // for m4x4 and kin: rows read from the second source; 0 otherwise
};

// The instructions of vs.1.1, by name and by opcode; null when unknown.
const OpcodeInfo* FindOpcode(const char* lowerName);
const OpcodeInfo* FindOpcode(DWORD opcode);

// Declaration tokens.
constexpr DWORD kDeclNop = 0, kDeclStream = 1, kDeclStreamData = 2, kDeclTessellator = 3, kDeclConstMem = 4,
                kDeclExtension = 5, kDeclEnd = 7;
constexpr DWORD DeclTokenType(DWORD token) { return token >> 29; }
constexpr DWORD kDeclEndToken = 0xFFFFFFFFu;
constexpr DWORD DeclConst(DWORD reg, DWORD count) { return (kDeclConstMem << 29) | (count << 25) | reg; }
// Data types of D3DVSD_REG.
constexpr DWORD kFloat1 = 0, kFloat2 = 1, kFloat3 = 2, kFloat4 = 3, kColor = 4, kUByte4 = 5, kShort2 = 6,
                kShort4 = 7;

}  // namespace go3d::d3d::vs
