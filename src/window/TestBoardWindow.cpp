// The "Test board" window; see TestBoardWindow.h.

#include "window/TestBoardWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "core/Board.h"
#include "core/ModelProfile.h"
#include "window/DigitalStepAttenuatorForm.h"
#include "window/FormControls.h"

namespace {

constexpr int kLampDiameter = 16;
constexpr int kGapToMainWindow = 8;

} // namespace

BoardLamp::BoardLamp(QWidget* parent) : QWidget(parent) {
    setFixedSize(sizeHint());
}

void BoardLamp::SetLit(bool lit) {
    if (lit == lit_) {
        return;
    }
    lit_ = lit;
    repaint();
}

QSize BoardLamp::sizeHint() const {
    return {kLampDiameter + 2, kLampDiameter + 2};
}

void BoardLamp::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(lit_ ? QColor(0x80, 0, 0) : QColor(0x40, 0x40, 0x40), 1));
    painter.setBrush(lit_ ? QColor(0xFF, 0x30, 0x20) : QColor(0x50, 0x50, 0x50));
    painter.drawEllipse(QRectF(1, 1, kLampDiameter, kLampDiameter));
}

QPoint PlaceBeside(const QRect& mainFrame, const QSize& ownFrame, const QRect& screen) {
    const int gap = kGapToMainWindow;
    const QPoint candidates[] = {
        {mainFrame.right() + 1 + gap, mainFrame.top()},
        {mainFrame.left() - gap - ownFrame.width(), mainFrame.top()},
        {mainFrame.left(), mainFrame.bottom() + 1 + gap},
        {mainFrame.left(), mainFrame.top() - gap - ownFrame.height()},
    };
    for (const QPoint& candidate : candidates) {
        if (screen.contains(QRect(candidate, ownFrame))) {
            return candidate;
        }
    }
    return {std::max(screen.left(), screen.right() + 1 - ownFrame.width()),
            std::max(screen.top(), screen.bottom() + 1 - ownFrame.height())};
}

TestBoardWindow::TestBoardWindow(Board& board, const DigitalStepAttenuatorForm& form,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window), board_(board), form_(form) {
    setObjectName(QStringLiteral("TestBoard"));
    setWindowTitle(QStringLiteral("Test board"));
    // Showing it must leave the main window the active one.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // It does not keep the program running: closing the main window (and the
    // help window, if open) ends the program as it always does.
    setAttribute(Qt::WA_QuitOnClose, false);
    Build();
    // Every write reaches the labels at once, inside the transfer that makes it,
    // so the last write of a transfer is always what the window shows.
    board_.OnSimulatedWrite([this] { Refresh(); });
    // A new model changes what the words mean, with or without a write.
    connect(form_.ModelCombo, &QComboBox::editTextChanged, this, [this] { Refresh(); });
    connect(form_.ModelCombo, qOverload<int>(&QComboBox::activated), this, [this] { Refresh(); });
    Refresh();
}

TestBoardWindow::~TestBoardWindow() {
    board_.OnSimulatedWrite({});
}

void TestBoardWindow::Build() {
    // Compact enough to fit below the main window on a 1280 x 1024 screen:
    // the lamps in one row (D0 on the left, as the connector pins run), the
    // words in two columns.
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QHBoxLayout;
    Address = new QLabel(BoardAddressText(board_.SimulatedBoardBase()), this);
    Address->setObjectName(QStringLiteral("BoardAddress"));
    Model = new QLabel(this);
    Model->setObjectName(QStringLiteral("BoardModel"));
    heading->addWidget(Address);
    heading->addSpacing(Address->fontMetrics().horizontalAdvance(QStringLiteral("MM")));
    heading->addStretch();
    heading->addWidget(Model);
    layout->addLayout(heading);

    auto* lines = new QGroupBox(QStringLiteral("Data lines"), this);
    lines->setObjectName(QStringLiteral("BoardLines"));
    auto* lineGrid = new QGridLayout(lines);
    for (int bit = 0; bit < kDataLineCount; ++bit) {
        const auto member = static_cast<std::size_t>(bit);
        Lamps[member] = new BoardLamp(lines);
        Lamps[member]->setObjectName(FormControls::MemberName("BoardLamp", bit));
        Lamps[member]->setToolTip(QStringLiteral("Connector pin %1").arg(bit + 2));
        LampLabels[member] = new QLabel(DataLineCaption(bit), lines);
        LampLabels[member]->setObjectName(FormControls::MemberName("BoardLampLabel", bit));
        LampLabels[member]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        lineGrid->addWidget(Lamps[member], 0, bit, Qt::AlignHCenter);
        lineGrid->addWidget(LampLabels[member], 1, bit);
    }
    layout->addWidget(lines);

    auto* words = new QGroupBox(QStringLiteral("Latched words"), this);
    words->setObjectName(QStringLiteral("BoardWords"));
    auto* wordGrid = new QGridLayout(words);
    // Room for the longest text, so the window keeps its size while words change.
    const int wordWidth =
        words->fontMetrics().horizontalAdvance(QStringLiteral("LE6: 0000000 (no model)")) + 8;
    constexpr int kRowsPerColumn = 3;
    for (int le = 1; le <= kSerialDeviceCount; ++le) {
        QLabel*& device = Devices[static_cast<std::size_t>(le - 1)];
        device = new QLabel(words);
        device->setObjectName(FormControls::MemberName("BoardDevice", le));
        device->setMinimumWidth(wordWidth);
        wordGrid->addWidget(device, (le - 1) % kRowsPerColumn, (le - 1) / kRowsPerColumn);
    }
    Parallel = new QLabel(words);
    Parallel->setObjectName(QStringLiteral("BoardParallel"));
    wordGrid->addWidget(Parallel, kRowsPerColumn, 0);
    layout->addWidget(words);
}

void TestBoardWindow::Refresh() {
    // The words are read as the main window drives the board: the chosen entry,
    // else a key typed exactly as the catalogue spells it, else no model.
    const ModelProfile* model =
        ProfileForComboBox(form_.ModelComboListIndex(), form_.ModelCombo->currentText());
    Show(ReadBoard(board_.SimulatedState(), model));
}

void TestBoardWindow::Show(const BoardReadout& readout) {
    for (std::size_t bit = 0; bit < Lamps.size(); ++bit) {
        Lamps[bit]->SetLit(readout.lineHigh[bit]);
    }
    for (std::size_t device = 0; device < Devices.size(); ++device) {
        SetText(Devices[device], readout.serial[device]);
    }
    SetText(Parallel, readout.parallel);
    SetText(Model, readout.model);
}

void TestBoardWindow::SetText(QLabel* label, const QString& text) {
    if (label->text() == text) {
        return;
    }
    label->setText(text);
    label->repaint();
}

void TestBoardWindow::ShowBeside(QWidget* mainWindow) {
    adjustSize();
    move(PlaceBeside(mainWindow->frameGeometry(), frameGeometry().size(),
                     mainWindow->screen()->availableGeometry()));
    show();
}
