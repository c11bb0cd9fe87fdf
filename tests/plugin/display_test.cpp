// The display device: driver choice, mode, surfaces and device fallbacks, viewport, scene.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>

#include "standin_fixture.h"

namespace {

class DisplayTest : public PluginTest {
 protected:
  // Init as the host runs it, with the "Device" entry of the user profile set to `device`.
  int init(const std::string& device = "") {
    if (!device.empty()) {
      std::ofstream((folder / "win.ini").string()) << "[Vexilumarine]\nDevice=" << device << "\n";
      standin::setUserProfile((folder / "win.ini").string());
    }
    makeHost();
    return initModule(&visModule);
  }
  // A second run in the same test: a clean stand-in, the plug-in at load.
  void restart() {
    standin::reset();
    resetPluginState();
    standin::setModulePath(windowsFolder() + "\\vis_vexilumarine.dll");
  }
  std::string windowText() const { return standin::windowText(pluginWindow); }
};

const std::string primaryFlags = std::to_string(sizeof(DDSURFACEDESC)) + "," + std::to_string(DDSD_CAPS | DDSD_BACKBUFFERCOUNT);
const std::string zFlags = std::to_string(sizeof(DDSURFACEDESC)) + "," + std::to_string(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH);
constexpr DWORD primaryCaps =
    DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;

TEST_F(DisplayTest, ModeFallsBackFrom16To8BitsPerPixel) {
  standin::failNext("SetDisplayMode");
  ASSERT_EQ(init(), 0);
  EXPECT_EQ(standin::calls("SetDisplayMode"), (std::vector<std::string>{"640,480,16", "640,480,8"}));

  restart();
  standin::failAlways("SetDisplayMode");
  EXPECT_EQ(init(), 1);
  EXPECT_EQ(standin::countOf("CreateSurface"), 0);
}

TEST_F(DisplayTest, PrimaryFallsBackToAnyMemoryButTheZBufferDoesNot) {
  standin::failNext("CreateSurface");
  ASSERT_EQ(init(), 0);
  auto surfaces = standin::calls("CreateSurface");
  ASSERT_GE(surfaces.size(), 3u);
  EXPECT_EQ(surfaces[0], primaryFlags + "," + std::to_string(primaryCaps) + ",0,0,1");
  EXPECT_EQ(surfaces[1], primaryFlags + "," + std::to_string(primaryCaps & ~DDSCAPS_VIDEOMEMORY) + ",0,0,1");
  EXPECT_EQ(surfaces[2], zFlags + "," + std::to_string(DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY) + ",640,480,0");

  // A Z-buffer that cannot be had fails the 16-bit mode; the 8-bit attempt starts over.
  restart();
  standin::failNext("CreateSurface", 2);
  ASSERT_EQ(init(), 0);
  surfaces = standin::calls("CreateSurface");
  EXPECT_EQ(surfaces[2], primaryFlags + "," + std::to_string(primaryCaps) + ",0,0,1");
  EXPECT_EQ(standin::calls("SetDisplayMode"), (std::vector<std::string>{"640,480,16", "640,480,8"}));
}

TEST_F(DisplayTest, DeviceFallsBackFromHalToRgbToRamp) {
  standin::failNext("CreateDevice");
  ASSERT_EQ(init(), 0);
  EXPECT_EQ(windowText(), "Vexilumarine - DISPLAY RGB");

  restart();
  standin::failNext("CreateDevice");
  standin::failNext("CreateDevice");
  ASSERT_EQ(init(), 0);
  EXPECT_EQ(standin::calls("CreateDevice"),
            (std::vector<std::string>{"HAL,backbuffer1", "RGB,backbuffer1", "RAMP,backbuffer1"}));
  EXPECT_EQ(windowText(), "Vexilumarine - DISPLAY RAMP");

  restart();
  standin::failAlways("CreateDevice");
  EXPECT_EQ(init(), 1);
  EXPECT_TRUE(standin::messageBoxes().empty());
}

TEST_F(DisplayTest, DriverNameMatchesBareNameOrDescriptionCaseInsensitively) {
  standin::setDrivers({{"Primary Display Driver", "display"}, {"Voodoo Graphics", "3dfx"}});
  ASSERT_EQ(init("3DFX"), 0);
  EXPECT_EQ(standin::calls("DirectDrawCreate"), std::vector<std::string>{"driver2"});
  EXPECT_EQ(windowText(), "Vexilumarine - 3DFX HAL");

  restart();
  standin::setDrivers({{"Primary Display Driver", "display"}, {"Voodoo Graphics", "3dfx"}});
  ASSERT_EQ(init("voodoo GRAPHICS (3dfx)"), 0);
  EXPECT_EQ(standin::calls("DirectDrawCreate"), std::vector<std::string>{"driver2"});

  restart();
  standin::setDrivers({{"Primary Display Driver", "display"}, {"Voodoo Graphics", "3dfx"}});
  ASSERT_EQ(init("Voodoo Graphics"), 0);
  EXPECT_EQ(standin::calls("DirectDrawCreate"), std::vector<std::string>{"null"});
  EXPECT_EQ(windowText(), "Vexilumarine - DISPLAY HAL");
}

TEST_F(DisplayTest, EmptyNameSkipsEnumerationAndLongNamesAreCutToTheTextBuffer) {
  ASSERT_EQ(init(), 0);
  EXPECT_EQ(standin::countOf("DirectDrawEnumerateA"), 0);

  restart();
  const std::string longName(120, 'x');
  standin::setDrivers({{std::string(200, 'd'), longName}});
  ASSERT_EQ(init(longName), 0);
  EXPECT_EQ(windowText(), ("Vexilumarine - " + longName + " HAL").substr(0, 127));
}

TEST_F(DisplayTest, MissingDirectDrawOrDirect3DIsToldInAMessageBox) {
  standin::failNext("DirectDrawCreate");
  EXPECT_EQ(init(), 1);
  ASSERT_EQ(standin::messageBoxes().size(), 1u);
  EXPECT_EQ(standin::messageBoxes()[0].text, "This app requires DirectDraw");
  EXPECT_EQ(standin::messageBoxes()[0].caption, "Vexilumarine");
  EXPECT_EQ(standin::messageBoxes()[0].owner, pluginWindow);

  restart();
  standin::failNext("QueryInterface");
  EXPECT_EQ(init(), 1);
  ASSERT_EQ(standin::messageBoxes().size(), 1u);
  EXPECT_EQ(standin::messageBoxes()[0].text, "This app requires DirectX 5.0");
}

TEST_F(DisplayTest, ViewportFillsTheScreenOrLeavesLetterboxBands) {
  ASSERT_EQ(init(), 0);
  D3DVIEWPORT2 view = standin::lastViewport();
  EXPECT_EQ(view.dwSize, 44u);
  EXPECT_EQ(std::vector<DWORD>({view.dwX, view.dwY, view.dwWidth, view.dwHeight}),
            std::vector<DWORD>({0, 0, 640, 480}));
  EXPECT_FLOAT_EQ(view.dvClipX, -1.0f);
  EXPECT_FLOAT_EQ(view.dvClipWidth, 2.0f);
  EXPECT_FLOAT_EQ(view.dvClipHeight, 1.5f);
  EXPECT_FLOAT_EQ(view.dvClipY, 0.75f);
  EXPECT_FLOAT_EQ(view.dvMaxZ, 100.0f);

  restart();
  writeIni("[Vexilumarine]\nwidescreen=TRUE\n");
  ASSERT_EQ(init(), 0);
  view = standin::lastViewport();
  EXPECT_EQ(std::vector<DWORD>({view.dwX, view.dwY, view.dwWidth, view.dwHeight}),
            std::vector<DWORD>({0, 30, 640, 420}));
  EXPECT_FLOAT_EQ(view.dvClipHeight, 1.5f);
}

TEST_F(DisplayTest, RenderStatesAreSetInOrderBeforeTheTexturesLoad) {
  ASSERT_EQ(init(), 0);
  const auto states = standin::calls("SetRenderState");
  ASSERT_GE(states.size(), 11u);
  const std::vector<std::string> expected = {
      std::to_string(D3DRENDERSTATE_ZENABLE) + ",1",
      std::to_string(D3DRENDERSTATE_ZWRITEENABLE) + ",1",
      std::to_string(D3DRENDERSTATE_TEXTUREMAG) + "," + std::to_string(D3DFILTER_LINEAR),
      std::to_string(D3DRENDERSTATE_ALPHABLENDENABLE) + ",0",
      std::to_string(D3DRENDERSTATE_DESTBLEND) + "," + std::to_string(D3DBLEND_DESTCOLOR),
      std::to_string(D3DRENDERSTATE_SRCBLEND) + "," + std::to_string(D3DBLEND_ONE),
      std::to_string(D3DRENDERSTATE_SHADEMODE) + "," + std::to_string(D3DSHADE_GOURAUD),
      std::to_string(D3DRENDERSTATE_CULLMODE) + "," + std::to_string(D3DCULL_CCW),
      std::to_string(D3DRENDERSTATE_DITHERENABLE) + ",0",
      std::to_string(D3DRENDERSTATE_TEXTUREPERSPECTIVE) + ",1",
      std::to_string(D3DRENDERSTATE_TEXTUREMAPBLEND) + "," + std::to_string(D3DTBLEND_MODULATEALPHA)};
  // Effects may set states of their own when they start; the fixed eleven come as one run.
  auto run = std::search(states.begin(), states.end(), expected.begin(), expected.end());
  EXPECT_NE(run, states.end());
  EXPECT_EQ(standin::calls("SetLightState").at(0), std::to_string(D3DLIGHTSTATE_AMBIENT) + "," + "4210752");
  EXPECT_EQ(standin::calls("LoadImageA").size(), 6u);  // resource, then file, for each of three
}

TEST_F(DisplayTest, MaterialTableFadesTheTexturedWhiteInSixteenthsAndEndsWithTheMarker) {
  standin::addBitmapFile("plugins/zev.bmp", {256, 256, 24, {}});
  ASSERT_EQ(init(), 0);
  ASSERT_NE(display.textureHandles[0], 0u);
  for (int k = 0; k < 15; ++k) {
    const D3DMATERIAL m = standin::materialOf(display.materials.handles[k]);
    const float alpha = 1.0f - float(k) * 0.0625f;
    EXPECT_FLOAT_EQ(m.diffuse.a, alpha) << k;
    EXPECT_FLOAT_EQ(m.ambient.a, alpha) << k;
    EXPECT_FLOAT_EQ(m.specular.a, alpha) << k;
    EXPECT_FLOAT_EQ(m.diffuse.r, 1.0f);
    EXPECT_EQ(m.hTexture, display.textureHandles[0]) << k;
    EXPECT_FLOAT_EQ(m.power, 40.0f);
    EXPECT_EQ(m.dwSize, 80u);
  }
  EXPECT_EQ(display.materials.handles[15], display.markerHandle);
  const D3DMATERIAL marker = standin::materialOf(display.markerHandle);
  EXPECT_FLOAT_EQ(marker.diffuse.a, 0.3f);
  EXPECT_FLOAT_EQ(marker.ambient.a, 0.2f);
  EXPECT_FLOAT_EQ(marker.specular.a, 0.0f);
  EXPECT_EQ(marker.hTexture, 0u);
  // Sixteen distinct handles: no slot shares another's material.
  std::set<D3DMATERIALHANDLE> handles(std::begin(display.materials.handles), std::end(display.materials.handles));
  EXPECT_EQ(handles.size(), 16u);
}

TEST_F(DisplayTest, ViewAndProjectionMatricesAreExact) {
  ASSERT_EQ(init(), 0);
  const D3DMATRIX& view = display.viewMatrix;
  EXPECT_EQ(view._11, 1.0f);
  EXPECT_EQ(view._22, float(std::cos(-1.0995572)));
  EXPECT_EQ(view._23, float(std::sin(-1.0995572)));
  EXPECT_EQ(view._32, float(-std::sin(-1.0995572)));
  EXPECT_EQ(view._33, float(std::cos(-1.0995572)));
  EXPECT_EQ(view._43, 9.0f);
  EXPECT_EQ(view._44, 1.0f);
  EXPECT_EQ(view._42, 0.0f);
  const double f = 0.785398006439209;
  const D3DMATRIX expectedProjection = {float(std::cos(f)), 0, 0, 0, 0, float(std::cos(f)), 0, 0, 0, 0,
                                        float(1.0101010101010102 * std::sin(f)), float(std::sin(f)), 0, 0,
                                        float(-1.0101010101010102 * std::sin(f)), 0};
  const D3DMATRIX projection = standin::lastTransform(D3DTRANSFORMSTATE_PROJECTION);
  EXPECT_EQ(std::memcmp(&projection, &expectedProjection, sizeof projection), 0);
  const auto order = standin::calls("SetTransform");
  ASSERT_GE(order.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 3),
            (std::vector<std::string>{std::to_string(D3DTRANSFORMSTATE_WORLD), std::to_string(D3DTRANSFORMSTATE_VIEW),
                                      std::to_string(D3DTRANSFORMSTATE_PROJECTION)}));
}

