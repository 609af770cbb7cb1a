#include "game/game.h"

#include "engine/exceptions.h"
#include "engine/3dgeom.h"
#include "engine/sceneloader.h"
#include "engine/textureman.h"
#include "engine/window.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

Timer AppTimer;
PointLight MainLight;
HWND WindowHandle = nullptr;
GraphicsContext* Graphics = nullptr;
Object* BoardObject = nullptr;
Object* GridObject = nullptr;
Object* WhiteStone = nullptr;
Object* BlackStone = nullptr;
Object* TrapeziObject = nullptr;
Object* GuiQuad = nullptr;
Vector3 GridPositions[BoardSize][BoardSize];
float GridSpacing = 0.0f;
float StoneHeight = 0.0f;

namespace
{
const char WindowTitle[] = "go3d";

// The scene file's objects the game cannot do without.
struct SceneObject
{
    const char* Name;
    Object** Slot;
};
const SceneObject SceneObjects[] = {
    {"Board", &BoardObject}, {"Grid", &GridObject}, {"White", &WhiteStone},
    {"Black", &BlackStone},  {"Trapezi", &TrapeziObject},
};
const SceneObject StoneModels[] = {{"White", &WhiteStone}, {"Black", &BlackStone}};

// The vertices of an object's first level; 0 for a mesh without one.
dword VertexCount(Object* object)
{
    const TriMesh* mesh = object->GetTriMesh();
    if (mesh == nullptr || mesh->GetVertexArray(0) == nullptr)
        return 0;
    return mesh->GetVertexCount(0);
}

// Why the scene file's objects cannot make the game: one missing, or not
// what the board and the stones are built from. Empty when they can.
std::string SceneFault()
{
    const std::string file = "The scene file data/geometry2.3ds";
    for (const SceneObject& o : SceneObjects)
        if (*o.Slot == nullptr)
            return file + " has no object \"" + o.Name + "\"";

    const dword points = BoardSize * BoardSize;
    const dword gridVertices = VertexCount(GridObject);
    if (gridVertices < points)
        return file + ": its object \"Grid\" has " + std::to_string(gridVertices) +
               " vertices, fewer than the board's " + std::to_string(points) + " intersections";
    const Vertex* grid = GridObject->GetTriMesh()->GetVertexArray(0);
    const float spacing = (grid[0].Position - grid[1].Position).Length();
    if (!(spacing > 0.0f) || !std::isfinite(spacing)) {
        char distance[32];
        std::snprintf(distance, sizeof distance, "%g", spacing);
        return file + ": its object \"Grid\" gives no grid spacing (its first two vertices, neighbouring " +
               "intersections, lie " + distance + " apart)";
    }

    for (const SceneObject& stone : StoneModels)
        if (VertexCount(*stone.Slot) == 0)
            return file + ": its object \"" + stone.Name + "\" has no vertices to draw a stone with";
    return {};
}

void Flatten(Object* stone, const Matrix4x4& ScaleMat)
{
    TriMesh* mesh = stone->GetTriMesh();
    Vertex* vertices = mesh->GetModVertexArray();
    const dword count = mesh->GetVertexCount(0);
    for (dword i = 0; i < count; ++i)
        vertices[i].Position.Transform(ScaleMat);
}
}

ATOM RegisterWindowClass()
{
    WNDCLASSEXA wc{};
    wc.cbSize = 48;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WindowProcedure;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(5);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = "QrxWin";
    return RegisterClassExA(&wc);
}

int RunApplication()
{
    WindowHandle = CreateMainWindow(WindowTitle, CENTER_X, CENTER_Y, 100, 50);
    SetIdleHandler(DrawFrame);
    SetEventHandler(EVENT_KEYBOARD, OnKeyDown);
    SetEventHandler(EVENT_CLOSE, OnClose);
    SetEventHandler(EVENT_MOUSE, OnMouseButton);
    SetEventHandler(EVENT_MOUSE_WHEEL, OnMouseWheel);
    if (InitializeScene())
        return MainLoop(1);
    return 0;
}

