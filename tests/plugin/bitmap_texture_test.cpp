// Bitmap textures: format choice, palettes, hardware and software surfaces, reload, release.
#include "render/bitmap_texture.h"
#include "standin_fixture.h"

#include <sstream>

namespace {

class BitmapTextureTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    standin::setTracing(false);
  }
  void TearDown() override {
    releaseBitmapTexture(texture);
    if (device) device->Release();
    if (backBuffer) backBuffer->Release();
    if (primary) primary->Release();
    if (d3d) d3d->Release();
    if (ddraw) ddraw->Release();
    PluginTest::TearDown();
  }
  // A device on a flipping primary, as the display setup makes it.
  void makeDevice(bool hardware) {
    standin::setHardwareDevice(hardware);
    DirectDrawCreate(nullptr, &ddraw, nullptr);
    ddraw->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&d3d));
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    ddraw->CreateSurface(&desc, &primary, nullptr);
    DDSCAPS caps = {DDSCAPS_BACKBUFFER};
    primary->GetAttachedSurface(&caps, &backBuffer);
    d3d->CreateDevice(IID_IDirect3DHALDevice, backBuffer, &device);
    standin::setTracing(true);
  }
  int load(const standin::FakeBitmap& bitmap) {
    standin::addBitmapFile("plugins/zev.bmp", bitmap);
    return loadBitmapTexture(texture, device, "plugins\\zev.bmp");
  }
  DDPIXELFORMAT chosenFormat() {
    DDSURFACEDESC desc{};
    texture.textureSurface->GetSurfaceDesc(&desc);
    return desc.ddpfPixelFormat;
  }
  static standin::FakeBitmap paletted(int colours) {
    standin::FakeBitmap bitmap{256, 256, 8, {}};
    for (int i = 0; i < colours; ++i)
      bitmap.colours.push_back(RGBQUAD{BYTE(i), BYTE(255 - i), BYTE(i * 7), 0});
    return bitmap;
  }

  IDirectDraw* ddraw = nullptr;
  IDirect3D2* d3d = nullptr;
  IDirectDrawSurface* primary = nullptr;
  IDirectDrawSurface* backBuffer = nullptr;
  IDirect3DDevice2* device = nullptr;
  BitmapTexture texture{};
};

TEST_F(BitmapTextureTest, TrueColourBitmapTakesTheFirstFormatUnlessOneReachesItsDepth) {
  makeDevice(true);
  standin::setTextureFormats({standin::palettedFormat(8), standin::rgbFormat(16)});
  ASSERT_EQ(load({256, 256, 24, {}}), 1);
  EXPECT_EQ(chosenFormat().dwRGBBitCount, 8u);
  EXPECT_TRUE(chosenFormat().dwFlags & DDPF_PALETTEINDEXED8);

  standin::setTextureFormats({standin::rgbFormat(16), standin::palettedFormat(8)});
  standin::clearTrace();
  ASSERT_EQ(load({256, 256, 24, {}}), 1);
  EXPECT_EQ(chosenFormat().dwRGBBitCount, 16u);
  EXPECT_EQ(standin::countOf("SetPalette"), 0) << "an RGB texture takes no palette";

  standin::setTextureFormats({standin::palettedFormat(8), standin::rgbFormat(16), standin::rgbFormat(32)});
  ASSERT_EQ(load({256, 256, 24, {}}), 1);
  EXPECT_EQ(chosenFormat().dwRGBBitCount, 32u);
}

TEST_F(BitmapTextureTest, AlphaAndSubByteFormatsAreNeverChosenAndTheClosestDepthWins) {
  makeDevice(true);
  DDPIXELFORMAT alpha = standin::rgbFormat(16);
  alpha.dwFlags |= DDPF_ALPHAPIXELS;
  DDPIXELFORMAT notRgb = standin::rgbFormat(24);
  notRgb.dwFlags = 0;
  standin::setTextureFormats({standin::palettedFormat(4), alpha, notRgb, standin::rgbFormat(32),
                              standin::rgbFormat(16), standin::palettedFormat(8)});
  ASSERT_EQ(load(paletted(256)), 1);
  EXPECT_EQ(chosenFormat().dwRGBBitCount, 8u);  // 32 was kept first, 8 is nearer to the wanted 8
  EXPECT_TRUE(chosenFormat().dwFlags & DDPF_PALETTEINDEXED8);

  ASSERT_EQ(load({256, 256, 16, {}}), 1);
  EXPECT_EQ(chosenFormat().dwRGBBitCount, 16u);
}

