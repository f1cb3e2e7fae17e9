#pragma once
// The About box: the program's title, version and a notice, closed with OK,
// Enter, Escape or the close button. It exists at most once, is created when
// first opened and destroyed when closed.

#include <QDialog>
#include <array>

class QLabel;
class QPushButton;
class LineControl;

class AboutBox : public QDialog {
    Q_OBJECT

public:
    // Creates the About box if it is absent, moves it to its place near the
    // screen's top-left corner, shows it (not modal) and makes it active.
    static AboutBox* Open();
    // The open About box, nullptr when there is none.
    static AboutBox* Instance();

    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Label1 = nullptr;
    // Etched separator: Line1(0) white and two pixels wide, Line1(1) grey on top.
    std::array<LineControl*, 2> Line1{};
    QPushButton* cmdOK = nullptr;

private:
    AboutBox();
};
