// The graphics device: the small state-machine device the display handler
// drives. Two implementations: SDL2's renderer (sdl/GfxDeviceSdl.cpp) and a
// recording fake for unit tests (null/GfxRecordingDevice.h).
//
// The device keeps the old fixed-function vocabulary (render states, texture
// stage states, pre-transformed and untransformed 32-byte vertices) so the
// framework above can keep its state rules; what the SDL renderer cannot do
// (depth buffer, lighting, more than one texture stage) is stored and read
// back but draws nothing.
//
// Failure: calls returning GfxResult give GFX_OK (0) on success, a negative
// code otherwise (the values of the old DirectX results, so log lines read the
// same); CreateTexture returns null; LockTexture returns null.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using GfxResult = int32_t;

inline constexpr GfxResult GFX_OK = 0;
inline constexpr GfxResult GFX_S_FALSE = 1;
inline constexpr GfxResult GFX_E_FAIL = static_cast<int32_t>(0x80004005u);
inline constexpr GfxResult GFX_E_POINTER = static_cast<int32_t>(0x80004003u);
inline constexpr GfxResult GFX_E_INVALIDARG = static_cast<int32_t>(0x80070057u);
inline constexpr GfxResult GFX_E_OUTOFVIDEOMEMORY = static_cast<int32_t>(0x8876017Cu);
inline constexpr GfxResult GFX_E_SURFACELOST = static_cast<int32_t>(0x887601C2u);
inline constexpr GfxResult GFX_E_WASSTILLDRAWING = static_cast<int32_t>(0x8876021Cu);
inline constexpr GfxResult GFX_E_WRONGMODE = static_cast<int32_t>(0x8876024Bu);
inline constexpr GfxResult GFX_E_NOEXCLUSIVEMODE = static_cast<int32_t>(0x887600E1u);
inline constexpr GfxResult GFX_E_EXCLUSIVEMODEALREADYSET = static_cast<int32_t>(0x88760245u);
inline constexpr GfxResult GFX_E_CURRENTLYNOTAVAIL = static_cast<int32_t>(0x88760028u);
inline constexpr GfxResult GFX_E_SCENE_END_FAILED = static_cast<int32_t>(0x88760300u);
inline constexpr GfxResult GFX_E_ALTBACKBUFFER = static_cast<int32_t>(0x887602EBu);
inline constexpr GfxResult GFX_E_BADDESKTOPDEPTH = static_cast<int32_t>(0x8876023Cu);

inline bool GfxFailed(GfxResult r)
{
    return r < 0;
}

// Render states. Values are what SetRenderState takes for each.
enum GfxRenderState : int
{
    GFX_RS_ALPHABLENDENABLE,
    GFX_RS_SRCBLEND,
    GFX_RS_DESTBLEND,
    GFX_RS_ALPHATESTENABLE,
    GFX_RS_ALPHAREF,
    GFX_RS_ALPHAFUNC,
    GFX_RS_TEXTUREFACTOR,
    GFX_RS_ZENABLE,
    GFX_RS_ZWRITEENABLE,
    GFX_RS_LIGHTING,
    GFX_RS_CULLMODE,
    GFX_RS_SHADEMODE,
    GFX_RS_SPECULARENABLE,
    GFX_RS_CLIPPING,
    GFX_RS_AMBIENT,
    GFX_RS_ANTIALIAS,
    GFX_RS_COLORVERTEX,
    GFX_RS_NORMALIZENORMALS,
    GFX_RS_DIFFUSEMATERIALSOURCE,
    GFX_RS_AMBIENTMATERIALSOURCE,
    GFX_RS_SPECULARMATERIALSOURCE,
    GFX_RS_EMISSIVEMATERIALSOURCE,
    GFX_RS_WRAP0,
    GFX_RS_COUNT
};

