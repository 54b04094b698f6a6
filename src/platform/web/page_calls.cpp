// The page's side of page_calls.h: each function hands over to the page object that
// vela-page.js gives the program as Module.page.
#include "platform/web/page_calls.h"

#include <emscripten.h>

// clang-format off
EM_JS(void, page_open_canvas, (int width, int height), { Module.page.openCanvas(width, height); });
EM_JS(void, page_show_canvas, (int shown), { Module.page.showCanvas(shown != 0); });
EM_JS(void, page_set_canvas_size, (int width, int height), { Module.page.setCanvasSize(width, height); });
EM_JS(int, page_canvas_width, (), { return Module.page.canvasWidth(); });
EM_JS(int, page_canvas_height, (), { return Module.page.canvasHeight(); });
EM_JS(void, page_enter_full_screen, (), { Module.page.enterFullScreen(); });
EM_JS(void, page_leave_full_screen, (), { Module.page.leaveFullScreen(); });
EM_JS(void, page_draw_picture, (const uint8_t* rgba, int width, int height), {
    Module.page.drawPicture(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height);
});
EM_ASYNC_JS(void, page_wait_for_animation_frame, (), { await Module.page.waitForAnimationFrame(); });
EM_ASYNC_JS(void, page_yield, (), { await Module.page.yieldOnce(); });
EM_ASYNC_JS(void, page_sleep, (int milliseconds), { await Module.page.sleep(milliseconds); });
EM_JS(int, page_next_event, (int* usage, int* altDown), {
    const e = Module.page.nextEvent();
    if (!e) return 0;
    HEAP32[usage >> 2] = e.usage | 0;
    HEAP32[altDown >> 2] = e.altDown ? 1 : 0;
    return e.kind;
});
EM_JS(int, page_open_audio, (), { return Module.page.openAudio(); });
EM_JS(void, page_close_audio, (), { Module.page.closeAudio(); });
EM_JS(void, page_pause_audio, (int paused), { Module.page.pauseAudio(paused != 0); });
EM_JS(void, page_start_sound_pump, (int toDevice, int sampleRate), {
    Module.page.startSoundPump(toDevice != 0, sampleRate);
});
EM_JS(void, page_stop_sound_pump, (), { Module.page.stopSoundPump(); });
EM_JS(double, page_sound_clock, (), { return Module.page.soundClock(); });
EM_ASYNC_JS(int, page_show_message, (const char* text, const char* caption, int okCancel), {
    return await Module.page.showMessage(UTF8ToString(text), UTF8ToString(caption), okCancel != 0);
});
// clang-format on

void PageOpenCanvas(int width, int height) { page_open_canvas(width, height); }
void PageShowCanvas(bool shown) { page_show_canvas(shown ? 1 : 0); }
void PageSetCanvasSize(int width, int height) { page_set_canvas_size(width, height); }
int PageCanvasWidth() { return page_canvas_width(); }
int PageCanvasHeight() { return page_canvas_height(); }
void PageEnterFullScreen() { page_enter_full_screen(); }
void PageLeaveFullScreen() { page_leave_full_screen(); }
void PageDrawPicture(const uint8_t* rgba, int width, int height) { page_draw_picture(rgba, width, height); }
void PageWaitForAnimationFrame() { page_wait_for_animation_frame(); }
void PageYield() { page_yield(); }
void PageSleep(int milliseconds) { page_sleep(milliseconds); }
int PageNextEvent(int* usage, int* altDown) { return page_next_event(usage, altDown); }
int PageOpenAudio() { return page_open_audio(); }
void PageCloseAudio() { page_close_audio(); }
void PagePauseAudio(bool paused) { page_pause_audio(paused ? 1 : 0); }
void PageStartSoundPump(bool toDevice, int sampleRate) { page_start_sound_pump(toDevice ? 1 : 0, sampleRate); }
void PageStopSoundPump() { page_stop_sound_pump(); }
double PageSoundClock() { return page_sound_clock(); }
int PageShowMessage(const char* text, const char* caption, bool okCancel)
{
    return page_show_message(text, caption, okCancel ? 1 : 0);
}
