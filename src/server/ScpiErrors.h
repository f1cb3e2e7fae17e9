#pragma once
// The instrument's error codes and texts (the standard SCPI ones and this
// instrument's own positive codes), and the error queue and event status of the
// instrument, shared by every connection.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <deque>

namespace scpi {

enum Error : int {
    kNoError = 0,
    kCommandError = -100,
    kSyntaxError = -102,
    kDataTypeError = -104,
    kParameterNotAllowed = -108,
    kMissingParameter = -109,
    kUndefinedHeader = -113,
    kInvalidSuffix = -131,
    kInitIgnored = -213,
    kSettingsConflict = -221,
    kDataOutOfRange = -222,
    kTooMuchData = -223,
    kIllegalParameterValue = -224,
    kQueueOverflow = -350,
    // This instrument's own errors.
    kPortNotAvailable = 201,
    kWriteNotVerified = 202,
    kPortReadError = 203,
};

// Codes -100 to -199: the command could not be parsed, so the rest of its line
// is dropped and the event status gets its command error bit.
inline bool IsCommandError(int code) {
    return code <= -100 && code > -200;
}

// The standard text of `code` ("Undefined header"); "Error" for an unknown code.
QString ErrorText(int code);

// Event status register bits (IEEE 488.2).
constexpr uint8_t kEsrOperationComplete = 0x01;
constexpr uint8_t kEsrQueryError = 0x04;
constexpr uint8_t kEsrDeviceError = 0x08;
constexpr uint8_t kEsrExecutionError = 0x10;
constexpr uint8_t kEsrCommandError = 0x20;
// Status byte bits.
constexpr uint8_t kStbErrorAvailable = 0x04;
constexpr uint8_t kStbEventSummary = 0x20;

// What one client has been told went wrong, oldest first, and its event status.
// The server keeps one, the instrument's, for every connection.
class ClientStatus {
public:
    static constexpr std::size_t kQueueCapacity = 20;

    // Queues `code` with its standard text and, when given, `detail` after a
    // ";". A full queue keeps its entries and ends with -350 Queue overflow.
    // Sets the event status bit that the kind of error calls for.
    void Report(int code, const QString& detail = QString());

    // The oldest entry as SYSTem:ERRor? answers it (`-113,"Undefined header"`),
    // `0,"No error"` once the queue is empty.
    QByteArray TakeError();
    std::size_t ErrorCount() const { return errors_.size(); }

    // *ESR? reads and clears the event status register.
    uint8_t TakeEventStatus();
    void SetOperationComplete() { esr_ = static_cast<uint8_t>(esr_ | kEsrOperationComplete); }
    uint8_t EventEnable() const { return ese_; }
    void SetEventEnable(uint8_t mask) { ese_ = mask; }
    uint8_t StatusByte() const;

    // *CLS: empties the queue and the event status register.
    void Clear();

private:
    struct Entry {
        int code;
        QString detail;
    };
    std::deque<Entry> errors_;
    uint8_t esr_ = 0;
    uint8_t ese_ = 0;
};

} // namespace scpi
