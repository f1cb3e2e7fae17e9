#include <QApplication>
#include <QIcon>

#include "app/DialogNotifier.h"
#include "app/DigitalStepAttenuatorForm.h"
#include "output/Module1.h"
#include "output/PpdevPort.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("digital-step-attenuator"));

    DialogNotifier notifier;
    PpdevPort port;
    Module1 module(port, notifier);
    DigitalStepAttenuatorForm form(module, &notifier);
    notifier.SetParent(&form);

    // A failed start-up has shown its reason; the program ends at once.
    if (!form.Form_Load()) {
        return 1;
    }
    form.show();
    return QApplication::exec();
}
