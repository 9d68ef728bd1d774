// The Qt file dialog and folder browser, driven offscreen: what they open
// with and what they hand back.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "FakeUiServices.h"
#include "GetBrowse.h"
#include "PickFile.h"
#include "PickFolder.h"
#include "QtFileDialog.h"
#include "QtFolderBrowser.h"
#include "QtTextBox.h"
#include "TempFolder.h"

using namespace std::string_literals;

namespace {

// Runs act on the next file dialog that opens, once it is on the screen. A
// dialog that act leaves open (a check inside it failed) is cancelled, so a
// failure never leaves the test waiting; a dialog that never opens stops the
// watch after a few seconds.
void WhenDialogOpens(std::function<void(QFileDialog&)> act)
{
    auto* timer = new QTimer(qApp);
    auto* deadline = new QElapsedTimer;
    deadline->start();
    QObject::connect(timer, &QTimer::timeout, [timer, deadline, act] {
        auto finish = [&] {
            timer->stop();
            timer->deleteLater();
            delete deadline;
        };
        for (QWidget* w : QApplication::topLevelWidgets()) {
            QPointer<QFileDialog> dialog = qobject_cast<QFileDialog*>(w);
            if (dialog == nullptr || !dialog->isVisible()) continue;
            finish();
            act(*dialog);
            if (dialog != nullptr && dialog->isVisible()) dialog->reject();
            return;
        }
        if (deadline->elapsed() > 5000) finish();
    });
    timer->start(10);
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The dialog's own checks run as when the user presses its accept button.
void Accept(QFileDialog& d) { static_cast<QDialog&>(d).accept(); }

}  // namespace

class QtPickersTest : public QObject {
    Q_OBJECT

private slots:
    void nameFiltersKeepTheDescriptionsAndShowEveryFileForStarDotStar()
    {
        QCOMPARE(QtFileDialog::NameFiltersOf("すべてのﾌｧｲﾙ (*.*)\0*.*\0"s),
                 QStringList{QStringLiteral("すべてのﾌｧｲﾙ (*.*) (*)")});
        QCOMPARE(QtFileDialog::NameFiltersOf("Text\0*.txt;*.doc\0連結情報ﾌｧｲﾙ (*.000)\0*.000\0"s),
                 (QStringList{QStringLiteral("Text (*.txt *.doc)"), QStringLiteral("連結情報ﾌｧｲﾙ (*.000) (*.000)")}));
        QCOMPARE(QtFileDialog::NameFiltersOf("Odd\0*.x\0Alone\0"s), QStringList{QStringLiteral("Odd (*.x)")});
        QVERIFY(QtFileDialog::NameFiltersOf(""s).isEmpty());
    }

    void theOpenDialogShowsTheRecord()
    {
        TempFolder temp;
        WriteBytes(temp / "backup", "no extension");
        WriteBytes(temp / "movie.avi", "movie");
        FileDialogRecord record;
        record.title = "分割ﾌｧｲﾙの指定";
        record.filter = "Text\0*.txt\0すべてのﾌｧｲﾙ (*.*)\0*.*\0"s;
        record.filterIndex = 2;
        record.initialDir = temp.Path();
        record.file = "movie.avi";
        record.fileBufferSize = 50000;
        record.fileTitleBufferSize = 50000;
        record.flags = 0x201804;

        bool inspected = false;
        WhenDialogOpens([&](QFileDialog& d) {
            inspected = true;
            QCOMPARE(d.windowTitle(), QStringLiteral("分割ﾌｧｲﾙの指定"));
            QCOMPARE(d.fileMode(), QFileDialog::ExistingFile);
            QCOMPARE(d.acceptMode(), QFileDialog::AcceptOpen);
            QCOMPARE(QDir(d.directory()).canonicalPath(), QDir(Q(temp.Path())).canonicalPath());
            auto* combo = d.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QVERIFY(combo != nullptr);
            QCOMPARE(combo->count(), 2);
            QCOMPARE(combo->itemText(0), QStringLiteral("Text"));
            QCOMPARE(combo->currentText(), QStringLiteral("すべてのﾌｧｲﾙ (*.*)"));
            auto* list = d.findChild<QListView*>(QStringLiteral("listView"));
            QVERIFY(list != nullptr);
            QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 2);  // "backup" too
            Accept(d);
        });
        QtFileDialog dialog(nullptr);
        QVERIFY(dialog.GetOpenFileName(record));
        QVERIFY(inspected);
        QCOMPARE(QFileInfo(Q(record.file)).canonicalFilePath(), QFileInfo(Q(temp / "movie.avi")).canonicalFilePath());
        QCOMPARE(record.fileTitle, "movie.avi"s);
    }

