#include "platform/d3d/vs_tokens.h"

#include <cstring>

namespace go3d::d3d::vs {

namespace {

constexpr OpcodeInfo kOpcodes[] = {
    {"nop", kNop, 0, 0},   {"mov", kMov, 1, 0},   {"add", kAdd, 2, 0},   {"sub", kSub, 2, 0},
    {"mad", kMad, 3, 0},   {"mul", kMul, 2, 0},   {"rcp", kRcp, 1, 0},   {"rsq", kRsq, 1, 0},
    {"dp3", kDp3, 2, 0},   {"dp4", kDp4, 2, 0},   {"min", kMin, 2, 0},   {"max", kMax, 2, 0},
    {"slt", kSlt, 2, 0},   {"sge", kSge, 2, 0},   {"exp", kExp, 1, 0},   {"log", kLog, 1, 0},
    {"lit", kLit, 1, 0},   {"dst", kDst, 2, 0},   {"frc", kFrc, 1, 0},   {"m4x4", kM4x4, 2, 4},
    {"m4x3", kM4x3, 2, 3}, {"m3x4", kM3x4, 2, 4}, {"m3x3", kM3x3, 2, 3}, {"m3x2", kM3x2, 2, 2},
    {"expp", kExpp, 1, 0}, {"logp", kLogp, 1, 0},
};

}  // namespace

const OpcodeInfo* FindOpcode(const char* name)
{
    for (const auto& o : kOpcodes)
        if (std::strcmp(o.name, name) == 0)
            return &o;
    return nullptr;
}

const OpcodeInfo* FindOpcode(DWORD opcode)
{
    for (const auto& o : kOpcodes)
        if (o.opcode == opcode)
            return &o;
    return nullptr;
}

}  // namespace go3d::d3d::vs
