// The show's synthesised instruments. Each function makes one XM instrument from code alone;
// the same call gives the same bytes every time. Drums and noises play at their natural pitch
// on C-5 (note 60); pitched instruments are tuned to A-4 = 440 Hz and carry a tone per zone.
#pragma once

#include "formats/xm_writer.h"

namespace content::music {

constexpr int kDrumNote = 60; // C-5: the note at which drums and noises sound as made

// Drums and noises.
struct KickSound {
    double startHz = 150.0;  // pitch of the first instant
    double endHz = 48.0;     // pitch it falls to
    double sweep = 0.03;     // seconds for the pitch fall
    double decay = 0.30;     // seconds for the body to fall to 1/e
    double click = 0.3;      // level of the beater's click
    double drive = 1.5;      // saturation of the body
};
XmInstrument MakeKick(const char* name, const KickSound& sound);
XmInstrument MakeSnare(const char* name, double toneHz, double noiseDecay, double brightness);
XmInstrument MakeBrush(const char* name);
XmInstrument MakeClap(const char* name);
XmInstrument MakeHat(const char* name, double decay);
XmInstrument MakeShaker(const char* name);
XmInstrument MakeCrash(const char* name, double seconds);
// A crash played backwards: a swell that stops dead after `seconds`.
XmInstrument MakeSwell(const char* name, double seconds);
// A drum with a pitch: toms and the frame drum are tuned (their root is the given note).
XmInstrument MakeTom(const char* name, int rootNote, double decay);
XmInstrument MakeFrameDrum(const char* name);
// Looped noises: the crackle of a fire and a breath of air.
XmInstrument MakeCrackle(const char* name);
XmInstrument MakeBreath(const char* name);

// Pitched instruments.
XmInstrument MakeWarmPad(const char* name);
XmInstrument MakePluck(const char* name);
XmInstrument MakeSoftBass(const char* name);
XmInstrument MakeBell(const char* name);
XmInstrument MakeFluteLead(const char* name);
XmInstrument MakeDrone(const char* name);
XmInstrument MakeReed(const char* name);
XmInstrument MakeHollowBass(const char* name);
XmInstrument MakeSawLead(const char* name);
XmInstrument MakePulseArp(const char* name);
XmInstrument MakeBrightPad(const char* name);
XmInstrument MakeChoir(const char* name);
XmInstrument MakeSawBass(const char* name);

} // namespace content::music
