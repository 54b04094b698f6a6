// Whether the effects run their pixel loops 16 lanes at a time (on processors with AVX2) or
// 8 lanes at a time. Both give the same pixels.
#pragma once

#if (defined(__x86_64__) || defined(__i386__)) && !defined(VELA_PORTABLE_LANES)
#define VELA_WIDE_LANES 1
// Marks a function whose loops are built for AVX2; call it only when UseWideLanes() says so.
#define VELA_WIDE_TARGET [[gnu::target("avx2")]]
#else
#define VELA_WIDE_LANES 0
#define VELA_WIDE_TARGET
#endif

// True when wide loops are allowed and the processor has AVX2.
bool UseWideLanes();

// Allows or forbids the wide loops (allowed at start); lets tests run both widths.
void AllowWideLanes(bool allow);
