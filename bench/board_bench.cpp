// The game's full board, 361 stones of the shipped scene drawn by the game's
// own frame function through the layer with the shipped configuration,
// against the same draws in plain OpenGL at the same size, with the same
// multisampling and texture filtering: the frame time, and the main
// thread's CPU time per frame with a 64x64 viewport, where rasterising costs
// next to nothing.
//
// Each side runs in a process of its own (two GL contexts in one process
// slow each other down on Mesa); each process reports the median of several
// rounds, and the whole is repeated, medians again. Run under an X server,
// where the game's window is resized to the back buffer and takes it over:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/release/bench/board_bench

#include <SDL.h>
#include <epoxy/gl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/window.h"
#include "game/game.h"
#include "plain_gl.h"
#include "platform/d3d/adapter.h"
#include "platform/d3d/buffers.h"
#include "platform/d3d/call_log.h"
#include "platform/d3d/gl_work.h"
#include "platform/d3d/texture.h"
#include "platform/d3d/texture_format.h"
#include "tools/game_release.h"

namespace {

using namespace bench;

constexpr int kRounds = 7, kRepeats = 3;
constexpr double kRoundSeconds = 0.4;

struct Figures
{
    double frameMs = 0, cpuMs = 0, deviceCalls = 0, glCalls = 0;
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Median wall and main-thread CPU milliseconds per frame, each frame
// finished by the GL before the clock is read.
template <typename Frame>
Figures Measure(Frame frame)
{
    for (int i = 0; i < 30; ++i)
        frame();
    glFinish();
    auto round = [&](int n, double& wall, double& cpu) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ThreadSeconds();
        for (int i = 0; i < n; ++i)
        {
            frame();
            glFinish();
        }
        cpu = (ThreadSeconds() - cpuStart) * 1e3 / n;
        wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() * 1e3 / n;
    };
    double wall = 0, cpu = 0;
    round(10, wall, cpu);
    const int n = std::max(10, static_cast<int>(kRoundSeconds * 1e3 / wall));
    std::vector<double> walls, cpus;
    for (int r = 0; r < kRounds; ++r)
    {
        round(n, wall, cpu);
        walls.push_back(wall);
        cpus.push_back(cpu);
    }
    Figures f;
    f.frameMs = Median(walls);
    f.cpuMs = Median(cpus);
    return f;
}

// The game as it starts, from a folder of its own with the shipped settings
// and data, and every point of the board taken.
bool StartGame()
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("go3d_board_bench_" + std::to_string(getpid()));
    fs::create_directories(folder);
    fs::copy_file(fs::path(GO3D_SOURCE_DIR) / "q3dinit.conf", folder / "q3dinit.conf");
    fs::create_directory_symlink(fs::path(GO3D_SOURCE_DIR) / "data", folder / "data");
    fs::current_path(folder);
    RegisterWindowClass();
    WindowHandle = CreateMainWindow("go3d", CENTER_X, CENTER_Y, 100, 50);
    const bool started = WindowHandle && InitializeScene();
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(folder);
    if (!started)
        return false;
    for (int row = 0; row < BoardSize; ++row)
        for (int col = 0; col < BoardSize; ++col)
            BoardPoints[row][col].State = (row + col) % 2 ? Stone_White : Stone_Black;
    for (int i = 0; i < 5; ++i)
        DrawFrame();  // the window takes its size, the layer its framebuffer
    return true;
}

D3DMATRIX ToD3D(const Matrix4x4& m)
{
    static_assert(sizeof m == sizeof(D3DMATRIX));
    D3DMATRIX d;
    std::memcpy(&d, &m, sizeof d);
    return d;
}

// One draw of the frame as plain GL sees it.
struct PlainDraw
{
    GLuint vertices = 0, indices = 0;
    GLsizei count = 0;
    D3DMATRIX world{};
    int view = 0;  // 0 the main camera, 1 the panel's, 2 the indicator's
    const D3DMATERIAL8* material = nullptr;
    GLuint texture = 0, reflection = 0;
    GLenum src = GL_ONE, dst = GL_ZERO;
    bool lit = true, depth = true, depthWrite = true;
};

