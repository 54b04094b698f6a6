#include "sequencer/sequencer_state.h"

SequencerState sequencer;
