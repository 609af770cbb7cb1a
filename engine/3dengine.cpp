#include "engine/3dengine.h"

#include "engine/assertion.h"
#include "engine/exceptions.h"
#include "engine/textureman.h"
#include "platform/d3d/d3dx8.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

static_assert(sizeof(Matrix4x4) == sizeof(D3DMATRIX), "matrices go to the device as they are");

namespace
{
const D3DMATRIX* AsD3D(const Matrix4x4& m)
{
    return reinterpret_cast<const D3DMATRIX*>(&m);
}

char* CopyString(const char* text)
{
    const std::size_t n = std::strlen(text);
    char* copy = new char[n + 1];
    std::memcpy(copy, text, n + 1);
    return copy;
}

struct FormatDepth
{
    D3DFORMAT Format;
    ColorDepth Depth;
};

// In the order GetPixelFormatFromColorDepth tries them. Constant-initialised:
// the program's engine root reads it before main, from another file.
constexpr FormatDepth FormatDepths[] = {
    {D3DFMT_R8G8B8, {24, 24, 0}},   {D3DFMT_A8R8G8B8, {32, 24, 8}}, {D3DFMT_X8R8G8B8, {32, 24, 0}},
    {D3DFMT_R5G6B5, {16, 16, 0}},   {D3DFMT_X1R5G5B5, {16, 15, 0}}, {D3DFMT_A1R5G5B5, {16, 15, 1}},
    {D3DFMT_P8, {8, 8, 0}},
};
}

// ---------------------------------------------------------------------------
// Colour depths

ColorDepth GetColorDepthFromPixelFormat(D3DFORMAT format)
{
    for (const FormatDepth& row : FormatDepths)
        if (row.Format == format)
            return row.Depth;
    return ColorDepth(0, 0, 0);
}

D3DFORMAT GetPixelFormatFromColorDepth(ColorDepth depth, bool noAlpha)
{
    for (const FormatDepth& row : FormatDepths) {
        if (!(row.Depth == depth))
            continue;
        if (noAlpha && row.Format == D3DFMT_A8R8G8B8)
            return D3DFMT_X8R8G8B8;
        if (noAlpha && row.Format == D3DFMT_A1R5G5B5)
            return D3DFMT_X1R5G5B5;
        return row.Format;
    }
    return D3DFMT_UNKNOWN;
}

// ---------------------------------------------------------------------------
// The engine root

Engine3D::Engine3D() : Engine3D(Direct3DCreate8(D3D_SDK_VERSION)) {}

Engine3D::Engine3D(IDirect3D8* d3d) : D3D(d3d), AdapterCount(0), Adapters(nullptr)
{
    if (D3D == nullptr)
        throw EngineInitException(std::string("DirectX 8.1 is required to run this program"));
    EnumerateAdapters();
}

Engine3D::~Engine3D()
{
    Contexts.clear();
    for (dword i = 0; i < AdapterCount; ++i) {
        delete[] Adapters[i].Driver;
        delete[] Adapters[i].Description;
        delete[] Adapters[i].Modes;
    }
    delete[] Adapters;
    if (D3D != nullptr) {
        D3D->Release();
        D3D = nullptr;
    }
}

void Engine3D::EnumerateAdapters()
{
    AdapterCount = D3D->GetAdapterCount();
    Adapters = new AdapterInfo[AdapterCount];

    for (dword i = 0; i < AdapterCount; ++i) {
        AdapterInfo& info = Adapters[i];

        D3DADAPTER_IDENTIFIER8 id{};
        D3D->GetAdapterIdentifier(i, D3DENUM_NO_WHQL_LEVEL, &id);
        // The layer's strings are always terminated; a foreign one may fill
        // the whole array.
        id.Description[sizeof id.Description - 1] = '\0';
        id.Driver[sizeof id.Driver - 1] = '\0';
        info.Description = CopyString(id.Description);
        info.Driver = CopyString(id.Driver);
        info.DriverVersion = id.DriverVersion.QuadPart;
        info.VendorID = id.VendorId;
        info.DeviceID = id.DeviceId;
        info.SubSysID = id.SubSysId;
        info.Revision = id.Revision;
        info.DeviceIdentifier = id.DeviceIdentifier;

        LinkedList<DisplayMode> usable;
        const UINT modeCount = D3D->GetAdapterModeCount(i);
        for (UINT m = 0; m < modeCount; ++m) {
            D3DDISPLAYMODE d3dMode{};
            D3D->EnumAdapterModes(i, m, &d3dMode);
            DisplayMode mode;
            mode.Width = d3dMode.Width;
            mode.Height = d3dMode.Height;
            mode.RefreshRate = d3dMode.RefreshRate;
            mode.Depth = GetColorDepthFromPixelFormat(d3dMode.Format);
            const D3DFORMAT display = GetPixelFormatFromColorDepth(mode.Depth, true);
            if (D3D->CheckDeviceType(i, D3DDEVTYPE_HAL, display, d3dMode.Format, FALSE) == D3D_OK)
                usable.PushBack(mode);
        }

        info.ModeCount = usable.Size();
        info.Modes = new DisplayMode[info.ModeCount];
        dword k = 0;
        for (ListNode<DisplayMode>* n = usable.Begin(); n != nullptr; n = n->Next)
            info.Modes[k++] = n->Data;
        usable.Clear();

        D3D->GetDeviceCaps(i, D3DDEVTYPE_HAL, &info.Caps);
    }
}

LinkedList<DisplayMode>* Engine3D::GetModes(dword adapter)
{
    if (adapter >= AdapterCount)
        return nullptr;
    auto* list = new LinkedList<DisplayMode>;
    const AdapterInfo& info = Adapters[adapter];
    for (dword i = 0; i < info.ModeCount; ++i)
        list->PushBack(info.Modes[i]);
    return list;
}

