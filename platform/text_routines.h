#pragma once
// Small text and number routines of the file-routine library.

#include <QString>

#include <cstdint>

// Every occurrence of the part removed, again and again from the left until none is left.
QString RemoveAll(const QString& text, const QString& part);
// The text without its first n characters; n <= 0 leaves it unchanged.
QString DropFirst(const QString& text, qsizetype n);
// Every occurrence replaced, repeatedly from the left until none is left. A new part that
// holds the old one would never end: it raises EError "Circular replacement error".
QString ReplaceAll(const QString& text, const QString& oldPart, const QString& newPart);
QString ReplaceChar(const QString& text, QChar from, QChar to);
// The text after the first occurrence of the marker (found without case); the whole text when
// the marker does not occur.
QString TextAfter(const QString& text, const QString& marker);
QString BoolText(bool value);
// "TRUE" and "FALSE" in any case; anything else gives the default.
bool TextBool(const QString& text, bool defaultValue);
// The text as an integer (the default when it is none), limited to low..high.
int ClampText(const QString& text, int defaultValue, int low, int high);
// a * b / 100, rounded to the nearest integer.
int64_t Percent(int64_t a, int64_t b);
// n for a screen of the given pixels per inch, designed for 96 (truncated).
int ScaleByDPI(int n, int dpi);
