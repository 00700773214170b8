#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/image/image.h"
#include "engine/sprite/sprite_tree.h"

namespace datagen {

// Sprite pictures are drawn on an 800 x 600 canvas whose anchor, the point a
// sprite is drawn at, is its centre (400, 300).
constexpr int32_t kCanvasW = 800;
constexpr int32_t kCanvasH = 600;
constexpr float kAnchorX = 400.0f;
constexpr float kAnchorY = 300.0f;

// The pictures of one frame; the shadow and overlay are used when drawn on.
// anchorX and anchorY are where the anchor lies in them: the canvas's, or
// the middle of a window around it that the direction asks for.
struct FrameArt {
    FrameArt();
    // A smaller canvas for pictures that stand at its top-left corner (the
    // interface's); it saves clearing and scanning a whole screen per frame.
    FrameArt(int32_t width, int32_t height);
    float anchorX = kAnchorX;
    float anchorY = kAnchorY;
    sc_Image image;
    sc_Image shadow;
    sc_Image overlay;
    bool hasShadow = false;
    bool hasOverlay = false;
};

// Draws frame `frame` of a direction into the art.
using DrawFrame = std::function<void(FrameArt& art, int32_t frame)>;

struct DirDesc {
    int32_t frames = 1;
    DrawFrame draw;
    // Half the width and height of the diamond footprint on the ground
    // around the anchor; 0 for no footprint (marks unset, empty grid).
    int32_t footHalfW = 0;
    int32_t footHalfH = 0;
    // The canvas the frames are drawn on; see FrameArt.
    int32_t canvasW = kCanvasW;
    int32_t canvasH = kCanvasH;
    // A window of the canvas centred on the anchor to draw in (0: the whole
    // canvas); what is built is the same as when drawn on the canvas. Its
    // corner must fall on the footprint grid's cells: half the width a
    // multiple of 16, half the height 4 more than a multiple of 8.
    int32_t artW = 0;
    int32_t artH = 0;
    // Where a small canvas's top-left corner lies from the point its frames
    // are drawn at, for pictures that reach above or left of that point.
    int32_t originX = 0;
    int32_t originY = 0;
};

struct StatusDesc {
    std::string name; // empty: no name
    int16_t frameTime = 150;
    int16_t pauseRange = 0;
    int16_t pauseBase = 0;
    int8_t defaultDir = 0;
    std::vector<DirDesc> dirs;
    bool hasExtra = false;
    DirDesc extra;
};

struct ObjectDesc {
    std::vector<StatusDesc> statuses;
};

// A pack written as <out>/<name>/<name>.STR and .IMG.
struct PackDesc {
    std::string name;
    std::vector<ObjectDesc> objects;
};

// The tree of a description, blocks in memory.
sc_GameImageData BuildTree(const PackDesc& desc);
// Builds the tree and writes it through the pack writer. False on failure.
bool WritePack(const std::filesystem::path& out, const PackDesc& desc);
// Writes a tree built elsewhere as <out>/<name>/<name>.STR and .IMG.
bool WriteTree(const std::filesystem::path& out, const std::string& name, sc_GameImageData& tree);

// Drawing: a shape given by its signed distance (negative inside, in
// pixels, relative to (cx, cy)) laid over the picture with a soft edge, each
// pixel coloured by shade(x, y) (relative too) with the given opacity.
// Pixels further than `reach` from the centre are not visited.
void DrawShape(sc_Image& img, float cx, float cy, float reach, const std::function<float(float, float)>& sdf,
               const std::function<sc_Color(float, float)>& shade, float opacity = 1.0f);

float SdCircle(float x, float y, float r);
float SdBox(float x, float y, float halfW, float halfH);
// A closed polygon of points (x0, y0, x1, y1, ...).
float SdPolygon(float x, float y, const std::vector<float>& pts);

// The cursor pack: object 0, status 0; direction 0 an arrow whose tip is
// the anchor, direction 1 a pulsing cross-hair centred on it.
PackDesc CursorPack();

} // namespace datagen
