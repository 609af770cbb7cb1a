#pragma once

// The library's ID3DXBuffer: bytes owned by a reference-counted object.

#include <atomic>
#include <vector>

#include "platform/d3d/d3dx8.h"

namespace go3d::d3d {

class Buffer final : public ID3DXBuffer
{
public:
    explicit Buffer(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    void* GetBufferPointer() override { return bytes_.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

private:
    ~Buffer() override = default;
    std::vector<BYTE> bytes_;
    std::atomic<ULONG> refs_{1};
};

}  // namespace go3d::d3d
