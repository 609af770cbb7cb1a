// The scene container: what it keeps and in which order, what it installs
// in the device's lights, the order of its shadow pass, what it deletes, and
// its shadows and halos in pixels.

#include "counted.h"
#include "device_fixture.h"
#include "engine/camera.h"
#include "engine/curves.h"
#include "engine/lights.h"
#include "engine/object.h"
#include "engine/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

namespace
{
// Names read from a 3DS file keep their terminating zero.
std::string FromFile(const char* name) { return std::string(name) + '\0'; }

// To see what the scene deleted.
using CountedLight = enginetest::Counted<PointLight>;
using CountedCurve = enginetest::Counted<CatmullRomSpline>;

Object* Named(const char* name, float alpha = 1.0f)
{
    auto* o = new Object(nullptr, 1);
    o->Name = name;
    o->Material.SetAlpha(alpha);
    return o;
}
}

TEST(Scene, TheFirstCameraStaysActive)
{
    Scene scene(nullptr);
    EXPECT_EQ(scene.GetActiveCamera(), nullptr);
    auto* first = new Camera;
    auto* second = new Camera;
    scene.AddCamera(first);
    scene.AddCamera(second);
    EXPECT_EQ(scene.GetActiveCamera(), first);
    Camera outside;  // any camera may be made active, not only a held one
    scene.SetActiveCamera(&outside);
    EXPECT_EQ(scene.GetActiveCamera(), &outside);
}

TEST(Scene, TransparentObjectsGoToTheBack)
{
    struct Case
    {
        std::vector<std::pair<const char*, float>> added;  // name, material alpha
        std::string order;
    } cases[] = {
        {{{"A", 1.0f}, {"B", 0.5f}, {"C", 1.0f}}, "CAB"},
        {{{"A", 0.5f}, {"B", 0.99f}, {"C", 1.0f}}, "CAB"},
        {{{"A", 1.0f}, {"B", 1.0f}}, "BA"},
    };
    for (const Case& k : cases) {
        Scene scene(nullptr);
        for (const auto& [name, alpha] : k.added)
            scene.AddObject(Named(name, alpha));
        std::string order;
        for (Object* o : scene.GetObjectsList())
            order += o->Name;
        EXPECT_EQ(order, k.order);
    }
}

TEST(Scene, EightLightSlotsFilledFromTheFront)
{
    int deaths = 0;
    Scene scene(nullptr);
    CountedLight* lights[9];
    for (int i = 0; i < 9; ++i) {
        lights[i] = new CountedLight(&deaths);
        const char name[3] = {'L', char('0' + i), '\0'};
        lights[i]->Name = FromFile(name);
        scene.AddLight(lights[i]);
    }
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(scene.Lights[i], lights[i]) << i;
    EXPECT_EQ(scene.GetLight("L8"), nullptr);  // the ninth is not stored

    scene.RemoveLight(lights[2]);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(scene.Lights[i], i == 2 ? nullptr : lights[i]) << i;
    EXPECT_EQ(scene.GetLight("L2"), nullptr);
    EXPECT_EQ(scene.GetLight("L3"), lights[3]);  // found past the empty slot

    scene.RemoveLight(lights[8]);  // not held: nothing happens
    scene.RemoveLight(nullptr);
    EXPECT_EQ(scene.Lights[2], nullptr);
    scene.AddLight(lights[8]);  // the first empty slot takes it
    EXPECT_EQ(scene.Lights[2], lights[8]);

    delete lights[2];  // removed: the caller's
    EXPECT_EQ(deaths, 1);
}

