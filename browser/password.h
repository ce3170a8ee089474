#pragma once
// The start-up password: its check value, and the prompt of up to three attempts.

#include <QString>

#include <cstdint>
#include <functional>

class TPrompter;

// The decimal number made of the length, the weighted character sum modulo 10 000 000 and the
// digit 9. 0 for an empty text or one whose number does not fit in 32 bits.
int32_t calcaccesspw(const QString& password);
bool checkaccesspw(const QString& answer, int32_t twainHandle);
// Neither 0 nor the no-password marker.
bool HasPassword(int32_t twainHandle);

enum class TPasswordOutcome { Accepted, Refused };

// ask shows the password window and answers the text typed, empty on Cancel. After the third
// wrong answer the user is told that the program cannot be opened.
TPasswordOutcome RunPasswordPrompt(int32_t twainHandle, const std::function<QString()>& ask,
                                   TPrompter& prompter);
