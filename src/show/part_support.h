// What the four part scripts share: the view in the frame, the waits, loading a scene with the
// engine set up for it (and their messages), pictures with their sprites, and the re-phasing of
// looping texture tracks.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "effects/sprite_drawing.h"
#include "engine/scene/scene_model.h"
#include "resources/picture.h"

// Locks the frame and gives the view in it (null without a display); PresentView presents.
uint16_t* LockView();
void PresentView();
// The frame from the view down, as sprites drawn into the view see it: a sprite drawn at
// (x, y) of the view lands x columns and y rows into it, and is clipped at the frame's last
// row. Sprites for it are made with ViewSpriteRows rows of frame.
DrawTarget ViewTarget(uint16_t* view);
int32_t ViewSpriteRows();
// A view-sized picture (the view itself, or a buffer of its size) as sprites made for
// viewHeight rows of frame see it.
DrawTarget ViewSizedTarget(uint16_t* pixels);
// The view's pixels as a span, for the mask effects.
std::span<const uint16_t> ViewSpan(const uint16_t* view);
// Copies a view-sized buffer into the view, or the view into it.
void CopyIntoView(uint16_t* view, const uint16_t* picture);

// Waits for the module's start mark (restartCount non-zero) or an abort.
void WaitForStartMark();
// A pause in a wait: presents a frame the music's thread finished, pumps the window and gives
// the processor away for a millisecond.
void PauseBriefly();

// Runs `load` while the music's thread draws a loading screen on its marks: on a thread of its
// own, while this (the display's) thread presents each frame the music's thread finishes and
// pumps the window, a millisecond apart, so no frame waits for the load to end. Where the marks
// fire on this thread (virtual time, or no music), `load` simply runs here. In a web page, which
// has no threads, it runs here too and gives the page its turn between its steps
// (PauseBetweenLoadSteps). Gives back what `load` gives.
int32_t LoadWhilePresenting(const std::function<int32_t()>& load);
// Between two steps of a load under LoadWhilePresenting: in a web page, where the marks come on
// this thread, presents what they drew and lets the page run (its sound, the marks that came
// due); nothing where the load has a thread of its own or the marks come in virtual time.
void PauseBetweenLoadSteps();

// The scene reader the parts load with (LoadScene; tests put a slow one in its place).
extern int32_t (*partSceneReader)(Scene* scene, const char* name);
// Loads `name` into `scene`, makes it the engine's scene and sets the engine up for the view
// at the display's depth. 0, or the error code after setting errorMessage to the scene's or
// the engine's message; then nothing of the scene or the engine stays allocated.
int32_t LoadPartScene(Scene* scene, const char* name);
// Releases the engine, then the scene.
void FreePartScene(Scene* scene);

// A picture and the sprite made of it.
struct PartPicture {
    Picture picture{};
    Sprite sprite{};
};
// Loads a picture that will be drawn into the view or a view-sized buffer: false when it
// cannot be read, or has more rows than the view or more columns than the frame (its sprite
// would be drawn past the view).
bool LoadViewPicture(const char* name, Picture* picture);
// The picture's pixel bytes (one per pixel for 8-bit pictures: masks and grey pictures).
std::span<const uint8_t> PictureBytes(const Picture& picture);
void FreePartPicture(PartPicture* p);

// A process-wide count of DesyncTrack calls: 0 at start, never reset.
struct DesyncCounter {
    int32_t calls = 0;
};
// Gives the looping texture track of the first object named `objectName` a phase of its own:
// the keys run twice as fast, and their values are rotated by one place for every earlier call
// of the counter (the last key repeating the first, so the loop stays closed). The counter
// grows by one whether or not the object exists.
void DesyncTrack(Scene* scene, DesyncCounter* counter, const char* objectName);
