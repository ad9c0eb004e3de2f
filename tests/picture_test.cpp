// A frame reaches the screen only when it changes the picture: over a played
// game, the picture left by showing only changed frames equals, after every
// frame, the picture of drawing every frame in full.

#include "support/fixture.h"

namespace {

// Hands every call to both seams; texture names come from the first.
struct Tee : GlSeam {
    GlSeam &a, &b;
    Tee(GlSeam &a, GlSeam &b) : a(a), b(b) {}
    unsigned genTexture() override { return b.genTexture(), a.genTexture(); }
    void bindTexture(unsigned n) override { a.bindTexture(n), b.bindTexture(n); }
    void defineTexture(int w, int h, const unsigned char *p) override {
        a.defineTexture(w, h, p), b.defineTexture(w, h, p);
    }
    void uploadTexture(int w, int h, const unsigned char *p) override {
        a.uploadTexture(w, h, p), b.uploadTexture(w, h, p);
    }
    void setNearest() override { a.setNearest(), b.setNearest(); }
    void color(std::uint8_t r, std::uint8_t g, std::uint8_t bl) override {
        a.color(r, g, bl), b.color(r, g, bl);
    }
    void quad(const float st[8], const float xy[8]) override { a.quad(st, xy), b.quad(st, xy); }
    void quiet(bool on) override { a.quiet(on), b.quiet(on); }
    void blendsWithScreen() override { a.blendsWithScreen(), b.blendsWithScreen(); }
};

} // namespace

TEST(Picture, ShowingOnlyChangedFramesShowsWhatDrawingEveryFrameShows) {
    freshWorld(7);
    player = Creature{45,  20,       0,          100,         1000,    1,       255, 255,
                      255, "Player", player_act, player_bump, &player, &player, 0,   1,
                      50,  100000,   100000,     50,          0,       3,       2};
    tileAt(45, 20).creature = &player;
    PictureGl everyFrame, onlyChanges;
    everyFrame.nextName = onlyChanges.nextName = recordingGl().nextName;
    PresentGl present(onlyChanges);
    Tee tee(everyFrame, present);
    setGl(&tee);
    std::vector<TexBlock *> images = {vell::stat,  textLine[0], textLine[1],
                                      textLine[2], fontTex,     gameTex};
    for (auto &column : mapTex)
        for (MapBlock &block : column)
            images.push_back(block.image);
    for (TexBlock *t : images)
        texBlock_touch(t);

    int frames = 0, shown = 0, firstDifferent = 0;
    auto frame = [&] {
        update();
        if (tryTakeDrawing()) {
            render();
            shown += present.finish();
            giveDrawing();
        }
        if (++frames && firstDifferent == 0 && everyFrame.picture != onlyChanges.picture)
            firstDifferent = frames;
    };
    // The first frames upload every image, the glyph sheet included once a
    // tile is drawn from it; then a still game shows nothing new.
    for (int i = 0; i < 30; ++i)
        frame();
    EXPECT_EQ(shown, 2);
    // A see-through pixel (as a corrupted sheet leaves them) blends with what
    // the screen showed before, so the picture goes on changing.
    std::fill_n(vell::stat->pixels, 4, 100);
    texBlock_touch(vell::stat);
    // Moves, corruption, targeting and a shot, order, monsters, a bolt, flight
    // (a new map made meanwhile), each key as the player's turn; then a still
    // world, in which see-through pixels of a corrupted map still change the
    // picture from frame to frame.
    for (char key : std::string("66!#$f6699\r8()M%4q6^w5555&*)2t3E8f1\r") + std::string(10, 0)) {
        for (int i = 0; i < 4 || mi.load(); ++i)
            frame();
        if (holdCount() == 0) { // the player's turn
            inputType.store(1);
            vell::pause();
        }
        input(key);
    }
    EXPECT_EQ(firstDifferent, 0) << "of " << frames << " frames";
    EXPECT_LT(shown, frames * 9 / 10);
    // Drawing keeps each image's count of see-through pixels as a full count finds it.
    int seeThrough = 0;
    for (TexBlock *t : images) {
        int n = 0;
        for (int y = 0; y < t->height; ++y)
            for (int x = 0; x < t->width; ++x)
                n += t->pixels[(y * t->tw + x) * 4 + 3] != 255;
        EXPECT_EQ(t->seeThrough, n) << t->texture;
        seeThrough += n;
    }
    EXPECT_GT(seeThrough, 0);

    setGl(nullptr);
    world_reset();
}
