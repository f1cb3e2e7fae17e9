#include "window/HelpText.h"

namespace {

// One line of the help text: blanks in front, visible text, blanks behind.
// A line of blanks only has them all in front.
struct HelpLine {
    int leading;
    const char* text;
    int trailing;
};

const HelpLine kHelpLines[] = {
    {0, "", 0},
    {0, "1.  Make sure to connect the test board to LPT output of the PC (parallel output", 1},
    {5, "port for printer 25 pin connector) by control cable supplied with test board.", 7},
    {5, "Also put The Port/IO  address (Hex)  - default is 378H", 3},
    {31, "", 0},
    {0, "2.  The software uses inpout32.dll to access parallel port. In case of error try to", 1},
    {6, "run install driver from InpOutBinaries_1500.zip", 0},
    {119, "", 0},
    {0, "3.  Choose from list the KTN model.", 67},
    {9, "", 0},
    {0, "4.  Press the buttons 0.5,1,2,4,8,16 to set total Att. in dB. The color of", 1},
    {5, "the value button you press will turn red . To set off the value press  again", 1},
    {5, "the same button (color will turn black) .", 57},
    {13, "", 0},
    {0, "5.  Press Load to send Attenuation data to the test board .", 34},
    {8, "", 0},
    {0, "6.  If AutoLoad is checked  then each time pressing value button will set", 1},
    {5, "attenuation automatically .", 0},
    {119, "", 0},
    {0, "7. To control more than one  KTN , use the LE select option. select the", 2},
    {5, "unit # first and afterwards  the attenuation value.", 0},
    {24, "", 0},
};

QString BuildHelpText() {
    QString text;
    for (const HelpLine& line : kHelpLines) {
        text += QString(line.leading, QLatin1Char(' '));
        text += QLatin1String(line.text);
        text += QString(line.trailing, QLatin1Char(' '));
        text += QLatin1String("\r\n");
    }
    return text;
}

} // namespace

const QString& HelpText() {
    static const QString text = BuildHelpText();
    return text;
}
