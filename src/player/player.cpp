#include "player/player.h"

#include "chaos/chaos.h"
#include "chaos/corrupt.h"
#include "chaos/order.h"
#include "core/random.h"
#include "creatures/combat.h"
#include "creatures/move.h"
#include "enemies/enemy.h"
#include "items/item.h"
#include "ui/text.h"

namespace vell {

int cursorX = 0;
int cursorY = 0;
int action = 0;
int dirAction = 0;

namespace {

// The numeric keypad: rows count upward, so "8" is one row up.
bool digitStep(signed char key, int &dx, int &dy) {
    if (key < '1' || key > '9')
        return false;
    int k = key - '1'; // 0..8 for "1".."9"
    dx = k % 3 - 1;
    dy = k / 3 - 1;
    return true;
}

// A wandering monster on a random cell; the column is drawn before the row
// (argument evaluation order would leave it to the compiler).
void spawnWanderer() {
    int column = rnd() % MAP_W;
    int row = rnd() % MAP_H;
    randEnemy(column, row);
}

} // namespace

int player_act(Creature *) {
    // The scheduler holds the world lock here and pause counts the hold
    // before letting the lock go, so the key router never sees mode 1
    // without the hold that its release will take away.
    inputType.store(1);
    pause();
    inputType.store(0);
    return player.energy > 0 ? 1 : 0;
}

int player_bump(Creature *mover, Creature *other) {
    return creature_attack(mover, other);
}

void playerInput(signed char key) {
    clearText();
    if (key < 33 || key > 121)
        return;
    int dx = 0;
    int dy = 0;
    if (digitStep(key, dx, dy)) {
        creature_move(&player, dx, dy); // "5" is (0, 0): wait
        return;
    }
    switch (key) {
    case ';':
        creature_pickup(&player);
        break;
    case 'f':
        action = 1;
        position();
        break;
    case 'q':
        dirAction = 1;
        direction();
        break;
    case 't':
        dirAction = 2;
        direction();
        break;
    case 'w':
        chaos_flee(&player);
        break;
    case 'e':
        chaos_drain(&player);
        break;
    case 'r':
        chaos_ascension(&player);
        break;
    case 'y':
        chaos_speed(&player);
        break;
    case 'u':
        chaos_heal(&player);
        break;
    case 'i':
        chaos_barrier(&player);
        break;
    case 'o':
        chaos_fury(&player);
        break;
    case 'p':
        chaos_gather(&player);
        break;
    case 'a':
        chaos_death(&player);
        break;
    case 's':
        chaos_confusion(&player);
        break;
    case 'E':
        spawnWanderer();
        break;
    case 'M':
        // Occupied cells are skipped, not retried.
        for (int i = 0; i < 100; ++i)
            spawnWanderer();
        break;
    case 'G': {
        int amount = rnd() % 3 + 1;
        dropGold(amount, player.x, player.y);
        break;
    }
    case '!':
        corrupt(1);
        break;
    case '@':
        corrupt(10);
        break;
    case '#':
        corrupt(100);
        break;
    case '$':
        corrupt(1000);
        break;
    case '%':
        corrupt(10000);
        break;
    case '^':
        corrupt(100000);
        break;
    case '&':
        uncorrupt(1);
        break;
    case '*':
        uncorrupt(10);
        break;
    case '(':
        uncorrupt(100);
        break;
    case ')':
        uncorrupt(1000);
        break;
    default:
        break;
    }
}

void position() {
    cursorX = player.x;
    cursorY = player.y;
    inputType.store(3);
    pause(); // on the window thread: one more hold, returns at once
}

void direction() {
    inputType.store(4);
    pause();
}

int moveCursor(signed char key) {
    int dx = 0;
    int dy = 0;
    if (digitStep(key, dx, dy)) {
        moveCursorBy(dx, dy);
        return 0;
    }
    // There is no way to cancel: every other key fires.
    player_action();
    return 1;
}

void moveCursorBy(int dx, int dy) {
    // Widened so that no step, however large, can overflow.
    long long x = static_cast<long long>(cursorX) + dx;
    long long y = static_cast<long long>(cursorY) + dy;
    if (x >= 0 && x < MAP_W && y >= 0 && y < MAP_H) {
        cursorX = static_cast<int>(x);
        cursorY = static_cast<int>(y);
    }
}

void player_action() {
    if (action == 1)
        creature_shoot(&player, cursorX, cursorY);
    action = 0;
}

int dirKey(signed char key) {
    int dx = 0;
    int dy = 0;
    if (!digitStep(key, dx, dy))
        return 0;
    return direction_act(dx, dy);
}

int direction_act(int dx, int dy) {
    int result = 0;
    if (dirAction == 1)
        result = chaos_bolt(&player, dx, dy);
    else if (dirAction == 2)
        result = chaos_blast(&player, dx, dy);
    dirAction = 0;
    return result;
}

} // namespace vell