TEST_F(BitmapTextureTest, PalettedBitmapGetsAPaletteOfItsOwnColours) {
  makeDevice(true);
  standin::setTextureFormats({standin::rgbFormat(16), standin::palettedFormat(8)});
  ASSERT_EQ(load(paletted(256)), 1);
  ASSERT_NE(texture.palette, nullptr);
  EXPECT_EQ(standin::calls("CreatePalette"), std::vector<std::string>{std::to_string(DDPCAPS_8BIT)});
  PALETTEENTRY entries[256];
  texture.palette->GetEntries(0, 0, 256, entries);
  for (int i : {0, 1, 100, 255}) {
    EXPECT_EQ(entries[i].peRed, BYTE(i * 7)) << i;
    EXPECT_EQ(entries[i].peGreen, BYTE(255 - i)) << i;
    EXPECT_EQ(entries[i].peBlue, BYTE(i)) << i;
    EXPECT_EQ(entries[i].peFlags, 0) << i;
  }
  const std::string paletteName = standin::label(texture.palette);
  EXPECT_EQ(standin::calls("SetPalette"), (std::vector<std::string>{paletteName, paletteName}));
  EXPECT_EQ(standin::refCount(texture.palette), 1);

  ASSERT_EQ(load(paletted(16)), 1);
  EXPECT_EQ(standin::calls("CreatePalette").back(), std::to_string(DDPCAPS_4BIT));
  texture.palette->GetEntries(0, 0, 16, entries);
  EXPECT_EQ(entries[15].peGreen, 240);
  ASSERT_EQ(load(paletted(17)), 1);  // one colour more than four bits hold
  EXPECT_EQ(standin::calls("CreatePalette").back(), std::to_string(DDPCAPS_8BIT));
}

TEST_F(BitmapTextureTest, PalettedFormatWithoutAColourTableSetsNoPalette) {
  makeDevice(true);
  standin::setTextureFormats({standin::palettedFormat(8)});
  ASSERT_EQ(load(paletted(0)), 1);
  EXPECT_EQ(texture.palette, nullptr);
  EXPECT_EQ(standin::calls("SetPalette"), (std::vector<std::string>{"null", "null"}));
}

TEST_F(BitmapTextureTest, HardwareDeviceCopiesThroughASystemMemorySurface) {
  makeDevice(true);
  ASSERT_EQ(load({128, 64, 24, {}}), 1);
  const auto surfaces = standin::calls("CreateSurface");
  const std::string size = std::to_string(sizeof(DDSURFACEDESC)) + ",";
  const std::string flags = std::to_string(DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT);
  ASSERT_EQ(surfaces.size(), 2u);
  EXPECT_EQ(surfaces[0], size + flags + "," +
                             std::to_string(DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY | DDSCAPS_ALLOCONLOAD) + ",128,64,0");
  EXPECT_EQ(surfaces[1], size + flags + "," + std::to_string(DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY) + ",128,64,0");
  // The whole bitmap, corner to corner: destination DC, 0, 0, 128, 64, source DC, 0, 0, SRCCOPY.
  const auto copies = standin::calls("BitBlt");
  ASSERT_EQ(copies.size(), 1u);
  std::vector<std::string> fields;
  std::stringstream split(copies[0]);
  for (std::string f; std::getline(split, f, ',');) fields.push_back(f);
  ASSERT_EQ(fields.size(), 9u);
  EXPECT_EQ(std::vector<std::string>(fields.begin() + 1, fields.begin() + 5), (std::vector<std::string>{"0", "0", "128", "64"}));
  EXPECT_EQ(std::vector<std::string>(fields.begin() + 6, fields.end()),
            (std::vector<std::string>{"0", "0", std::to_string(SRCCOPY)}));
  EXPECT_NE(texture.sourceSurface, texture.textureSurface);
  EXPECT_NE(texture.handle, 0u);
  EXPECT_EQ(standin::countOf("Load"), 1);
  // The borrowed DirectDraw object and the probing interfaces are all given back.
  EXPECT_EQ(standin::refCount(ddraw), 1);
  EXPECT_EQ(standin::refCount(backBuffer), 2);  // the chain's own and ours
  EXPECT_EQ(standin::refCount(texture.textureSurface), 1);
  EXPECT_EQ(standin::refCount(texture.sourceSurface), 1);

  standin::clearTrace();
  ASSERT_EQ(reloadBitmapTexture(texture), 1);
  EXPECT_EQ(standin::countOf("Restore"), 1);
  EXPECT_EQ(standin::countOf("Load"), 1);
  standin::failNext("Load");
  EXPECT_EQ(reloadBitmapTexture(texture), 0);
}

