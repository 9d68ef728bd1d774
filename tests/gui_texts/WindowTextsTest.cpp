#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "JapaneseText.h"
#include "QtTranslation.h"
#include "QtUiServices.h"
#include "ScopedLocale.h"
#include "frmCarver.h"
#include "frmMender.h"

namespace {

// The windows' language for a while, chosen as at a program's start.
class Language : public ScopedLanguage {
public:
    explicit Language(const QString& language)
        : ScopedLanguage({{"LANG", language == QLatin1String("en") ? "en_US.UTF-8" : "ja_JP.UTF-8"}}, CATALOG_FOLDER) {}
};

// Every text the window shows with the control that shows it.
std::vector<std::pair<QWidget*, QString>> Texts(QWidget& window)
{
    std::vector<std::pair<QWidget*, QString>> texts{{&window, window.windowTitle()}};
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (auto* l = qobject_cast<QLabel*>(w)) texts.emplace_back(w, l->text());
        if (auto* b = qobject_cast<QAbstractButton*>(w)) texts.emplace_back(w, b->text());
        if (auto* g = qobject_cast<QGroupBox*>(w)) texts.emplace_back(w, g->title());
    }
    return texts;
}

int TextControlWidths(QWidget& window)
{
    int sum = 0;
    for (const auto& [w, text] : Texts(window))
        if (w != &window && !text.isEmpty()) sum += w->width();
    return sum;
}

QString Where(const QWidget* w, const QString& text)
{
    return w->objectName() + QStringLiteral(" \"") + text + QStringLiteral("\" ") +
           QString::number(w->sizeHint().width()) + QStringLiteral(" > ") + QString::number(w->width());
}

}  // namespace

class WindowTextsTest : public QObject {
    Q_OBJECT

private slots:
    void textsShowWhole_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("pixelSize");  // 0: the window's own font
        for (const char* language : {"ja", "en"})
            for (int size : {0, 20})
                QTest::addRow("%s %d", language, size) << QString::fromLatin1(language) << size;
    }

    void textsShowWhole()
    {
        QFETCH(QString, language);
        QFETCH(int, pixelSize);
        Language shown(language);
        std::vector<std::unique_ptr<QWidget>> windows;
        windows.push_back(std::make_unique<frmCarver>());
        windows.push_back(std::make_unique<frmMender>());
        for (auto& window : windows) {
            if (pixelSize > 0) {
                const int designedWidths = TextControlWidths(*window);
                QFont font = window->font();
                font.setPixelSize(pixelSize);
                window->setFont(font);
                QVERIFY2(TextControlWidths(*window) > designedWidths, "larger texts widen their controls");
            }
            const QRect inside = window->rect();
            for (const auto& [w, text] : Texts(*window)) {
                if (language == QLatin1String("en")) QVERIFY2(!HasJapanese(text.toStdString()), qPrintable(Where(w, text)));
                if (w == window.get() || text.isEmpty() || qobject_cast<QGroupBox*>(w)) continue;
                QVERIFY2(TextOverflow(*w) == 0, qPrintable(Where(w, text)));
                // Within the window, wherever the control's group box put it.
                const QRect place(w->mapTo(window.get(), QPoint(0, 0)), w->size());
                QVERIFY2(inside.contains(place), qPrintable(Where(w, text)));
            }
        }
    }

    // Qt's own texts (the file dialog's) follow the language shown.
    void qtTextsFollow()
    {
        for (const auto& [lang, open] : {std::pair{"ja_JP.UTF-8", "開く(&O)"}, std::pair{"C", "開く(&O)"},
                                         std::pair{"en_US.UTF-8", "&Open"}}) {
            ScopedLocale locale({{"LANG", lang}});
            StartQtTranslation();
            QCOMPARE(QFileDialog::tr("&Open"), QString::fromUtf8(open));
        }
        StartQtTranslation();
    }

    void questionsInEnglish()
    {
        Language english(QStringLiteral("en"));
        QtUiServices ui(QStringLiteral("Mender"));
        QString shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown = box->windowTitle() + box->text();
            QStringList buttons;
            for (QAbstractButton* b : box->buttons()) buttons << b->text();
            buttons.sort();
            shown += QLatin1Char('|') + buttons.join(QLatin1Char('|'));
            box->reject();
        });
        ui.MessageBox("ﾌｧｲﾙの連結を行います", MsgButtons::YesNoCancel, MsgIcon::Warning, "データ保存");
        QCOMPARE(shown, QStringLiteral("Saving DataJoin the pieces now?|Cancel|No|Yes"));
    }
};

QTEST_MAIN(WindowTextsTest)
#include "WindowTextsTest.moc"
