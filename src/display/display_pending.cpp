// The display layer arrives here.
