#include "main_state.h"

QString ProductVersionText() {
    return QStringLiteral("Glimmet " GLIMMET_VERSION);
}
