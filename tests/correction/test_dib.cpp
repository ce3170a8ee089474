#include "test_dib.h"

TTestDib DrawnEye(int size) {
    TTestDib dib(size, size, Skin);
    const double c = (size - 1) / 2.0, pupil = size / 7.0, ring = size / 4.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double d2 = (x - c) * (x - c) + (y - c) * (y - c);
            if (d2 <= pupil * pupil)
                dib.Set(x, y, Pupil);
            else if (d2 <= ring * ring)
                dib.Set(x, y, White);
        }
    return dib;
}
