// Carver: load the window, let pending events run, show it, let them run
// again, then live on the window's events until it is closed.
#include <QApplication>

#include "CarverIcon.h"
#include "CommandLine.h"
#include "QtTranslation.h"
#include "frmCarver.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    StartQtTranslation();
    QApplication::setWindowIcon(CarverIcon());
    // QApplication has taken its own options out of argv; what is left is
    // the file to split, if any. Arguments that name nothing are kept as given.
    modCarver::ParseArguments(argc, argv);

    frmCarver window;
    QApplication::processEvents();
    window.show();
    QApplication::processEvents();
    return QApplication::exec();
}
