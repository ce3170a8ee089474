#include "fake_clarend.h"

#include "clarend.h"

namespace {

constexpr int MaxCalls = 16;
TFakeRedEyeCall Calls[MaxCalls];
int32_t Script[MaxCalls];
int CallCount = 0, ScriptCount = 0;

void mark(BITMAPINFOHEADER* h, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (right <= left || bottom <= top) return;
    const int64_t stride = (int64_t(h->biWidth) * 3 + 3) / 4 * 4;
    uint8_t* rows = reinterpret_cast<uint8_t*>(h) + h->biSize;
    rows[(int64_t(h->biHeight) - 1 - top) * stride + int64_t(left) * 3] = FakeRedEyeMark;
}

} // namespace

extern "C" {

void FakeRedEyeReset(const int32_t* results, int count) {
    CallCount = 0;
    ScriptCount = count < MaxCalls ? count : MaxCalls;
    for (int i = 0; i < ScriptCount; ++i) Script[i] = results[i];
}

int FakeRedEyeCallCount() {
    return CallCount;
}

const TFakeRedEyeCall* FakeRedEyeCalls() {
    return Calls;
}

int32_t pVuxFixRedEye2(BITMAPINFOHEADER* h, int32_t left, int32_t top, int32_t right,
                       int32_t bottom, int32_t level, int32_t method) {
    const int index = CallCount < MaxCalls ? CallCount++ : MaxCalls - 1;
    Calls[index] = {left,   top,        right,       bottom,       level,
                    method, h->biWidth, h->biHeight, h->biBitCount};
    const int32_t result = index < ScriptCount ? Script[index] : 0;
    if (result == 0) mark(h, left, top, right, bottom);
    return result;
}
}