void Engine3D::FilterModes(LinkedList<DisplayMode>* list, dword criterion, dword a, dword b)
{
    if (list == nullptr)
        return;
    ListNode<DisplayMode>* node = list->Begin();
    while (node != nullptr) {
        const DisplayMode& mode = node->Data;
        bool keep = true; // an unknown criterion keeps every mode
        switch (criterion) {
        case ModeFilter_Resolution:
            keep = mode.Width == a && mode.Height == b;
            break;
        case ModeFilter_Bpp:
            keep = static_cast<dword>(mode.Depth.Bpp) == a;
            break;
        case ModeFilter_Alpha:
            keep = a == 0 || mode.Depth.AlphaBits != 0;
            break;
        case ModeFilter_Refresh:
            keep = mode.RefreshRate == a;
            break;
        }
        node = keep ? node->Next : list->Erase(node);
    }
}

DisplayMode Engine3D::FindBestMode(LinkedList<DisplayMode>* list)
{
    DisplayMode best;
    best.Width = best.Height = best.RefreshRate = 0;
    if (list == nullptr || list->Size() == 0)
        return best;

    dword width = 0, height = 0;
    for (auto* n = list->Begin(); n != nullptr; n = n->Next) {
        width = std::max(width, n->Data.Width);
        height = std::max(height, n->Data.Height);
    }
    FilterModes(list, ModeFilter_Resolution, width, height);

    bool anyAlpha = false;
    for (auto* n = list->Begin(); n != nullptr; n = n->Next)
        anyAlpha = anyAlpha || n->Data.Depth.AlphaBits != 0;
    if (anyAlpha)
        FilterModes(list, ModeFilter_Alpha, 1, 0);

    std::int32_t bpp = 0;
    for (auto* n = list->Begin(); n != nullptr; n = n->Next)
        bpp = std::max(bpp, n->Data.Depth.Bpp);
    FilterModes(list, ModeFilter_Bpp, static_cast<dword>(bpp), 0);

    dword refresh = 0;
    for (auto* n = list->Begin(); n != nullptr; n = n->Next)
        refresh = std::max(refresh, n->Data.RefreshRate);
    FilterModes(list, ModeFilter_Refresh, refresh, 0);

    // The largest width and height may belong to different modes and leave
    // nothing; the all-zero mode says so.
    if (list->Begin() != nullptr)
        best = list->Begin()->Data;
    return best;
}

void Engine3D::ReleaseGraphicsContext(GraphicsContext* context)
{
    if (context != nullptr && context->Device != nullptr)
        context->Device->Release();
}

// ---------------------------------------------------------------------------
// The configuration file

