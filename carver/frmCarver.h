#pragma once
// Carver's window: the file and folder boxes with their browse buttons, the
// nine size options with the custom size, the three options, the piece range,
// OK and Close/Cancel, and the status bar with the progress box.
//
// OK runs the split engine on this thread; the engine yields once per block,
// so the handlers below run nested inside cmdOk_Click while a split runs.
// That is how Cancel (the button, Esc or the title bar's close) reaches it.
#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "CarverForm.h"
#include "HeldEscape.h"
#include "RunEndNotice.h"
#include "SplitterWindow.h"
#include "TextFit.h"

class FileDialog;
class FolderBrowser;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QtProgressBox;
class Shell;
class TwoPanelStatusBar;
class UiServices;

// The services the window works with; a null member means the real one
// (Qt message boxes, the desktop's file manager, the Qt file and folder
// dialogs, its notification service, the system's steady clock).
struct CarverServices {
    UiServices* ui = nullptr;
    Shell* shell = nullptr;
    FileDialog* fileDialog = nullptr;
    FolderBrowser* folderBrowser = nullptr;
    DesktopNotifier* notifier = nullptr;
    RunEndNotice::Clock clock;
};

class frmCarver : public QWidget, public SplitterWindow, public modCarver::CarverForm {
public:
    // Creating the window loads it: Form_Load runs before the constructor returns.
    explicit frmCarver(const CarverServices& services = {}, QWidget* parent = nullptr);
    ~frmCarver() override;

    // True while the split engine runs.
    bool IsSplitting() const { return isSplitting_; }
    // vscNini's value in KB (7 at the bottom of the bar, 32767 at the top).
    int NiniValue() const;

    // What the split engine works on.
    void SetPieceRange(const std::string& text) override;
    ProgressBox& StatusBox() override;
    void SetStatusText(const std::string& text) override;
    bool SetDateChecked() override;
    bool BatchMakeChecked() override;
    bool ManifestWanted() override { return true; }  // the window always checks its sets
    std::string ToFolderText() override;
    void SplitStopped(int64_t written, int64_t count, const std::string& folder) override;

    // What ResetWindow and the piece preview work on.
    std::string FileBoxText() const override;
    std::string SizeBoxText() const override;
    bool SizeOptionOn(int index) const override;
    void TurnSizeOptionOn(int index) override;
    void SetFileBoxText(const std::string& text) override;
    void SetSizeBoxText(const std::string& text) override;
    void SetFolderBoxText(const std::string& text) override;
    void SetOptionChecks(bool batchMake, bool setDate, bool afterOpen) override;

    // The controls, by their names (object names alike). Label2 and optCarver
    // are indexed as their captions are numbered.
    std::array<QLabel*, 3> Label2{};
    QLineEdit* txtCarverFileName = nullptr;
    QPushButton* cmdCarverFileName = nullptr;
    QLineEdit* txtToFolder = nullptr;
    QPushButton* cmdToFolder = nullptr;
    QGroupBox* fraCarverSu = nullptr;
    std::array<QRadioButton*, 9> optCarver{};
    QLineEdit* txtNini = nullptr;
    QScrollBar* vscNini = nullptr;
    QLabel* lblSize = nullptr;
    QCheckBox* chkBatchMake = nullptr;
    QCheckBox* chkSetDate = nullptr;
    QCheckBox* chkAfterOpen = nullptr;
    QLabel* lblAfter = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    TwoPanelStatusBar* sbrStatus = nullptr;
    QtProgressBox* picStatus = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A new font or style refits the controls to their texts.
    void changeEvent(QEvent* event) override;

private:
    void CreateControls();
    void CreateSizeFrame();
    void CreateStatusBar();
    void SetTabOrder();
    void ConnectHandlers();
    void SetNiniValue(int value);

    // Event handlers.
    void Form_Load();
    void Form_KeyDown(int keyCode);
    void optCarver_Click(int index);
    void txtNini_KeyPress(int& keyAscii);
    void txtNini_LostFocus();
    void vscNini_Change();
    void TextBox_GotFocus(QLineEdit& box);
    void cmdOk_Click();
    void cmdCancel_Click();
    void cmdCarverFileName_Click();
    void cmdToFolder_Click();

    void ConfirmSizeBox();
    void UpdatePieceRangeWhenFileNamed();
    // The file box after a browse or a drop: the file, and its piece range.
    void TakeFileToSplit(const std::string& path);

    std::unique_ptr<TextFit> textFit_;
    std::unique_ptr<UiServices> ownUi_;
    std::unique_ptr<RunEndNotice> runEndNotice_;
    std::unique_ptr<FileDialog> ownFileDialog_;
    std::unique_ptr<FolderBrowser> ownFolderBrowser_;
    UiServices* ui_ = nullptr;
    Shell* shell_ = nullptr;
    FileDialog* fileDialog_ = nullptr;
    FolderBrowser* folderBrowser_ = nullptr;

    bool isSplitting_ = false;
    HeldEscape heldEscape_;
};
