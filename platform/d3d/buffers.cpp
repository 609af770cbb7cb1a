#include "platform/d3d/buffers.h"

#include <algorithm>

#include "platform/d3d/device.h"

namespace go3d::d3d {

BufferStore::BufferStore(std::shared_ptr<GlContext> gl, GLenum target, UINT size, DWORD usage)
    : gl_(std::move(gl)), target_(target), bytes_(size, 0), usage_(usage)
{
    gl_->MakeCurrent();
    name_ = GlBuffer(NewGlBuffer());
    glBindBuffer(GL_COPY_WRITE_BUFFER, name_.get());
    glBufferData(GL_COPY_WRITE_BUFFER, size, bytes_.data(),
                 (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    (void)target_;
}

HRESULT BufferStore::Lock(UINT offset, UINT size, BYTE** data, DWORD flags)
{
    if (!data)
        return D3DERR_INVALIDCALL;
    *data = nullptr;
    const UINT total = Size();
    if (offset > total || (size != 0 && size > total - offset))
        return D3DERR_INVALIDCALL;
    const UINT end = size == 0 ? total : offset + size;
    if (!(flags & D3DLOCK_READONLY))
    {
        if (locks_ == 0 && dirtyBegin_ == dirtyEnd_)
        {
            dirtyBegin_ = offset;
            dirtyEnd_ = end;
        }
        else
        {
            dirtyBegin_ = std::min(dirtyBegin_, offset);
            dirtyEnd_ = std::max(dirtyEnd_, end);
        }
        // Discarding lets GL hand the old storage to draws still in flight.
        if ((flags & D3DLOCK_DISCARD) && (usage_ & D3DUSAGE_DYNAMIC))
            discard_ = true;
    }
    ++locks_;
    *data = bytes_.data() + offset;
    return D3D_OK;
}

HRESULT BufferStore::Unlock()
{
    if (locks_ == 0)
        return D3DERR_INVALIDCALL;
    if (--locks_ > 0)
        return D3D_OK;
    if (dirtyEnd_ > dirtyBegin_)
    {
        gl_->MakeCurrent();
        glBindBuffer(GL_COPY_WRITE_BUFFER, name_.get());
        if (discard_)
            glBufferData(GL_COPY_WRITE_BUFFER, Size(), bytes_.data(), GL_DYNAMIC_DRAW);
        else
            glBufferSubData(GL_COPY_WRITE_BUFFER, dirtyBegin_, dirtyEnd_ - dirtyBegin_, bytes_.data() + dirtyBegin_);
        ++generation_;
    }
    dirtyBegin_ = dirtyEnd_ = 0;
    discard_ = false;
    return D3D_OK;
}

namespace {

HRESULT DeviceOf(const std::shared_ptr<GlContext>& gl, IDirect3DDevice8** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = gl->device;
    if (!*device)
        return D3DERR_INVALIDCALL;
    (*device)->AddRef();
    return D3D_OK;
}

}  // namespace

VertexBuffer::VertexBuffer(std::shared_ptr<GlContext> gl, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : gl_(gl), store_(gl, GL_ARRAY_BUFFER, length, usage), usage_(usage), fvf_(fvf), pool_(pool)
{
}

ULONG VertexBuffer::Release()
{
    const ULONG left = --refs_;
    if (left == 0)
    {
        gl_->MakeCurrent();
        delete this;
    }
    return left;
}

HRESULT VertexBuffer::GetDevice(IDirect3DDevice8** device) { return DeviceOf(gl_, device); }

HRESULT VertexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD flags)
{
    gl_->Log("VertexBuffer::Lock", offset, size, flags);
    return store_.Lock(offset, size, data, flags);
}

HRESULT VertexBuffer::Unlock()
{
    gl_->Log("VertexBuffer::Unlock");
    return store_.Unlock();
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage_, pool_, store_.Size(), fvf_};
    return D3D_OK;
}

IndexBuffer::IndexBuffer(std::shared_ptr<GlContext> gl, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : gl_(gl), store_(gl, GL_ELEMENT_ARRAY_BUFFER, length, usage), usage_(usage), format_(format), pool_(pool)
{
}

ULONG IndexBuffer::Release()
{
    const ULONG left = --refs_;
    if (left == 0)
    {
        gl_->MakeCurrent();
        delete this;
    }
    return left;
}

HRESULT IndexBuffer::GetDevice(IDirect3DDevice8** device) { return DeviceOf(gl_, device); }

HRESULT IndexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD flags)
{
    gl_->Log("IndexBuffer::Lock", offset, size, flags);
    return store_.Lock(offset, size, data, flags);
}

HRESULT IndexBuffer::Unlock()
{
    gl_->Log("IndexBuffer::Unlock");
    return store_.Unlock();
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = {format_, D3DRTYPE_INDEXBUFFER, usage_, pool_, store_.Size()};
    return D3D_OK;
}

UINT IndexBuffer::MaxIndex()
{
    if (maxGeneration_ != store_.Generation())
    {
        maxIndex_ = 0;
        const BYTE* b = store_.Bytes();
        const UINT n = store_.Size() / 2;
        for (UINT i = 0; i < n; ++i)
            maxIndex_ = std::max<UINT>(maxIndex_, static_cast<UINT>(b[2 * i] | (b[2 * i + 1] << 8)));
        maxGeneration_ = store_.Generation();
    }
    return maxIndex_;
}

}  // namespace go3d::d3d
