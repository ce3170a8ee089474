#include "free_rotation.h"

#include <math.h>

namespace {

constexpr int64_t One = 32768;
constexpr int32_t MaxAngle = 450;

struct TTrig {
    int64_t S, C, S2, C2; // sin, cos, sin 2θ, cos 2θ, all x 32768
};

TTrig trigOf(int32_t angle) {
    const double theta = (angle < 0 ? -angle : angle) / 10.0 * M_PI / 180.0;
    TTrig t;
    t.S = int64_t(lround(sin(theta) * One));
    t.C = int64_t(lround(cos(theta) * One));
    t.S2 = (t.S * t.C) >> 14;
    t.C2 = (t.C * t.C - t.S * t.S) >> 15;
    return t;
}

// Every value is one rounded division of exact integer products (half away from zero), so no
// rounding of one step feeds the next except where a size itself is the rounded value.
// This gives 100 x 58 for 300 on 1000 x 100 and 58 x 100 on 100 x 1000.
void caseA(int64_t w, int64_t h, const TTrig& t, TRotationPlan& p) {
    p.Height = t.C2 > 0 ? RoundDiv(h * t.C - w * t.S, t.C2) : 0;
    const int64_t u = RoundDiv(p.Height * t.S, One);
    const int64_t r = -RoundDiv(u * t.S, t.C);
    const int64_t o = r + RoundDiv(w * t.S, t.C);
    p.Pass1 = {r, o, h - o - r};
    p.Pass2 = {u, 0, w - u};
}

void caseB(int64_t w, int64_t h, const TTrig& t, TRotationPlan& p) {
    p.Height = RoundDiv(h * One, 2 * t.C);
    const int64_t a = RoundDiv(h * t.S, t.C), b = 2 * w - RoundDiv(h * t.C, t.S);
    const int64_t u = (b + a) / 4, tt = (b - a) / 4;
    const int64_t r = RoundDiv(h * t.C - p.Height * One, 2 * t.C) - RoundDiv(w * t.S, 2 * t.C);
    const int64_t o = r + RoundDiv(w * t.S, t.C);
    p.Pass1 = {r, o, h - o - r};
    p.Pass2 = {u, tt, w - u - tt};
}

void caseC(int64_t w, int64_t h, const TTrig& t, TRotationPlan& p) {
    p.Height = RoundDiv(w * One, 2 * t.S);
    p.Width = RoundDiv(w * One, 2 * t.C);
    const int64_t o = (2 * h + RoundDiv(w * t.S, t.C) - RoundDiv(w * t.C, t.S)) / 4;
    const int64_t r = o - RoundDiv(w * t.S, t.C);
    p.Pass1 = {r, o, h - o - r};
    p.Pass2 = {w / 2, 0, w - w / 2};
}

} // namespace

bool PlanRotation(int64_t w, int64_t h, int32_t angle, TRotationPlan& plan) {
    const TTrig t = trigOf(angle);
    bool tall = h * t.S2 >= w * One;
    const bool wide = !tall && w * t.S2 >= h * One;
    // At 45 degrees case A would divide by cos 2θ = 0; case C gives the same square.
    if (!tall && !wide && (angle == MaxAngle || angle == -MaxAngle)) tall = true;
    if (tall)
        caseC(w, h, t, plan);
    else if (wide)
        caseB(w, h, t, plan);
    else
        caseA(w, h, t, plan);
    if (!tall) plan.Width = RoundDiv(plan.Pass2.Span * One, t.C);
    if (angle < 0) {
        const TPassSpan p1 = plan.Pass1, p2 = plan.Pass2;
        plan.Pass1 = {p1.B, p1.A, p1.Span};
        plan.Pass2 = {p2.B, p2.A, p2.Span};
    }
    return plan.Width >= 1 && plan.Height >= 1 && plan.Pass1.Span >= 1 && plan.Pass2.Span >= 1;
}

bool RequestedSize(int64_t& width, int64_t& height, int64_t wantWidth, int64_t wantHeight) {
    if (wantWidth < 0 || wantHeight < 0) return false;
    if (wantWidth > 0 && wantHeight > 0) {
        width = wantWidth;
        height = wantHeight;
    } else if (wantWidth > 0) {
        height = RoundDiv(height * wantWidth, width);
        width = wantWidth;
    } else if (wantHeight > 0) {
        width = RoundDiv(width * wantHeight, height);
        height = wantHeight;
    }
    return width >= 1 && height >= 1;
}

HGLOBAL RotateImage(HGLOBAL handle, int32_t angle, int32_t height, int32_t width, int32_t* err) {
    TLockedInput input(handle);
    TDibBlock in;
    int32_t code = CheckDib(input.Bytes(), input.Size(), Depth24, in);
    if (code == VuxDone && in.Header.biSize != sizeof(BITMAPINFOHEADER)) code = VuxBadHeader;
    if (code == VuxDone && (angle < -MaxAngle || angle > MaxAngle)) code = VuxRefused;
    TRotationPlan plan;
    if (code == VuxDone && !(PlanRotation(in.Width, in.Height, angle, plan) &&
                             RequestedSize(plan.Width, plan.Height, width, height)))
        code = VuxBadSize;
    if (code != VuxDone) {
        Report(err, code);
        return nullptr;
    }
    return ResampleInto(in, {0, in.Height, in.Width}, plan.Width, plan.Height, plan.Pass1,
                        plan.Pass2, err);
}