enum GfxBlendFactor : uint32_t
{
    GFX_BLEND_ZERO = 1,
    GFX_BLEND_ONE,
    GFX_BLEND_SRCCOLOR,
    GFX_BLEND_INVSRCCOLOR,
    GFX_BLEND_SRCALPHA,
    GFX_BLEND_INVSRCALPHA,
    GFX_BLEND_DESTALPHA,
    GFX_BLEND_INVDESTALPHA,
    GFX_BLEND_DESTCOLOR,
    GFX_BLEND_INVDESTCOLOR
};
enum GfxCompare : uint32_t
{
    GFX_CMP_NEVER = 1,
    GFX_CMP_LESS,
    GFX_CMP_EQUAL,
    GFX_CMP_LESSEQUAL,
    GFX_CMP_GREATER,
    GFX_CMP_NOTEQUAL,
    GFX_CMP_GREATEREQUAL,
    GFX_CMP_ALWAYS
};
enum GfxCull : uint32_t
{
    GFX_CULL_NONE = 1,
    GFX_CULL_CW = 2,
    GFX_CULL_CCW = 3
};
enum GfxShade : uint32_t
{
    GFX_SHADE_FLAT = 1,
    GFX_SHADE_GOURAUD = 2
};
enum GfxAntialias : uint32_t
{
    GFX_ANTIALIAS_NONE = 0,
    GFX_ANTIALIAS_SORTINDEPENDENT = 2
};
inline constexpr uint32_t GFX_MCS_MATERIAL = 0;

// Texture stage states (stage 0 is the only one the SDL device honours).
enum GfxStageState : int
{
    GFX_TSS_COLOROP,
    GFX_TSS_COLORARG1,
    GFX_TSS_COLORARG2,
    GFX_TSS_ALPHAOP,
    GFX_TSS_ALPHAARG1,
    GFX_TSS_ALPHAARG2,
    GFX_TSS_ADDRESSU,
    GFX_TSS_ADDRESSV,
    GFX_TSS_MAGFILTER,
    GFX_TSS_MINFILTER,
    GFX_TSS_MIPFILTER,
    GFX_TSS_COUNT
};
enum GfxTextureOp : uint32_t
{
    GFX_TOP_DISABLE = 1,
    GFX_TOP_SELECTARG1 = 2,
    GFX_TOP_MODULATE = 4
};
enum GfxTextureArg : uint32_t
{
    GFX_TA_DIFFUSE = 0,
    GFX_TA_CURRENT = 1,
    GFX_TA_TEXTURE = 2,
    GFX_TA_TFACTOR = 3,
    GFX_TA_ALPHAREPLICATE = 0x20
};
enum GfxTextureAddress : uint32_t
{
    GFX_TADDRESS_WRAP = 1,
    GFX_TADDRESS_MIRROR = 2,
    GFX_TADDRESS_CLAMP = 3
};
enum GfxTextureFilter : uint32_t
{
    GFX_TFILTER_NONE = 1,
    GFX_TFILTER_POINT = 2,
    GFX_TFILTER_LINEAR = 3
};

enum GfxTransformKind : int
{
    GFX_TRANSFORM_WORLD,
    GFX_TRANSFORM_VIEW,
    GFX_TRANSFORM_PROJECTION
};

enum GfxPrimitive : int
{
    GFX_PT_POINTLIST = 1,
    GFX_PT_LINELIST,
    GFX_PT_LINESTRIP,
    GFX_PT_TRIANGLELIST,
    GFX_PT_TRIANGLESTRIP,
    GFX_PT_TRIANGLEFAN
};

// Vertex formats; every vertex is 32 bytes.
inline constexpr uint32_t GFX_FVF_VERTEX = 0x112;    // x y z, normal, u v: lit (draws nothing here)
inline constexpr uint32_t GFX_FVF_LVERTEX = 0x1E2;   // x y z, reserved, diffuse, specular, u v
inline constexpr uint32_t GFX_FVF_TLVERTEX = 0x1C4;  // x y z rhw, diffuse, specular, u v: pixels

struct GfxVertex
{
    float x, y, z, rhw;
    uint32_t diffuse, specular;  // packed ARGB
    float u, v;
};
static_assert(sizeof(GfxVertex) == 32, "vertices are 32 bytes");

struct GfxMatrix
{
    float m[4][4];
    static GfxMatrix Identity();
};

struct GfxRect
{
    int32_t left, top, right, bottom;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    // This rectangle cut to a w x h surface; may come out empty.
    GfxRect ClippedTo(int32_t w, int32_t h) const
    {
        return {std::max(left, 0), std::max(top, 0), std::min(right, w), std::min(bottom, h)};
    }
};

struct GfxViewport
{
    int32_t x, y, width, height;
    float minZ, maxZ;
};

struct GfxMaterial
{
    float diffuse[4], ambient[4], specular[4], emissive[4];
    float power;
};

