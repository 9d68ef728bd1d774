// Mender's window driven through its real widgets, offscreen: a real join
// engine on real files, with the message boxes, the dialogs and the file
// manager replaced by fakes that answer as a user would.
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>

#include "CommandLine.h"
#include "FakeDesktopNotifier.h"
#include "FakePlatform.h"
#include "HeldEscape.h"
#include "FakeDialogs.h"
#include "FileDrop.h"
#include "FakeUiServices.h"
#include "Paths.h"
#include "QtProgressBox.h"
#include "RecoveryWriter.h"
#include "SplitSet.h"
#include "TempFolder.h"
#include "TwoPanelStatusBar.h"
#include "frmMender.h"
#include "modMender.h"

namespace {

const std::string kAskJoin = "ﾌｧｲﾙの連結を行います";
const QString kClose = QStringLiteral("閉じる(&C)");
const QString kCancel = QStringLiteral("ｷｬﾝｾﾙ(&C)");

// A split set as the splitter leaves it: join-info file, pieces, batch file.
struct SplitSetOnDisk {
    std::string joinInfoPath;
    std::vector<std::string> files;  // every file of the set
    std::string whole;               // the bytes the pieces add up to
};

SplitSetOnDisk WriteSplitSet(const std::string& folder, const std::string& sourceName, size_t length,
                             size_t pieceLength)
{
    SplitSetOnDisk set;
    set.whole = PatternBytes(length, 7);
    const SplitSetNames names = SplitSetNamesFor(folder + sourceName, folder);
    int32_t count = 0;
    for (size_t at = 0; at < length; at += pieceLength) {
        ++count;
        WriteBytes(names.PiecePath(count), set.whole.substr(at, pieceLength));
        set.files.push_back(names.PiecePath(count));
    }
    set.joinInfoPath = names.JoinInfoPath();
    if (!WriteJoinInfo(set.joinInfoPath, count, sourceName)) throw std::runtime_error("join-info file");
    WriteBytes(names.BatchPath(), "copy /b\r\n");
    set.files.push_back(set.joinInfoPath);
    set.files.push_back(names.BatchPath());
    return set;
}

bool Exists(const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); }
QString Q(const std::string& text) { return QString::fromStdString(text); }

// One window over fakes, shown and active, with a fresh folder for files.
struct Harness {
    TempFolder temp;
    FakeUiServices ui{"Mender"};
    FakeShell shell;
    FakeFileDialog files;
    FakeFolderBrowser folders;
    FakeDrives drives;
    FakeDesktopNotifier notifier;
    std::chrono::steady_clock::time_point now{};  // the window's clock
    frmMender window{frmMender::Services{&ui, &shell, &files, &folders, &drives, &notifier, [this] { return now; }}};

    Harness()
    {
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window)) qWarning("the window did not become active");
    }
    template <class W> W* Get(const char* name) { return window.findChild<W*>(QString::fromLatin1(name)); }
    QLineEdit* Box(const char* name) { return Get<QLineEdit>(name); }
    QPushButton* Button(const char* name) { return Get<QPushButton>(name); }
    QCheckBox* Check(const char* name) { return Get<QCheckBox>(name); }
    QtProgressBox* Progress() { return Get<QtProgressBox>("picStatus"); }
    std::string StatusText() { return Get<TwoPanelStatusBar>("sbrStatus")->PanelText(2); }
    void Type(const char* box, const std::string& text)
    {
        Box(box)->clear();
        QTest::keyClicks(Box(box), Q(text));
    }
    void ClickOk() { QTest::mouseClick(Button("cmdOk"), Qt::LeftButton); }
    // Runs act once, at the given yield of the engine.
    void AtYield(int n, std::function<void()> act)
    {
        ui.onYield = [this, n, act] {
            if (ui.yields == n) act();
        };
    }
};

}  // namespace