TEST(Scene, LookupsByName)
{
    Scene scene(nullptr);
    Object* box = Named("");
    box->Name = FromFile("Box01");
    scene.AddObject(box);
    Object* plain = Named("Plain");  // a name set in code, no zero
    scene.AddObject(plain);
    auto* first = new Camera;
    first->Name = FromFile("Camera01");
    auto* second = new Camera;
    second->Name = FromFile("Camera01");
    scene.AddCamera(first);
    scene.AddCamera(second);
    auto* omni = new PointLight;
    omni->Name = FromFile("Omni01");
    scene.AddLight(omni);
    auto* path = new CatmullRomSpline;
    path->Name = FromFile("Path01");
    scene.AddCurve(path);

    struct Case
    {
        const char* name;
        const void* object, *camera, *light, *curve;
    } cases[] = {
        {"Box01", box, nullptr, nullptr, nullptr},
        {"Plain", plain, nullptr, nullptr, nullptr},
        {"Camera01", nullptr, first, nullptr, nullptr},  // the first of two
        {"Omni01", nullptr, nullptr, omni, nullptr},
        {"Path01", nullptr, nullptr, nullptr, path},
        {"box01", nullptr, nullptr, nullptr, nullptr},  // case counts
        {"Box0", nullptr, nullptr, nullptr, nullptr},
        {"Box01 ", nullptr, nullptr, nullptr, nullptr},
        {"", nullptr, nullptr, nullptr, nullptr},
        {nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    for (const Case& k : cases) {
        const std::string what = k.name != nullptr ? k.name : "(null)";
        EXPECT_EQ(scene.GetObject(k.name), k.object) << what;
        EXPECT_EQ(scene.GetCamera(k.name), k.camera) << what;
        EXPECT_EQ(scene.GetLight(k.name), k.light) << what;
        EXPECT_EQ(scene.GetCurve(k.name), k.curve) << what;
    }
}

TEST(Scene, FogOffKeepsColourAndDistances)
{
    Scene scene(nullptr);
    EXPECT_FALSE(scene.Fog);
    scene.SetFog(true, Color(1.0f, 0.0f, 0.0f, 1.0f), 10.0f, 100.0f);
    EXPECT_TRUE(scene.Fog);
    scene.SetFog(false, Color(0.0f, 0.0f, 1.0f, 1.0f), 1.0f, 2.0f);
    EXPECT_FALSE(scene.Fog);
    EXPECT_EQ(scene.FogColor.r, 1.0f);
    EXPECT_EQ(scene.FogColor.b, 0.0f);
    EXPECT_EQ(scene.FogNear, 10.0f);
    EXPECT_EQ(scene.FogFar, 100.0f);
}

TEST(Scene, TheDestructorDeletesWhatItHoldsAndNotWhatWasRemoved)
{
    int lightDeaths = 0, removedLightDeaths = 0, curveDeaths = 0;
    Object* removed = Named("Removed");
    auto* removedLight = new CountedLight(&removedLightDeaths);
    auto* refused = new CountedLight(&removedLightDeaths);
    {
        Scene scene(nullptr);
        scene.AddObject(Named("Kept", 0.5f));
        scene.AddObject(removed);
        scene.AddObject(Named("Kept"));
        scene.AddCamera(new Camera);
        scene.AddLight(new CountedLight(&lightDeaths));
        scene.AddLight(removedLight);
        for (int i = 0; i < 6; ++i)
            scene.AddLight(new CountedLight(&lightDeaths));
        scene.AddLight(refused);  // a ninth: stays the caller's
        scene.AddCurve(new CountedCurve(&curveDeaths));
        scene.AddStaticMesh(new TriMesh(1, nullptr));
        scene.RemoveObject(removed);
        scene.RemoveObject(removed);  // no longer held: nothing happens
        scene.RemoveLight(removedLight);
        EXPECT_EQ(scene.GetObjectsList().size(), 2u);
    }
    EXPECT_EQ(lightDeaths, 7);
    EXPECT_EQ(curveDeaths, 1);
    EXPECT_EQ(removedLightDeaths, 0);
    // Still whole: the sanitizers report a second delete or a use after one.
    EXPECT_EQ(removed->Name, "Removed");
    delete removed;
    delete removedLight;
    delete refused;
    EXPECT_EQ(removedLightDeaths, 2);
}

namespace
{
class SceneDevice : public enginetest::DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        scene = new Scene(c);
    }
    void TearDown() override
    {
        delete scene;
        DeviceTest::TearDown();
    }

    // A light at (x, 10, 0), so the device record shows which light it is.
    PointLight* LightAt(float x, bool casting = false)
    {
        auto* l = new PointLight(Vector3(x, 10, 0), 1000.0f, 1.0f, 0.0f, 0.0f);
        l->SetShadowCasting(casting);
        return l;
    }

    // A cube of side 2 at (0, 2, 0), casting.
    Object* Cube()
    {
        auto* o = new Object(c, 1);
        o->CreateCube(2.0f);
        o->SetTranslation(0, 2, 0);
        o->SetShadowCasting(true);
        return o;
    }

    void AddCamera()
    {
        auto* camera = new Camera;
        camera->SetCamera(Vector3(0, 14, -12), Vector3(1, 0, 0), Vector3(0, 1, 0));
        scene->AddCamera(camera);
    }

    // Whether the device has the light switched on; -1 when it never heard of it.
    int Enabled(dword index)
    {
        BOOL on = FALSE;
        if (c->Device->GetLightEnable(index, &on) != D3D_OK)
            return -1;
        return on ? 1 : 0;
    }

    float InstalledX(dword index)
    {
        D3DLIGHT8 l{};
        c->Device->GetLight(index, &l);
        return l.Position.x;
    }

    DWORD Rs(D3DRENDERSTATETYPE s)
    {
        DWORD v = 0;
        c->Device->GetRenderState(s, &v);
        return v;
    }

    Scene* scene = nullptr;
};

// The calls that matter to the shadow pass, in short: render states by
// name, light switches, world matrices and draws.
std::string Tokens(const std::vector<std::string>& calls)
{
    static const std::pair<int, const char*> names[] = {
        {D3DRS_ALPHABLENDENABLE, "blend"}, {D3DRS_ZWRITEENABLE, "zwrite"}, {D3DRS_COLORWRITEENABLE, "colour"},
        {D3DRS_LIGHTING, "lighting"},      {D3DRS_STENCILENABLE, "stencil"}, {D3DRS_STENCILFUNC, "func"},
        {D3DRS_STENCILREF, "ref"},         {D3DRS_STENCILPASS, "pass"},     {D3DRS_STENCILFAIL, "fail"},
        {D3DRS_STENCILZFAIL, "zfail"},     {D3DRS_CULLMODE, "cull"},
    };
    std::ostringstream out;
    for (const std::string& call : calls) {
        unsigned a = 0, b = 0;
        std::string token;
        if (std::sscanf(call.c_str(), "SetRenderState(%u, %u)", &a, &b) == 2) {
            for (const auto& [state, name] : names)
                if (static_cast<unsigned>(state) == a)
                    token = std::string(name) + "=" + std::to_string(b);
        } else if (std::sscanf(call.c_str(), "LightEnable(%u, %u)", &a, &b) == 2) {
            token = "light" + std::to_string(a) + (b != 0 ? ":on" : ":off");
        } else if (call.rfind("SetTransform(256,", 0) == 0) {
            token = "world";
        } else if (call.rfind("DrawIndexedPrimitive(", 0) == 0) {
            token = "object";
        } else if (call.rfind("DrawPrimitiveUP(", 0) == 0) {
            token = "volume";
        }
        if (!token.empty())
            out << (out.tellp() > 0 ? " " : "") << token;
    }
    return out.str();
}

// Only the light switches of the tokens.
std::string LightSwitches(const std::string& tokens)
{
    std::istringstream in(tokens);
    std::string kept;
    for (std::string t; in >> t;)
        if (t.find(':') != std::string::npos)
            kept += (kept.empty() ? "" : " ") + t;
    return kept;
}
}