// What the renderer says about itself.
struct GfxDeviceInfo
{
    std::string driver;       // render driver name
    std::string description;  // adapter description (GL renderer string)
    std::string vendor;
    uint32_t versionHigh = 0, versionLow = 0;
    uint32_t vendorId = 0, deviceId = 0, subSysId = 0, revision = 0;
    int maxTextureWidth = 0, maxTextureHeight = 0;
    bool hardware = true;
    bool customBlend = false;  // the blend table can be built
    int64_t videoMemory = -1;  // bytes; -1 unknown
};

// The texel bytes of the textures a device holds (4 a texel), and the most
// they have come to.
struct GfxTextureMemory
{
    int64_t bytes = 0;
    int64_t peakBytes = 0;

    void Add(int width, int height)
    {
        bytes += int64_t(width) * height * 4;
        if (bytes > peakBytes) peakBytes = bytes;
    }
    void Remove(int width, int height) { bytes -= int64_t(width) * height * 4; }
};

struct GfxDisplayMode
{
    int width, height, bitsPerPixel, refreshRate;
};

struct GfxMonitor
{
    GfxRect bounds;  // whole monitor
    GfxRect work;    // without panels
};

struct GfxDesktopInfo
{
    int colourCount = -1;  // -1 when more than 256 colours
    int width = 0, height = 0;
    int bitsPerPixel = 32;
    // Window decoration sizes, used to tell whether a window fits.
    int edgeX = 2, edgeY = 2, frameX = 4, frameY = 4, caption = 23;
};

// Texture kinds.
enum GfxTextureUsage : uint32_t
{
    GFX_TEXTURE_STATIC = 0,  // loaded images
    GFX_TEXTURE_TARGET = 1,  // empty textures and render targets
};

// A texture: owned by the device that made it; callers hold the pointer until
// DestroyTexture. Devices keep their GPU objects in a subclass.
class GfxTexture
{
public:
    virtual ~GfxTexture() = default;
    int width = 0, height = 0;
    GfxTextureUsage usage = GFX_TEXTURE_STATIC;
    std::vector<uint32_t> pixels;  // the CPU copy, row by row
    bool locked = false;
};

// Display creation flags (low 16 bits); the high 16 bits pick the adapter.
inline constexpr uint32_t GFX_DISPLAY_KEEP_WINDOW = 2;
inline constexpr uint32_t GFX_DISPLAY_ANTIALIAS = 4;

class IGfxDevice
{
public:
    virtual ~IGfxDevice() = default;

    // --- display ---
    virtual GfxDesktopInfo GetDesktop() = 0;
    virtual std::vector<GfxMonitor> GetMonitors() = 0;
    virtual std::vector<GfxDisplayMode> GetDisplayModes() = 0;
    virtual int GetAdapterCount() = 0;
    // Makes the back buffer (width x height) and the presentation of it into
    // window (an SDL_Window*). Full screen covers the desktop and letterboxes.
    virtual GfxResult CreateDisplay(void* window, bool fullScreen, int width, int height, int depth,
                                    uint32_t flags) = 0;
    virtual void DestroyDisplay() = 0;
    virtual bool HasDisplay() const = 0;
    virtual GfxDeviceInfo GetInfo() = 0;
    // Shows the back buffer. GFX_E_SURFACELOST while lost.
    virtual GfxResult Present() = 0;
    // GFX_OK or GFX_E_WASSTILLDRAWING.
    virtual GfxResult GetFlipStatus() = 0;
    // GFX_OK, or GFX_E_SURFACELOST when the renderer lost its surfaces.
    virtual GfxResult TestLost() = 0;
    // Makes lost surfaces usable again; their pictures are gone.
    virtual GfxResult RestoreSurfaces() = 0;
    virtual void SetVsync(bool on) = 0;
    virtual int GetRefreshRate() = 0;
    // The window's client area in screen coordinates; empty without a window.
    virtual GfxRect GetWindowClientRect() = 0;
    virtual void MoveWindow(int x, int y) = 0;
    virtual void ShowWindow() = 0;
    // Test hook: behaves as if the renderer reported lost targets.
    virtual void SimulateLoss() = 0;

