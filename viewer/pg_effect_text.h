#pragma once
// Effects named in text, as pgtool and the benchmarks take them:
//   grey[:plain]  rgb:R,G,B  hsv:H,S,V  bcg:B,C,G[:y]
//   sharpen:SD,S  smooth:SD,S  contour:SD,S[:black]
// Percents and degrees are integers as the dialogs' sliders give them; C and G are the contrast
// factor and the gamma exponent, SD the standard deviation, S the strength in percent.

#include "pg_filters.h"

#include <optional>
#include <string>

// The filter maker of an effect; nothing when the text names none.
std::optional<TPGFilterFactory> PGParseEffect(const std::string& Text);
