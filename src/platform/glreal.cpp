#include "platform/glreal.h"

#include <SDL_opengl.h>

namespace vell {

unsigned RealGl::genTexture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    return name;
}

void RealGl::bindTexture(unsigned name) {
    glBindTexture(GL_TEXTURE_2D, name);
}

void RealGl::defineTexture(int tw, int th, const unsigned char *pixels) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
}

// The storage was defined at creation with the same size, so replacing the
// pixels in place is enough and spares the driver a reallocation.
void RealGl::uploadTexture(int tw, int th, const unsigned char *pixels) {
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, tw, th, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
}

void RealGl::setNearest() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
}

void RealGl::color(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    glColor3ub(r, g, b);
}

void RealGl::quad(const float st[8], const float xy[8]) {
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2f(st[2 * i], st[2 * i + 1]);
        glVertex2f(xy[2 * i], xy[2 * i + 1]);
    }
    glEnd();
}

void glFixedState(int width, int height) {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, 0, height, 0, 65536);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, width, height);
}

} // namespace vell
