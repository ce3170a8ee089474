#pragma once
// A stand-in for the correction library that records each call, answers from a script and
// marks the first pixel of each rectangle it is given, so a test sees where the result went.

#include <cstdint>

struct TFakeRedEyeCall {
    int32_t Left, Top, Right, Bottom, Level, Method;
    int32_t Width, Height, BitCount; // from the header it was given
};

inline constexpr uint8_t FakeRedEyeMark = 7;

extern "C" {
// Forgets the calls; the next calls answer results[0], results[1], ... then 0.
void FakeRedEyeReset(const int32_t* results, int count);
int FakeRedEyeCallCount();
const TFakeRedEyeCall* FakeRedEyeCalls();
}
