// Carver's window driven offscreen through its real widgets: the initial
// state, the size options and the custom size, the preview against the split
// size, OK, Close/Cancel/Esc during a real split, and the browse buttons.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <unistd.h>

#include "FakeDesktopNotifier.h"
#include "FakePlatform.h"
#include "FakeUiServices.h"
#include "FileDialog.h"
#include "FileDrop.h"
#include "FolderBrowser.h"
#include "QtProgressBox.h"
#include "TwoPanelStatusBar.h"
#include "TempFolder.h"
#include "frmCarver.h"
#include "CommandLine.h"
#include "modCarver.h"

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// The open-file dialog: remembers the record it was shown with and chooses
// the file the test names, or cancels.
class ScriptedFileDialog : public FileDialog {
public:
    std::optional<std::string> choice;
    std::optional<FileDialogRecord> shownWith;

    bool GetOpenFileName(FileDialogRecord& record) override
    {
        shownWith = record;
        if (!choice) return false;
        record.file = *choice;
        record.fileTitle = std::filesystem::path(*choice).filename().string();
        return true;
    }
    bool GetSaveFileName(FileDialogRecord&) override { return false; }
    uint32_t CommDlgExtendedError() override { return DialogClosedWithoutChoice; }
};

// The folder browser: notes where the picker asked it to start and confirms
// the folder the test names, or cancels.
class ScriptedFolderBrowser : public FolderBrowser {
public:
    std::optional<std::string> choice;
    std::string startSelection;

    std::optional<BrowsedItem> Browse(const BrowseInfo& info) override
    {
        struct Window : BrowserWindow {
            std::string& selection;
            explicit Window(std::string& s) : selection(s) {}
            void SetSelection(const std::string& path) override { selection = path; }
        } window(startSelection);
        if (info.callback != nullptr) info.callback(window, BFFM_INITIALIZED, 0, info.data);
        if (!choice) return std::nullopt;
        return BrowsedItem{*choice};
    }
};

// One window over fakes, shown and active, on a fixed drive with room.
struct Harness {
    FakeUiServices ui;
    FakeShell shell;
    ScriptedFileDialog dialog;
    ScriptedFolderBrowser browser;
    FakeDrives drives;
    FakeDesktopNotifier notifier;
    std::chrono::steady_clock::time_point now{};  // the window's clock
    std::unique_ptr<frmCarver> window;
    // Runs on every yield of the engine, after pending events have run.
    std::function<void()> duringSplit;
    bool active = false;

    Harness()
    {
        modCarver::SetPlatform({&drives, nullptr, nullptr});
        modCarver::CancelRequested = false;
        ui.onYield = [this] {
            QApplication::processEvents();
            if (duringSplit) duringSplit();
        };
        window = std::make_unique<frmCarver>(
            CarverServices{&ui, &shell, &dialog, &browser, &notifier, [this] { return now; }});
        window->show();
        window->activateWindow();
        active = QTest::qWaitForWindowActive(window.get());
    }
    ~Harness()
    {
        window.reset();
        modCarver::SetPlatform(modCarver::SystemPlatform());
    }
    frmCarver& w() { return *window; }

    std::string StatusText() const { return window->sbrStatus->PanelText(2); }
};

// A file of the given length without writing its bytes.
std::string SparseFile(const TempFolder& folder, const std::string& name, int64_t length)
{
    const std::string path = folder / name;
    WriteBytes(path, "");
    if (::truncate(path.c_str(), length) != 0) return {};
    return path;
}

void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

// The custom size typed into the box, as a user does: focus (which selects
// the whole text), then the keys.
void TypeSize(frmCarver& w, const QString& text)
{
    if (!w.optCarver[8]->isChecked()) Click(w.optCarver[8]);
    w.txtNini->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(w.txtNini, text);
}

// Clicks one of the arrows of a scroll bar.
void ClickArrow(QScrollBar* bar, QStyle::SubControl arrow)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = bar->invertedAppearance();
    option.subControls = QStyle::SC_All;
    const QRect place = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, arrow, bar);
    QVERIFY(place.isValid());
    QTest::mouseClick(bar, Qt::LeftButton, {}, place.center());
}

std::string PieceName(const TempFolder& folder, int k)
{
    char number[8];
    std::snprintf(number, sizeof number, "%03d", k);
    return folder / (std::string("movie.") + number);
}

}  // namespace

class frmCarverTest : public QObject {
    Q_OBJECT

private slots:
    void init() { modCarver::CommandArgs.clear(); }

