#pragma once

// Vertex and index buffers: the bytes live in system memory, where Lock
// hands them out, and are copied into a GL buffer object at Unlock.

#include <atomic>
#include <memory>
#include <vector>

#include "platform/d3d/d3d8.h"
#include "platform/d3d/gl_context.h"
#include "platform/d3d/gl_objects.h"

namespace go3d::d3d {

// What the two buffer kinds share.
class BufferStore
{
public:
    BufferStore(std::shared_ptr<GlContext> gl, GLenum target, UINT size, DWORD usage);

    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags);
    HRESULT Unlock();
    UINT Size() const { return static_cast<UINT>(bytes_.size()); }
    GLuint Name() const { return name_.get(); }
    const BYTE* Bytes() const { return bytes_.data(); }
    bool Locked() const { return locks_ > 0; }
    // Bumped whenever the contents change.
    unsigned Generation() const { return generation_; }

private:
    std::shared_ptr<GlContext> gl_;
    GLenum target_;
    std::vector<BYTE> bytes_;
    GlBuffer name_;
    int locks_ = 0;
    UINT dirtyBegin_ = 0, dirtyEnd_ = 0;
    bool discard_ = false;
    unsigned generation_ = 1;

protected:
    DWORD usage_;
};

class VertexBuffer final : public IDirect3DVertexBuffer8
{
public:
    VertexBuffer(std::shared_ptr<GlContext> gl, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

    BufferStore& Store() { return store_; }

private:
    std::shared_ptr<GlContext> gl_;
    BufferStore store_;
    std::atomic<ULONG> refs_{1};
    DWORD usage_, fvf_;
    D3DPOOL pool_;
};

class IndexBuffer final : public IDirect3DIndexBuffer8
{
public:
    IndexBuffer(std::shared_ptr<GlContext> gl, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

    BufferStore& Store() { return store_; }
    // The largest index in the buffer, kept up to date at Unlock, so a draw
    // can tell cheaply that no index reads past its vertices.
    UINT MaxIndex();

private:
    std::shared_ptr<GlContext> gl_;
    BufferStore store_;
    std::atomic<ULONG> refs_{1};
    DWORD usage_;
    D3DFORMAT format_;
    D3DPOOL pool_;
    unsigned maxGeneration_ = 0;
    UINT maxIndex_ = 0;
};

}  // namespace go3d::d3d
