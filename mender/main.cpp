// Mender: the joiner window. Its one optional argument is the join-info
// file to start with, resolved as Carver resolves its file (Qt's own options
// such as -platform are taken out first).
#include <QApplication>
#include <QIcon>

#include "CommandLine.h"
#include "MenderIcon.h"
#include "QtTranslation.h"
#include "frmMender.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    StartQtTranslation();
    modCarver::ParseArguments(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mender"));
    QApplication::setWindowIcon(MenderIcon());
    // Without a desktop session Qt looks icons up in the bare hicolor theme,
    // which has no magnifying glass for the browse buttons; the common
    // desktop theme has one.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));

    // Load the window, let pending events run, show it, let them run again;
    // from then on the window's handlers do the work. Closing the window
    // releases it, and with no window left the program ends.
    auto* window = new frmMender;
    window->setAttribute(Qt::WA_DeleteOnClose);
    QApplication::processEvents();
    window->show();
    QApplication::processEvents();
    return QApplication::exec();
}