    // --- scene and state ---
    virtual GfxResult BeginScene() = 0;
    virtual GfxResult EndScene() = 0;
    virtual GfxResult SetRenderState(GfxRenderState state, uint32_t value) = 0;
    virtual uint32_t GetRenderState(GfxRenderState state) const = 0;
    virtual GfxResult SetTextureStageState(int stage, GfxStageState state, uint32_t value) = 0;
    virtual uint32_t GetTextureStageState(int stage, GfxStageState state) const = 0;
    virtual GfxResult SetTransform(GfxTransformKind kind, const GfxMatrix& matrix) = 0;
    virtual GfxResult SetMaterial(const GfxMaterial& material) = 0;
    virtual GfxResult SetViewport(const GfxViewport& viewport) = 0;
    virtual GfxViewport GetViewport() const = 0;
    virtual GfxResult SetTexture(int stage, GfxTexture* texture) = 0;
    // Depth/stencil clear: there is no depth buffer; recorded only.
    virtual GfxResult ClearDepth(uint32_t flags) = 0;
    virtual GfxResult DrawPrimitive(GfxPrimitive type, uint32_t fvf, const void* vertices,
                                    int count) = 0;
    virtual GfxResult DrawIndexedPrimitive(GfxPrimitive type, uint32_t fvf, const void* vertices,
                                           int vertexCount, const uint16_t* indices,
                                           int indexCount) = 0;

    // --- textures (32-bit ARGB, 0xAARRGGBB; a CPU copy is kept) ---
    virtual GfxTexture* CreateTexture(int width, int height, GfxTextureUsage usage) = 0;
    virtual void DestroyTexture(GfxTexture* texture) = 0;
    virtual bool GetTextureSize(const GfxTexture* texture, int* width, int* height) const = 0;
    virtual GfxTextureMemory GetTextureMemory() const = 0;
    // Pixels row by row, pitch = width. Null on failure.
    virtual uint32_t* LockTexture(GfxTexture* texture) = 0;
    virtual void UnlockTexture(GfxTexture* texture) = 0;

    // --- back buffer ---
    // Fills rect of target (null: the back buffer) with argb, no blending.
    virtual GfxResult ColorFill(GfxTexture* target, const GfxRect& rect, uint32_t argb) = 0;
    // Copies area of the back buffer to the same place in texture (clipped).
    virtual GfxResult CopyBackToTexture(const GfxRect& area, GfxTexture* texture) = 0;
    // Copies area of texture to the same place in the back buffer (clipped).
    virtual GfxResult CopyTextureToBack(GfxTexture* texture, const GfxRect& area) = 0;
    // Reads area of the back buffer as ARGB rows of area width.
    virtual GfxResult ReadBack(const GfxRect& area, uint32_t* out) = 0;
    virtual bool GetBackBufferSize(int* width, int* height) const = 0;

    // --- the pointer: composed into the window picture at present, at the
    // picture's scale and letterbox offset; the back buffer never holds it ---
    // width x height ARGB pixels with straight alpha, blended by their alpha;
    // null pixels or an empty size remove it. False when no picture of that
    // size can be held (the pointer is then removed).
    virtual bool SetPointerImage(const uint32_t* argb, int width, int height) = 0;
    // The image's top-left corner in picture pixels, the picture area it is
    // clipped to, and whether it is drawn at all.
    virtual void SetPointerPlacement(int x, int y, const GfxRect& clip, bool visible) = 0;
    // The platform's own pointer as a colour cursor from 32 x 32 ARGB pixels
    // with its hot spot; null pixels give back the system arrow. False when
    // the platform cannot make one.
    virtual bool SetColorCursor(const uint32_t* argb, int hotX, int hotY) = 0;
    // Tests: while on, each present keeps a copy of the composed window
    // picture (window pixels, ARGB); the last copy, false when none.
    virtual void CapturePresentedPicture(bool on) = 0;
    virtual bool GetPresentedPicture(std::vector<uint32_t>* pixels, int* width,
                                     int* height) const = 0;
};

// Line lists as both devices draw them: each vertex pair (by index when
// indices are given) becomes a one-pixel-high quad from the first x to the
// second at the first vertex's y, as two triangles of out (a triangle list);
// the pixel at the second x is left out, as line drawing does.
void GfxLineListToQuads(const GfxVertex* vertices, int count, const uint16_t* indices,
                        int indexCount, std::vector<GfxVertex>& out);

// The SDL renderer device. Never null; displays fail to create when SDL video
// is not initialised.
std::unique_ptr<IGfxDevice> GfxCreateSdlDevice();

// Tools and tests: a hidden SDL window to present into (null on failure;
// initialises SDL video when needed), and its destruction.
void* GfxCreateHiddenWindow(int width, int height);
void GfxDestroyWindow(void* window);
// Tools and tests: shuts SDL video down again (after every window is gone).
void GfxQuitVideo();
