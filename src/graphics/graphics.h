#pragma once
// Images and glyph drawing. A TexBlock is an RGBA buffer in memory paired
// with an OpenGL texture; any thread may draw into the buffer, the window
// thread uploads it lazily at its next draw.

namespace vell {

struct TexBlock {
    int tw;    // texture width, power of two
    int th;    // texture height, power of two
    int width; // logical size
    int height;
    unsigned texture;
    unsigned char *pixels; // tw * th * 4 bytes, RGBA, row 0 lowest
    int flags;             // bit 0: changed since last upload
    // How many pixels of the logical part are not fully opaque, kept by the
    // glyph drawing; negative while unknown (after a write made straight
    // into `pixels`), and then counted at the next upload.
    int seeThrough = 0;
};

// Smallest power of two >= n (1 for n <= 1); -1 when it exceeds 2^30.
int p2(int n);

// Window thread (creates a texture). Null on sizes below 1, on sizes whose
// power of two or byte count overflow an int, or when memory runs out.
TexBlock *texBlock_new(int width, int height);
TexBlock *texBlock_clone(const TexBlock *source);
// Frees the buffer and the record (the texture name is left to the context).
void texBlock_free(TexBlock *image);

// Uploads the whole buffer to the bound texture and clears bit 0 of flags.
// The flag is cleared before the pixels are read, so a change drawn by
// another thread meanwhile keeps the image marked for the next upload.
void texBlock_update(TexBlock *image);

// How many times the image has been uploaded (window thread).
unsigned texBlock_uploads(const TexBlock *image);

// The changed flag is set by any thread and cleared by the window thread;
// these touch it atomically (the field stays a plain int). Whoever writes
// `pixels` directly must touch the image afterwards.
void texBlock_touch(TexBlock *image);
bool texBlock_changed(const TexBlock *image);

// Blend one source pixel into a destination pixel with a tint (any thread).
void drawPix(unsigned char *dst, const unsigned char *src, unsigned char r, unsigned char g,
             unsigned char b);

// Blend glyph c of sheet into dst with its cell's lower-left pixel at (x, y).
// No clipping: the caller keeps the cell inside dst. Any thread.
void drawCharToImage(unsigned char c, unsigned char r, unsigned char g, unsigned char b, int x,
                     int y, TexBlock *dst, TexBlock *sheet);

// drawCharToImage of the black solid block and then of glyph c: a whole
// cell redrawn. Marks dst changed only when the cell's pixels changed, and
// says whether they did. Any thread.
bool drawCellToImage(unsigned char c, unsigned char r, unsigned char g, unsigned char b, int x,
                     int y, TexBlock *dst, TexBlock *sheet);

// True when every byte of glyph c's cell in sheet is 0 or 255: then blending
// it, on the processor or by OpenGL, involves no rounding at all.
bool glyphIsPlain(unsigned char c, const TexBlock *sheet);

// Window thread: draws the image with its lower-left corner at screen (x, y),
// uploading it first if it changed. A null image is ignored.
void drawTexBlock(TexBlock *image, int x, int y);

// Window thread: draws glyph c of sheet tinted (r, g, b) at screen (x, y).
void drawCharDirect(int x, int y, unsigned char c, unsigned char r, unsigned char g,
                    unsigned char b, TexBlock *sheet);

} // namespace vell
