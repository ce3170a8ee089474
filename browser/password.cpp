#include "password.h"

#include "prompter.h"
#include "settings_table.h"

#include <limits>

int32_t calcaccesspw(const QString& password) {
    if (password.isEmpty()) return 0;
    int64_t sum = 0;
    for (qsizetype k = 1; k <= password.size(); ++k)
        sum += static_cast<int64_t>(password[k - 1].unicode()) * (k + 2);
    const QString digits =
        QString::number(password.size()) + QString::number(sum % 10000000) + u'9';
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok);
    if (!ok || value > std::numeric_limits<int32_t>::max()) return 0;
    return static_cast<int32_t>(value);
}

bool checkaccesspw(const QString& answer, int32_t twainHandle) {
    return !answer.isEmpty() && calcaccesspw(answer) == twainHandle;
}

bool HasPassword(int32_t twainHandle) {
    return twainHandle != 0 && twainHandle != NoPasswordMarker;
}

TPasswordOutcome RunPasswordPrompt(int32_t twainHandle, const std::function<QString()>& ask,
                                   TPrompter& prompter) {
    constexpr int Attempts = 3;
    for (int attempt = 1; attempt <= Attempts; ++attempt) {
        if (checkaccesspw(ask(), twainHandle)) return TPasswordOutcome::Accepted;
        if (attempt < Attempts)
            prompter.Message(TPromptKind::Warning,
                             "The password you entered was incorrect please try again!");
    }
    prompter.Message(TPromptKind::Error,
                     "You failed to enter the correct password.  Glimmet cannot be opened!");
    return TPasswordOutcome::Refused;
}
