#include "items/item.h"

#include <new>

#include "core/random.h"
#include "graphics/map.h"

namespace vell {

namespace {

// Colour bytes are drawn one statement each: the order r, g, b is part of
// what a seed reproduces.
void looksGold(Item *it) {
    it->kind = 1;
    it->glyph = 36;
    it->r = 255;
    it->g = 255;
    it->b = 0;
    it->flags = 0;
    it->name = "gold piece";
    it->plural = "gold pieces";
}

void looksArrows(Item *it) {
    it->kind = 2;
    it->glyph = 170;
    it->r = static_cast<unsigned char>(200 + rnd() % 50);
    it->g = static_cast<unsigned char>(100 + rnd() % 25);
    it->b = 0;
    it->flags = 3;
    it->name = "arrow";
    it->plural = "arrows";
}

void looksGem(Item *it) {
    it->kind = 3;
    it->glyph = 15;
    it->r = static_cast<unsigned char>(100 + rnd() % 100);
    it->g = static_cast<unsigned char>(100 + rnd() % 100);
    it->b = static_cast<unsigned char>(100 + rnd() % 100);
    it->flags = 2;
    it->name = "magical gem";
    it->plural = "magical gems";
}

void looksHealth(Item *it) {
    it->kind = 4;
    it->glyph = 3;
    it->r = static_cast<unsigned char>(200 + rnd() % 50);
    it->g = static_cast<unsigned char>(100 + rnd() % 25);
    it->b = static_cast<unsigned char>(200 + rnd() % 50);
    it->flags = 2;
    it->name = "health";
    it->plural = "health";
}

void looksScroll(Item *it) {
    it->kind = 5;
    it->glyph = 168;
    it->r = 255;
    it->g = 255;
    it->b = 255;
    it->flags = 0;
    it->name = "scroll of order";
    it->plural = "scrolls of order";
}

// The square of radius r around (x, y), cut to the map. Computed in 64 bits
// so that no radius or position can overflow; an empty square (negative r,
// or wholly off the map) has lo > hi on some axis.
struct Square {
    int x0, x1, y0, y1;
};

Square squareAround(int x, int y, int r) {
    auto clamp = [](long long v, int hi) {
        return static_cast<int>(v < 0 ? 0 : (v > hi ? hi : v));
    };
    long long lx = static_cast<long long>(x) - r, hx = static_cast<long long>(x) + r;
    long long ly = static_cast<long long>(y) - r, hy = static_cast<long long>(y) + r;
    if (r < 0 || hx < 0 || lx > MAP_W - 1 || hy < 0 || ly > MAP_H - 1)
        return Square{1, 0, 1, 0};
    return Square{clamp(lx, MAP_W - 1), clamp(hx, MAP_W - 1), clamp(ly, MAP_H - 1),
                  clamp(hy, MAP_H - 1)};
}

// The walk that decides where a drop lands: lowest row upward, each row from
// its lowest column rightward. Returns the first tile without an item.
Tile *firstFree(int x, int y, int r, int *fx, int *fy) {
    Square s = squareAround(x, y, r);
    for (int ty = s.y0; ty <= s.y1; ++ty)
        for (int tx = s.x0; tx <= s.x1; ++tx)
            if (tileAt(tx, ty).item == nullptr) {
                *fx = tx;
                *fy = ty;
                return &tileAt(tx, ty);
            }
    return nullptr;
}

constexpr int DROP_RADIUS = 19;

} // namespace

Item *item_new() {
    Item *it = new (std::nothrow) Item{};
    if (it == nullptr)
        return nullptr;
    it->glyph = 63;
    it->r = 255;
    it->g = 255;
    it->b = 255;
    it->kind = 0;
    it->amount = 1;
    it->magic = 0;
    it->flags = 3;
    it->name = "item";
    it->plural = "items";
    return it;
}

Item *item_leveled(int level) {
    int L = level > 2 ? 2 : level;
    int c = -1;
    if (rnd() % 100 != 0) {
        // 2 L is 0 or negative below level 1: such a level gets the plain
        // item rather than a division by zero.
        if (L >= 1)
            c = rnd() % (2 * L);
    } else {
        c = 4;
    }
    Item *it = item_new();
    if (it == nullptr)
        return nullptr;
    switch (c) {
    case 0:
        looksGold(it);
        it->amount = (rnd() % (L + 5)) * L + 1;
        break;
    case 1:
        looksArrows(it);
        it->amount = (rnd() % (L + 5)) * L + 1;
        break;
    case 2:
        looksHealth(it);
        it->amount = (rnd() % (L + 1)) * L + 1;
        break;
    case 3:
        looksGem(it);
        it->magic = 100 + rnd() % (100 * L + 50);
        break;
    case 4:
        looksScroll(it);
        break;
    default:
        break;
    }
    return it;
}

Item *item_rand(int chance, int outOf, int lowest, int highest) {
    int level = 0;
    return rollLevel(chance, outOf, lowest, highest, level) ? item_leveled(level) : nullptr;
}

int itemSpace(int x, int y, int r) {
    int fx, fy;
    return firstFree(x, y, r, &fx, &fy) != nullptr ? 1 : 0;
}

void dropInItemSpace(Item *item, int x, int y, int r) {
    if (item == nullptr)
        return;
    int fx, fy;
    Tile *t = firstFree(x, y, r, &fx, &fy);
    if (t == nullptr)
        return;
    t->item = item;
    tileChanged(fx, fy);
}

void dropNear(Item *item, int x, int y) {
    if (item == nullptr)
        return;
    for (int r = 0; r <= DROP_RADIUS; ++r) {
        if (itemSpace(x, y, r)) {
            dropInItemSpace(item, x, y, r);
            return;
        }
    }
    // Nobody holds a reference to an item that found no room.
    delete item;
}

void dropGold(int amount, int x, int y) {
    if (amount <= 0)
        return;
    Item *it = item_new();
    if (it == nullptr)
        return;
    looksGold(it);
    it->amount = amount;
    dropNear(it, x, y);
}

void dropArrows(int amount, int x, int y) {
    if (amount <= 0)
        return;
    Item *it = item_new();
    if (it == nullptr)
        return;
    looksArrows(it);
    it->amount = amount;
    dropNear(it, x, y);
}

} // namespace vell
