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
    // Hints for a seam that shows a frame only when its picture changed.
    // Between quiet(true) and quiet(false) the quads draw exactly what the
    // screen already shows beneath them.
    virtual void quiet(bool) {}
    // The quad just drawn has see-through pixels: what it shows depends on
    // what the screen showed before it.
    virtual void blendsWithScreen() {}
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

// Composes what OpenGL 1.1 fixed function draws with the game's state (the
// colour modulates the texture, source-alpha blending, nearest filtering, one
// unit per pixel with the origin at the lower left) into a 720 x 540 RGB
// picture. Textures are copied at definition and upload. A test double.
class PictureGl : public RecordingGl {
  public:
    static constexpr int W = 720, H = 540;
    void defineTexture(int tw, int th, const unsigned char *pixels) override;
    void uploadTexture(int tw, int th, const unsigned char *pixels) override;
    void quad(const float st[8], const float xy[8]) override;

    struct Texture {
        int tw = 0, th = 0;
        std::vector<unsigned char> pixels;
    };
    std::map<unsigned, Texture> textures;
    std::vector<unsigned char> picture = std::vector<unsigned char>(W * H * 3, 0);
};

// Passes everything but the drawing on to another seam at once, and keeps a
// frame's quads until `finish`, which draws them only if the picture they
// make differs from the one last shown: an upload, a changed list of quads
// (quiet ones aside), a see-through image or `invalidate` make it differ.
class PresentGl : public GlSeam {
  public:
    explicit PresentGl(GlSeam &target) : target(target) {}
    unsigned genTexture() override;
    void bindTexture(unsigned name) override;
    void defineTexture(int tw, int th, const unsigned char *pixels) override;
    void uploadTexture(int tw, int th, const unsigned char *pixels) override;
    void setNearest() override;
    void color(std::uint8_t r, std::uint8_t g, std::uint8_t b) override;
    void quad(const float st[8], const float xy[8]) override;
    void quiet(bool on) override;
    void blendsWithScreen() override;

    // The next frame is drawn whatever it shows (the window was exposed).
    void invalidate();
    // Ends a frame; true if it was drawn and should be shown.
    bool finish();

  private:
    struct Quad {
        unsigned texture;
        std::uint8_t r, g, b;
        bool quiet;
        float st[8];
        float xy[8];
    };
    GlSeam &target;
    unsigned bound = 0;
    std::uint8_t cr = 255, cg = 255, cb = 255;
    bool quieted = false;
    bool changed = true;
    std::vector<Quad> frame, shown;
};

// The seam in use. Starts as a process-wide RecordingGl.
GlSeam &gl();
// Installs another seam (the real one, or a test's own); null restores the
// default recording seam.
void setGl(GlSeam *seam);
// The default recording seam, for tests.
RecordingGl &recordingGl();

} // namespace vell
