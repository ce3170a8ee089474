#pragma once
// Comma text: a list of lines as one text, as descriptions are stored and the input window's
// memo answers. A line holding a double quote, a comma or a character with a code up to 32 is
// enclosed in double quotes with its inner quotes doubled; the lines are joined by ",". An
// empty line is written as two double quotes, so that a trailing empty line survives.

#include <QString>
#include <QStringList>

QString ToCommaText(const QStringList& lines);
QStringList FromCommaText(const QString& text);
// The lines joined by single blanks (none added after a line that ends in one), without a
// blank at the end: the one-line form of lists and web pages.
QString commatexttostring(const QString& text);