    void initialState()
    {
        Harness h;
        frmCarver& w = h.w();
        QCOMPARE(w.windowTitle(), QStringLiteral("Carver"));
        QCOMPARE(w.size(), QSize(467, 218));
        QVERIFY(w.optCarver[3]->isChecked());
        QCOMPARE(w.txtNini->text(), QString());
        QVERIFY(!w.txtNini->isEnabled());
        QCOMPARE(w.NiniValue(), 1423);
        QVERIFY(!w.vscNini->isEnabled());
        QCOMPARE(w.lblAfter->text(), QString());
        QVERIFY(w.txtCarverFileName->text().isEmpty() && w.txtToFolder->text().isEmpty());
        QVERIFY(!w.chkBatchMake->isChecked() && !w.chkSetDate->isChecked() && !w.chkAfterOpen->isChecked());
        QVERIFY(w.picStatus->isHidden());
        QVERIFY(!w.IsSplitting());
        QVERIFY(w.cmdOk->isEnabled());
        QCOMPARE(w.cmdCancel->text(), QStringLiteral("閉じる(&C)"));
        QCOMPARE(w.cmdOk->text(), QStringLiteral("OK(&O)"));
        QVERIFY(!w.cmdOk->isDefault() && !w.cmdCancel->isDefault());

        // Places from twips at 15 to a pixel.
        QCOMPARE(w.cmdOk->geometry(), QRect(376, 8, 81, 25));
        QCOMPARE(w.txtCarverFileName->geometry(), QRect(16, 24, 321, 18));
        QCOMPARE(w.optCarver[8]->geometry(), QRect(200, 32, 49, 17));
        QCOMPARE(w.optCarver[7]->geometry(), QRect(264, 16, 57, 17));
        QCOMPARE(w.vscNini->geometry(), QRect(304, 32, 17, 17));
        QCOMPARE(w.sbrStatus->geometry(), QRect(0, 201, 467, 17));
        QCOMPARE(w.picStatus->geometry(), QRect(1, 204, 299, 13));
        QCOMPARE(w.vscNini->minimum(), -32767);
        QCOMPARE(w.vscNini->maximum(), -7);
        QCOMPARE(w.optCarver[8]->objectName(), QStringLiteral("optCarver"));
        QCOMPARE(w.optCarver[8]->property("index").toInt(), 8);
        QCOMPARE(w.optCarver[8]->text(), QStringLiteral("任意"));
    }

    void commandLineFillsTheFileBoxWithoutTheRange()
    {
        TempFolder folder;
        const std::string path = SparseFile(folder, "movie.avi", 3'000'000);
        const std::string given = path;
        const char* argv[] = {"carver", given.c_str()};
        modCarver::ParseArguments(2, argv);
        Harness h;
        QCOMPARE(h.w().txtCarverFileName->text(), Q(path));
        QCOMPARE(h.w().lblAfter->text(), QString());
        modCarver::CommandArgs.clear();
    }

    void tabOrderFollowsTheControlTable()
    {
        Harness h;
        QVERIFY(h.active);
        frmCarver& w = h.w();
        w.txtCarverFileName->setFocus(Qt::TabFocusReason);
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 11; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        // The option group is one stop (its checked option); the disabled
        // size box and scroll bar are skipped.
        QCOMPARE(visited, QStringList({"txtCarverFileName", "cmdCarverFileName", "txtToFolder", "cmdToFolder",
                                       "optCarver", "chkBatchMake", "chkSetDate", "chkAfterOpen", "cmdOk",
                                       "cmdCancel", "txtCarverFileName", "cmdCarverFileName"}));
    }