    void cancelAndAPathTooLongForTheBuffer()
    {
        TempFolder temp;
        WriteBytes(temp / "movie.avi", "movie");
        FileDialogRecord record;
        record.initialDir = temp.Path();
        record.fileBufferSize = 50000;
        QtFileDialog dialog(nullptr);

        WhenDialogOpens([](QFileDialog& d) { d.reject(); });
        QVERIFY(!dialog.GetOpenFileName(record));
        QCOMPARE(dialog.CommDlgExtendedError(), DialogClosedWithoutChoice);

        record.file = "movie.avi";
        record.fileBufferSize = static_cast<int32_t>((temp / "movie.avi").size());  // no room for the NUL
        WhenDialogOpens([](QFileDialog& d) { Accept(d); });
        QVERIFY(!dialog.GetOpenFileName(record));
        QCOMPARE(dialog.CommDlgExtendedError(), DialogFileNameBufferTooSmall);
    }

    void pickFileOverTheQtDialog()
    {
        TempFolder temp;
        WriteBytes(temp / "動画 ﾌｧｲﾙ.avi", "movie");
        FakeUiServices ui;
        QtFileDialog dialog(nullptr);

        WhenDialogOpens([&](QFileDialog& d) {
            // Typed into the name box, as a user does.
            auto* name = d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name != nullptr);
            name->setText(QStringLiteral("動画 ﾌｧｲﾙ.avi"));
            Accept(d);
        });
        const std::string chosen = PickFile(dialog, ui, "分割ﾌｧｲﾙの指定", "すべてのﾌｧｲﾙ (*.*)|*.*", "", 1, temp.Path());
        QCOMPARE(QFileInfo(Q(chosen)).fileName(), QStringLiteral("動画 ﾌｧｲﾙ.avi"));

        WhenDialogOpens([](QFileDialog& d) { d.reject(); });
        QCOMPARE(PickFile(dialog, ui, "分割ﾌｧｲﾙの指定", "すべてのﾌｧｲﾙ (*.*)|*.*", "", 1, temp.Path()), ""s);
        QVERIFY(ui.questions.empty());
    }

    void theFolderBrowserOpensAtTheStartFolder()
    {
        TempFolder temp;
        QVERIFY(QDir().mkpath(Q(temp / "データ/sub")));
        QtFolderBrowser browser(nullptr);

        QString openedAt;
        WhenDialogOpens([&](QFileDialog& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("ﾌｫﾙﾀﾞを選択して下さい"));
            QCOMPARE(d.fileMode(), QFileDialog::Directory);
            openedAt = d.directory().absolutePath();
            Accept(d);
        });
        const std::string chosen = modGetBrowse::BrowseForFolder(temp / "データ/", browser, "ﾌｫﾙﾀﾞを選択して下さい");
        QCOMPARE(openedAt, QDir(Q(temp / "データ")).absolutePath());
        QCOMPARE(QDir(Q(chosen)).canonicalPath(), QDir(Q(temp / "データ")).canonicalPath());

        // A folder that does not exist leaves the dialog's own starting place.
        WhenDialogOpens([&](QFileDialog& d) {
            openedAt = d.directory().absolutePath();
            d.reject();
        });
        QCOMPARE(modGetBrowse::BrowseForFolder(temp / "missing/", browser, "t"), ""s);
        QVERIFY(openedAt != QDir(Q(temp / "missing")).absolutePath());
    }

    void pickFolderFillsTheLineEdit()
    {
        TempFolder temp;
        QVERIFY(QDir().mkpath(Q(temp / "a/b")));
        QLineEdit edit(Q(temp / "a/"));
        QtTextBox box(edit);
        QtFolderBrowser browser(nullptr);

        WhenDialogOpens([&](QFileDialog& d) {
            d.setDirectory(Q(temp / "a/b"));
            Accept(d);
        });
        PickFolder(browser, box);
        QCOMPARE(edit.text(), Q(temp / "a/b/"));

        WhenDialogOpens([](QFileDialog& d) { d.reject(); });
        PickFolder(browser, box);
        QCOMPARE(edit.text(), Q(temp / "a/b/"));
    }
};

QTEST_MAIN(QtPickersTest)
#include "QtPickersTest.moc"