GLenum BlendFactor(dword b)
{
    static constexpr GLenum table[] = {GL_ZERO,          GL_ZERO,          GL_ONE,
                                       GL_SRC_COLOR,     GL_ONE_MINUS_SRC_COLOR, GL_SRC_ALPHA,
                                       GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA,
                                       GL_DST_COLOR,     GL_ONE_MINUS_DST_COLOR};
    return table[b <= 10 ? b : 1];
}

PlainDraw DrawOf(Object* o, int view, bool lit, bool depth)
{
    using go3d::d3d::IndexBuffer, go3d::d3d::Texture, go3d::d3d::VertexBuffer;
    PlainDraw d;
    TriMesh* mesh = o->GetTriMesh();
    auto* vb = dynamic_cast<VertexBuffer*>(mesh->GetVertexBuffer(0));
    auto* ib = dynamic_cast<IndexBuffer*>(mesh->GetIndexBuffer(0));
    d.vertices = vb->Store().Name();
    d.indices = ib->Store().Name();
    d.count = static_cast<GLsizei>(ib->Store().Size() / 2 / 3 * 3);
    d.world = ToD3D(o->GetWorldTransform());
    d.view = view;
    d.material = o->Material.GetD3DMaterial();
    if (auto* t = dynamic_cast<Texture*>(o->Material.Textures[TextureMap]))
        d.texture = t->Name();
    if (auto* t = dynamic_cast<Texture*>(o->Material.Textures[ReflectionMap]))
        d.reflection = t->Name();
    d.src = BlendFactor(o->SrcBlend);
    d.dst = BlendFactor(o->DestBlend);
    d.lit = lit;
    d.depth = depth;
    d.depthWrite = o->ZWrite;
    return d;
}

// What DrawFrame draws, in its order, with the transforms it gives.
std::vector<PlainDraw> FrameDraws()
{
    std::vector<PlainDraw> draws;
    for (Object* o : {BoardObject, GridObject, TrapeziObject})
        draws.push_back(DrawOf(o, 0, true, true));
    for (int row = 0; row < BoardSize; ++row)
        for (int col = 0; col < BoardSize; ++col)
        {
            Object* stone = BoardPoints[row][col].State == Stone_Black ? BlackStone : WhiteStone;
            stone->SetTranslation(GridPositions[row][col].x, StoneHeight, GridPositions[row][col].z);
            draws.push_back(DrawOf(stone, 0, true, true));
        }
    draws.push_back(DrawOf(GuiQuad, 1, false, false));
    BlackStone->ResetTransform();
    BlackStone->Rotate(1, 1, 0);
    draws.push_back(DrawOf(BlackStone, 2, true, false));
    BlackStone->ResetTransform();
    return draws;
}

// Where the plain side draws: the window, or, when the device multisamples,
// a framebuffer object with the device's sample count that is resolved into
// the window before the swap, as the layer presents such a back buffer.
class PlainTarget
{
public:
    PlainTarget(GLsizei samples, GLsizei width, GLsizei height) : width_(width), height_(height)
    {
        if (samples == 0)
            return;
        glGenFramebuffers(1, &fbo_);
        glGenRenderbuffers(2, buffers_);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers_[0]);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples,
                                         go3d::d3d::ColorRenderFormat(Graphics->BackBufferFormat), width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers_[0]);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers_[1]);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH24_STENCIL8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, buffers_[1]);
    }
    ~PlainTarget()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &fbo_);
        glDeleteRenderbuffers(2, buffers_);
    }
    PlainTarget(const PlainTarget&) = delete;
    PlainTarget& operator=(const PlainTarget&) = delete;

    bool Complete() const { return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE; }
    void Present(SDL_Window* window) const
    {
        if (fbo_)
        {
            glDisable(GL_SCISSOR_TEST);
            glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
            glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        }
        SDL_GL_SwapWindow(window);
        if (fbo_)
        {
            glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
            glEnable(GL_SCISSOR_TEST);
        }
    }