TEST_F(BitmapTextureTest, SoftwareDeviceSharesOneSurfaceAndItsReloadOnlyReportsSuccess) {
  makeDevice(false);
  ASSERT_EQ(load({256, 256, 24, {}}), 1);
  EXPECT_EQ(standin::calls("CreateSurface"),
            std::vector<std::string>{std::to_string(sizeof(DDSURFACEDESC)) + "," + std::to_string(DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT) +
                                     "," + std::to_string(DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY) + ",256,256,0"});
  EXPECT_EQ(texture.sourceSurface, texture.textureSurface);
  EXPECT_EQ(standin::refCount(texture.textureSurface), 2);

  standin::clearTrace();
  EXPECT_EQ(reloadBitmapTexture(texture), 1);
  EXPECT_EQ(standin::countOf("Restore"), 0);
  EXPECT_EQ(standin::countOf("Load"), 0);

  IDirectDrawSurface* surface = texture.textureSurface;
  releaseBitmapTexture(texture);
  EXPECT_EQ(standin::refCount(surface), 0);
  EXPECT_EQ(texture.handle, 0u);
  EXPECT_EQ(reloadBitmapTexture(texture), 0);
}

TEST_F(BitmapTextureTest, ResourceIsTriedBeforeTheFileAndAMissingBitmapLeavesTheRecordAlone) {
  makeDevice(true);
  ASSERT_EQ(load({256, 256, 24, {}}), 1);
  const BitmapTexture before = texture;
  const int gdiBefore = standin::liveGdiObjects();
  standin::clearTrace();
  EXPECT_EQ(loadBitmapTexture(texture, device, "plugins\\missing.bmp"), 0);
  char self[32];
  std::snprintf(self, sizeof self, "%p", static_cast<void*>(GetModuleHandleA(nullptr)));
  EXPECT_EQ(standin::calls("LoadImageA"),
            (std::vector<std::string>{std::string(self) + ",\"plugins\\missing.bmp\",0,0,0," + std::to_string(LR_CREATEDIBSECTION),
                                      "null,\"plugins\\missing.bmp\",0,0,0," +
                                          std::to_string(LR_CREATEDIBSECTION | LR_LOADFROMFILE)}));
  EXPECT_EQ(std::memcmp(&texture, &before, sizeof texture), 0);
  EXPECT_EQ(standin::liveGdiObjects(), gdiBefore);

  // A device that gives no DirectDraw: nothing loaded, the record left alone.
  standin::failNext("GetRenderTarget");
  EXPECT_EQ(load({256, 256, 24, {}}), 0);
  EXPECT_EQ(std::memcmp(&texture, &before, sizeof texture), 0);
}

TEST_F(BitmapTextureTest, FailureHalfWayEmptiesTheRecordAndLeaksNothing) {
  makeDevice(true);
  const int comBefore = standin::liveComObjects();
  const int gdiBefore = standin::liveGdiObjects();
  for (const char* step : {"CreateSurface#1", "CreateSurface#2", "GetDC", "Restore", "Load", "QueryInterface#3"}) {
    const std::string name(step);
    const auto hash = name.find('#');
    standin::failNext(name.substr(0, hash), hash == std::string::npos ? 1 : std::stoi(name.substr(hash + 1)));
    EXPECT_EQ(load({256, 256, 8, {RGBQUAD{1, 2, 3, 0}}}), 0) << step;
    EXPECT_EQ(texture.sourceSurface, nullptr) << step;
    EXPECT_EQ(texture.textureSurface, nullptr) << step;
    EXPECT_EQ(texture.palette, nullptr) << step;
    EXPECT_EQ(texture.handle, 0u) << step;
    EXPECT_EQ(standin::liveComObjects(), comBefore) << step;
    EXPECT_EQ(standin::liveGdiObjects(), gdiBefore) << step;
    EXPECT_EQ(standin::countOf("OverRelease"), 0) << step;
  }
}

TEST_F(BitmapTextureTest, LoadingAgainReleasesWhatTheRecordHeld) {
  makeDevice(true);
  ASSERT_EQ(load({256, 256, 8, {RGBQUAD{1, 2, 3, 0}}}), 1);
  const int comAfterFirst = standin::liveComObjects();
  IDirectDrawSurface* first = texture.textureSurface;
  ASSERT_EQ(load({256, 256, 8, {RGBQUAD{1, 2, 3, 0}}}), 1);
  EXPECT_EQ(standin::refCount(first), 0);
  EXPECT_EQ(standin::liveComObjects(), comAfterFirst);
}

}  // namespace