TEST_F(SceneDevice, LightingNumbersTheOccupiedSlotsFromZero)
{
    struct Case
    {
        const char* what;
        std::vector<int> slots;  // lights added, then these slots kept
        std::vector<float> installedX;
        int firstOff;
    } cases[] = {
        {"slots 0 and 1", {0, 1}, {0, 1}, 2},
        {"slot 1 removed", {0, 2}, {0, 2}, 2},
        {"none", {}, {}, 0},
    };
    for (const Case& k : cases) {
        // Device lights 0 to 3 left on by an earlier frame.
        PointLight stale(Vector3(99, 0, 0), 10.0f, 1.0f, 0.0f, 0.0f);
        for (dword i = 0; i < 4; ++i)
            stale.SetLight(i, c);
        Scene lit(c);
        PointLight* held[3] = {LightAt(0), LightAt(1), LightAt(2)};
        for (PointLight* l : held)
            lit.AddLight(l);
        for (int s = 0; s < 3; ++s) {
            if (std::find(k.slots.begin(), k.slots.end(), s) == k.slots.end()) {
                lit.RemoveLight(held[s]);
                delete held[s];
            }
        }
        lit.SetupLighting();
        for (std::size_t i = 0; i < k.installedX.size(); ++i) {
            EXPECT_EQ(Enabled(static_cast<dword>(i)), 1) << k.what << ", device light " << i;
            EXPECT_EQ(InstalledX(static_cast<dword>(i)), k.installedX[i]) << k.what << ", device light " << i;
        }
        EXPECT_EQ(Enabled(static_cast<dword>(k.firstOff)), 0) << k.what;
        EXPECT_EQ(Enabled(static_cast<dword>(k.firstOff + 1)), 1) << k.what << ": only one light is switched off";
    }
}