private:
    GLuint fbo_ = 0, buffers_[2] = {0, 0};
    GLsizei width_, height_;
};

std::optional<Figures> PlainSide(bool small)
{
    const std::vector<PlainDraw> draws = FrameDraws();
    Matrix4x4 panel;
    panel.Translate(0, 0, 10);
    Camera indicator;
    indicator.SetCamera(Vector3(0, 80, -80), Vector3(65, -260, 0), Vector3(0, 1, 0));
    indicator.CreateViewMatrix();
    const D3DMATRIX views[3] = {ToD3D(MainCamera.GetViewMatrix()), ToD3D(panel), ToD3D(indicator.GetViewMatrix())};
    const D3DVECTOR light{MainLight.Position.x, MainLight.Position.y, MainLight.Position.z};

    SDL_Window* window = SDL_GL_GetCurrentWindow();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    // The back buffer's size, as the configuration gives it.
    const GLsizei width = static_cast<GLsizei>(Graphics->Parameters.XRes);
    const GLsizei height = static_cast<GLsizei>(Graphics->Parameters.YRes);
    const PlainTarget target(static_cast<GLsizei>(Graphics->MultiSampleType), width, height);
    if (!target.Complete())
    {
        std::fprintf(stderr, "board_bench: no multisampled framebuffer of %u samples\n", Graphics->MultiSampleType);
        return std::nullopt;
    }
    const PlainProgram program = MakePlainProgram();
    const D3DMATRIX projection = ToD3D(*Graphics->GetProjectionMatrix());
    glUniformMatrix4fv(program.proj, 1, GL_FALSE, &projection.m[0][0]);
    glActiveTexture(GL_TEXTURE0);
    // The filtering the game has left on the device.
    DWORD minFilter = 0, magFilter = 0, mipFilter = 0;
    Graphics->Device->GetTextureStageState(0, D3DTSS_MINFILTER, &minFilter);
    Graphics->Device->GetTextureStageState(0, D3DTSS_MAGFILTER, &magFilter);
    Graphics->Device->GetTextureStageState(0, D3DTSS_MIPFILTER, &mipFilter);
    GLuint sampler = 0;
    glGenSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, go3d::d3d::GlMinFilter(minFilter, mipFilter));
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, go3d::d3d::GlMagFilter(magFilter));
    glBindSampler(0, sampler);
    glBindSampler(1, sampler);
    const GLsizei w = small ? 64 : width, h = small ? 64 : height;
    glViewport(0, height - h, w, h);
    glScissor(0, height - h, w, h);
    glEnable(GL_SCISSOR_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glEnable(GL_BLEND);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1);
    glClearStencil(0);
    const Figures f = Measure([&] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        // Each state goes out when it changes, as a program of its own
        // would send it.
        const PlainDraw* last = nullptr;
        for (const PlainDraw& d : draws)
        {
            if (!last || d.view != last->view)
            {
                float position[3];
                TransformPoint(light, views[d.view], position);
                glUniform3fv(program.lightPosition, 1, position);
            }
            if (!last || d.depth != last->depth)
                d.depth ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
            if (!last || d.depthWrite != last->depthWrite)
                glDepthMask(d.depthWrite ? GL_TRUE : GL_FALSE);
            if (!last || d.src != last->src || d.dst != last->dst)
                glBlendFunc(d.src, d.dst);
            if (!last || d.lit != last->lit)
                glUniform1i(program.lit, d.lit);
            if (!last || d.texture != last->texture)
            {
                glUniform1i(program.textured, d.texture != 0);
                glBindTexture(GL_TEXTURE_2D, d.texture);
            }
            if (!last || d.reflection != last->reflection)
            {
                glUniform1i(program.reflected, d.reflection != 0);
                glActiveTexture(GL_TEXTURE1);
                glBindTexture(GL_TEXTURE_2D, d.reflection);
                glActiveTexture(GL_TEXTURE0);
            }
            if (!last || d.material != last->material)
                SetPlainMaterial(program, *d.material);
            if (!last || d.vertices != last->vertices)
            {
                glBindBuffer(GL_ARRAY_BUFFER, d.vertices);
                PointPlainAttributes();
                glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, d.indices);
            }
            float wv[16], nm[9];
            Multiply(d.world, views[d.view], wv);
            NormalMatrix(wv, nm);
            glUniformMatrix4fv(program.worldView, 1, GL_FALSE, wv);
            glUniformMatrix3fv(program.normalMatrix, 1, GL_FALSE, nm);
            glDrawElements(GL_TRIANGLES, d.count, GL_UNSIGNED_SHORT, nullptr);
            last = &d;
        }
        target.Present(window);
    });
    glBindSampler(0, 0);
    glBindSampler(1, 0);
    glDeleteSamplers(1, &sampler);
    DeletePlainProgram(program);
    return f;
}

