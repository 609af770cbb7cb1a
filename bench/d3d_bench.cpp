// Frame time of 362 small lit indexed draws at 1024x768, through the layer and
// through plain OpenGL calls drawing the same geometry, and their ratio.

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "bench_scene.h"
#include "plain_gl.h"
#include "platform/d3d/d3d8.h"
#include "platform/win/win32.h"

namespace {

using namespace bench;

double layerFrame = 0, directFrame = 0;

HWND MakeWindow()
{
    static bool registered = false;
    if (!registered)
    {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "D3DBench";
        RegisterClassExA(&wc);
        registered = true;
    }
    return CreateWindowExA(0, "D3DBench", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

template <typename Frame>
void Measure(benchmark::State& state, Frame frame, double& perFrame)
{
    int n = 0;
    for (int i = 0; i < 5; ++i)
        frame(n++);  // programs compiled, buffers placed
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    std::int64_t frames = 0;
    for (auto _ : state)
    {
        frame(n++);
        glFinish();
        ++frames;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    perFrame = seconds / static_cast<double>(frames);
    state.counters["ms_per_frame"] = perFrame * 1000.0;
}

void ThroughTheLayer(benchmark::State& state)
{
    HWND window = MakeWindow();
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = kWidth;
    pp.BackBufferHeight = kHeight;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    IDirect3DDevice8* device = nullptr;
    if (!d3d || d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device) !=
                    D3D_OK)
    {
        state.SkipWithError("no device");
        if (d3d)
            d3d->Release();
        if (window)
            DestroyWindow(window);
        return;
    }
    const Mesh mesh = MakeSphere();
    IDirect3DVertexBuffer8* vb = nullptr;
    IDirect3DIndexBuffer8* ib = nullptr;
    device->CreateVertexBuffer(static_cast<UINT>(mesh.vertices.size() * 68), 0, 0x1458, D3DPOOL_DEFAULT, &vb);
    device->CreateIndexBuffer(static_cast<UINT>(mesh.indices.size() * 2), 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib);
    BYTE* data = nullptr;
    vb->Lock(0, 0, &data, 0);
    std::memcpy(data, mesh.vertices.data(), mesh.vertices.size() * 68);
    vb->Unlock();
    ib->Lock(0, 0, &data, 0);
    std::memcpy(data, mesh.indices.data(), mesh.indices.size() * 2);
    ib->Unlock();
    const D3DMATRIX view = View(), proj = Projection();
    const D3DLIGHT8 light = Light();
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &proj);
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_COLORVERTEX, FALSE);
    device->SetRenderState(D3DRS_AMBIENT, 0xFF1A1A1A);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetVertexShader(0x1458);
    const auto numVertices = static_cast<UINT>(mesh.vertices.size());
    const auto triangles = static_cast<UINT>(mesh.indices.size() / 3);
    Measure(
        state,
        [&](int frame) {
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
            for (int i = 0; i < kDraws; ++i)
            {
                // What an object's Render sends: world, material, buffers, draw.
                const D3DMATRIX world = World(i, frame);
                const D3DMATERIAL8 material = Material(i);
                device->SetTransform(D3DTS_WORLD, &world);
                device->SetMaterial(&material);
                device->SetStreamSource(0, vb, 68);
                device->SetIndices(ib, 0);
                device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, numVertices, 0, triangles);
                device->SetIndices(nullptr, 0);
                device->SetStreamSource(0, nullptr, 0);
            }
            device->Present(nullptr, nullptr, nullptr, nullptr);
        },
        layerFrame);
    vb->Release();
    ib->Release();
    device->Release();
    d3d->Release();
    DestroyWindow(window);
}

void DirectOpenGl(benchmark::State& state)
{
    SDL_InitSubSystem(SDL_INIT_VIDEO);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_Window* window = SDL_CreateWindow("direct", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context)
    {
        state.SkipWithError("no GL context");
        if (window)
            SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return;
    }
    SDL_GL_SetSwapInterval(0);
    GLuint fbo, color, depth;
    glGenFramebuffers(1, &fbo);
    glGenRenderbuffers(1, &color);
    glGenRenderbuffers(1, &depth);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, kWidth, kHeight);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kWidth, kHeight);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);
    const PlainProgram program = MakePlainProgram();
    const Mesh mesh = MakeSphere();
    GLuint vb, ib;
    glGenBuffers(1, &vb);
    glGenBuffers(1, &ib);
    glBindBuffer(GL_ARRAY_BUFFER, vb);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.vertices.size() * 68), mesh.vertices.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.indices.size() * 2), mesh.indices.data(),
                 GL_STATIC_DRAW);
    const D3DMATRIX view = View(), proj = Projection();
    glUniformMatrix4fv(program.proj, 1, GL_FALSE, &proj.m[0][0]);
    float lightView[3];
    TransformPoint(Light().Position, view, lightView);
    glUniform3fv(program.lightPosition, 1, lightView);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glViewport(0, 0, kWidth, kHeight);
    const auto count = static_cast<GLsizei>(mesh.indices.size());
    Measure(
        state,
        [&](int frame) {
            glBindFramebuffer(GL_FRAMEBUFFER, fbo);
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            for (int i = 0; i < kDraws; ++i)
            {
                const D3DMATRIX world = World(i, frame);
                const D3DMATERIAL8 m = Material(i);
                float wv[16], nm[9];
                Multiply(world, view, wv);
                NormalMatrix(wv, nm);
                glUniformMatrix4fv(program.worldView, 1, GL_FALSE, wv);
                glUniformMatrix3fv(program.normalMatrix, 1, GL_FALSE, nm);
                SetPlainMaterial(program, m);
                glBindBuffer(GL_ARRAY_BUFFER, vb);
                PointPlainAttributes();
                glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib);
                glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_SHORT, nullptr);
            }
            glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
            glBlitFramebuffer(0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight, GL_COLOR_BUFFER_BIT, GL_NEAREST);
            SDL_GL_SwapWindow(window);
        },
        directFrame);
    glDeleteBuffers(1, &ib);
    glDeleteBuffers(1, &vb);
    glDeleteProgram(program.program);
    glDeleteRenderbuffers(1, &depth);
    glDeleteRenderbuffers(1, &color);
    glDeleteFramebuffers(1, &fbo);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

BENCHMARK(ThroughTheLayer)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(DirectOpenGl)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (layerFrame > 0 && directFrame > 0)
        std::printf("frame: layer %.3f ms, direct GL %.3f ms, ratio %.3f (%d draws, %d triangles each)\n",
                    layerFrame * 1e3, directFrame * 1e3, layerFrame / directFrame, kDraws, 60);
    return 0;
}