TEST_F(DisplayTest, FourWhitePointLightsJoinTheViewport) {
  ASSERT_EQ(init(), 0);
  EXPECT_EQ(standin::calls("AddLight"),
            (std::vector<std::string>{"light1", "light2", "light3", "light4"}));
  const auto first = standin::calls("SetLight");
  EXPECT_EQ(first.at(0), "1,1,1,1,2,0,0.2");
  EXPECT_EQ(display.sceneLight.dwSize, 76u);
  EXPECT_EQ(display.sceneLight.dltType, D3DLIGHT_POINT);
  EXPECT_FLOAT_EQ(display.sceneLight.dvRange, 250.0f);
}

TEST_F(DisplayTest, OverlayObjectsAndFontFollowTheModeSize) {
  writeIni("[Vexilumarine]\ngraphics mode=10\n");
  ASSERT_EQ(init(), 0);
  EXPECT_EQ(standin::calls("SetDisplayMode").at(0), "1600,1200,16");
  EXPECT_EQ(standin::calls("CreateFontA").at(0), "37,0,0,0,300,0,0,0,0,0,0,1,1,\"Arial\"");
  EXPECT_EQ(standin::calls("CreateCompatibleBitmap"),
            (std::vector<std::string>{"surfaceDC1,1600,37", "surfaceDC1,533,37", "surfaceDC1,533,37"}));
}

}  // namespace
