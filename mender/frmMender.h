#pragma once
// Mender's only window: the join-info file, the destination folder, the two
// options, OK and Close/Cancel. OK runs the join engine on the spot; the
// engine yields once per block, so the handlers below also run nested inside
// cmdOk_Click, which is how Cancel and Esc reach a running join.
#include <QWidget>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "HeldEscape.h"
#include "JoinerWindow.h"
#include "RunEndNotice.h"
#include "TextFit.h"

class Drives;
class FileDialog;
class FolderBrowser;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QtProgressBox;
class Shell;
class TwoPanelStatusBar;
class UiServices;

class frmMender : public QWidget, public JoinerWindow {
    Q_OBJECT

public:
    // What the window reaches outside itself. A member left empty is the real
    // one: Qt message boxes titled Mender, the desktop's file manager, the Qt
    // file dialog and folder browser over this window, the system's drives,
    // the desktop's notification service, the system's steady clock.
    struct Services {
        UiServices* ui = nullptr;
        Shell* shell = nullptr;
        FileDialog* fileDialog = nullptr;
        FolderBrowser* folderBrowser = nullptr;
        Drives* drives = nullptr;
        DesktopNotifier* notifier = nullptr;
        RunEndNotice::Clock clock;
    };

    explicit frmMender(QWidget* parent = nullptr);
    explicit frmMender(const Services& services, QWidget* parent = nullptr);
    ~frmMender() override;

    // True while JoinFiles runs; decides what Close/Cancel does.
    bool IsJoining = false;

    // The joiner-window elements the engine reads and writes.
    ProgressBox& StatusBox() override;
    void SetStatusText(const std::string& text) override;
    bool AfterDeleteChecked() override;
    std::string KetugoFileNameText() override;
    void SetAfterFileNameText(const std::string& text) override;
    // Each piece rebuilt is a line of the status panel as it is rebuilt; once
    // the join is over the panel names it or counts them, and its tooltip
    // keeps one line per piece.
    void PieceRebuilt(const std::string& name) override;
    void JoinStopped(int32_t joined, int32_t count, const std::string& rebuiltPath) override;

public slots:
    void Form_Load();
    void cmdOk_Click();
    void cmdCancel_Click();
    void cmdKetugoFileName_Click();
    void cmdFromFolder_Click();
    void txtKetugoFileName_GotFocus();
    void txtFromFolder_GotFocus();

public:
    // Runs for every key pressed anywhere in this window before the focused
    // control sees it. True when the key was handled here.
    bool Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A new font or style refits the controls to their texts.
    void changeEvent(QEvent* event) override;

private:
    void CreateControls();
    // The join-info box after a browse, a drop or the command line: the file,
    // and the name of the file it rebuilds.
    void TakeJoinInfoFile(const std::string& path);
    UiServices& Ui();
    Shell& TheShell();
    Drives& TheDrives();

    Services services_;
    // The real services, for the members that were left empty.
    struct OwnServices;
    std::unique_ptr<OwnServices> own_;
    std::unique_ptr<TextFit> textFit_;
    std::unique_ptr<RunEndNotice> runEndNotice_;

    std::array<QLabel*, 3> Label3{};
    QLineEdit* txtKetugoFileName = nullptr;
    QPushButton* cmdKetugoFileName = nullptr;
    QLineEdit* txtFromFolder = nullptr;
    QPushButton* cmdFromFolder = nullptr;
    QLineEdit* txtAfterFileName = nullptr;
    QCheckBox* chkAfterDelete = nullptr;
    QCheckBox* chkAfterOpen = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    QtProgressBox* picStatus = nullptr;
    TwoPanelStatusBar* sbrStatus = nullptr;
    HeldEscape heldEscape_;
    std::vector<std::string> rebuilt_;  // the pieces this join rebuilt
};
