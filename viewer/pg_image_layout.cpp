#include "pg_image_layout.h"

#include <algorithm>
#include <cmath>

void PGAutoSize(int imageW, int imageH, int border, const TPGAutoSizeLimits& limits,
                TPGScrollBarSize bars, int& width, int& height) {
    int64_t w = int64_t(imageW) + 2 * border, h = int64_t(imageH) + 2 * border;
    bool horz = false, vert = false;
    for (int pass = 0; pass < 2; ++pass) {
        if (w > limits.MaxWidth && !horz) h += bars.HScrollHeight, horz = true;
        if (h > limits.MaxHeight && !vert) w += bars.VScrollWidth, vert = true;
    }
    width =
        static_cast<int>(std::max<int64_t>(std::min<int64_t>(w, limits.MaxWidth), limits.MinWidth));
    height = static_cast<int>(
        std::max<int64_t>(std::min<int64_t>(h, limits.MaxHeight), limits.MinHeight));
}

namespace {

// A displayed side is never 0 pixels, however extreme the aspect or the zoom.
int side(long double v) {
    return static_cast<int>(std::max<long double>(1, std::trunc(v)));
}

struct Fitter {
    const TPGArrangeInput& In;
    int Aw, Ah;
    long double Ca, Ia;

    void Fit(TPGArrangement& a) const {
        if (Ca >= Ia) {
            a.Height = Ah, a.Width = side(Ah * Ia), a.Zoom = (long double)Ah / In.ImageHeight;
        } else {
            a.Width = Aw, a.Height = side(Aw / Ia), a.Zoom = (long double)Aw / In.ImageWidth;
        }
    }
    void EdgeFit(TPGArrangement& a) const {
        Fit(a);
        if (a.Width >= Aw - In.Bars.VScrollWidth && a.Height >= Ah - In.Bars.HScrollHeight) return;
        if (Ca > Ia) {
            a.Width = std::max(1, Aw - In.Bars.VScrollWidth), a.Height = side(a.Width / Ia);
            a.Zoom = (long double)a.Width / In.ImageWidth;
        } else {
            a.Height = std::max(1, Ah - In.Bars.HScrollHeight), a.Width = side(a.Height * Ia);
            a.Zoom = (long double)a.Height / In.ImageHeight;
        }
    }
    bool NeedsBothBars() const {
        const int w = In.ImageWidth, h = In.ImageHeight;
        return (w > Aw && h > Ah - In.Bars.HScrollHeight) ||
               (w > Aw - In.Bars.VScrollWidth && h > Ah);
    }
};

void applyStretch(const Fitter& f, TPGArrangement& a) {
    const int iw = f.In.ImageWidth, ih = f.In.ImageHeight, aw = f.Aw, ah = f.Ah;
    const bool smaller = iw < aw && ih<ah, larger = iw> aw || ih > ah;
    switch (f.In.Stretch) {
    case sNeverKAR:
        return;
    case sAlways:
        a.Width = aw, a.Height = ah, a.Zoom = -1;
        return;
    case sAlwaysKAR:
        return f.Fit(a);
    case sShrink:
        if (iw > aw) a.Width = aw, a.Zoom = -1;
        if (ih > ah) a.Height = ah, a.Zoom = -1;
        return;
    case sShrinkKAR:
        if (larger) f.Fit(a);
        return;
    case sEnlarge: {
        const int h2 = iw > aw ? ah - f.In.Bars.HScrollHeight : ah;
        const int w2 = ih > ah ? aw - f.In.Bars.VScrollWidth : aw;
        if (w2 > iw) a.Width = w2, a.Zoom = -1;
        if (h2 > ih) a.Height = h2, a.Zoom = -1;
        return;
    }
    case sEnlargeKAR:
        if (smaller) f.Fit(a);
        return;
    case sAlwaysLongerEdgeKAR:
        return f.EdgeFit(a);
    case sShrinkLongerEdgeKAR:
        if (f.NeedsBothBars()) f.EdgeFit(a);
        return;
    case sEnlargeShrinkLongerEdgeKAR:
        if (smaller)
            f.Fit(a);
        else if (f.NeedsBothBars())
            f.EdgeFit(a);
        return;
    case sEnlargeLongerEdgeKAR:
        if (iw < aw || ih < ah) f.EdgeFit(a);
        return;
    case sZoomKAR:
        a.Zoom = f.In.ZoomFactor > 0 ? f.In.ZoomFactor : 1.0L;
        a.Width = std::max(1, static_cast<int>(std::nearbyint(iw * a.Zoom)));
        a.Height = std::max(1, static_cast<int>(std::nearbyint(ih * a.Zoom)));
        return;
    }
}

} // namespace

