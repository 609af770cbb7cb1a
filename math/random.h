#pragma once

// The process-wide pseudo-random sequence. It is the classic linear
// congruential generator (state = state * 214013 + 2531011, bits 16..30),
// never seeded, so every run draws the same values. glibc's rand() is a
// different generator, which is why this one is ours.

// Next value of the sequence, 0..32767.
int Rand();

// Restarts the sequence at its unseeded beginning; only tests need this.
void ResetRand();

// A value in [0, max) (or (max, 0] for a negative max) in steps of max / 10000.
float frand(float max);
