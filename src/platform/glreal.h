#pragma once
// The OpenGL 1.1 implementation of the drawing seam, installed by the window
// once its context is current. Window thread only: every call goes to the
// context that is current on the calling thread.

#include "graphics/glseam.h"

namespace vell {

class RealGl : public GlSeam {
  public:
    unsigned genTexture() override;
    void bindTexture(unsigned name) override;
    void defineTexture(int tw, int th, const unsigned char *pixels) override;
    void uploadTexture(int tw, int th, const unsigned char *pixels) override;
    void setNearest() override;
    void color(std::uint8_t r, std::uint8_t g, std::uint8_t b) override;
    void quad(const float st[8], const float xy[8]) override;
};

// Sets the fixed state every frame relies on: black clear colour, blending by
// source alpha, 2D texturing, and a projection of one unit per client pixel
// with the origin at the lower-left corner of a width x height area.
void glFixedState(int width, int height);

} // namespace vell