bool InitializeScene()
{
    GraphicsInitParameters cip;
    try {
        cip = MainEngine.ReadConfigFile("q3dinit.conf");
        Graphics = MainEngine.CreateGraphicsContext(WindowHandle, 0, &cip);
    } catch (const EngineInitException& except) {
        MessageBoxA(WindowHandle, except.GetErrorString().c_str(), "Fatal Error", MB_ICONERROR);
        return false;
    }
    // Device creation can also fail without an exception; every later step
    // needs the context, so say so the same way.
    if (Graphics == nullptr) {
        MessageBoxA(WindowHandle,
                    EngineInitException(std::string("Could not create Direct3D device")).GetErrorString().c_str(),
                    "Fatal Error", MB_ICONERROR);
        return false;
    }

    ScreenWidth = static_cast<std::int32_t>(cip.XRes);
    ScreenHeight = static_cast<std::int32_t>(cip.YRes);
    CenterWindow(WindowHandle, ScreenWidth, ScreenHeight);
    AdjustWindowForStyle(WindowHandle, WS_OVERLAPPEDWINDOW);

    MainCamera.SetCamera(Vector3(0, 100, -100), Vector3(0, 0, 0), Vector3(0, 1, 0));
    MainLight = PointLight(Vector3(0, 100, 0), 1000.0f, 1.0f, 0.0f, 0.0f);
    Graphics->SetAmbientLight(Color(0.1f));
    // Blend between mip levels: the grid's ink and the wood are textures
    // seen at every distance across the board, and within one level only a
    // row where the level changes shows as a line from crisp to soft.
    Graphics->SetTextureFiltering(2, AllStages);

    SceneLoader::SetGraphicsContext(Graphics);
    SceneLoader::SetDataPath("data/");
    for (const SceneObject& o : SceneObjects)
        SceneLoader::LoadObject("data/geometry2.3ds", o.Name, o.Slot);
    // The board and the stones are built from these objects: a file that
    // cannot give them is said, rather than read past or drawn as garbage.
    if (const std::string fault = SceneFault(); !fault.empty()) {
        MessageBoxA(WindowHandle, fault.c_str(), "Fatal Error", MB_ICONERROR);
        return false;
    }

    GuiQuad = new Object(Graphics, 1);
    GuiQuad->CreatePlane(1.6f, 0);
    GuiQuad->Material = Material(1, 1, 1, 1);
    GuiQuad->Material.Alpha = 0.99f;
    GuiQuad->Material.SetTexture(Graphics->TextureManager->LoadTexture("data/gui01.jpg"), TextureMap);
    GuiQuad->SetScaling(2, 1, 1);
    GuiQuad->SetTranslation(-6, 4, 0);
    GuiQuad->SetBlendingMode(D3DBLEND_ONE, D3DBLEND_ONE);

    InitBoard();

    Matrix4x4 ScaleMat;
    ScaleMat.SetScaling(1.0f, 0.4f, 1.0f);
    Flatten(BlackStone, ScaleMat);
    Flatten(WhiteStone, ScaleMat);

    AppTimer.Start();
    return true;
}

void InitBoard()
{
    Vector3 origin(0, 0, 0);
    origin.Transform(WhiteStone->GetWorldTransform());
    StoneHeight = origin.y;

    const Vertex* grid = GridObject->GetTriMesh()->GetVertexArray(0);
    GridSpacing = (grid[0].Position - grid[1].Position).Length();
    for (int row = 0; row < BoardSize; ++row) {
        for (int col = 0; col < BoardSize; ++col) {
            const Vector3& p = grid[row * BoardSize + col].Position;
            GridPositions[row][col] = p;
            PickSpheres[row][col].Centre = p;
            PickSpheres[row][col].Radius = GridSpacing / 2;
        }
    }
    LinkBoard();
}

std::int32_t OnClose()
{
    // For tests that drive the program from outside: where the input has
    // left the camera, one line on standard error.
    if (const char* report = std::getenv("GO3D_CAMERA"); report && std::strcmp(report, "stderr") == 0) {
        const Vector3 position = MainCamera.GetPosition();
        const Vector3 target = MainCamera.GetTarget();
        std::fprintf(stderr, "camera position %.9g %.9g %.9g target %.9g %.9g %.9g\n", position.x, position.y,
                     position.z, target.x, target.y, target.z);
    }
    CleanUp();
    return 0;
}

void CleanUp()
{
    DestroyCaptureBursts();
    delete BoardObject;
    delete GridObject;
    delete WhiteStone;
    delete BlackStone;
    BoardObject = GridObject = WhiteStone = BlackStone = nullptr;
}
