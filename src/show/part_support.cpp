#include "show/part_support.h"

#include <atomic>
#include <cstring>
#include <thread>

#include "display/display_device.h"
#include "display/screen_geometry.h"
#include "display/window.h"
#include "engine/engine_errors.h"
#include "engine/engine_setup.h"
#include "engine/scene/scene_files.h"
#include "platform/host_loop.h"
#include "platform/tick_source.h"
#include "show/show_operations.h"
#include "show/frame_timings.h"
#include "show/music.h"
#include "show/sequencer_state.h"
#include "resources/content_events.h"

uint16_t* LockView()
{
    BeginFrameTiming();
    auto* frame = static_cast<uint16_t*>(BeginDraw());
    return frame ? ViewOfFrame(frame) : nullptr;
}

void PresentView()
{
    EndFrameTiming();
    EndDraw();
}

// The rows from the view's first down to the frame's last: sprites made for the whole frame
// but drawn from the view's first row would otherwise be clipped only past the frame's end.
int32_t ViewSpriteRows() { return screen.screenHeight - screen.viewTop; }

DrawTarget ViewTarget(uint16_t* view) { return DrawTarget{view, screen.screenWidth, ViewSpriteRows()}; }

DrawTarget ViewSizedTarget(uint16_t* pixels) { return DrawTarget{pixels, screen.screenWidth, screen.viewHeight}; }

std::span<const uint16_t> ViewSpan(const uint16_t* view) { return {view, ViewPixelCount()}; }

void CopyIntoView(uint16_t* view, const uint16_t* picture)
{
    if (view && picture) std::memcpy(view, picture, ViewPixelCount() * sizeof(uint16_t));
}

void PauseBriefly()
{
    PresentPendingFrame();
    PumpMessages();
    SleepMilliseconds(1);
}

void WaitForStartMark()
{
    while (syncCounters.restartCount.load() == 0 && !CheckAbort()) PauseBriefly();
}

int32_t LoadWhilePresenting(const std::function<int32_t()>& load)
{
    if (!MusicMarksOnOwnThread()) return load();
    if (HostOwnsTheLoop()) {
        const int32_t result = load();
        PresentPendingFrame();
        return result;
    }
    std::atomic<bool> done{false};
    int32_t result = 0;
    std::thread loader([&] {
        result = load();
        done.store(true);
    });
    while (!done.load()) PauseBriefly();
    loader.join();
    // The last frame drawn before the load ended reaches the screen now, not after whatever the
    // caller draws next.
    PresentPendingFrame();
    return result;
}

void PauseBetweenLoadSteps()
{
    if (HostOwnsTheLoop() && MusicMarksOnOwnThread()) PauseBriefly();
}

int32_t (*partSceneReader)(Scene* scene, const char* name) = LoadScene;

int32_t LoadPartScene(Scene* scene, const char* name)
{
    const int32_t loaded = partSceneReader(scene, name);
    if (loaded != 0) {
        sequencer.errorMessage = SceneErrorText(loaded);
        FreeScene(scene); // a scene that ran out of memory is handed back half built
        return loaded;
    }
    if (contentEvents.sceneLoaded) contentEvents.sceneLoaded(name, scene);
    SetEngineScene(scene);
    const int32_t setUp = EngineInit(screen.screenWidth, screen.viewHeight, screen.pixelDepth);
    if (setUp != 0) {
        sequencer.errorMessage = EngineErrorText(setUp);
        FreePartScene(scene);
        return setUp;
    }
    return 0;
}

void FreePartScene(Scene* scene)
{
    FreeEngineScene(scene);
}

bool LoadViewPicture(const char* name, Picture* picture)
{
    if (!LoadPicture(name, picture)) return false;
    if (PictureHeight(*picture) > screen.viewHeight || PictureWidth(*picture) > screen.screenWidth) {
        FreePicture(picture);
        return false;
    }
    return true;
}

std::span<const uint8_t> PictureBytes(const Picture& picture)
{
    if (!picture.pixels) return {};
    const size_t bytes = static_cast<size_t>(PictureWidth(picture)) * static_cast<size_t>(PictureHeight(picture)) *
                         static_cast<size_t>(PictureBitsPerPixel(picture) / 8);
    return {picture.pixels, bytes};
}

void FreePartPicture(PartPicture* p)
{
    FreeSprite(&p->sprite);
    FreePicture(&p->picture);
}

void DesyncTrack(Scene* scene, DesyncCounter* counter, const char* objectName)
{
    const int32_t turns = counter->calls;
    counter->calls += 1;
    SceneObject* object = FindSceneObject(*scene, objectName);
    if (!object || object->uvTrack.keyCount <= 1) return;
    VectorTrack& track = object->uvTrack;
    const int32_t count = track.keyCount;
    for (int32_t i = 0; i < count; ++i) track.keys[i].frame *= 0.5f;
    // One turn moves the values of keys 0 .. count - 2 one place down, the first going last;
    // count - 1 turns bring them back, so only the remainder matters.
    const int32_t span = count - 1;
    const int32_t shift = turns % span;
    for (int32_t n = 0; n < shift; ++n) {
        const Vec3 first = track.keys[0].value;
        for (int32_t i = 0; i + 1 < span; ++i) track.keys[i].value = track.keys[i + 1].value;
        track.keys[span - 1].value = first;
    }
    if (turns > 0) track.keys[count - 1].value = track.keys[0].value;
}