class MenderWindowTest : public QObject {
    Q_OBJECT

private slots:
    void window_opensIdleWithItsControls()
    {
        Harness h;
        QCOMPARE(h.window.windowTitle(), QStringLiteral("Mender"));
        QVERIFY(!h.window.windowIcon().isNull());
        QCOMPARE(h.window.size(), QSize(466, 188));  // 6990 × 2820 twips
        QVERIFY(!h.window.IsJoining);
        QVERIFY(!h.Progress()->isVisible());
        QCOMPARE(h.Progress()->geometry(), QRect(1, 174, 299, 13));
        QCOMPARE(h.Button("cmdCancel")->text(), kClose);
        QCOMPARE(h.Button("cmdOk")->text(), QStringLiteral("OK(&O)"));
        QVERIFY(!h.Button("cmdOk")->isDefault() && !h.Button("cmdOk")->autoDefault());
        QVERIFY(!h.Button("cmdCancel")->isDefault() && !h.Button("cmdCancel")->autoDefault());
        QVERIFY(!h.Check("chkAfterDelete")->isChecked() && !h.Check("chkAfterOpen")->isChecked());
        QVERIFY(!h.Button("cmdKetugoFileName")->icon().isNull());
        QVERIFY(h.Button("cmdKetugoFileName")->text().isEmpty());
        QCOMPARE(h.window.findChildren<QLabel*>(QStringLiteral("Label3")).size(), 3);

        // Tab order from the join-info box round to Close.
        const char* order[] = {"txtKetugoFileName", "cmdKetugoFileName", "txtFromFolder", "cmdFromFolder",
                               "txtAfterFileName",  "chkAfterDelete",    "chkAfterOpen",  "cmdOk",
                               "cmdCancel"};
        h.Get<QWidget>(order[0])->setFocus(Qt::TabFocusReason);
        for (size_t i = 1; i < std::size(order); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(order[i]));
        }
    }

    void accessKeysAndFocus_selectTheWholeBox()
    {
        Harness h;
        h.Box("txtFromFolder")->setText(QStringLiteral("/data/out"));
        h.Box("txtKetugoFileName")->setText(QStringLiteral("/data/in/movie.000"));
        QTest::keyClick(&h.window, Qt::Key_K, Qt::AltModifier);
        QVERIFY(h.Box("txtFromFolder")->hasFocus());
        QTest::keyClick(&h.window, Qt::Key_R, Qt::AltModifier);
        QVERIFY(h.Box("txtKetugoFileName")->hasFocus());

        // Focus given by the program, where the line edit itself selects nothing.
        h.Box("txtKetugoFileName")->deselect();
        h.Box("txtFromFolder")->setFocus(Qt::OtherFocusReason);
        QCOMPARE(h.Box("txtFromFolder")->selectedText(), QStringLiteral("/data/out"));
        h.Box("txtKetugoFileName")->setFocus(Qt::OtherFocusReason);
        QCOMPARE(h.Box("txtKetugoFileName")->selectedText(), QStringLiteral("/data/in/movie.000"));
    }

    void ok_withABlankBox_doesNothing()
    {
        Harness h;
        const SplitSetOnDisk set = WriteSplitSet(h.temp.Path(), "movie.avi", 9000, 4000);
        h.Check("chkAfterOpen")->setChecked(true);

        h.Box("txtKetugoFileName")->setText(QStringLiteral("    "));
        h.Box("txtFromFolder")->setText(Q(h.temp / "out"));
        h.ClickOk();
        h.Box("txtKetugoFileName")->setText(Q(set.joinInfoPath));
        h.Box("txtFromFolder")->setText(QStringLiteral("  "));
        h.ClickOk();

        QVERIFY(h.ui.questions.empty());
        QVERIFY(h.shell.opened.empty());
        QVERIFY(!Exists(h.temp / "out"));
        QVERIFY(h.Button("cmdOk")->isEnabled());
        QCOMPARE(h.Button("cmdCancel")->text(), kClose);
    }

    void escape_whileIdle_closesTheWindow()
    {
        Harness h;
        // The repeats of an Esc held down since a join was stopped close nothing.
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(h.Box("txtFromFolder"), &repeat);
        QVERIFY(h.window.isVisible());
        QTest::keyClick(h.Box("txtFromFolder"), Qt::Key_Escape);
        QVERIFY(!h.window.isVisible());
    }

    void escape_duringAJoin_stopsItAndTheWindowStays()
    {
        Harness h;
        const SplitSetOnDisk set = WriteSplitSet(h.temp.Path(), "movie.avi", 200000, 100000);
        h.Type("txtKetugoFileName", set.joinInfoPath);
        h.Type("txtFromFolder", h.temp / "out");
        bool busyLooked = false;
        h.AtYield(3, [&] {
            busyLooked = h.window.IsJoining && !h.Button("cmdOk")->isEnabled() &&
                         h.Button("cmdCancel")->text() == kCancel && h.Progress()->isVisible() &&
                         h.StatusText().rfind("残り ", 0) == 0;
            QTest::keyClick(h.Box("txtFromFolder"), Qt::Key_Escape);
        });
        h.ClickOk();

        QVERIFY(busyLooked);
        QVERIFY(h.window.isVisible());
        QVERIFY(!h.window.IsJoining);
        QCOMPARE(h.Button("cmdCancel")->text(), kClose);
        QVERIFY(h.Button("cmdOk")->isEnabled());
        QVERIFY(!h.Progress()->isVisible());
        QCOMPARE(h.StatusText(), std::string());
        // The block in progress when Esc came is still written, then nothing more.
        QCOMPARE(ReadBytes(h.temp / "out/movie.avi"), set.whole.substr(0, 3 * 4096));
        QCOMPARE(h.ui.questions.size(), size_t{1});

        // The same Esc still held, its repeats reaching the window as new
        // presses (as on a busy X server): the window stays.
        for (int k = 0; k < 3; ++k) QTest::keyClick(h.Box("txtFromFolder"), Qt::Key_Escape);
        QVERIFY(h.window.isVisible());
        // Let go, a new press closes it.
        QTest::qWait(static_cast<int>(HeldEscape::kRepeatDelay.count()) + 100);
        QTest::keyClick(h.Box("txtFromFolder"), Qt::Key_Escape);
        QVERIFY(!h.window.isVisible());
    }

    // A join that took longer than 10 seconds and ended while another window
    // was active is told by the desktop, once; nothing changes in the window.
    void longJoin_endingAwayFromTheWindow_isNotified()
    {
        struct Row {
            std::string end;
            int seconds;
            bool away;
            std::string notified;  // nothing: no notification
        };
        for (const Row& row : {Row{"completed", 11, true, "「movie.avi」の連結が完了しました"},
                               Row{"cancelled", 11, true, "「movie.avi」の連結がキャンセルされました"},
                               Row{"failed", 11, true, "「movie.avi」の連結に失敗しました"},
                               Row{"completed", 10, true, ""}, Row{"cancelled", 10, true, ""},
                               Row{"completed", 60, false, ""}, Row{"failed", 60, false, ""}}) {
            Harness h;
            const SplitSetOnDisk set = WriteSplitSet(h.temp.Path(), "movie.avi", 200000, 100000);
            h.Type("txtKetugoFileName", set.joinInfoPath);
            h.Type("txtFromFolder", h.temp / "out");
            QWidget other;  // the window the user went on to
            h.AtYield(3, [&] {
                h.now += std::chrono::seconds(row.seconds);
                if (row.away) {
                    other.show();
                    other.activateWindow();
                    QVERIFY(QTest::qWaitForWindowActive(&other));
                }
                if (row.end == "cancelled") h.window.close();
                if (row.end == "failed") {  // the next piece is no file any more
                    std::filesystem::remove(set.files[1]);
                    std::filesystem::create_directory(set.files[1]);
                }
            });
            h.ClickOk();
            const std::string what = row.end + " after " + std::to_string(row.seconds) + " s";
            QVERIFY2(h.notifier.shown.size() == (row.notified.empty() ? 0u : 1u), what.c_str());
            if (!row.notified.empty()) {
                QCOMPARE(h.notifier.shown[0].summary, std::string("Mender"));
                QCOMPARE(QString::fromStdString(h.notifier.shown[0].body), QString::fromStdString(row.notified));
                QCOMPARE(h.notifier.shown[0].iconName, std::string("io.github.carvermender.Mender"));
            }
            QCOMPARE(h.ui.questions.size(), size_t{row.end == "failed" ? 2u : 1u});
            QVERIFY(h.window.isVisible());
        }
    }

    // However a run ends, also at a message box that leaves the window
    // inactive when the run returns, the focus is back on OK: the next Enter
    // starts again instead of closing the program.
    void focus_isBackOnOkAfterEveryRun()
    {
        for (const std::string ending : {"declined", "failed", "completed"}) {
            Harness h;
            const SplitSetOnDisk set = WriteSplitSet(h.temp.Path(), "movie.avi", 9000, 4000);
            h.Box("txtKetugoFileName")->setText(Q(ending == "failed" ? h.temp / "missing.000" : set.joinInfoPath));
            h.Box("txtFromFolder")->setText(Q(h.temp / "out"));
            if (ending == "declined") h.ui.Answer({MsgAnswer::Cancel});
            QWidget messageBox;  // takes the activation, as a message box does
            h.ui.onQuestion = [&](const FakeUiServices::Question&) {
                messageBox.show();
                messageBox.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&messageBox));
            };
            h.Button("cmdOk")->setFocus(Qt::TabFocusReason);
            QTest::keyClick(h.Button("cmdOk"), Qt::Key_Return);
            QCOMPARE(h.ui.questions.size(), size_t{1});
            messageBox.hide();
            h.window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&h.window));
            QVERIFY2(h.Button("cmdOk")->hasFocus(), ending.c_str());
            h.ui.onQuestion = nullptr;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QVERIFY2(h.window.isVisible() && h.ui.questions.size() > 1, ending.c_str());
        }
    }

    // The preview shows the name the join writes: a Carver set's first piece,
    // chosen through the *.001 filter, leads to the join-info file beside it;
    // a line 2 that the join refuses shows no name.
    void preview_isTheNameTheJoinWrites()
    {
        Harness h;
        WriteSplitSet(h.temp.Path(), "movie.avi", 9000, 4000);
        h.files.chosenFile = h.temp / "movie.001";
        QTest::mouseClick(h.Button("cmdKetugoFileName"), Qt::LeftButton);
        QCOMPARE(h.Box("txtAfterFileName")->text(), QStringLiteral("movie.avi"));
        h.Box("txtFromFolder")->setText(Q(h.temp / "out"));
        h.ClickOk();
        QVERIFY(Exists(h.temp / "out/movie.avi"));

        WriteBytes(h.temp / "red.000", "1\r\n\x1b[31mRED\r\n");
        h.files.chosenFile = h.temp / "red.000";
        QTest::mouseClick(h.Button("cmdKetugoFileName"), Qt::LeftButton);
        QVERIFY(h.Box("txtAfterFileName")->text().isEmpty());
    }

    void closeBox_duringAJoin_countsAsCancel_andClosesWhenIdle()
    {
        Harness h;
        const SplitSetOnDisk set = WriteSplitSet(h.temp.Path(), "movie.avi", 100000, 50000);
        h.Type("txtKetugoFileName", set.joinInfoPath);
        h.Type("txtFromFolder", h.temp.Path());
        h.AtYield(2, [&] { h.window.close(); });
        h.ClickOk();
        QVERIFY(h.window.isVisible());
        QCOMPARE(ReadBytes(h.temp / "movie.avi"), set.whole.substr(0, 2 * 4096));

        h.window.close();
        QVERIFY(!h.window.isVisible());
    }

    void ok_duringAJoin_startsNoSecondJoin()
    {
        Harness h;
        const SplitSetOnDisk set = WriteSplitSet(h.temp.Path(), "movie.avi", 30000, 10000);
        h.Type("txtKetugoFileName", set.joinInfoPath);
        h.Type("txtFromFolder", h.temp / "out");
        // A click that was already queued when OK was disabled.
        h.AtYield(2, [&] { QMetaObject::invokeMethod(&h.window, "cmdOk_Click"); });
        h.ClickOk();
        QCOMPARE(h.ui.questions.size(), size_t{1});
        QCOMPARE(ReadBytes(h.temp / "out/movie.avi"), set.whole);
    }

    void afterOpen_opensTheTypedFolder_evenWhenTheFirstQuestionIsCancelled()
    {
        Harness h;
        const SplitSetOnDisk set = WriteSplitSet(h.temp.Path(), "movie.avi", 9000, 4000);
        h.Check("chkAfterOpen")->setChecked(true);
        h.Type("txtKetugoFileName", set.joinInfoPath);
        h.Type("txtFromFolder", "  " + (h.temp / "out") + " ");
        h.ui.Answer({MsgAnswer::Cancel});
        h.ClickOk();

        QCOMPARE(h.ui.Texts(), std::vector<std::string>{kAskJoin});
        QVERIFY(!Exists(h.temp / "out"));
        QVERIFY(!Exists(h.temp / "out/movie.avi"));
        // Trimmed, without the separator OK adds for the engine.
        QCOMPARE(h.shell.opened, std::vector<std::string>{h.temp / "out"});
        QVERIFY(h.Button("cmdOk")->isEnabled());

        // Unchecked, a completed join opens nothing.
        h.Check("chkAfterOpen")->setChecked(false);
        h.ClickOk();
        QCOMPARE(ReadBytes(h.temp / "out/movie.avi"), set.whole);
        QCOMPARE(h.shell.opened.size(), size_t{1});
    }

    void joinInfoName_typedLeavesThePreview_browsedFillsIt()
    {
        Harness h;
        const SplitSetOnDisk set = WriteSplitSet(h.temp.Path(), "archive.tar.gz", 5000, 3000);
        h.Type("txtKetugoFileName", set.joinInfoPath);
        QVERIFY(h.Box("txtAfterFileName")->text().isEmpty());

        h.files.chosenFile = set.joinInfoPath;
        QTest::mouseClick(h.Button("cmdKetugoFileName"), Qt::LeftButton);
        QCOMPARE(h.Box("txtKetugoFileName")->text(), Q(set.joinInfoPath));
        QCOMPARE(h.Box("txtAfterFileName")->text(), QStringLiteral("archive.tar.gz"));

        // The dialog: its title and filter, no proposed name, opened in the
        // folder of the typed file.
        QCOMPARE(h.files.opened.size(), size_t{1});
        const FileDialogRecord& record = h.files.opened.front();
        QCOMPARE(record.title, std::string("連結情報ﾌｧｲﾙの指定"));
        const char filter[] = "連結情報ﾌｧｲﾙ (*.000)\0*.000\0分割ﾌｧｲﾙ (*.001)\0*.001\0";
        QCOMPARE(record.filter, std::string(filter, sizeof filter - 1));
        QCOMPARE(record.filterIndex, int16_t{1});
        QVERIFY(record.file.empty());
        QCOMPARE(record.initialDir, h.temp.Path().substr(0, h.temp.Path().size() - 1));

        // Cancel keeps both boxes; an empty box opens where the program lies.
        h.files.chosenFile.reset();
        h.Box("txtKetugoFileName")->clear();
        QTest::mouseClick(h.Button("cmdKetugoFileName"), Qt::LeftButton);
        QVERIFY(h.Box("txtKetugoFileName")->text().isEmpty());
        QCOMPARE(h.Box("txtAfterFileName")->text(), QStringLiteral("archive.tar.gz"));
        QCOMPARE(h.files.opened.back().initialDir, QCoreApplication::applicationDirPath().toStdString());
        QVERIFY(h.ui.questions.empty());
    }

    // "mender FILE" starts as if FILE had been browsed for; a first piece
    // without a join-info file shows the name its set rebuilds.
    void commandLineFile_fillsBothBoxes()
    {
        TempFolder temp;
        const SplitSetOnDisk set = WriteSplitSet(temp.Path(), "archive.tar.gz", 5000, 3000);
        WriteBytes(temp / "x.7z.001", "volume 1");
        const std::pair<std::string, QString> cases[] = {
            {set.joinInfoPath, QStringLiteral("archive.tar.gz")},
            {temp / "x.7z.001", QStringLiteral("x.7z")},
        };
        for (const auto& [given, shown] : cases) {
            const char* argv[] = {"mender", given.c_str()};
            modCarver::ParseArguments(2, argv);
            Harness h;
            modCarver::CommandArgs.clear();
            QCOMPARE(h.Box("txtKetugoFileName")->text(), Q(given));
            QCOMPARE(h.Box("txtAfterFileName")->text(), shown);
            QVERIFY(h.Box("txtFromFolder")->text().isEmpty());
        }
    }

    void droppedFile_fillsBothBoxes_theFolderBoxStays()
    {
        Harness h;
        const SplitSetOnDisk set = WriteSplitSet(h.temp.Path(), "movie.avi", 5000, 3000);
        h.Box("txtFromFolder")->setText(QStringLiteral("/out"));
        QVERIFY(!DropOn(h.window, QUrl::fromLocalFile(Q(h.temp.Path()))));
        QVERIFY(h.Box("txtKetugoFileName")->text().isEmpty());

        QVERIFY(DropOn(h.window, QUrl::fromLocalFile(Q(set.joinInfoPath))));
        QCOMPARE(h.Box("txtKetugoFileName")->text(), Q(set.joinInfoPath));
        QCOMPARE(h.Box("txtAfterFileName")->text(), QStringLiteral("movie.avi"));
        QCOMPARE(h.Box("txtFromFolder")->text(), QStringLiteral("/out"));
        QVERIFY(h.ui.questions.empty());
    }

    // Enter on the button with the focus clicks it; a held Enter's repeats click nothing.
    void enter_clicksTheFocusedButton()
    {
        for (const std::string name : {"cmdKetugoFileName", "cmdFromFolder", "cmdOk", "cmdCancel"}) {
            Harness h;
            const SplitSetOnDisk set = WriteSplitSet(h.temp.Path(), "movie.avi", 9000, 4000);
            h.Box("txtKetugoFileName")->setText(Q(set.joinInfoPath));
            h.Box("txtFromFolder")->setText(Q(h.temp / "out"));
            h.files.chosenFile = set.joinInfoPath;
            QPushButton* button = h.Button(name.c_str());
            button->setFocus(Qt::TabFocusReason);

            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(button, &repeat);
            QVERIFY(h.files.opened.empty() && h.folders.selectionRequests.empty() && h.ui.questions.empty());
            QVERIFY(h.window.isVisible());

            QTest::keyClick(button, name == "cmdOk" ? Qt::Key_Enter : Qt::Key_Return);
            if (name == "cmdKetugoFileName") QCOMPARE(h.Box("txtAfterFileName")->text(), QStringLiteral("movie.avi"));
            if (name == "cmdFromFolder") QCOMPARE(h.folders.selectionRequests.size(), size_t{1});
            if (name == "cmdOk") {
                QCOMPARE(ReadBytes(h.temp / "out/movie.avi"), set.whole);
                QVERIFY(h.Button("cmdOk")->hasFocus());
            }
            QCOMPARE(h.window.isVisible(), name != "cmdCancel");
        }
    }

    void joinInfoWithoutLine2_emptiesThePreview()
    {
        Harness h;
        const SplitSetOnDisk set = WriteSplitSet(h.temp.Path(), "movie.avi", 5000, 3000);
        h.files.chosenFile = set.joinInfoPath;
        QTest::mouseClick(h.Button("cmdKetugoFileName"), Qt::LeftButton);
        QCOMPARE(h.Box("txtAfterFileName")->text(), QStringLiteral("movie.avi"));

        WriteBytes(h.temp / "short.000", "002\r\n");
        h.files.chosenFile = h.temp / "short.000";
        QTest::mouseClick(h.Button("cmdKetugoFileName"), Qt::LeftButton);
        QCOMPARE(h.Box("txtKetugoFileName")->text(), Q(h.temp / "short.000"));
        QVERIFY(h.Box("txtAfterFileName")->text().isEmpty());
        QVERIFY(h.ui.questions.empty());
    }

    void folder_pickedGetsASeparator_typedJoinsTheSame()
    {
        Harness h;
        const SplitSetOnDisk set = WriteSplitSet(h.temp.Path(), "movie.avi", 9000, 4000);
        h.Type("txtKetugoFileName", set.joinInfoPath);
        QVERIFY(QDir().mkpath(Q(h.temp / "picked")));
        h.Type("txtFromFolder", h.temp / "start");

        h.folders.outcome = FakeFolderBrowser::Outcome::Folder;
        h.folders.chosenFolder = h.temp / "picked";
        QTest::mouseClick(h.Button("cmdFromFolder"), Qt::LeftButton);
        QCOMPARE(h.folders.selectionRequests, std::vector<std::string>{h.temp / "start"});
        QCOMPARE(h.Box("txtFromFolder")->text(), Q(h.temp / "picked/"));
        h.ClickOk();
        QCOMPARE(ReadBytes(h.temp / "picked/movie.avi"), set.whole);

        // A folder typed without its separator: the rebuilt file goes inside it.
        h.Type("txtFromFolder", h.temp / "typed");
        h.ClickOk();
        QCOMPARE(ReadBytes(h.temp / "typed/movie.avi"), set.whole);
        QVERIFY(!Exists(h.temp / "typedmovie.avi"));

        // Cancel in the browser keeps the box.
        h.folders.outcome = FakeFolderBrowser::Outcome::Cancel;
        QTest::mouseClick(h.Button("cmdFromFolder"), Qt::LeftButton);
        QCOMPARE(h.Box("txtFromFolder")->text(), Q(h.temp / "typed"));
    }

    void fullJoin_withAfterDelete_rebuildsTheFileAndRemovesTheSet()
    {
        Harness h;
        // Three pieces, the last one short, across block boundaries.
        QVERIFY(QDir().mkpath(Q(h.temp / "set")));
        const SplitSetOnDisk set = WriteSplitSet(h.temp / "set/", "データ.bin", 3 * 20000 + 1234, 20000);
        h.files.chosenFile = set.joinInfoPath;
        QTest::mouseClick(h.Button("cmdKetugoFileName"), Qt::LeftButton);
        QCOMPARE(h.Box("txtAfterFileName")->text(), QStringLiteral("データ.bin"));
        h.Type("txtFromFolder", h.temp / "out");
        QTest::mouseClick(h.Check("chkAfterDelete"), Qt::LeftButton);
        QVERIFY(h.Check("chkAfterDelete")->isChecked());

        std::vector<std::string> statusSeen;
        h.ui.onYield = [&] { statusSeen.push_back(h.StatusText()); };
        h.ClickOk();

        QCOMPARE(h.ui.Texts(), std::vector<std::string>{kAskJoin});
        QCOMPARE(ReadBytes(h.temp / "out/データ.bin"), set.whole);
        for (const std::string& file : set.files) QVERIFY2(!Exists(file), file.c_str());
        QVERIFY(!h.Progress()->isVisible());
        QCOMPARE(h.StatusText(), std::string());
        QVERIFY(!statusSeen.empty());
        QCOMPARE(statusSeen.front(), std::string("残り 20000 (1/4)"));
        QVERIFY(std::count(statusSeen.begin(), statusSeen.end(), std::string("残り 1234 (4/4)")) == 1);
        QVERIFY(!h.window.IsJoining);
        QCOMPARE(h.Button("cmdCancel")->text(), kClose);
        // OK had the focus: a Space pressed after the join must not reach Close.
        QVERIFY(h.Button("cmdOk")->hasFocus());
    }

    // The window repairs through the engine, as mender-cli does: a lost piece
    // rebuilt and named in the status panel, or the failure naming the pieces
    // and the slices lacking, with nothing written.
    void lostPieces_areRebuiltOrNamedWithTheSlicesLacking()
    {
        const struct {
            std::vector<int> lost;
            std::string said;
        } cases[] = {{{2}, "「x.002」を修復しました"},
                     {{1, 3}, "「x.001」「x.003」を修復できません　修復用ﾃﾞｰﾀがあと 1 ｽﾗｲｽ必要です"}};
        for (const auto& c : cases) {
            Harness h;
            QVERIFY(QDir().mkpath(Q(h.temp / "set")));
            const SplitSetOnDisk set = WriteSplitSet(h.temp / "set/", "x.bin", 3 * 20000 + 1234, 20000);
            std::vector<par2::InputFile> inputs;
            for (size_t k = 0; k < 4; ++k)
                inputs.push_back({FileNameOf(set.files[k]), {set.files[k], 0, std::filesystem::file_size(set.files[k])}});
            par2::RecoveryDescription d;
            QVERIFY(par2::DescribeInputs(inputs, 20000, d).ok());
            QVERIFY(par2::WriteIndexFile(d, h.temp / "set/x.par2").ok());
            QVERIFY(par2::WriteVolumes(d, {{0, 1}}, {h.temp / "set/x.vol0+1.par2"}).ok());
            for (int k : c.lost) std::filesystem::remove(set.files[static_cast<size_t>(k - 1)]);
            h.Type("txtKetugoFileName", set.joinInfoPath);
            h.Type("txtFromFolder", h.temp / "out");
            h.ClickOk();
            if (c.lost.size() == 1) {
                QCOMPARE(ReadBytes(h.temp / "out/x.bin"), set.whole);
                QCOMPARE(h.StatusText(), c.said);
                QCOMPARE(h.ui.Texts(), std::vector<std::string>{kAskJoin});
            } else {
                QCOMPARE(h.ui.Texts().size(), size_t{2});
                QVERIFY2(h.ui.Texts().back().find(c.said) != std::string::npos, h.ui.Texts().back().c_str());
                QVERIFY(!Exists(h.temp / "out/x.bin"));
            }
        }
    }
};

QTEST_MAIN(MenderWindowTest)
#include "MenderWindowTest.moc"
