// Who is told what the show's content does while it plays: pictures loaded and their sprites
// made and drawn, scenes loaded and drawn, modules started and their sync marks. The show's
// timeline tool listens; nobody does by default, and every member may stay null. Called on the
// thread that does the thing (a mark on the music's playback thread in real time).
#pragma once

#include <cstdint>

struct Picture;
struct Sprite;

struct ContentEvents {
    void (*pictureLoaded)(const char* name, const Picture* picture) = nullptr;
    void (*spriteMade)(const Picture* picture, const Sprite* sprite) = nullptr;
    void (*spriteDrawn)(const Sprite* sprite) = nullptr;
    void (*sceneLoaded)(const char* name, const void* scene) = nullptr;
    void (*sceneDrawn)(const void* scene) = nullptr;
    void (*moduleStarted)(const char* name) = nullptr;
    void (*syncMark)(uint32_t value) = nullptr;
};

extern ContentEvents contentEvents;
