#pragma once
// The main window. All state of the user interface lives in its controls and in
// the three window-level variables PortAddress, LeIndex and LeMemory.

#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>

#include "core/ControlWord.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class LineControl;
class Board;
class UserNotifier;
class DialogNotifier;
struct ModelProfile;
enum class InterfaceClass;
enum class WeightSet;
enum class StepLayout;

// Nominal attenuation last loaded through LE lines 1 to 6 (entry 0 is unused).
using LeMemoryTable = std::array<float, 7>;

class DigitalStepAttenuatorForm : public QWidget {
    Q_OBJECT

public:
    // `module` is the board the window drives; it must outlive the window.
    // Messages and beeps of the window go to `notifier` (the same one the board
    // uses); without one the window shows its own message boxes.
    explicit DigitalStepAttenuatorForm(Board& module, UserNotifier* notifier = nullptr,
                                       QWidget* parent = nullptr);
    ~DigitalStepAttenuatorForm() override;

    // Step-button layouts, public as the window's own operations.
    void AllButton();
    void No16Button();
    void No05Button();

    // Window-level state.
    int32_t PortAddress = 0;
    int16_t LeIndex = 1;
    LeMemoryTable LeMemory{};

    // The combo box's list position: the chosen entry, -1 for none or after the
    // user edited the text.
    int16_t ModelComboListIndex() const { return modelListIndex_; }

    // Runs once when the window is created (placement, port address, model list).
    // Returns false when a step failed; the failure has then been shown to the user.
    bool Form_Load();

    void setVisible(bool visible) override;

    // How many times Form_Activate has run (for diagnostics and tests).
    int ActivationCount() const { return activationCount_; }

    // --- Controls, named as in the design of the window -------------------------
    // Banner and model selection.
    QLabel* Picture1 = nullptr;
    QLabel* Label4 = nullptr;
    QCheckBox* Check3 = nullptr;
    QComboBox* ModelCombo = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    // Latch-enable line selector.
    QLabel* leLabel8 = nullptr;
    QGroupBox* LeFrame = nullptr;
    std::array<QRadioButton*, 6> LeOption{};
    std::array<QLabel*, 6> LeLabel{};
    // Attenuation selector.
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    std::array<QLabel*, 7> SSLabel{};
    std::array<QPushButton*, 7> SScommand{};
    std::array<LineControl*, 7> Line1{};
    std::array<LineControl*, 3> Line2{};
    // Output controls.
    QPushButton* Command1 = nullptr;
    QCheckBox* Check2 = nullptr;
    std::array<QCheckBox*, 2> Check1{};
    // Port address.
    QLabel* Label7 = nullptr;
    QLineEdit* AddText = nullptr;
    // Instructions panel: Label3 members 7 to 16 sit in ParallelFrame, 19 to 26 and
    // 15 in SerialFrame; the other indices are unused.
    QGroupBox* SerialFrame = nullptr;
    QGroupBox* ParallelFrame = nullptr;
    std::array<QLabel*, 27> Label3{};
    // About button.
    QPushButton* Command3 = nullptr;

    // --- Handlers -------------------------------------------------------------
    void Form_Activate();
    void ModelCombo_Change();
    void ModelCombo_Click();
    void SScommand_Click(int16_t index);
    void Command1_Click();
    void Check1_Click(int16_t index);
    void Check2_Click();
    void LeOption_Click(int16_t index);
    void AddText_Change();
    void AddText_LostFocus();
    void Command2_Click();
    void Command3_Click();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void BuildDesignedLayout();
    void ConnectHandlers();
    void ConnectSelectorHandlers();
    void ConnectOutputHandlers();
    // Runs Form_Activate when the window is shown for the first time or becomes
    // active again after the help window or the About box was active.
    void RunActivationIfDue();
    void WatchForActivation(QWidget* secondaryWindow);
    // Start position from the outer size (Form_Load); placed again, once, when
    // the platform makes the frame known later (first showing, or the window
    // manager's frame), so that the outer frame sits where the rule says.
    void PlaceAtStartupPosition();
    void PlaceAgainIfFrameChanged();

    // Model selection.
    void WriteWeightLabels(WeightSet weights);
    void ApplyInterface(InterfaceClass interfaceClass);
    void ApplyKeyRow(const ModelProfile& row);
    void ApplySeventhStep(bool shown);
    void ShowLayout(StepLayout layout);

    // Load command.
    StepStates CurrentStepStates() const;
    void RunTransfer();

    // Activation: the saved port address; the LE line of the selected option.
    void LoadSavedPortAddress();
    int16_t SelectedLeLine() const;

    Board& module_;
    std::unique_ptr<DialogNotifier> ownNotifier_;
    UserNotifier& notifier_;
    int16_t modelListIndex_ = -1;
    int activationCount_ = 0;
    bool activationDue_ = true;
    bool shownOnce_ = false;
    // Frame widths (outer minus client size) the start position was worked
    // out with; placing again stops once a frame has been allowed for.
    QSize placedFrame_;
    bool placementOpen_ = true;
    bool placedOnScreen_ = false;
    // A transfer is under way / a Load arrived meanwhile and runs after it.
    bool transferRunning_ = false;
    bool loadPending_ = false;
};
