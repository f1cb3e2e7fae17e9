#include "window/Caption.h"

#include <QLabel>
#include <QVariant>

namespace {

constexpr char kCaptionProperty[] = "caption";
constexpr char kSizedToTextProperty[] = "sizedToText";

} // namespace

QString CaptionDisplayText(const QString& caption) {
    QString shown;
    shown.reserve(caption.size());
    const qsizetype length = caption.size();
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = caption.at(i);
        const bool hasNext = i + 1 < length;
        if (c == u'&' && hasNext) {
            // "&&" is one literal ampersand; "&x" only marks x as the access key.
            if (caption.at(i + 1) == u'&') {
                shown += u'&';
                ++i;
            }
            continue;
        }
        if (c == u'\r') {
            shown += u'\n';
            if (hasNext && caption.at(i + 1) == u'\n') {
                ++i;
            }
            continue;
        }
        shown += c;
    }
    return shown;
}

void SetCaption(QLabel* label, const QString& caption) {
    label->setProperty(kCaptionProperty, caption);
    label->setTextFormat(Qt::PlainText);
    label->setText(CaptionDisplayText(caption));
    if (label->property(kSizedToTextProperty).toBool()) {
        label->resize(label->sizeHint());
    }
}

QString Caption(const QLabel* label) {
    const QVariant caption = label->property(kCaptionProperty);
    return caption.isValid() ? caption.toString() : label->text();
}

void MarkSizedToText(QLabel* label) {
    label->setWordWrap(false);
    label->setProperty(kSizedToTextProperty, true);
}

bool CaptionCountsAsOn(const QString& caption) {
    // ASCII letters only, as the design compares them.
    return caption.size() == 2 && (caption[0] == u'O' || caption[0] == u'o') &&
           (caption[1] == u'N' || caption[1] == u'n');
}
