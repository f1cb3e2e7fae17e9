#include "window/Fonts.h"

#include <QFont>
#include <QStringList>

namespace {

// Faces tried in this order when the designed face is not installed. Liberation
// Sans and Arimo share Arial's metrics; DejaVu Sans is a last, wider resort.
QStringList SansSubstitutes() {
    return {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
            QStringLiteral("DejaVu Sans")};
}

bool Install() {
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), SansSubstitutes());
    QFont::insertSubstitutions(QStringLiteral("Arial"), SansSubstitutes());
    return true;
}

} // namespace

void InstallFontSubstitutes() {
    static const bool installed = Install();
    static_cast<void>(installed);
}
