#pragma once
// The program's pictures, compiled into it as resources.

#include <QIcon>
#include <QPixmap>

namespace Images {

// Resource paths.
inline constexpr char kBanner[] = ":/banner.jpg";       // 650 x 80 banner of the main window
inline constexpr char kMainIcon[] = ":/icons/main.png"; // 32 x 32, 16 colours
inline constexpr char kHelpIcon[] = ":/icons/help.png"; // 32 x 32, 16 colours
inline constexpr char kHelpIconSmall[] = ":/icons/help-16.png"; // 16 x 16, 16 colours

QPixmap Banner();
QIcon MainWindowIcon();
// Both sizes of the help window's icon.
QIcon HelpWindowIcon();

} // namespace Images
