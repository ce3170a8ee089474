#include "main_state.h"

QString ProductVersion() {
    return QStringLiteral(GLIMMET_VERSION);
}

QString ProductVersionText() {
    return "Glimmet " + ProductVersion();
}
