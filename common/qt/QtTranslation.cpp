#include "QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

void StartQtTranslation()
{
    // Called again, the language is chosen again.
    static std::unique_ptr<QTranslator> installed;
    if (installed) QCoreApplication::removeTranslator(installed.get());
    installed.reset();

    StartTranslation();
    const QString language = QString::fromStdString(ShownLanguage());
    // Qt's own texts are English without a catalog.
    if (language == QLatin1String("en")) return;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator.get());
        installed = std::move(translator);
    }
}