    void accessKeysReachTheirControls()
    {
        Harness h;
        QVERIFY(h.active);
        frmCarver& w = h.w();
        auto press = [&](Qt::Key key) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w, key, Qt::AltModifier);
        };
        press(Qt::Key_S);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.txtToFolder));
        press(Qt::Key_L);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.txtCarverFileName));
        press(Qt::Key_Z);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.optCarver[3]));
        press(Qt::Key_B);
        QTRY_VERIFY(w.chkBatchMake->isChecked());  // a button clicks a moment after its key
        press(Qt::Key_P);
        QTRY_VERIFY(w.chkAfterOpen->isChecked());
    }

    void focusSelectsTheWholeText()
    {
        Harness h;
        QVERIFY(h.active);
        frmCarver& w = h.w();
        w.txtToFolder->setText(QStringLiteral("/srv/pieces"));
        w.txtToFolder->setCursorPosition(0);
        // A focus reason on which the line edit itself selects nothing.
        w.txtToFolder->setFocus(Qt::OtherFocusReason);
        QCOMPARE(w.txtToFolder->selectedText(), QStringLiteral("/srv/pieces"));
        w.txtCarverFileName->setText(QStringLiteral("movie.avi"));
        w.txtCarverFileName->setFocus(Qt::OtherFocusReason);
        QCOMPARE(w.txtCarverFileName->selectedText(), QStringLiteral("movie.avi"));
    }

    void customSizeConfirmedWithEnter_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("beeps");
        QTest::newRow("letters") << "abc" << "7" << 7 << 0;
        QTest::newRow("zero") << "0" << "7" << 7 << 0;
        QTest::newRow("negative") << "-5" << "7" << 7 << 0;
        QTest::newRow("above the range") << "99999" << "32,767" << 32767 << 1;
        QTest::newRow("in range") << "12345" << "12,345" << 12345 << 0;
        QTest::newRow("with separator") << "1,500" << "1,500" << 1500 << 0;
        QTest::newRow("decimal") << "12.6" << "13" << 13 << 0;
        QTest::newRow("beyond 32 bits") << "99999999999" << "7" << 7 << 0;
        QTest::newRow("smallest") << "7" << "7" << 7 << 0;
        QTest::newRow("largest") << "32767" << "32,767" << 32767 << 0;
    }

    void customSizeConfirmedWithEnter()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, value);
        QFETCH(int, beeps);
        Harness h;
        QVERIFY(h.active);
        frmCarver& w = h.w();
        TypeSize(w, typed);
        QCOMPARE(w.txtNini->text(), typed);  // typing alone changes nothing
        QTest::keyClick(w.txtNini, Qt::Key_Return);
        QCOMPARE(w.txtNini->text(), shown);
        QCOMPARE(w.NiniValue(), value);
        QCOMPARE(h.ui.beeps, beeps);
        QVERIFY(h.ui.questions.empty());
    }

    void customSizeConfirmedByLeavingTheBox()
    {
        Harness h;
        QVERIFY(h.active);
        frmCarver& w = h.w();
        TempFolder folder;
        w.txtCarverFileName->setText(Q(SparseFile(folder, "movie.avi", 3'000'001)));
        TypeSize(w, QStringLiteral("1500"));
        QCOMPARE(w.lblAfter->text(), QStringLiteral("*.000"));  // the custom option, box still empty
        QTest::keyClick(w.txtNini, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.vscNini));
        QCOMPARE(w.txtNini->text(), QStringLiteral("1,500"));
        QCOMPARE(w.NiniValue(), 1500);
        // Leaving the box brings the range up to date (1,500,000-byte pieces).
        QCOMPARE(w.lblAfter->text(), QStringLiteral("*.001～*.003"));

        w.txtNini->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(w.txtNini, QStringLiteral("40000"));
        w.cmdOk->setFocus(Qt::MouseFocusReason);
        QCOMPARE(w.txtNini->text(), QStringLiteral("32,767"));
        QCOMPARE(h.ui.beeps, 1);
        QCOMPARE(w.lblAfter->text(), QStringLiteral("*.001"));
    }

    void scrollBarStepsByOneWithTheLargestAtTheTop()
    {
        Harness h;
        QVERIFY(h.active);
        frmCarver& w = h.w();
        TypeSize(w, QStringLiteral("12345"));
        QTest::keyClick(w.txtNini, Qt::Key_Return);
        ClickArrow(w.vscNini, QStyle::SC_ScrollBarSubLine);  // the top arrow
        QCOMPARE(w.NiniValue(), 12346);
        QCOMPARE(w.txtNini->text(), QStringLiteral("12,346"));
        ClickArrow(w.vscNini, QStyle::SC_ScrollBarAddLine);  // the bottom arrow
        ClickArrow(w.vscNini, QStyle::SC_ScrollBarAddLine);
        QCOMPARE(w.NiniValue(), 12344);
        QCOMPARE(w.txtNini->text(), QStringLiteral("12,344"));
        w.vscNini->setFocus();
        QTest::keyClick(w.vscNini, Qt::Key_Up);
        QCOMPARE(w.NiniValue(), 12345);

        w.txtNini->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(w.txtNini, QStringLiteral("32767"));
        QTest::keyClick(w.txtNini, Qt::Key_Return);
        ClickArrow(w.vscNini, QStyle::SC_ScrollBarSubLine);
        QCOMPARE(w.NiniValue(), 32767);
        QCOMPARE(w.txtNini->text(), QStringLiteral("32,767"));

        w.txtNini->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(w.txtNini, QStringLiteral("7"));
        QTest::keyClick(w.txtNini, Qt::Key_Return);
        ClickArrow(w.vscNini, QStyle::SC_ScrollBarAddLine);
        QCOMPARE(w.NiniValue(), 7);
        QCOMPARE(w.txtNini->text(), QStringLiteral("7"));
    }

    // Each preset: what it shows, the range the preview gives, and the count
    // the split itself confirms (at the split size, which differs for four).
    void presetsShowTheirSizeAndSplitAtTheirOwn_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<qint64>("length");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("preview");
        QTest::addColumn<QString>("confirmation");
        QTest::newRow("640KB") << 0 << qint64(634'001) << "634" << 634 << "*.001～*.002"
                               << "分割数は *.001～*.002 の ２ です";
        QTest::newRow("720KB") << 1 << qint64(713'000) << "713" << 713 << "*.001" << "分割数は *.001 の １ です";
        QTest::newRow("1.25MB") << 2 << qint64(2'441'500) << "1,221" << 1221 << "*.001～*.002"
                                << "分割数は *.001～*.003 の ３ です";
        QTest::newRow("1.44MB") << 3 << qint64(1'422'000) << "1,423" << 1423 << "*.001"
                                << "分割数は *.001～*.002 の ２ です";
        QTest::newRow("100MB") << 4 << qint64(190'000'001) << "32,767" << 32767 << "*.001～*.003"
                               << "分割数は *.001～*.003 の ３ です";
        QTest::newRow("128MB") << 5 << qint64(200'000'000) << "32,767" << 32767 << "*.001～*.002"
                               << "分割数は *.001～*.002 の ２ です";
        QTest::newRow("230MB") << 6 << qint64(220'000'000) << "32,767" << 32767 << "*.001～*.002"
                               << "分割数は *.001 の １ です";
        QTest::newRow("640MB") << 7 << qint64(610'000'000) << "32,767" << 32767 << "*.001～*.002"
                               << "分割数は *.001 の １ です";
    }

    void presetsShowTheirSizeAndSplitAtTheirOwn()
    {
        QFETCH(int, option);
        QFETCH(qint64, length);
        QFETCH(QString, shown);
        QFETCH(int, value);
        QFETCH(QString, preview);
        QFETCH(QString, confirmation);
        Harness h;
        frmCarver& w = h.w();
        TempFolder folder;
        w.txtCarverFileName->setText(Q(SparseFile(folder, "movie.avi", length)));
        w.txtToFolder->setText(Q(folder.Path()));
        Click(w.optCarver[8]);  // so that every preset, 1.44MB too, is a change
        Click(w.optCarver[static_cast<size_t>(option)]);
        QCOMPARE(w.txtNini->text(), shown);
        QVERIFY(!w.txtNini->isEnabled() && !w.vscNini->isEnabled());
        QCOMPARE(w.NiniValue(), value);
        QCOMPARE(w.lblAfter->text(), preview);

        h.ui.Answer({MsgAnswer::Cancel});
        Click(w.cmdOk);
        QCOMPARE(h.ui.questions.size(), size_t{1});
        QCOMPARE(Q(h.ui.questions[0].text), confirmation);
        QCOMPARE(h.ui.questions[0].caption, std::string("Carver"));
        // Declined: the engine empties the range; nothing is written.
        QCOMPARE(w.lblAfter->text(), QString());
        QVERIFY(!std::filesystem::exists(folder / "movie.000"));
    }

    void customOptionEnablesTheEmptyBoxAndSplitsAtZero()
    {
        Harness h;
        frmCarver& w = h.w();
        TempFolder folder;
        w.txtCarverFileName->setText(Q(SparseFile(folder, "movie.avi", 5000)));
        w.txtToFolder->setText(Q(folder.Path()));
        Click(w.optCarver[8]);
        QVERIFY(w.txtNini->isEnabled() && w.vscNini->isEnabled());
        QCOMPARE(w.txtNini->text(), QString());
        QCOMPARE(w.lblAfter->text(), QStringLiteral("*.000"));

        Click(w.cmdOk);
        QCOMPARE(h.ui.Texts(), std::vector<std::string>{"分割数は *.000 の ０ です"});
        // Nothing to write: not even the join-info file.
        QVERIFY(!std::filesystem::exists(folder / "movie.000"));
        QVERIFY(w.picStatus->isHidden());
        QVERIFY(w.cmdOk->isEnabled());
    }

    void okWithABlankBoxDoesNothing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("folder");
        QTest::newRow("no folder") << "/etc/hostname" << "";
        QTest::newRow("no file") << "" << "/tmp";
        QTest::newRow("spaces only") << "   " << "  ";
        QTest::newRow("folder of spaces") << "/etc/hostname" << "   ";
    }

    void okWithABlankBoxDoesNothing()
    {
        QFETCH(QString, file);
        QFETCH(QString, folder);
        Harness h;
        frmCarver& w = h.w();
        w.txtCarverFileName->setText(file);
        w.txtToFolder->setText(folder);
        w.chkAfterOpen->setChecked(true);
        Click(w.cmdOk);
        QVERIFY(h.ui.questions.empty());
        QVERIFY(h.shell.opened.empty());
        QCOMPARE(h.ui.yields, 0);
        QVERIFY(w.cmdOk->isEnabled());
        QCOMPARE(w.lblAfter->text(), QString());
    }

    void enterStartsNothing()
    {
        Harness h;
        frmCarver& w = h.w();
        TempFolder folder;
        w.txtCarverFileName->setText(Q(SparseFile(folder, "movie.avi", 5000)));
        w.txtToFolder->setText(Q(folder.Path()));
        for (QWidget* target : {static_cast<QWidget*>(w.txtToFolder), static_cast<QWidget*>(w.txtCarverFileName)}) {
            target->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(target, Qt::Key_Return);
        }
        QVERIFY(h.ui.questions.empty());
        QVERIFY(w.isVisible());
    }

    // Enter on the button with the focus clicks it; a held Enter's repeats click nothing.
    void enterClicksTheFocusedButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("file browse") << "cmdCarverFileName";
        QTest::newRow("folder browse") << "cmdToFolder";
        QTest::newRow("OK") << "cmdOk";
        QTest::newRow("close") << "cmdCancel";
    }

    void enterClicksTheFocusedButton()
    {
        QFETCH(QString, button);
        Harness h;
        frmCarver& w = h.w();
        TempFolder folder;
        const std::string path = SparseFile(folder, "movie.avi", 3'000'000);
        w.txtCarverFileName->setText(Q(path));
        w.txtToFolder->setText(Q(folder / "pieces"));
        std::filesystem::create_directory(folder / "pieces");
        h.dialog.choice = path;
        auto* target = w.findChild<QPushButton*>(button);
        target->setFocus(Qt::TabFocusReason);

        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(target, &repeat);
        QVERIFY(!h.dialog.shownWith && h.browser.startSelection.empty() && h.ui.questions.empty() && w.isVisible());

        QTest::keyClick(target, button == "cmdOk" ? Qt::Key_Enter : Qt::Key_Return);
        if (button == "cmdCarverFileName") QCOMPARE(w.lblAfter->text(), QStringLiteral("*.001～*.003"));
        if (button == "cmdToFolder") QCOMPARE(h.browser.startSelection, folder / "pieces");
        if (button == "cmdOk") {
            QCOMPARE(h.ui.Texts(), std::vector<std::string>{"分割数は *.001～*.003 の ３ です"});
            QVERIFY(std::filesystem::exists(folder / "pieces/movie.003"));
            // Disabling OK moved the focus on; it comes back, so that the next
            // Enter does not close the program.
            QVERIFY(w.cmdOk->hasFocus());
        }
        QCOMPARE(w.isVisible(), button != "cmdCancel");
    }

    // However a run ends, also at a message box that leaves the window
    // inactive when the run returns, the focus is back on OK: the next Enter
    // starts again instead of closing the program.
    void focusIsBackOnOkAfterEveryRun_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("confirmation declined") << "declined";
        QTest::newRow("an existing set kept") << "kept";
        QTest::newRow("empty source") << "failed";
    }

    void focusIsBackOnOkAfterEveryRun()
    {
        QFETCH(QString, ending);
        Harness h;
        frmCarver& w = h.w();
        TempFolder folder;
        const std::string path = SparseFile(folder, "movie.avi", ending == "failed" ? 0 : 3'000'000);
        std::filesystem::create_directories(folder / "pieces");
        if (ending == "kept") WriteBytes(folder / "pieces/movie.000", "old");
        w.txtCarverFileName->setText(Q(path));
        w.txtToFolder->setText(Q(folder / "pieces"));
        if (ending == "declined") h.ui.Answer({MsgAnswer::Cancel});
        if (ending == "kept") h.ui.Answer({MsgAnswer::Ok, MsgAnswer::No});
        QWidget messageBox;  // takes the activation, as a message box does
        h.ui.onQuestion = [&](const FakeUiServices::Question&) {
            messageBox.show();
            messageBox.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&messageBox));
        };
        w.cmdOk->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w.cmdOk, Qt::Key_Return);
        const size_t asked = h.ui.questions.size();
        QVERIFY(asked >= 1);
        messageBox.hide();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY(w.cmdOk->hasFocus());
        h.ui.onQuestion = nullptr;
        h.ui.Answer({MsgAnswer::Cancel, MsgAnswer::No});
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(w.isVisible());
        QVERIFY(h.ui.questions.size() > asked);
    }

    // A file dropped anywhere on the window is taken as if browsed for.
    void droppedFileFillsTheFileBoxAndTheRange()
    {
        Harness h;
        frmCarver& w = h.w();
        TempFolder folder;
        const std::string path = SparseFile(folder, "movie.avi", 1'500'000);
        w.txtToFolder->setText(QStringLiteral("/out"));

        QVERIFY(!DropOn(w, QUrl::fromLocalFile(Q(folder.Path()))));
        QVERIFY(!DropOn(w, QUrl(QStringLiteral("https://example.org/movie.avi"))));
        QCOMPARE(w.txtCarverFileName->text(), QString());

        QVERIFY(DropOn(w, QUrl::fromLocalFile(Q(path))));
        QCOMPARE(w.txtCarverFileName->text(), Q(path));
        QCOMPARE(w.lblAfter->text(), QStringLiteral("*.001～*.002"));
        QCOMPARE(w.txtToFolder->text(), QStringLiteral("/out"));
    }

    void escapeWhileIdleCloses_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::newRow("plain") << int(Qt::NoModifier);
        QTest::newRow("with shift") << int(Qt::ShiftModifier);
    }

    void escapeWhileIdleCloses()
    {
        QFETCH(int, modifiers);
        Harness h;
        frmCarver& w = h.w();
        w.chkSetDate->setFocus(Qt::OtherFocusReason);
        // The repeats of an Esc held down since a split was stopped close nothing.
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Escape, Qt::KeyboardModifiers(modifiers), QString(), true);
        QApplication::sendEvent(w.chkSetDate, &repeat);
        QVERIFY(w.isVisible());
        QTest::keyClick(w.chkSetDate, Qt::Key_Escape, Qt::KeyboardModifiers(modifiers));
        QVERIFY(!w.isVisible());
    }

    void closeButtonAndTitleBarCloseWhileIdle()
    {
        {
            Harness h;
            Click(h.w().cmdCancel);
            QVERIFY(!h.w().isVisible());
        }
        {
            Harness h;
            QVERIFY(h.w().close());
            QVERIFY(!h.w().isVisible());
        }
    }

    // A real split of a large file, cancelled while piece 002 is copied, by
    // each of the three ways a user has.
    void cancelDuringASplit_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("button") << "button";
        QTest::newRow("escape") << "escape";
        QTest::newRow("title bar") << "title bar";
    }

    void cancelDuringASplit()
    {
        QFETCH(QString, how);
        Harness h;
        frmCarver& w = h.w();
        TempFolder folder;
        const std::string source = PatternBytes(24 << 20);
        WriteBytes(folder / "movie.avi", source);
        const std::string destination = folder.Path().substr(0, folder.Path().size() - 1);
        w.txtCarverFileName->setText(Q(folder / "movie.avi"));
        w.txtToFolder->setText(Q("  " + destination + "  "));
        w.chkAfterOpen->setChecked(true);
        QVERIFY(w.cmdOk->isEnabled());
        QCOMPARE(w.cmdCancel->text(), QStringLiteral("閉じる(&C)"));

        bool cancelled = false;
        struct During {
            bool splitting = false, okEnabled = true, progressShown = false, windowStays = false;
            QString cancelCaption, range;
            std::string status;
        } during;
        h.duringSplit = [&] {
            // While piece 002 is copied.
            if (cancelled || !std::filesystem::exists(PieceName(folder, 2))) return;
            cancelled = true;
            during = {w.IsSplitting(), w.cmdOk->isEnabled(), w.picStatus->isVisible(), false,
                      w.cmdCancel->text(), w.lblAfter->text(), h.StatusText()};
            if (how == "button") Click(w.cmdCancel);
            if (how == "escape")
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w, Qt::Key_Escape);
            if (how == "title bar") during.windowStays = !w.close();
        };
        Click(w.cmdOk);

        QVERIFY(cancelled);
        QVERIFY(during.splitting);
        QVERIFY(!during.okEnabled);
        QVERIFY(during.progressShown);
        QCOMPARE(during.cancelCaption, QStringLiteral("ｷｬﾝｾﾙ(&C)"));
        QCOMPARE(during.range, QStringLiteral("*.001～*.018"));
        QVERIFY2(during.status.rfind("残り ", 0) == 0 && during.status.find(" (2/18)") != std::string::npos,
                 during.status.c_str());
        if (how == "title bar") QVERIFY(during.windowStays);

        // After: the window is idle again and still open; no message.
        QVERIFY(w.isVisible());
        QVERIFY(!w.IsSplitting());
        QVERIFY(w.cmdOk->isEnabled());
        QCOMPARE(w.cmdCancel->text(), QStringLiteral("閉じる(&C)"));
        QVERIFY(w.picStatus->isHidden());
        QCOMPARE(w.lblAfter->text(), QString());
        QCOMPARE(h.StatusText(), std::string());
        QCOMPARE(h.ui.questions.size(), size_t{1});
        // The split stopped in piece 002 and what it wrote is the source's start.
        QVERIFY(std::filesystem::exists(folder / "movie.000"));
        QVERIFY(!std::filesystem::exists(PieceName(folder, 3)));
        const std::string written = ReadBytes(PieceName(folder, 1)) + ReadBytes(PieceName(folder, 2));
        QVERIFY(written.size() > ReadBytes(PieceName(folder, 1)).size());
        QVERIFY(written.size() < source.size());
        QVERIFY(source.compare(0, written.size(), written) == 0);
        // The folder opens however the split ended, as the box reads, trimmed.
        QCOMPARE(h.shell.opened, std::vector<std::string>{destination});

        if (how == "escape") {
            // The same Esc still held, its repeats reaching the window as new
            // presses (as on a busy X server): the window stays.
            for (int k = 0; k < 3; ++k)
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w, Qt::Key_Escape);
            QVERIFY(w.isVisible());
        }

        // The cancel of one split does not carry over into the next, which
        // asks before it replaces the set the first one left, and runs to its end.
        h.duringSplit = nullptr;
        Click(w.cmdOk);
        QCOMPARE(h.ui.questions.size(), size_t{3});
        QCOMPARE(h.ui.questions[2].text, std::string("分割先に「movie.000」があります　上書きしますか"));
        std::string joined;
        for (int k = 1; k <= 18; ++k) joined += ReadBytes(PieceName(folder, k));
        QVERIFY(joined == source);
        QCOMPARE(h.shell.opened.size(), size_t{2});
    }

    void completedSplitThroughTheWindow()
    {
        Harness h;
        frmCarver& w = h.w();
        TempFolder source, target;
        const std::string bytes = PatternBytes(3'000'000, 7);
        WriteBytes(source / "movie.avi", bytes);
        w.txtCarverFileName->setText(Q(source / "movie.avi"));
        w.txtToFolder->setText(Q(target.Path()));
        w.chkBatchMake->setChecked(true);
        std::vector<std::string> statuses;
        h.duringSplit = [&] {
            if (statuses.empty() || statuses.back() != h.StatusText()) statuses.push_back(h.StatusText());
        };
        Click(w.cmdOk);

        QCOMPARE(h.ui.Texts(), std::vector<std::string>{"分割数は *.001～*.003 の ３ です"});
        QCOMPARE(ReadBytes(target / "movie.001") + ReadBytes(target / "movie.002") + ReadBytes(target / "movie.003"),
                 bytes);
        QVERIFY(std::filesystem::exists(target / "movie.bat"));
        QVERIFY(std::find(statuses.begin(), statuses.end(), "残り 3000000 (1/3)") != statuses.end());
        QVERIFY(w.picStatus->isHidden());
        QCOMPARE(h.StatusText(), std::string());
        QCOMPARE(w.lblAfter->text(), QString());
        QVERIFY(h.shell.opened.empty());
    }

    void failedSplitRestoresTheButtonsAndOpensTheFolder()
    {
        Harness h;
        frmCarver& w = h.w();
        TempFolder folder;
        w.txtCarverFileName->setText(Q(SparseFile(folder, "movie.avi", 5000)));
        const std::string missing = folder / "missing";
        w.txtToFolder->setText(Q(missing));
        w.chkAfterOpen->setChecked(true);
        Click(w.cmdOk);
        QCOMPARE(h.ui.questions.size(), size_t{2});
        QVERIFY(h.ui.questions[1].icon == MsgIcon::Stop);
        QVERIFY(h.ui.questions[1].text.rfind("ﾌｧｲﾙ分割失敗 原因を調査後再度実行して下さい\r\n", 0) == 0);
        QVERIFY(w.cmdOk->isEnabled());
        QCOMPARE(w.cmdCancel->text(), QStringLiteral("閉じる(&C)"));
        QCOMPARE(h.shell.opened, std::vector<std::string>{missing});
    }

    void longRunEndingAwayFromTheWindowIsNotified_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("away");
        QTest::addColumn<QString>("notified");
        QTest::newRow("completed") << "completed" << 11 << true << "「movie.avi」の分割が完了しました";
        QTest::newRow("cancelled") << "cancelled" << 11 << true << "「movie.avi」の分割がキャンセルされました";
        QTest::newRow("failed") << "failed" << 11 << true << "「movie.avi」の分割に失敗しました";
        QTest::newRow("10 s") << "completed" << 10 << true << "";
        QTest::newRow("failed in 10 s") << "failed" << 10 << true << "";
        QTest::newRow("at the window") << "completed" << 60 << false << "";
        QTest::newRow("cancelled at the window") << "cancelled" << 60 << false << "";
    }

    void longRunEndingAwayFromTheWindowIsNotified()
    {
        QFETCH(QString, end);
        QFETCH(int, seconds);
        QFETCH(bool, away);
        QFETCH(QString, notified);
        Harness h;
        QVERIFY(h.active);
        frmCarver& w = h.w();
        TempFolder source, target;
        WriteBytes(source / "movie.avi", PatternBytes(3'000'000, 3));
        w.txtCarverFileName->setText(Q(source / "movie.avi"));
        w.txtToFolder->setText(Q(target.Path()));
        QWidget other;  // the window the user went on to
        bool once = false;
        h.duringSplit = [&] {
            // Once the copy runs, after the confirmation was answered.
            if (once || h.StatusText().empty()) return;
            once = true;
            h.now += std::chrono::seconds(seconds);
            if (away) {
                other.show();
                other.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&other));
            }
            if (end == "cancelled") w.close();
            if (end == "failed") std::filesystem::resize_file(source / "movie.avi", 0);  // cut short
        };
        Click(w.cmdOk);

        QCOMPARE(h.notifier.shown.size(), size_t{notified.isEmpty() ? 0u : 1u});
        if (!notified.isEmpty()) {
            QCOMPARE(h.notifier.shown[0].summary, std::string("Carver"));
            QCOMPARE(Q(h.notifier.shown[0].body), notified);
            QCOMPARE(h.notifier.shown[0].iconName, std::string("io.github.carvermender.Carver"));
        }
        // Nothing more in the window: the confirmation, and for a failure its message.
        QCOMPARE(h.ui.questions.size(), size_t{end == "failed" ? 2u : 1u});
        QVERIFY(w.isVisible());
    }

    void browsedFileComputesTheRangeTypedOneDoesNot()
    {
        Harness h;
        frmCarver& w = h.w();
        TempFolder folder;
        const std::string path = SparseFile(folder, "movie.avi", 1'500'000);

        // Typed: the label stays as it was until an option or the size changes.
        w.txtCarverFileName->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(w.txtCarverFileName, Q(path));
        QCOMPARE(w.lblAfter->text(), QString());
        Click(w.optCarver[0]);
        QCOMPARE(w.lblAfter->text(), QStringLiteral("*.001～*.003"));

        // Cancelled: nothing changes.
        Click(w.optCarver[3]);
        w.txtCarverFileName->clear();
        w.lblAfter->clear();
        Click(w.cmdCarverFileName);
        QVERIFY(h.dialog.shownWith.has_value());
        QCOMPARE(w.txtCarverFileName->text(), QString());
        QCOMPARE(w.lblAfter->text(), QString());
        QVERIFY(h.ui.questions.empty());

        const FileDialogRecord& shown = *h.dialog.shownWith;
        QCOMPARE(shown.title, std::string("分割ﾌｧｲﾙの指定"));
        QCOMPARE(shown.filter, std::string("すべてのﾌｧｲﾙ (*.*)") + '\0' + "*.*" + '\0');
        QCOMPARE(shown.filterIndex, int16_t{1});
        QCOMPARE(shown.initialDir, S(QCoreApplication::applicationDirPath()));
        QVERIFY(shown.flags & OFN_FILEMUSTEXIST);

        // Chosen: the box takes the path and the range is computed at once.
        h.dialog.choice = path;
        Click(w.cmdCarverFileName);
        QCOMPARE(w.txtCarverFileName->text(), Q(path));
        QCOMPARE(w.lblAfter->text(), QStringLiteral("*.001～*.002"));
    }

    void browsedFolderFillsTheBoxOnly()
    {
        Harness h;
        frmCarver& w = h.w();
        TempFolder folder;
        const std::string start = folder.Path().substr(0, folder.Path().size() - 1);
        w.txtToFolder->setText(Q(start));
        w.lblAfter->setText(QStringLiteral("unchanged"));

        Click(w.cmdToFolder);  // cancelled
        QCOMPARE(w.txtToFolder->text(), Q(start));

        std::filesystem::create_directory(folder / "pieces");
        h.browser.choice = folder / "pieces";
        Click(w.cmdToFolder);
        QCOMPARE(h.browser.startSelection, start);
        QCOMPARE(w.txtToFolder->text(), Q(folder / "pieces/"));
        QCOMPARE(w.lblAfter->text(), QStringLiteral("unchanged"));
    }
};

QTEST_MAIN(frmCarverTest)
#include "frmCarverTest.moc"
