#include "tools/context_release.h"

#include "engine/3dengine.h"
#include "engine/textureman.h"

#include <set>

namespace tools {

void ReleaseContext(GraphicsContext* context)
{
    if (context == nullptr)
        return;
    if (context->TextureManager != nullptr) {
        // A texture cached under two names is released once.
        std::set<IDirect3DTexture8*> textures;
        for (const auto& bucket : context->TextureManager->Textures.Buckets)
            for (const auto& pair : bucket)
                textures.insert(pair.Val);
        for (IDirect3DTexture8* texture : textures)
            texture->Release();
        delete context->TextureManager;
        context->TextureManager = nullptr;
    }
    if (context->MainSurface != nullptr)
        context->MainSurface->Release();
    if (context->DepthSurface != nullptr)
        context->DepthSurface->Release();
    if (context->Device != nullptr)
        context->Device->Release();
    delete context;
}

}  // namespace tools