namespace
{
bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Like atoi, without its undefined behaviour on overflow: saturates.
std::int32_t ReadNumber(const std::string& text, std::size_t from = 0)
{
    std::size_t i = from;
    while (i < text.size() && (IsBlank(text[i]) || text[i] == '\n' || text[i] == '\r' || text[i] == '\v' ||
                               text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<std::int64_t>(value * 10 + (text[i] - '0'), std::int64_t{1} << 32);
    if (negative)
        value = -value;
    value = std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(value);
}

dword ReadDword(const std::string& text, std::size_t from = 0)
{
    return static_cast<dword>(ReadNumber(text, from));
}

std::uint16_t DontCareBit(const std::string& token)
{
    static const struct {
        const char* Token;
        std::uint16_t Bit;
    } bits[] = {
        {"bpp", DONT_CARE_BPP},
        {"refresh", DONT_CARE_REFRESH},
        {"alpha", DONT_CARE_ALPHA},
        {"zbufferdepth", DONT_CARE_DEPTH},
        {"tnl", DONT_CARE_TNL},
        {"flipchain", DONT_CARE_FLIPCHAIN},
        {"aamode", DONT_CARE_AAMODE},
        {"vsync", DONT_CARE_VSYNC},
    };
    for (const auto& row : bits)
        if (token == row.Token)
            return row.Bit;
    return 0;
}

std::uint16_t ReadDontCareFlags(const std::string& value)
{
    std::uint16_t flags = 0;
    std::string rest = value;
    for (;;) {
        std::size_t start = 0;
        while (start < rest.size() && (rest[start] == ',' || IsBlank(rest[start])))
            ++start;
        rest.erase(0, start);
        if (rest.empty())
            break;
        const std::size_t comma = rest.find(',');
        // Blanks before a comma stay in the token, which then matches nothing.
        flags |= DontCareBit(rest.substr(0, comma));
        if (comma == std::string::npos)
            break;
        rest.erase(0, comma + 1);
    }
    return flags;
}

void ApplySetting(GraphicsInitParameters& p, const std::string& key, const std::string& value)
{
    if (key == "fullscreen") {
        p.FullScreen = value == "true";
    } else if (key == "resolution") {
        p.XRes = ReadDword(value);
        const std::size_t x = value.find('x');
        p.YRes = x == std::string::npos ? p.XRes : ReadDword(value, x + 1);
    } else if (key == "bpp") {
        p.Bpp = ReadDword(value);
    } else if (key == "zbufferdepth") {
        p.DepthBits = ReadDword(value);
    } else if (key == "device") {
        p.DevType = value == "ref" ? D3DDEVTYPE_REF : D3DDEVTYPE_HAL;
    } else if (key == "tnl") {
        p.HardwareTnL = value != "false";
    } else if (key == "refresh") {
        p.RefreshRate = ReadDword(value);
    } else if (key == "antialiasing") {
        if (value == "none") {
            p.AntiAliasing = false;
        } else {
            p.AntiAliasing = true;
            p.AAQuality = (value == "speed" || value == "low") ? 0 : 1;
        }
    } else if (key == "flipchain") {
        p.NumBuffers = value == "triplebuffering" ? 2 : 1;
    } else if (key == "vsync") {
        p.VSync = value == "true";
    } else if (key == "dontcareabout") {
        p.DontCareFlags = ReadDontCareFlags(value);
    }
}
}

std::string GetValue(std::string line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos)
        return std::string();
    // The character after '=' is passed over whatever it is.
    std::size_t i = equals + 2;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (i >= line.size())
        return std::string();
    return line.substr(i);
}

GraphicsInitParameters Engine3D::ReadConfigFile(const char* fileName)
{
    std::ifstream file(fileName != nullptr ? fileName : "", std::ios::binary);
    if (!file)
        throw EngineInitException(std::string("Could not open configuration file"));

    GraphicsInitParameters parameters;
    std::string line;
    while (std::getline(file, line)) {
        // A carriage return is part of the line break only before a line
        // feed; at the end of the file it stays in the line.
        if (!file.eof() && !line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '\r' || IsBlank(line[0]))
            continue;
        std::size_t keyEnd = 0;
        while (keyEnd < line.size() && !IsBlank(line[keyEnd]))
            ++keyEnd;
        // A known key without '=' is almost certainly a typo; reading a value
        // out of the key itself would switch settings on by surprise, so the
        // line is ignored.
        if (line.find('=') == std::string::npos)
            continue;
        ApplySetting(parameters, line.substr(0, keyEnd), GetValue(line));
    }
    // A folder opens as a stream does and then reads as nothing: no more a
    // configuration file than a missing one, nor is one that fails half way.
    if (file.bad())
        throw EngineInitException(std::string("Could not open configuration file"));
    return parameters;
}

// ---------------------------------------------------------------------------
// Device creation

D3DFORMAT GetDepthStencilFormat(std::int32_t bits, bool stencil)
{
    switch (bits) {
    case 16:
        return stencil ? D3DFMT_D15S1 : D3DFMT_D16;
    case 24:
        return stencil ? D3DFMT_D24S8 : D3DFMT_D24X8;
    case 32:
        return stencil ? D3DFMT_D24S8 : D3DFMT_D32;
    default:
        return D3DFMT_UNKNOWN;
    }
}

GraphicsContext* Engine3D::CreateGraphicsContext(HWND window, dword xres, dword yres, dword bpp,
                                                 std::uint16_t flags)
{
    GraphicsInitParameters p;
    p.XRes = xres;
    p.YRes = yres;
    p.Bpp = bpp;
    p.RefreshRate = 75;
    p.DepthBits = 24;
    p.DevType = D3DDEVTYPE_HAL;
    p.HardwareTnL = true;
    p.FullScreen = (flags & 1) != 0;
    p.AntiAliasing = false;
    p.VSync = false;
    p.NumBuffers = 1;
    p.DontCareFlags = DONT_CARE_REFRESH | DONT_CARE_ALPHA | DONT_CARE_DEPTH | DONT_CARE_VSYNC;
    return CreateGraphicsContext(window, 0, &p);
}

GraphicsContext* Engine3D::CreateGraphicsContext(HWND window, dword adapter, GraphicsInitParameters* p)
{
    // 1. Adapter.
    if (adapter >= AdapterCount)
        return nullptr;
    const AdapterInfo& info = Adapters[adapter];
    const auto devType = static_cast<D3DDEVTYPE>(p->DevType);
    auto dontCare = [&](std::uint16_t flag) { return (p->DontCareFlags & flag) != 0; };

    // 2. Vertex processing.
    const bool hasTnL = (info.Caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
    if (dontCare(DONT_CARE_TNL))
        p->HardwareTnL = hasTnL;
    else if (p->HardwareTnL && !hasTnL)
        return nullptr;

    // 3, 4. Display mode.
    LinkedList<DisplayMode>* modes = GetModes(adapter);
    FilterModes(modes, ModeFilter_Resolution, p->XRes, p->YRes);
    if (!dontCare(DONT_CARE_BPP))
        FilterModes(modes, ModeFilter_Bpp, p->Bpp, 0);
    if (!dontCare(DONT_CARE_ALPHA))
        FilterModes(modes, ModeFilter_Alpha, p->NeedAlpha ? 1 : 0, 0);
    if (!dontCare(DONT_CARE_REFRESH))
        FilterModes(modes, ModeFilter_Refresh, p->RefreshRate, 0);
    if (modes->Size() == 0) {
        delete modes;
        throw EngineInitException(std::string("Requested video mode parameters not available"));
    }
    const DisplayMode mode = FindBestMode(modes);
    delete modes;

    // 5. Adapter format.
    const D3DFORMAT adapterFormat = GetPixelFormatFromColorDepth(mode.Depth, false);

    // 6. Depth-stencil format.
    if (p->DepthBits == 0)
        p->DepthBits = 32;
    auto findDepthFormat = [&](dword bits) {
        for (bool stencil : {true, false}) {
            const D3DFORMAT f = GetDepthStencilFormat(static_cast<std::int32_t>(bits), stencil);
            if (D3D->CheckDeviceFormat(adapter, devType, adapterFormat, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                       f) == D3D_OK)
                return f;
        }
        return D3DFMT_UNKNOWN;
    };
    D3DFORMAT depthFormat = findDepthFormat(p->DepthBits);
    if (depthFormat == D3DFMT_UNKNOWN) {
        if (!dontCare(DONT_CARE_DEPTH) || p->DepthBits == 16)
            return nullptr;
        p->DepthBits = 16;
        depthFormat = findDepthFormat(16);
        if (depthFormat == D3DFMT_UNKNOWN)
            throw EngineInitException(std::string("Requested ZBuffer depth not available"));
    }

    // 7. Multisampling.
    D3DMULTISAMPLE_TYPE samples = D3DMULTISAMPLE_NONE;
    if (p->AntiAliasing) {
        auto passes = [&](D3DMULTISAMPLE_TYPE type) {
            return D3D->CheckDeviceMultiSampleType(adapter, devType, adapterFormat, p->FullScreen ? FALSE : TRUE,
                                                   type) == D3D_OK;
        };
        if (p->AAQuality == 0) {
            samples = passes(2) ? 2 : 0;
        } else {
            for (D3DMULTISAMPLE_TYPE type = 16; type >= 1 && samples == 0; --type)
                if (passes(type))
                    samples = type;
        }
        if (samples == 0 && !dontCare(DONT_CARE_AAMODE))
            throw EngineInitException(std::string("Requested Antialiasing mode not available"));
    }

    // 8. Back-buffer format.
    D3DFORMAT backBufferFormat = adapterFormat;
    if (!p->FullScreen) {
        D3DDISPLAYMODE desktop{};
        D3D->GetAdapterDisplayMode(adapter, &desktop);
        backBufferFormat = desktop.Format;
    }

    // 9. Present parameters.
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = p->XRes;
    pp.BackBufferHeight = p->YRes;
    pp.BackBufferFormat = backBufferFormat;
    pp.BackBufferCount = p->NumBuffers;
    pp.MultiSampleType = samples;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window;
    pp.Windowed = p->FullScreen ? FALSE : TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = depthFormat;
    pp.Flags = 0;
    pp.FullScreen_RefreshRateInHz = p->FullScreen ? mode.RefreshRate : 0;
    pp.FullScreen_PresentationInterval =
        p->FullScreen ? (p->VSync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE)
                      : D3DPRESENT_INTERVAL_DEFAULT;

    // 10-12. The device, with one retry on the back-buffer count the failed
    // call proposed.
    auto* context = new GraphicsContext;
    const DWORD behaviour =
        p->HardwareTnL ? D3DCREATE_HARDWARE_VERTEXPROCESSING : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    HRESULT hr = D3D->CreateDevice(adapter, devType, window, behaviour, &pp, &context->Device);
    if (hr != D3D_OK && pp.BackBufferCount != p->NumBuffers && dontCare(DONT_CARE_FLIPCHAIN))
        hr = D3D->CreateDevice(adapter, devType, window, behaviour, &pp, &context->Device);
    if (hr != D3D_OK) {
        delete context;
        throw EngineInitException(std::string("Could not create Direct3D device"));
    }

    // 13. Fill the context.
    context->Window = window;
    context->Device->GetRenderTarget(&context->MainSurface);
    context->Device->GetDepthStencilSurface(&context->DepthSurface);
    context->Parameters = *p;
    context->DepthFormat = depthFormat;
    context->MultiSampleType = samples;
    context->BackBufferFormat = backBufferFormat;
    context->MaxTextureStages = info.Caps.MaxSimultaneousTextures;
    context->TextureManager = new ::TextureManager(context);

    // 14.
    context->SetDefaultStates();
    Contexts.push_back(context);
    return context;
}

// ---------------------------------------------------------------------------
// The graphics context: states and transforms

GraphicsContext::GraphicsContext()
    : PrimitiveType(D3DPT_TRIANGLELIST),
      CullOrder(D3DCULL_CCW),
      BackfaceCulling(true),
      MipMapping(false),
      Billboarding(false),
      MipFilter(D3DTEXF_NONE),
      Window(nullptr),
      MainSurface(nullptr),
      DepthSurface(nullptr),
      Device(nullptr),
      BackBufferFormat(D3DFMT_UNKNOWN),
      DepthFormat(D3DFMT_UNKNOWN),
      MultiSampleType(D3DMULTISAMPLE_NONE),
      MaxTextureStages(0),
      TextureManager(nullptr)
{
    // Every matrix starts as the identity (Matrix4x4's own default).
}

template <typename F>
void GraphicsContext::ForStages(dword stage, F&& apply)
{
    if (stage != AllStages) {
        apply(stage);
        return;
    }
    for (std::int32_t s = 0; s < static_cast<std::int32_t>(MaxTextureStages); ++s)
        apply(static_cast<dword>(s));
}

void GraphicsContext::SetDefaultStates()
{
    Device->SetRenderState(D3DRS_LOCALVIEWER, 1);
    SetPrimitiveType(D3DPT_TRIANGLELIST);
    SetBackfaceCulling(true);
    SetFrontFace(D3DCULL_CW);
    SetLighting(true);
    SetColorVertex(false);
    SetAmbientLight(Color(0.0f));
    SetMipMapping(true, AllStages);
    SetTextureFiltering(1, AllStages);
    SetBillboarding(false);
    SetSpecular(true);
    Matrix4x4 projection;
    CreateProjectionMatrix(projection, 0.785398185f, 1.33333337f, 1.0f, 10000.0f);
    SetProjectionMatrix(projection);
}

void GraphicsContext::SetLighting(bool on) { Device->SetRenderState(D3DRS_LIGHTING, on ? 1 : 0); }
void GraphicsContext::SetColorVertex(bool on) { Device->SetRenderState(D3DRS_COLORVERTEX, on ? 1 : 0); }
void GraphicsContext::SetAmbientLight(Color c) { Device->SetRenderState(D3DRS_AMBIENT, c.GetPacked32()); }
void GraphicsContext::SetShadingMode(dword mode) { Device->SetRenderState(D3DRS_SHADEMODE, mode); }
void GraphicsContext::SetSpecular(bool on) { Device->SetRenderState(D3DRS_SPECULARENABLE, on ? 1 : 0); }
void GraphicsContext::SetAutoNormalize(bool on) { Device->SetRenderState(D3DRS_NORMALIZENORMALS, on ? 1 : 0); }

void GraphicsContext::SetColorWrite(bool r, bool g, bool b, bool a)
{
    Device->SetRenderState(D3DRS_COLORWRITEENABLE, (r ? 1u : 0u) | (g ? 2u : 0u) | (b ? 4u : 0u) | (a ? 8u : 0u));
}

void GraphicsContext::SetAlphaBlending(bool on) { Device->SetRenderState(D3DRS_ALPHABLENDENABLE, on ? 1 : 0); }

void GraphicsContext::SetBlendFunc(dword src, dword dest)
{
    Device->SetRenderState(D3DRS_SRCBLEND, src);
    Device->SetRenderState(D3DRS_DESTBLEND, dest);
}

void GraphicsContext::SetZBuffering(bool on) { Device->SetRenderState(D3DRS_ZENABLE, on ? 1 : 0); }
void GraphicsContext::SetZWrite(bool on) { Device->SetRenderState(D3DRS_ZWRITEENABLE, on ? 1 : 0); }
void GraphicsContext::SetZFunc(dword func) { Device->SetRenderState(D3DRS_ZFUNC, func); }
void GraphicsContext::SetStencilBuffering(bool on) { Device->SetRenderState(D3DRS_STENCILENABLE, on ? 1 : 0); }
void GraphicsContext::SetStencilFailOp(dword op) { Device->SetRenderState(D3DRS_STENCILFAIL, op); }
void GraphicsContext::SetStencilPassZFailOp(dword op) { Device->SetRenderState(D3DRS_STENCILZFAIL, op); }
void GraphicsContext::SetStencilPassOp(dword op) { Device->SetRenderState(D3DRS_STENCILPASS, op); }

void GraphicsContext::SetStencilOp(dword fail, dword zfail, dword pass)
{
    Device->SetRenderState(D3DRS_STENCILPASS, pass);
    Device->SetRenderState(D3DRS_STENCILFAIL, fail);
    Device->SetRenderState(D3DRS_STENCILZFAIL, zfail);
}

void GraphicsContext::SetStencilFunc(dword func) { Device->SetRenderState(D3DRS_STENCILFUNC, func); }
void GraphicsContext::SetStencilReference(dword ref) { Device->SetRenderState(D3DRS_STENCILREF, ref); }
void GraphicsContext::SetTextureFactor(dword argb) { Device->SetRenderState(D3DRS_TEXTUREFACTOR, argb); }
void GraphicsContext::SetMaterial(const Material& material) { Device->SetMaterial(material.GetD3DMaterial()); }

void GraphicsContext::SetPrimitiveType(dword type) { PrimitiveType = type; }

void GraphicsContext::SetBackfaceCulling(bool on)
{
    Device->SetRenderState(D3DRS_CULLMODE, on ? CullOrder : D3DCULL_NONE);
    BackfaceCulling = on;
}

void GraphicsContext::SetFrontFace(dword winding)
{
    // Clockwise front faces mean counter-clockwise ones are culled.
    CullOrder = winding == D3DCULL_CW ? D3DCULL_CCW : D3DCULL_CW;
    if (BackfaceCulling)
        SetBackfaceCulling(true);
}

void GraphicsContext::SetTexture(dword stage, IDirect3DTexture8* texture) { Device->SetTexture(stage, texture); }
void GraphicsContext::DisableTextureStage(dword stage) { Device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE); }

void GraphicsContext::SetTextureStageColor(dword stage, dword op, dword arg1, dword arg2, dword arg0)
{
    Device->SetTextureStageState(stage, D3DTSS_COLOROP, op);
    Device->SetTextureStageState(stage, D3DTSS_COLORARG1, arg1);
    Device->SetTextureStageState(stage, D3DTSS_COLORARG2, arg2);
    if (arg0 != 0)
        Device->SetTextureStageState(stage, D3DTSS_COLORARG0, arg0);
}

void GraphicsContext::SetTextureStageAlpha(dword stage, dword op, dword arg1, dword arg2, dword arg0)
{
    Device->SetTextureStageState(stage, D3DTSS_ALPHAOP, op);
    Device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, arg1);
    Device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, arg2);
    if (arg0 != 0)
        Device->SetTextureStageState(stage, D3DTSS_ALPHAARG0, arg0);
}

