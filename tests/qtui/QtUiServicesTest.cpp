// The Yes/No question: はい and いいえ, いいえ the default and the answer to
// Esc, the warning icon.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "QtUiServices.h"

namespace {

const char* const kOverwrite = "「a.bin」は既に存在します　上書きしますか";

QPushButton* ButtonWithText(QMessageBox& box, const QString& text)
{
    for (QAbstractButton* b : box.buttons())
        if (b->text() == text) return qobject_cast<QPushButton*>(b);
    return nullptr;
}

}  // namespace

class QtUiServicesTest : public QObject {
    Q_OBJECT

private slots:
    void yesNoQuestion_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("answer");
        QTest::newRow("Enter") << 0 << static_cast<int>(MsgAnswer::No);
        QTest::newRow("Esc") << 1 << static_cast<int>(MsgAnswer::No);
        QTest::newRow("はい") << 2 << static_cast<int>(MsgAnswer::Yes);
    }

    void yesNoQuestion()
    {
        QFETCH(int, action);
        QFETCH(int, answer);
        QtUiServices ui(QStringLiteral("Mender"));
        QStringList texts;
        QString defaultText;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton* b : box->buttons()) texts << b->text();
            defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
            icon = box->icon();
            switch (action) {
            case 0: QTest::keyClick(box, Qt::Key_Return); break;
            case 1: QTest::keyClick(box, Qt::Key_Escape); break;
            case 2: ButtonWithText(*box, QStringLiteral("はい"))->click(); break;
            }
        });
        QCOMPARE(static_cast<int>(ui.MessageBox(kOverwrite, MsgButtons::YesNo, MsgIcon::Warning)), answer);
        texts.sort();
        QCOMPARE(texts, QStringList({QStringLiteral("いいえ"), QStringLiteral("はい")}));
        QCOMPARE(defaultText, QStringLiteral("いいえ"));
        QCOMPARE(icon, QMessageBox::Warning);
    }
};

QTEST_MAIN(QtUiServicesTest)
#include "QtUiServicesTest.moc"