TEST_F(SceneDevice, AfterAGapTheShadowPassSwitchesTheLightsOwnDeviceNumber)
{
    scene->AddLight(LightAt(0));
    PointLight* gap = LightAt(1);
    scene->AddLight(gap);
    scene->AddLight(LightAt(2, true));
    scene->RemoveLight(gap);
    delete gap;
    scene->AddObject(Cube());
    PointLight stale;  // device light 2 left on by an earlier frame
    stale.SetLight(2, c);
    scene->SetupLighting();
    ASSERT_EQ(InstalledX(1), 2.0f);  // the slot-2 light is device light 1
    ASSERT_EQ(Enabled(2), 0);

    EXPECT_EQ(LightSwitches(Tokens(Calls([&] { scene->RenderShadows(); }))), "light1:off light1:on");
    EXPECT_EQ(Enabled(1), 1);
    EXPECT_EQ(Enabled(2), 0);  // no stale light switched back on
}

TEST_F(SceneDevice, TheShadowPassForOneCaster)
{
    PointLight* light = LightAt(-6, true);
    scene->AddLight(light);
    Object* cube = Cube();
    scene->AddObject(cube);
    scene->SetupLighting();
    Light* casters[] = {light};
    cube->CalculateShadows(casters, 1);
    ASSERT_NE(cube->GetShadowVolume(0), nullptr);

    // Step by step: the scene without the light; the volume faces towards
    // the eye counted up, the others down; the states put back.
    EXPECT_EQ(Tokens(Calls([&] { scene->RenderShadows(); })),
              "blend=1 light0:off world blend=1 object blend=0 light0:on "
              "blend=0 zwrite=0 colour=0 lighting=0 stencil=1 func=8 pass=7 fail=1 zfail=1 world volume "
              "cull=2 pass=8 fail=1 zfail=1 world volume cull=3 "
              "lighting=1 zwrite=1 colour=15 pass=1 fail=1 zfail=1 func=3 ref=0 lighting=1");
}