void GraphicsContext::SetTextureCoordIndex(dword stage, dword index)
{
    Device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, index);
}

void GraphicsContext::SetTextureTransformFlags(dword stage, dword flags)
{
    Device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, flags);
}

void GraphicsContext::SetTextureAddressing(dword u, dword v, dword stage)
{
    ForStages(stage, [&](dword s) {
        Device->SetTextureStageState(s, D3DTSS_ADDRESSU, u);
        Device->SetTextureStageState(s, D3DTSS_ADDRESSV, v);
    });
}

void GraphicsContext::SetTextureBorderColor(dword colour, dword stage)
{
    ForStages(stage, [&](dword s) { Device->SetTextureStageState(s, D3DTSS_BORDERCOLOR, colour); });
}

void GraphicsContext::SetMipMapping(bool on, dword stage)
{
    MipMapping = on;
    const dword filter = on ? MipFilter : D3DTEXF_NONE;
    ForStages(stage, [&](dword s) { Device->SetTextureStageState(s, D3DTSS_MIPFILTER, filter); });
}

void GraphicsContext::SetTextureFiltering(dword mode, dword stage)
{
    static const struct {
        dword TexFilter;
        dword MipFilter;
    } modes[] = {
        {D3DTEXF_POINT, D3DTEXF_POINT},
        {D3DTEXF_LINEAR, D3DTEXF_POINT},
        {D3DTEXF_LINEAR, D3DTEXF_LINEAR},
        {D3DTEXF_ANISOTROPIC, D3DTEXF_LINEAR},
    };
    // Only the four modes exist; another changes nothing.
    if (mode >= std::size(modes))
        return;
    MipFilter = modes[mode].MipFilter;
    const dword mip = MipMapping ? MipFilter : D3DTEXF_NONE;
    const dword tex = modes[mode].TexFilter;
    ForStages(stage, [&](dword s) {
        Device->SetTextureStageState(s, D3DTSS_MINFILTER, tex);
        Device->SetTextureStageState(s, D3DTSS_MAGFILTER, tex);
        Device->SetTextureStageState(s, D3DTSS_MIPFILTER, mip);
    });
}

