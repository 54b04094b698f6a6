#include "sequencer/state/sequencer_state.h"

SequencerState sequencer;