std::optional<Figures> LayerSide(bool small)
{
    if (small)
    {
        const D3DVIEWPORT8 viewport{0, 0, 64, 64, 0, 1};
        Graphics->Device->SetViewport(&viewport);
    }
    Figures f = Measure(DrawFrame);
    const std::uint64_t before = D3DGlCalls(Graphics->Device);
    go3d::d3d::CallLog* log = GetDeviceCallLog(Graphics->Device);
    log->Clear();
    log->Enable(true);
    DrawFrame();
    log->Enable(false);
    f.deviceCalls = static_cast<double>(log->Records().size());
    f.glCalls = static_cast<double>(D3DGlCalls(Graphics->Device) - before);
    log->Clear();
    return f;
}

int Child(const std::string& side, bool small)
{
    if (!StartGame())
        return 1;
    if (!D3DDrawsIntoWindow(Graphics->Device) && Graphics->MultiSampleType == D3DMULTISAMPLE_NONE)
        std::fprintf(stderr, "board_bench: the layer copies its frames (no window of the back buffer's size)\n");
    const std::optional<Figures> f = side == "layer" ? LayerSide(small) : PlainSide(small);
    if (f)
        std::printf("%f %f %f %f\n", f->frameMs, f->cpuMs, f->deviceCalls, f->glCalls);
    tools::ReleaseGame();
    return f ? 0 : 1;
}

// Runs one side in a process of its own.
bool RunChild(const std::string& self, const char* side, const char* size, Figures& f)
{
    const std::string command = "'" + self + "' --child " + side + " " + size;
    FILE* out = popen(command.c_str(), "r");
    if (!out)
        return false;
    const int n = std::fscanf(out, "%lf %lf %lf %lf", &f.frameMs, &f.cpuMs, &f.deviceCalls, &f.glCalls);
    return pclose(out) == 0 && n == 4;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0)
        return Child(argv[2], std::strcmp(argv[3], "small") == 0);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    struct Size
    {
        const char* name;
        const char* what;
        bool cpu;
    };
    for (const Size& size : {Size{"full", "full board at the configured size, frame", false},
                             Size{"small", "full board, 64x64 viewport, main-thread CPU", true}})
    {
        std::vector<double> layer, plain, calls, glCalls;
        for (int r = 0; r < kRepeats; ++r)
        {
            Figures a, b;
            if (!RunChild(self, "layer", size.name, a) || !RunChild(self, "gl", size.name, b))
            {
                std::fprintf(stderr, "board_bench: a measuring process failed\n");
                return 1;
            }
            layer.push_back(size.cpu ? a.cpuMs : a.frameMs);
            plain.push_back(size.cpu ? b.cpuMs : b.frameMs);
            calls.push_back(a.deviceCalls);
            glCalls.push_back(a.glCalls);
        }
        const double l = Median(layer), p = Median(plain);
        std::printf("%s: layer %.3f ms, plain GL %.3f ms, ratio %.3f (medians of %d runs; the layer took %.0f "
                    "device calls and made %.0f GL calls besides the draws)\n",
                    size.what, l, p, l / p, kRepeats, Median(calls), Median(glCalls));
    }
    return 0;
}