void GraphicsContext::SetWorldMatrix(const Matrix4x4& m, dword BlendIndex)
{
    if (!ENGINE_CHECK(BlendIndex < 256))
        return;
    WorldMatrix[BlendIndex] = m;
    if (Billboarding)
        SetBillboarding(true);
    else
        Device->SetTransform(D3DTS_WORLDMATRIX(BlendIndex), AsD3D(m));
}

void GraphicsContext::SetViewMatrix(const Matrix4x4& m)
{
    ViewMatrix = m;
    if (Billboarding)
        SetBillboarding(true);
    else
        Device->SetTransform(D3DTS_VIEW, AsD3D(m));
}

void GraphicsContext::SetProjectionMatrix(const Matrix4x4& m)
{
    ProjectionMatrix = m;
    Device->SetTransform(D3DTS_PROJECTION, AsD3D(m));
}

void GraphicsContext::SetTextureMatrix(const Matrix4x4& m, dword TextureStage)
{
    if (!ENGINE_CHECK(TextureStage < 8))
        return;
    TextureMatrix[TextureStage] = m;
    Device->SetTransform(D3DTS_TEXTURE0 + TextureStage, AsD3D(m));
}

Matrix4x4* GraphicsContext::GetWorldMatrix(dword BlendIndex)
{
    // Out of range: world matrix 0, so a caller never reads past the array.
    if (!ENGINE_CHECK(BlendIndex < 256))
        return &WorldMatrix[0];
    return &WorldMatrix[BlendIndex];
}

