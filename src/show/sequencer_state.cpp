#include "show/sequencer_state.h"

SequencerState sequencer;
