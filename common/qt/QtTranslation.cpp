#include "QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void StartQtTranslation()
{
    StartTranslation();
    const QString language = QString::fromStdString(ShownLanguage());
    // Qt's own texts are English without a catalog.
    if (language == QLatin1String("en")) return;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