Matrix4x4* GraphicsContext::GetTextureMatrix(dword TextureStage)
{
    if (!ENGINE_CHECK(TextureStage < 8))
        return &TextureMatrix[0];
    return &TextureMatrix[TextureStage];
}

void GraphicsContext::SetViewport(dword x, dword y, dword width, dword height, float minz, float maxz)
{
    D3DVIEWPORT8 viewport{x, y, width, height, minz, maxz};
    Device->SetViewport(&viewport);
}

void GraphicsContext::SetBillboarding(bool on)
{
    Billboarding = on;
    if (!on) {
        Device->SetTransform(D3DTS_WORLDMATRIX(0), AsD3D(WorldMatrix[0]));
        return;
    }

    Vector3 pos(0.0f, 0.0f, 0.0f);
    pos.Transform(WorldMatrix[0]);
    Matrix4x4 world;
    world.Translate(pos.x, pos.y, pos.z);

    const Vector4 row = ViewMatrix.Inverse().GetRow(2);
    const Vector3 dir(row.x, row.y, row.z);

    const float halfPi = 1.5707964f;
    const double slope = static_cast<double>(dir.z / dir.x);
    const float yaw = dir.x > 0.0f ? static_cast<float>(halfPi - static_cast<float>(std::atan(slope)))
                                   : static_cast<float>(-static_cast<float>(std::atan(slope)) - halfPi);

    Matrix4x4 rotation;
    rotation.Rotate(0.0f, yaw, 0.0f);
    Vector3 xaxis(1.0f, 0.0f, 0.0f);
    xaxis.Transform(rotation);
    Vector3 normal(0.0f, 0.0f, -1.0f);
    normal.Transform(rotation);
    const float angle = static_cast<float>(std::acos(static_cast<double>(DotProduct(normal, dir.Normalized()))));
    rotation.Rotate(xaxis, angle);

    const Matrix4x4 billboard = rotation * world;
    Device->SetTransform(D3DTS_WORLDMATRIX(0), AsD3D(billboard));
}

