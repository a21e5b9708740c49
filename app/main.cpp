#include <QApplication>
#include <QMessageBox>

#include "app/commandline.h"
#include "app/modalmessages.h"
#include "app/termination.h"
#include "app/tfimpcomanda.h"
#include "data/tfdm.h"
#include "engine/qt_report_system.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList parameters = app::unattendedParameters(application.arguments());
    app::hidePasswordArgument(argc, argv);

    app::ModalMessages messages;
    data::installMessageSink(&messages);
    app::TerminationSignals termination;

    data::Tfdm fdm;
    engine::QtReportSystem report;
    app::Tfimpcomanda window(fdm, report, parameters);
    // Without an explicit folder, the built-in PDF printer writes beside the suite.
    if (qEnvironmentVariableIsEmpty("IMPCOMANDA_PDF_DIR") &&
        !window.installationDirectory().isEmpty())
        report.setPdfFolder(data::Tfdm::installationFile(window.installationDirectory(),
                                                         QStringLiteral("comandas")));
    QObject::connect(&window, &app::Tfimpcomanda::connected, &termination,
                     &app::TerminationSignals::install);
    QObject::connect(&termination, &app::TerminationSignals::terminationRequested, &window, [&] {
        // Boxes nobody will answer must not hold the stop; the window closes
        // once the order in hand is done.
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(top)) box->done(QMessageBox::Ok);
        window.close();
    });
    window.show();
    const int status = application.exec();
    data::installMessageSink(nullptr);
    return status;
}