TEST_F(SceneDevice, AnObjectThatStoppedCastingDrawsNoStaleVolume)
{
    AddCamera();
    scene->AddLight(LightAt(-6, true));
    Object* cube = Cube();
    scene->AddObject(cube);
    scene->SetShadows(true);
    auto volumes = [&] {
        const std::string tokens = Tokens(Calls([&] { scene->Render(); }));
        int n = 0;
        for (std::size_t at = tokens.find("volume"); at != std::string::npos; at = tokens.find("volume", at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(volumes(), 2);  // counted up, then down
    cube->SetShadowCasting(false);
    scene->Lights[0]->SetPosition(Vector3(6, 8, 0));
    ASSERT_NE(cube->GetShadowVolume(0), nullptr);  // still held from the frame before
    EXPECT_EQ(volumes(), 0);
}

TEST_F(SceneDevice, ShadowsWithoutACasterDrawTheObjectsOnceAndEndTheStencilTest)
{
    AddCamera();
    scene->AddLight(LightAt(0));  // not casting
    scene->AddObject(Cube());
    scene->AddObject(Cube());
    scene->SetShadows(true);
    const std::string tokens = Tokens(Calls([&] { scene->Render(); }));
    const std::string objects = "world blend=1 object blend=0 ";
    EXPECT_EQ(tokens, "light0:on light1:off " + objects + objects + "stencil=0 func=8");
    EXPECT_EQ(Rs(D3DRS_STENCILENABLE), 0u);
    EXPECT_EQ(Rs(D3DRS_STENCILFUNC), static_cast<DWORD>(D3DCMP_ALWAYS));
}

TEST_F(SceneDevice, RenderProjectsWithTheScenesAspect)
{
    auto* camera = new Camera;  // field of view pi/4
    camera->SetClipPlanes(2.0f, 500.0f);
    scene->AddCamera(camera);
    scene->Render();
    D3DMATRIX m{};
    ASSERT_EQ(c->Device->GetTransform(D3DTS_PROJECTION, &m), D3D_OK);
    // 1 / tan (pi/4 x 1.33333325 / 2); the context's default aspect of
    // 1.3333334 gives 1.73205078.
    EXPECT_EQ(m.m[0][0], 1.73205101f) << std::setprecision(9) << m.m[0][0];
    EXPECT_FLOAT_EQ(m.m[1][1], 2.41421342f);
    EXPECT_FLOAT_EQ(m.m[2][2], 500.0f / 498.0f);
    EXPECT_FLOAT_EQ(m.m[3][2], -2.0f * 500.0f / 498.0f);
    EXPECT_EQ(m.m[2][3], 1.0f);
    EXPECT_EQ(m.m[3][3], 0.0f);
}

TEST_F(SceneDevice, WithoutACameraOnlyTheAmbientIsSet)
{
    scene->SetAmbientLight(Color(0.5f, 0.5f, 0.5f, 1.0f));
    scene->AddObject(Cube());
    EXPECT_EQ(Calls([&] { scene->Render(); }),
              (std::vector<std::string>{"SetRenderState(139, " + std::to_string(0xFF7F7F7Fu) + ")"}));
}

TEST_F(SceneDevice, FogIsStoredButNotApplied)
{
    AddCamera();
    scene->AddObject(Cube());
    scene->SetFog(true, Color(1.0f, 0.0f, 0.0f, 1.0f), 10.0f, 100.0f);
    const int fogStates[] = {D3DRS_FOGENABLE, D3DRS_FOGCOLOR,   D3DRS_FOGTABLEMODE,  D3DRS_FOGSTART,
                             D3DRS_FOGEND,    D3DRS_FOGDENSITY, D3DRS_FOGVERTEXMODE, D3DRS_RANGEFOGENABLE};
    for (const std::string& call : Calls([&] { scene->Render(); }))
        for (int s : fogStates)
            EXPECT_NE(call.rfind("SetRenderState(" + std::to_string(s) + ",", 0), 0u) << call;
}

namespace
{
int Brightness(std::uint32_t p) { return (int(p >> 16 & 0xFF) + int(p >> 8 & 0xFF) + int(p & 0xFF)) / 3; }

// A floor of side 20 at y = 0, the cube of side 2 above it, and a
// shadow-casting point light up to the left that throws the cube's shadow
// to the right of it, over x from about 0 to 5.
class ScenePixels : public SceneDevice
{
protected:
    void SetUp() override
    {
        SceneDevice::SetUp();
        AddCamera();
        scene->SetAmbientLight(Color(0.2f, 0.2f, 0.2f, 1.0f));
        scene->SetHaloSize(3.0f);
        scene->AddLight(LightAt(-6, true));
        scene->Lights[0]->SetPosition(Vector3(-6, 8, 0));
        auto* floor = new Object(c, 1);
        floor->CreatePlane(20.0f, 9);
        floor->SetRotation(1.5707964f, 0, 0);  // the plane's front turned up
        scene->AddObject(floor);
        scene->AddObject(Cube());
    }

    // A fresh frame of the scene; the pixel of the point in it.
    std::uint32_t Drawn(const Vector3& point)
    {
        c->Clear(0xFF000000);
        c->ClearZBufferStencil(1.0f, 0);
        scene->Render();
        const std::array<int, 2> at = enginetest::ToPixel(c, point, 64, 64);
        return Pixel(at[0], at[1]);
    }
};
}

TEST_F(ScenePixels, TheCubesShadowDarkensOnlyTheFloorBehindIt)
{
    struct Case
    {
        const char* what;
        Vector3 point;
        bool shadowed;
    } cases[] = {
        {"in the shadow", {3.5f, 0, 0}, true},
        {"left of the cube", {-4, 0, 0}, false},
        {"in front of the shadow", {3.5f, 0, -4}, false},
        {"the cube's lit top", {0, 3, 0}, false},
    };
    for (const Case& k : cases) {
        scene->SetShadows(false);
        const int plain = Brightness(Drawn(k.point));
        scene->SetShadows(true);
        const int shadowed = Brightness(Drawn(k.point));
        EXPECT_GT(plain, 30) << k.what << ": lit without shadows";
        if (k.shadowed)
            EXPECT_LT(shadowed, plain - 20) << k.what;
        else
            EXPECT_NEAR(shadowed, plain, 2) << k.what;
    }
    EXPECT_EQ(Rs(D3DRS_STENCILENABLE), 0u);
}

// Each casting light must count its own volumes into the stencil: with the
// red light's volumes counted again in the green light's passes, the green
// light's shadow would be lit. A blue light that casts none takes the first
// slot, so the casters' slots are not their volume numbers either.
TEST_F(ScenePixels, EachCastingLightShadowsWithItsOwnVolumes)
{
    Light* red = scene->Lights[0];  // at (-6, 8, 0): the shadow to the right
    red->SetColor(Color(1.0f, 0.0f, 0.0f, 1.0f));
    red->SetIntensity(0.7f);
    scene->RemoveLight(red);
    PointLight* blue = LightAt(0);
    blue->SetPosition(Vector3(0, 12, -6));
    blue->SetColor(Color(0.0f, 0.0f, 1.0f, 1.0f));
    blue->SetIntensity(0.5f);
    scene->AddLight(blue);
    scene->AddLight(red);
    PointLight* green = LightAt(6, true);  // the shadow to the left
    green->SetPosition(Vector3(6, 8, 0));
    green->SetColor(Color(0.0f, 1.0f, 0.0f, 1.0f));
    green->SetIntensity(0.7f);
    scene->AddLight(green);

    struct Case
    {
        const char* what;
        Vector3 point;
        bool redLit, greenLit;
    } cases[] = {
        {"in the red light's shadow", {3.5f, 0, 0}, false, true},
        {"in the green light's shadow", {-3.5f, 0, 0}, true, false},
        {"in front of both shadows", {0, 0, -4}, true, true},
        {"the cube's top", {0, 3, 0}, true, true},
    };
    for (const Case& k : cases) {
        scene->SetShadows(false);
        const std::uint32_t plain = Drawn(k.point);
        scene->SetShadows(true);
        const std::uint32_t shadowed = Drawn(k.point);
        const struct
        {
            const char* name;
            int shift;
            bool lit;
        } channels[] = {{"red", 16, k.redLit}, {"green", 8, k.greenLit}, {"blue", 0, true}};
        for (const auto& ch : channels) {
            const int before = int(plain >> ch.shift & 0xFF), after = int(shadowed >> ch.shift & 0xFF);
            EXPECT_GT(before, 80) << k.what << ", " << ch.name << ": lit without shadows";
            if (ch.lit)
                EXPECT_NEAR(after, before, 2) << k.what << ", " << ch.name;
            else
                EXPECT_LT(after, before - 40) << k.what << ", " << ch.name << " shadowed";
        }
    }
}

TEST_F(ScenePixels, HalosAreDrawnAtTheLights)
{
    const Vector3 lamp(-6, 8, 0);
    const std::uint32_t without = Drawn(lamp);
    scene->SetLightHalos(true);
    const std::uint32_t with = Drawn(lamp);
    EXPECT_GT(Brightness(with), Brightness(without) + 100);
    EXPECT_EQ(Rs(D3DRS_ZWRITEENABLE), 1u);
}
