#include "server/ScpiErrors.h"

namespace scpi {

QString ErrorText(int code) {
    switch (code) {
    case kNoError:
        return QStringLiteral("No error");
    case kCommandError:
        return QStringLiteral("Command error");
    case kSyntaxError:
        return QStringLiteral("Syntax error");
    case kDataTypeError:
        return QStringLiteral("Data type error");
    case kParameterNotAllowed:
        return QStringLiteral("Parameter not allowed");
    case kMissingParameter:
        return QStringLiteral("Missing parameter");
    case kUndefinedHeader:
        return QStringLiteral("Undefined header");
    case kInvalidSuffix:
        return QStringLiteral("Invalid suffix");
    case kInitIgnored:
        return QStringLiteral("Init ignored");
    case kSettingsConflict:
        return QStringLiteral("Settings conflict");
    case kDataOutOfRange:
        return QStringLiteral("Data out of range");
    case kTooMuchData:
        return QStringLiteral("Too much data");
    case kIllegalParameterValue:
        return QStringLiteral("Illegal parameter value");
    case kQueueOverflow:
        return QStringLiteral("Queue overflow");
    case kPortNotAvailable:
        return QStringLiteral("Port not available");
    case kWriteNotVerified:
        return QStringLiteral("Write not verified");
    case kPortReadError:
        return QStringLiteral("Port read error");
    default:
        return QStringLiteral("Error");
    }
}

void ClientStatus::Report(int code, const QString& detail) {
    if (code == kNoError) {
        return;
    }
    if (IsCommandError(code)) {
        esr_ = static_cast<uint8_t>(esr_ | kEsrCommandError);
    } else if (code <= -200 && code > -300) {
        esr_ = static_cast<uint8_t>(esr_ | kEsrExecutionError);
    } else if (code <= -400 && code > -500) {
        esr_ = static_cast<uint8_t>(esr_ | kEsrQueryError);
    } else {
        esr_ = static_cast<uint8_t>(esr_ | kEsrDeviceError);
    }
    if (errors_.size() + 1 < kQueueCapacity) {
        errors_.push_back({code, detail});
    } else if (errors_.size() + 1 == kQueueCapacity) {
        errors_.push_back({kQueueOverflow, QString()});
    }
    // A full queue already ends with the overflow entry; later errors are lost.
}

QByteArray ClientStatus::TakeError() {
    int code = kNoError;
    QString text = ErrorText(kNoError);
    if (!errors_.empty()) {
        const Entry entry = errors_.front();
        errors_.pop_front();
        code = entry.code;
        text = ErrorText(code);
        if (!entry.detail.isEmpty()) {
            // A string response cannot hold a bare double quote.
            QString detail = entry.detail;
            detail.replace(QLatin1Char('"'), QLatin1Char('\''));
            text += QLatin1Char(';') + detail;
        }
    }
    return QByteArray::number(code) + ",\"" + text.toUtf8() + '"';
}

uint8_t ClientStatus::TakeEventStatus() {
    const uint8_t value = esr_;
    esr_ = 0;
    return value;
}

uint8_t ClientStatus::StatusByte() const {
    uint8_t status = 0;
    if (!errors_.empty()) {
        status = static_cast<uint8_t>(status | kStbErrorAvailable);
    }
    if ((esr_ & ese_) != 0) {
        status = static_cast<uint8_t>(status | kStbEventSummary);
    }
    return status;
}

void ClientStatus::Clear() {
    errors_.clear();
    esr_ = 0;
}

} // namespace scpi
