#pragma once
// `dsactl serve --power-up`: what the server loads at start. A fixed line of
// SCPI runs through the instrument as a client's would; `last` loads the board
// back from the state file (server/ServeState.h) and from then on writes that
// file after every Load that changed it. What it ran, its replies and its
// errors go to standard error; none of it stops the server.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

#include "server/ServeState.h"

class Instrument;

struct PowerUpSetting {
    enum class Mode { None, Last, Fixed };
    Mode mode = Mode::None;
    QByteArray scpi; // the fixed setting
};

// "none", "last" (either in any case) or one line of SCPI; nullopt for an
// empty text or one of more than one line.
std::optional<PowerUpSetting> ParsePowerUp(const QString& text);

class PowerUp : public QObject {
    Q_OBJECT
public:
    // `statePath`: the state file, for Mode::Last.
    PowerUp(PowerUpSetting setting, Instrument& instrument, QString statePath,
            QObject* parent = nullptr);
    // Writes what a sweep held back.
    ~PowerUp() override;

    // Runs the setting; for `last`, keeps the state file from then on.
    void Run();

private:
    // The Load the instrument just made, into the state and the file.
    void Record();
    void Write();
    void RestoreLast();

    PowerUpSetting setting_;
    Instrument& instrument_;
    QString statePath_;
    ServeState state_;
    // What the file holds; nullopt when it is missing or was refused.
    std::optional<ServeState> written_;
    bool writeFailed_ = false;
    // While a sweep runs the file waits for its end, so that no step waits
    // for the disk.
    QTimer sweepWait_;
};