TPGArrangement PGArrange(const TPGArrangeInput& in) {
    TPGArrangement a;
    a.Width = in.ImageWidth, a.Height = in.ImageHeight;
    const int aw = in.ControlWidth - 2 * in.Border, ah = in.ControlHeight - 2 * in.Border;
    if (in.ImageWidth > 0 && in.ImageHeight > 0 && aw > 0 && ah > 0) {
        const Fitter f{in, aw, ah, (long double)aw / ah,
                       (long double)in.ImageWidth / in.ImageHeight};
        applyStretch(f, a);
    }
    if (!in.Center) return a;
    int aw2 = aw, ah2 = ah;
    for (int pass = 0; pass < 2; ++pass) {
        if (aw2 < a.Width && !a.HorzBar) ah2 -= in.Bars.HScrollHeight, a.HorzBar = true;
        if (ah2 < a.Height && !a.VertBar) aw2 -= in.Bars.VScrollWidth, a.VertBar = true;
    }
    if (a.Height < ah2) a.Y = (ah2 - a.Height) / 2;
    if (a.Width < aw2) a.X = (aw2 - a.Width) / 2;
    return a;
}

int PGMapCoordinate(int v, int to, int from) {
    return from <= 0 ? 0 : static_cast<int>(int64_t(v) * to / from);
}

TPGTileRange PGTileRange(TTiling tiling, const TPGRect& box, int clientW, int clientH) {
    TPGTileRange r;
    const int w = box.Width(), h = box.Height();
    if (tiling == tNone || w <= 0 || h <= 0) return r;
    if (box.Left > 0) r.I0 = (1 - box.Right) / w;
    if (box.Right < clientW) r.I1 = (clientW - box.Left - 1) / w;
    if (box.Top > 0) r.J0 = (1 - box.Bottom) / h;
    if (box.Bottom < clientH) r.J1 = (clientH - box.Top - 1) / h;
    return r;
}

TPGRect PGTileRect(const TPGRect& box, int i, int j) {
    const int w = box.Width(), h = box.Height();
    return {box.Left + i * w, box.Top + j * h, box.Left + (i + 1) * w, box.Top + (j + 1) * h};
}

bool PGTileMirrorX(TTiling tiling, bool flipHorizontal, int i) {
    return flipHorizontal != ((tiling == tMirrorHorizontal || tiling == tMirror) && i % 2 != 0);
}

bool PGTileMirrorY(TTiling tiling, bool flipVertical, int j) {
    return flipVertical != ((tiling == tMirrorVertical || tiling == tMirror) && j % 2 != 0);
}

std::vector<std::array<int, 2>> PGClockPositions(const TPGRect& box, bool fiveClocks) {
    std::vector<std::array<int, 2>> at;
    const int w = box.Width(), h = box.Height();
    if (w > 20 && h > 20) at.push_back({box.Left + w / 2 - 7, box.Top + h / 2 - 7});
    if (fiveClocks && w >= 101 && h >= 101) {
        at.push_back({box.Left + 5, box.Top + 5});
        at.push_back({box.Right - 20, box.Top + 5});
        at.push_back({box.Left + 5, box.Bottom - 20});
        at.push_back({box.Right - 20, box.Bottom - 20});
    }
    return at;
}

TPGClockHands PGClockHands(int x, int y, int stage, int percent) {
    const double minute = percent * M_PI * 0.02;
    const double hour = ((stage - 1) * 2 * M_PI + minute) / 12;
    TPGClockHands c;
    c.CenterX = x + 7, c.CenterY = y + 7;
    auto end = [&](double angle, int r, int& ex, int& ey) {
        ex = c.CenterX + static_cast<int>(std::lround(r * std::sin(angle)));
        ey = c.CenterY - static_cast<int>(std::lround(r * std::cos(angle)));
    };
    end(hour, 6, c.HourX, c.HourY);
    end(minute, 7, c.MinuteX, c.MinuteY);
    return c;
}

std::array<TPGRect, 8> PGHandleRects(const TPGRect& s) {
    const int mx = (s.Left + s.Right) / 2, my = (s.Top + s.Bottom) / 2;
    const int left[2] = {s.Left - 8, s.Left - 3}, right[2] = {s.Right + 3, s.Right + 8};
    const int top[2] = {s.Top - 8, s.Top - 3}, bottom[2] = {s.Bottom + 3, s.Bottom + 8};
    const int midX[2] = {mx - 2, mx + 3}, midY[2] = {my - 2, my + 3};
    auto r = [](const int* x, const int* y) { return TPGRect{x[0], y[0], x[1], y[1]}; };
    return {r(left, top),   r(midX, top),    r(right, top),   r(left, midY),
            r(right, midY), r(left, bottom), r(midX, bottom), r(right, bottom)};
}

int PGHandleAt(const TPGRect& selection, int x, int y) {
    const auto handles = PGHandleRects(selection);
    for (int i = 0; i < 8; ++i)
        if (handles[i].Contains(x, y)) return i;
    return -1;
}

bool PGAntsSecondColor(int k, int x, int y) {
    return (x + y - k + 8) % 8 > 3;
}

int PGAntsBrush(int phase, int left, int top) {
    return ((phase + left + top) % 8 + 8) % 8;
}
