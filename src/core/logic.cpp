#include "core/logic.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace vell {

Tile map[MAP_W * MAP_H];
Creature player;
std::atomic<int> inputType{0};
std::atomic<int> closing{0};
std::atomic<int> drawing{0};
std::FILE *errout = nullptr;
std::thread logicThread;
std::atomic<int> logicThreadRunning{0};

namespace {

std::mutex worldMutex;
thread_local int worldDepth = 0;
thread_local bool isLogicThread = false;

// The hold count mirrors a suspended thread's count: the logic thread runs
// only while it is 0.
std::mutex holdMutex;
std::condition_variable holdCv;
int holds = 0;

// The creature the scheduler visits next. Kept here rather than in a local
// so that a creature unlinked between two steps (map generation removes
// monsters on its own thread) is never visited after it was freed.
Creature *schedCur = nullptr;

// The creature whose act handler runs on the logic thread. Seen from another
// thread holding the world lock, a non-null value means that handler is
// waiting in pause with pointers to creatures still on its stack.
Creature *turnOf = nullptr;

// What left the world during the monster step under way; freed when it ends.
// Nothing in here can be allocated again meanwhile, so a pointer found here
// names the retired record and no newer one.
std::vector<Creature *> retiredCreatures;
std::vector<Item *> retiredItems;

bool monsterStepUnderWay() { return turnOf != nullptr && turnOf != &player; }

std::mutex errMutex;

} // namespace

bool tryTakeDrawing() {
    int expected = 0;
    return drawing.compare_exchange_strong(expected, 1);
}

void takeDrawing() {
    while (!tryTakeDrawing())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void giveDrawing() { drawing.store(0); }

void writeError(const char *text) {
    std::lock_guard<std::mutex> lk(errMutex);
    if (text == nullptr)
        return;
    // The terminal gets it as it happens: err.txt may not exist (a working
    // directory the game cannot write), and a player may not think to look.
    std::fputs(text, stderr);
    std::fflush(stderr);
    if (errout == nullptr)
        return;
    std::fputs(text, errout);
    std::fflush(errout);
}

void worldLock() {
    if (worldDepth++ == 0)
        worldMutex.lock();
}

void worldUnlock() {
    if (--worldDepth == 0)
        worldMutex.unlock();
}

int pause() {
    int mode = inputType.load();
    if (mode == 0)
        inputType.store(2);
    // `closing` is read under the hold lock: the shutdown sets it before it
    // releases, so a hold is either counted in time for the shutdown's
    // releases or never taken.
    std::unique_lock<std::mutex> lk(holdMutex);
    if (!closing.load()) {
        ++holds;
        if (isLogicThread) {
            // The hold is counted before the world lock is given up, so a
            // key router that gets the lock always finds the new mode and
            // the hold together: a key can never slip in between.
            int depth = worldDepth;
            if (depth > 0) {
                worldDepth = 0;
                worldMutex.unlock();
            }
            holdCv.wait(lk, [] { return holds == 0; });
            lk.unlock();
            if (depth > 0) {
                worldMutex.lock();
                worldDepth = depth;
            }
        }
    }
    if (lk.owns_lock())
        lk.unlock();
    inputType.store(mode);
    return mode;
}

int releaseLogic() {
    std::lock_guard<std::mutex> lk(holdMutex);
    int found = holds;
    if (holds > 0) {
        --holds;
        if (holds == 0)
            holdCv.notify_all();
    }
    return found;
}

int holdCount() {
    std::lock_guard<std::mutex> lk(holdMutex);
    return holds;
}

void end_game() { closing.store(1); }

void ring_unlink(Creature *c) {
    if (c == nullptr || c == &player)
        return;
    if (schedCur == c)
        schedCur = c->next;
    if (c->next != nullptr)
        c->next->prev = c->prev;
    if (c->prev != nullptr)
        c->prev->next = c->next;
    c->next = nullptr;
    c->prev = nullptr;
}

void retire(Creature *c) {
    if (c == nullptr || c == &player)
        return;
    if (monsterStepUnderWay())
        retiredCreatures.push_back(c);
    else
        delete c;
}

void retire(Item *it) {
    if (it == nullptr)
        return;
    if (monsterStepUnderWay())
        retiredItems.push_back(it);
    else
        delete it;
}

bool retired(const Creature *c) {
    for (const Creature *r : retiredCreatures)
        if (r == c)
            return true;
    return false;
}

void freeRetired() {
    WorldGuard g;
    for (Creature *c : retiredCreatures)
        delete c;
    for (Item *it : retiredItems)
        delete it;
    retiredCreatures.clear();
    retiredItems.clear();
}

void gameLoop() {
    // Whichever thread runs the scheduler is the logic thread while it does:
    // the player's pause must stop it, or the loop would spin adding holds.
    const bool wasLogicThread = isLogicThread;
    isLogicThread = true;
    {
        WorldGuard g;
        schedCur = &player;
    }
    while (!closing.load()) {
        WorldGuard g;
        Creature *c = schedCur;
        if (c == nullptr) {
            // Only reachable when a creature with no successor was unlinked
            // while it was the next to be visited.
            writeError("Fatal error: break in creature loop\n");
            end_game();
            break;
        }
        c->energy = wrapSub(c->energy, c->speed);
        if (c->energy < 0) {
            if (c->act == nullptr) {
                c->energy = 10000;
            } else {
                // A handler that waits in pause gives the lock up, and another
                // thread may then unlink c. ring_unlink moves schedCur on when
                // it does, and from then on the scheduler leaves c alone.
                turnOf = c;
                while (schedCur == c && c->energy < 1 && !closing.load()) {
                    ActFn act = c->act;
                    if (act == nullptr)
                        break; // the handler took its own act away
                    act(c);
                }
                turnOf = nullptr;
                // The step is over: nothing holds what left the world in it.
                freeRetired();
            }
        }
        if (closing.load())
            break;
        if (schedCur != c)
            continue; // c left the ring during its step; schedCur is its successor
        if (c->next == nullptr) {
            writeError("Fatal error: break in creature loop\n");
            end_game();
            break;
        }
        schedCur = c->next;
    }
    isLogicThread = wasLogicThread;
}

void startGameLoop() {
    isLogicThread = true;
    logicThreadRunning.store(1);
    gameLoop();
    logicThreadRunning.store(0);
}

void world_reset() {
    WorldGuard g;
    Creature *c = player.next;
    while (c != nullptr && c != &player) {
        Creature *n = c->next;
        delete c;
        c = n;
    }
    for (Tile &t : map) {
        delete t.item;
        t = Tile{};
    }
    player = Creature{};
    player.next = &player;
    player.prev = &player;
    schedCur = &player;
    turnOf = nullptr;
    freeRetired();
    inputType.store(0);
    closing.store(0);
    drawing.store(0);
    std::lock_guard<std::mutex> lk(holdMutex);
    holds = 0;
}

} // namespace vell