void CreateProjectionMatrix(Matrix4x4& m, float fov, float aspect, float znear, float zfar)
{
    const float w = fov * aspect;
    m = Matrix4x4(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    m.m[0][0] = static_cast<float>(1.0 / std::tan(static_cast<double>(w * 0.5f)));
    m.m[1][1] = static_cast<float>(1.0 / std::tan(static_cast<double>(fov * 0.5f)));
    const float q = zfar / (zfar - znear);
    m.m[2][2] = q;
    m.m[3][2] = -q * znear;
    m.m[2][3] = 1.0f;
    m.m[3][3] = 0.0f;
}

// ---------------------------------------------------------------------------
// The graphics context: resources, drawing, render targets and shaders

const DWORD VertDecl[11] = {
    0x20000000, // stream 0
    0x40020000, // v0 position, float3
    0x40000001, // v1 blend weight, float1
    0x40050002, // v2 blend indices, ubyte4
    0x40020003, // v3 normal, float3
    0x40040005, // v5 diffuse, colour
    0x40010007, // v7..v10 texture coordinates, float2
    0x40010008,
    0x40010009,
    0x4001000A,
    0xFFFFFFFF, // end
};

bool GraphicsContext::CreateVertexBuffer(dword count, dword usage, IDirect3DVertexBuffer8** out)
{
    return Device->CreateVertexBuffer(count * sizeof(Vertex), usage, 0x1458, D3DPOOL_DEFAULT, out) == D3D_OK;
}

bool GraphicsContext::CreateIndexBuffer(dword count, dword usage, IDirect3DIndexBuffer8** out)
{
    return Device->CreateIndexBuffer(count * sizeof(Index), usage, D3DFMT_INDEX16, D3DPOOL_DEFAULT, out) == D3D_OK;
}

bool GraphicsContext::CreateSurface(dword width, dword height, IDirect3DSurface8** out)
{
    return Device->CreateImageSurface(width, height, BackBufferFormat, out) == D3D_OK;
}

bool GraphicsContext::CreateDepthStencil(dword width, dword height, IDirect3DSurface8** out)
{
    return Device->CreateDepthStencilSurface(width, height, DepthFormat, MultiSampleType, out) == D3D_OK;
}

void GraphicsContext::Clear(dword colour) { Device->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0); }
void GraphicsContext::ClearZBuffer(float z) { Device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, z, 0); }
void GraphicsContext::ClearStencil(std::uint8_t stencil) { Device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, stencil); }

void GraphicsContext::ClearZBufferStencil(float z, std::uint8_t stencil)
{
    Device->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, z, stencil);
}

void GraphicsContext::Flip() { Device->Present(nullptr, nullptr, nullptr, nullptr); }

bool GraphicsContext::Draw(IDirect3DVertexBuffer8* vb)
{
    D3DVERTEXBUFFER_DESC desc{};
    vb->GetDesc(&desc);
    const dword n = desc.Size / sizeof(Vertex);
    Device->SetStreamSource(0, vb, sizeof(Vertex));
    const bool ok = Device->DrawPrimitive(PrimitiveType, 0, n / 3) == D3D_OK;
    Device->SetStreamSource(0, nullptr, 0);
    return ok;
}

bool GraphicsContext::Draw(const Vertex* vertices, dword count)
{
    return Device->DrawPrimitiveUP(PrimitiveType, count / 3, vertices, sizeof(Vertex)) == D3D_OK;
}

bool GraphicsContext::Draw(IDirect3DVertexBuffer8* vb, IDirect3DIndexBuffer8* ib)
{
    D3DVERTEXBUFFER_DESC vdesc{};
    vb->GetDesc(&vdesc);
    D3DINDEXBUFFER_DESC idesc{};
    ib->GetDesc(&idesc);
    const dword nv = vdesc.Size / sizeof(Vertex);
    const dword ni = idesc.Size / sizeof(Index);
    Device->SetStreamSource(0, vb, sizeof(Vertex));
    Device->SetIndices(ib, 0);
    const bool ok = Device->DrawIndexedPrimitive(PrimitiveType, 0, nv, 0, ni / 3) == D3D_OK;
    Device->SetIndices(nullptr, 0);
    Device->SetStreamSource(0, nullptr, 0);
    return ok;
}

bool GraphicsContext::Draw(const Vertex* vertices, const Index* indices, dword vcount, dword icount)
{
    return Device->DrawIndexedPrimitiveUP(PrimitiveType, 0, vcount, icount / 3, indices, D3DFMT_INDEX16, vertices,
                                          sizeof(Vertex)) == D3D_OK;
}

bool GraphicsContext::Draw(const Vertex* vertices, const Triangle* triangles, dword vcount, dword tricount)
{
    std::vector<Index> indices(3 * static_cast<std::size_t>(tricount));
    for (dword t = 0; t < tricount; ++t)
        for (int k = 0; k < 3; ++k)
            indices[3 * t + k] = triangles[t].Vertices[k];
    return Draw(vertices, indices.data(), vcount, 3 * tricount);
}

void GraphicsContext::ResetRenderTarget() { Device->SetRenderTarget(MainSurface, DepthSurface); }

void GraphicsContext::SetRenderTarget(const RenderSurfaces& surfaces)
{
    Device->SetRenderTarget(surfaces.ColorSurface, surfaces.DepthSurface);
}

void GraphicsContext::SetRenderTarget(IDirect3DTexture8* color, IDirect3DTexture8* depth)
{
    IDirect3DSurface8* colorSurface = nullptr;
    IDirect3DSurface8* depthSurface = nullptr;
    if (color != nullptr)
        color->GetSurfaceLevel(0, &colorSurface);
    if (depth != nullptr)
        depth->GetSurfaceLevel(0, &depthSurface);
    Device->SetRenderTarget(colorSurface, depthSurface);
    if (colorSurface != nullptr)
        colorSurface->Release();
    if (depthSurface != nullptr)
        depthSurface->Release();
}

void GraphicsContext::SetVertexShader(dword handle) { Device->SetVertexShader(handle); }
void GraphicsContext::SetPixelShader(dword handle) { Device->SetPixelShader(handle); }
void GraphicsContext::DeleteVertexShader(dword handle) { Device->DeleteVertexShader(handle); }

