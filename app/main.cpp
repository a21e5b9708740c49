#include <QApplication>

#include "app/commandline.h"
#include "app/modalmessages.h"
#include "app/tfimpcomanda.h"
#include "data/tfdm.h"
#include "engine/qt_report_system.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    app::ModalMessages messages;
    data::installMessageSink(&messages);

    data::Tfdm fdm;
    engine::QtReportSystem report;
    app::Tfimpcomanda window(fdm, report, app::unattendedParameters(application.arguments()));
    // Without an explicit folder, the built-in PDF printer writes beside the suite.
    if (qEnvironmentVariableIsEmpty("IMPCOMANDA_PDF_DIR") &&
        !window.installationDirectory().isEmpty())
        report.setPdfFolder(data::Tfdm::installationFile(window.installationDirectory(),
                                                         QStringLiteral("comandas")));
    window.show();
    const int status = application.exec();
    data::installMessageSink(nullptr);
    return status;
}
