#include "window/Images.h"

// The resources live in a static library, whose registration code the linker
// would otherwise drop: register them explicitly before the first use.
static void RegisterResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    static_cast<void>(registered);
}

namespace Images {

QPixmap Banner() {
    RegisterResources();
    return QPixmap(QString::fromLatin1(kBanner));
}

QIcon MainWindowIcon() {
    RegisterResources();
    return QIcon(QString::fromLatin1(kMainIcon));
}

QIcon HelpWindowIcon() {
    RegisterResources();
    QIcon icon;
    icon.addFile(QString::fromLatin1(kHelpIcon), QSize(32, 32));
    icon.addFile(QString::fromLatin1(kHelpIconSmall), QSize(16, 16));
    return icon;
}

} // namespace Images
