#pragma once
// The one door to OpenGL. Game code draws through `gl()`; the real window
// installs an OpenGL 1.1 implementation, everything else (tests, benchmarks)
// runs on the recording seam, which needs no display and counts what would
// have gone to the graphics card.

#include <cstdint>
#include <map>
#include <vector>

namespace vell {

class GlSeam {
  public:
    virtual ~GlSeam() = default;
    virtual unsigned genTexture() = 0;
    virtual void bindTexture(unsigned name) = 0;
    // Defines level 0 of the bound texture as tw x th RGBA bytes.
    virtual void defineTexture(int tw, int th, const unsigned char *pixels) = 0;
    // Replaces level 0 of the bound texture with tw x th RGBA bytes.
    virtual void uploadTexture(int tw, int th, const unsigned char *pixels) = 0;
    // Nearest filtering for magnification and minification of the bound texture.
    virtual void setNearest() = 0;
    virtual void color(std::uint8_t r, std::uint8_t g, std::uint8_t b) = 0;
    // One textured quad; corners in drawing order, s/t and x/y interleaved.
    virtual void quad(const float st[8], const float xy[8]) = 0;
};

// Records every call; window-free. Uploads are counted per texture name.
class RecordingGl : public GlSeam {
  public:
    struct Quad {
        unsigned texture;
        std::uint8_t r, g, b;
        float st[8];
        float xy[8];
    };
    unsigned genTexture() override;
    void bindTexture(unsigned name) override;
    void defineTexture(int tw, int th, const unsigned char *pixels) override;
    void uploadTexture(int tw, int th, const unsigned char *pixels) override;
    void setNearest() override;
    void color(std::uint8_t r, std::uint8_t g, std::uint8_t b) override;
    void quad(const float st[8], const float xy[8]) override;

    void clear(); // forget uploads and quads (texture names keep counting)
    int uploads(unsigned texture) const;
    int totalUploads() const;

    unsigned nextName = 1;
    unsigned bound = 0;
    std::uint8_t cr = 255, cg = 255, cb = 255;
    std::map<unsigned, int> uploadCount;
    std::vector<Quad> quads;
    // When false, quads are only counted (benchmarks).
    bool keepQuads = true;
    long quadCount = 0;
};

// The seam in use. Starts as a process-wide RecordingGl.
GlSeam &gl();
// Installs another seam (the real one, or a test's own); null restores the
// default recording seam.
void setGl(GlSeam *seam);
// The default recording seam, for tests.
RecordingGl &recordingGl();

} // namespace vell
