#pragma once
// The help window: one read-only page of operating instructions. It exists at
// most once, is created when first opened and destroyed when closed.

#include <QString>
#include <QWidget>

class QCloseEvent;
class QPlainTextEdit;

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    // Creates the help window if it is absent, moves it to its place near the
    // screen's top-left corner (keeping its size), shows it and makes it active.
    static HelpWindow* Open();
    // The open help window, nullptr when there is none.
    static HelpWindow* Instance();

    // The text Text1 holds, with its CR LF line breaks.
    QString Text1Contents() const;

    QPlainTextEdit* Text1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    HelpWindow();
};