dword GraphicsContext::CreateVertexShader(const char* filename)
{
    LPD3DXBUFFER code = nullptr;
    LPD3DXBUFFER errors = nullptr;
    auto release = [&] {
        if (code != nullptr)
            code->Release();
        if (errors != nullptr)
            errors->Release();
    };
    if (D3DXAssembleShaderFromFileA(filename, 0, nullptr, &code, &errors) != 0) {
        release();
        return 0xFFFFFFFF;
    }
    const auto* tokens = static_cast<const DWORD*>(code->GetBufferPointer());
    DWORD handle = 0;
    if (Device->CreateVertexShader(VertDecl, tokens, &handle, 0) != D3D_OK &&
        Device->CreateVertexShader(VertDecl, tokens, &handle, D3DUSAGE_SOFTWAREPROCESSING) != D3D_OK) {
        release();
        throw EngineGeneralException(std::string("The system lacks required programmable vertex processing unit support"));
    }
    release();
    return handle;
}

void GraphicsContext::SetVertexShaderConstant(dword reg, float f)
{
    const float value[4] = {f, 0.0f, 0.0f, 1.0f};
    Device->SetVertexShaderConstant(reg, value, 1);
}

void GraphicsContext::SetVertexShaderConstant(dword reg, const Vector3& v)
{
    const Vector4 value(v);
    Device->SetVertexShaderConstant(reg, &value, 1);
}

void GraphicsContext::SetVertexShaderConstant(dword reg, const Vector4& v) { Device->SetVertexShaderConstant(reg, &v, 1); }
void GraphicsContext::SetVertexShaderConstant(dword reg, const Color& c) { Device->SetVertexShaderConstant(reg, &c, 1); }
void GraphicsContext::SetVertexShaderConstant(dword reg, const Matrix4x4& m) { Device->SetVertexShaderConstant(reg, &m, 4); }

void GraphicsContext::SetVertexShaderConstant(dword reg, const void* data, dword count)
{
    Device->SetVertexShaderConstant(reg, data, count);
}

namespace
{
template <typename Buffer, typename Desc>
bool LockWhole(Buffer* buffer, void** data)
{
    Desc desc{};
    buffer->GetDesc(&desc);
    const DWORD flags = (desc.Usage & D3DUSAGE_DYNAMIC) != 0 ? D3DLOCK_DISCARD | D3DLOCK_NOOVERWRITE : 0;
    return buffer->Lock(0, 0, reinterpret_cast<BYTE**>(data), flags) == D3D_OK;
}
}

bool Lock(IDirect3DVertexBuffer8* vb, void** data) { return LockWhole<IDirect3DVertexBuffer8, D3DVERTEXBUFFER_DESC>(vb, data); }
bool Lock(IDirect3DIndexBuffer8* ib, void** data) { return LockWhole<IDirect3DIndexBuffer8, D3DINDEXBUFFER_DESC>(ib, data); }
void Unlock(IDirect3DVertexBuffer8* vb) { vb->Unlock(); }
void Unlock(IDirect3DIndexBuffer8* ib) { ib->Unlock(); }

// ---------------------------------------------------------------------------
// Texture helpers

void UpdateMipmaps(IDirect3DTexture8* texture)
{
    if (texture != nullptr)
        D3DXFilterTexture(texture, nullptr, 0, D3DX_FILTER_BOX);
}

namespace
{
// The truncated byte of a channel; out of range (which unit vectors never
// are) it stops at the byte's ends instead of spilling into its neighbour.
dword ChannelByte(float f)
{
    if (!(f >= 0.0f))
        return 0;
    return f < 256.0f ? static_cast<dword>(f) : 255;
}
} // namespace

dword PackVector(const Vector3& v, float a)
{
    const dword r = ChannelByte(127.0f * v.x + 128.0f);
    const dword g = ChannelByte(127.0f * v.y + 128.0f);
    const dword b = ChannelByte(127.0f * v.z + 128.0f);
    const dword alpha = ChannelByte(255.0f * a);
    return (alpha << 24) + (r << 16) + (g << 8) + b;
}

void CreateNormalMap(IDirect3DTexture8* texture)
{
    if (texture == nullptr)
        return;
    const DWORD levels = texture->GetLevelCount();
    for (DWORD level = 0; level < levels; ++level) {
        D3DSURFACE_DESC desc{};
        if (texture->GetLevelDesc(level, &desc) != D3D_OK)
            continue;
        // Texels are read and written as dwords: another layout would be
        // overrun.
        if (!ENGINE_CHECK(desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8))
            return;
        D3DLOCKED_RECT locked{};
        if (texture->LockRect(level, &locked, nullptr, 0) != D3D_OK)
            continue;
        const dword w = desc.Width;
        const dword h = desc.Height;
        auto* bits = static_cast<BYTE*>(locked.pBits);
        auto texel = [&](dword x, dword y) -> dword& {
            return reinterpret_cast<dword*>(bits + std::ptrdiff_t(y) * locked.Pitch)[x];
        };
        auto height = [&](dword x, dword y) { return float((texel(x, y) >> 16) & 0xFF) / 255.0f; };
        // In place: each texel's right and lower neighbours are read before
        // they are written.
        for (dword y = 0; y < h; ++y) {
            for (dword x = 0; x < w; ++x) {
                const dword x1 = x + 1 < w ? x + 1 : x;
                const dword y1 = y + 1 < h ? y + 1 : y;
                const float h00 = height(x, y);
                const float h10 = height(x1, y);
                const float h01 = height(x, y1);
                const Vector3 vPoint00(float(x), float(y), h00);
                const Vector3 vPoint10(float(x + 1), float(y), h10);
                const Vector3 vPoint01(float(x), float(y + 1), h01);
                Vector3 normal = (vPoint10 - vPoint00).CrossProduct(vPoint01 - vPoint00);
                normal.Normalize();
                texel(x, y) = PackVector(normal, h00);
            }
        }
        texture->UnlockRect(level);
    }
}
