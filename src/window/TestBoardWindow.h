#pragma once
// The "Test board" window of a run with --simulate: the simulated board beside
// the main window. Eight lamps show the data lines D0 to D7 as the last write
// left them; one line per device shows the word it latched and what that word
// means for the model chosen in the main window. All texts come from
// core/BoardReadout.h; this class only places them and keeps them current.
//
// Object names, in the main window's way of naming controls and arrays:
//   TestBoard           the window
//   BoardAddress        "Simulated board at port 378"
//   BoardModel          the model the words are read for
//   BoardLines          the frame of the lamps; BoardWords the frame of the words
//   BoardLamp(0..7)     the lamp of data line Dn (property "lit")
//   BoardLampLabel(0..7) the caption under it ("D0", "clock")
//   BoardDevice(1..6)   the device on LE line n ("LE3: 001110 = 7 dB")
//   BoardParallel       the parallel device ("PAR: ...")

#include <QString>
#include <QWidget>
#include <array>

#include "core/BoardReadout.h"

class QComboBox;
class QLabel;
class Board;
class DigitalStepAttenuatorForm;

// One data line: a round lamp, lit while the line is high.
class BoardLamp : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool lit READ IsLit)

public:
    explicit BoardLamp(QWidget* parent = nullptr);
    bool IsLit() const { return lit_; }
    void SetLit(bool lit);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool lit_ = false;
};

// Where the Test board window goes beside a main window whose outer frame is
// `mainFrame`: to its right, else to its left, else below it, else above it,
// whichever first fits on `screen` whole; when none does, the screen's
// bottom-right corner, so that it covers as little of the main window as it can.
QPoint PlaceBeside(const QRect& mainFrame, const QSize& ownFrame, const QRect& screen);

class TestBoardWindow : public QWidget {
    Q_OBJECT

public:
    // Follows every write to the simulated board of `board` and reads the words for the model
    // chosen in `form`. Both must outlive the window.
    TestBoardWindow(Board& board, const DigitalStepAttenuatorForm& form, QWidget* parent = nullptr);
    ~TestBoardWindow() override;

    // Shows what the board holds now.
    void Refresh();

    // Puts the window beside `mainWindow` (to its right where the screen has room,
    // else to its left) and shows it without taking the focus from it.
    void ShowBeside(QWidget* mainWindow);

    std::array<BoardLamp*, kDataLineCount> Lamps{};
    std::array<QLabel*, kDataLineCount> LampLabels{};
    std::array<QLabel*, kSerialDeviceCount> Devices{};
    QLabel* Parallel = nullptr;
    QLabel* Model = nullptr;
    QLabel* Address = nullptr;

private:
    void Build();
    void Show(const BoardReadout& readout);
    // Sets `label`'s text and, when it changed, paints it at once: a transfer runs
    // without letting window events run, and the lines should be seen as they move.
    static void SetText(QLabel* label, const QString& text);

    Board& board_;
    const DigitalStepAttenuatorForm& form_;
};
