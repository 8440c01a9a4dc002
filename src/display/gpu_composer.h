// The GPU composer (back-end kind 2, ComposeDirect3D): every visible sprite becomes a textured
// quad of a draw list that the presenter draws. Frames reach the presenter as textures, uploaded
// when their `dirty` flag is set; what the software composer computes pixel by pixel (masked
// sprites) is made in software and drawn as a quad of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/composer.h"
#include "platform/draw_list.h"

namespace rs::graphics {
struct Frame;
struct FrameTable;
}  // namespace rs::graphics

namespace rs::display {

// The texture ids the presenter knows. A frame's texture is its device surface: when the frame
// goes, or its surface is dropped (releaseAllSurfaces), the id is queued to be released. The
// masked pictures of a composition use scratch textures, kept from one composition to the next.
class GpuTextures {
  public:
    GpuTextures();
    ~GpuTextures();
    GpuTextures(const GpuTextures&) = delete;
    GpuTextures& operator=(const GpuTextures&) = delete;

    // The frame's texture id, a new one attached to the frame when it has none.
    uint32_t textureOf(graphics::Frame& f);
    // The id the frame's texture has, 0 for none.
    static uint32_t idOf(const graphics::Frame& f);
    // Moves the ids of textures released since the last call to the list.
    void takeReleased(std::vector<uint32_t>& out);
    // The id of the index-th scratch texture of a composition.
    uint32_t scratch(size_t index);
    // The composition used `used` scratch textures: the others are released.
    void keepScratch(size_t used, std::vector<uint32_t>& released);
    // The presenter lost every texture: scratch ids are forgotten (frames drop theirs through
    // releaseAllSurfaces).
    void forgetScratch() { scratch_.clear(); }

    // The presenter's count of lost textures when last seen.
    uint32_t lossesSeen = 0;

  private:
    uint32_t nextId_ = 1;
    std::shared_ptr<std::vector<uint32_t>> released_;
    std::vector<uint32_t> scratch_;
};

// What one composition works on.
struct GpuComposer {
    const graphics::SpriteLayer& layer;
    graphics::FrameTable& frames;  // textures attached, `dirty` flags cleared on upload
    GpuTextures& textures;
    platform::TextureLimits limits;
    int32_t width = 0;  // the screen
    int32_t height = 0;
    float time = 0;  // seconds, for the wave
};

// ComposeDirect3D: the draw list of the whole scene. Walks the display list; each sprite showing a
// frame is uploaded when its frame is dirty (not while a loader still writes it) and drawn as
// quads at its position plus the group offsets (and its wrapped copies), turned about its centre,
// with alpha = the opacity of the software composer and the blend of its mode (0 alpha, 1 and 8
// additive, 7 hard light in two passes, others nothing). Masked sprites become scratch textures
// computed like the software masked drawing; the first sprite with the wave is drawn as row
// strips shifted as the software composer shifts them. SpriteLinkLoop when a sprite linked to
// itself was met: the list then holds only the texture work.
graphics::ComposeResult composeDirect3D(GpuComposer& c, platform::DrawList& out);

}  // namespace rs::display
