#include "frmMender.h"
#include "BoxText.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "BrowseIcon.h"
#include "CommandLine.h"
#include "Drives.h"
#include "EnterOnButton.h"
#include "FileDrops.h"
#include "Files.h"
#include "MenderIcon.h"
#include "Paths.h"
#include "PickFile.h"
#include "PickFolder.h"
#include "QtFileDialog.h"
#include "QtFolderBrowser.h"
#include "QtProgressBox.h"
#include "QtTextBox.h"
#include "QtTranslation.h"
#include "QtUiServices.h"
#include "Shell.h"
#include "JoinRecovery.h"
#include "TwoPanelStatusBar.h"
#include "WindowRunEndNotice.h"
#include "modMender.h"

namespace {

constexpr int kEscapeKeyCode = 27;

// The layout is given in twips, 15 to a pixel.
int Px(int twips) { return qRound(twips / 15.0); }
QRect TwipsRect(int left, int top, int width, int height) { return QRect(Px(left), Px(top), Px(width), Px(height)); }

std::string TrimmedText(const QLineEdit& box) { return TrimSpaces(box.text().toStdString()); }

// The dialog opens in a folder: a typed join-info path names a file, so it
// opens in the folder that holds it.
std::string InitialFolderFor(const std::string& typed)
{
    if (FolderExists(typed)) return typed;
    const size_t last = typed.rfind(kPathSeparator);
    if (last == std::string::npos) return typed;
    return last == 0 ? std::string(1, kPathSeparator) : typed.substr(0, last);
}

// Small controls of 12 pixels need a font of that height: the Japanese
// gothic when it is installed, whatever the system has otherwise.
QFont WindowFont(const QFont& base)
{
    QFont font(base);
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), base.family()});
    font.setPixelSize(12);
    return font;
}

}  // namespace

// The desktop notification after a long join, named like the menu entry.
constexpr RunEndTexts kRunEndTexts{"Mender", "io.github.carvermender.Mender", N_("「{1}」の連結が完了しました"),
                                   N_("「{1}」の連結がキャンセルされました"), N_("「{1}」の連結に失敗しました")};

struct frmMender::OwnServices {
    explicit OwnServices(QWidget* owner)
        : ui(QStringLiteral("Mender"), owner), fileDialog(owner), folderBrowser(owner) {}
    QtUiServices ui;
    QtFileDialog fileDialog;
    QtFolderBrowser folderBrowser;
};

frmMender::frmMender(QWidget* parent) : frmMender(Services{}, parent) {}

frmMender::frmMender(const Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      services_(services), own_(std::make_unique<OwnServices>(this))
{
    runEndNotice_ = WindowRunEndNotice(*this, Ui(), services.notifier, services.clock, kRunEndTexts);
    setObjectName(QStringLiteral("frmMender"));
    setWindowTitle(QStringLiteral("Mender"));
    setWindowIcon(MenderIcon());
    setFont(WindowFont(font()));
    setFixedSize(Px(6990), Px(2820));
    CreateControls();
    // Texts that need more room than their places give get it, before the
    // window is centred.
    textFit_ = std::make_unique<TextFit>(*this);
    textFit_->Apply();

    // A file dropped on the window is taken as if chosen with the browse button.
    AcceptFileDrops(*this, [this](const std::string& path) { TakeJoinInfoFile(path); });

    // Key preview: every key pressed in this window passes Form_KeyDown first.
    qApp->installEventFilter(this);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    Form_Load();
}

frmMender::~frmMender() = default;

void frmMender::CreateControls()
{
    const QIcon magnifier = BrowseIcon();
    auto label = [this](const QString& caption, const QRect& where, int index) {
        auto* l = new QLabel(caption, this);
        l->setObjectName(QStringLiteral("Label3"));
        l->setProperty("Index", index);
        l->setGeometry(where);
        return l;
    };
    auto textBox = [this](const QString& name, const QRect& where) {
        auto* t = new QLineEdit(this);
        t->setObjectName(name);
        t->setGeometry(where);
        return t;
    };
    auto browseButton = [this, &magnifier](const QString& name, const QRect& where) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        b->setGeometry(where);
        b->setIcon(magnifier);
        b->setIconSize(QSize(where.height() - 6, where.height() - 6));
        b->setAutoDefault(false);
        return b;
    };
    auto checkBox = [this](const QString& name, const QString& caption, const QRect& where) {
        auto* c = new QCheckBox(caption, this);
        c->setObjectName(name);
        // The box is 12 pixels high; the style's larger square would be cut.
        c->setStyleSheet(QStringLiteral("QCheckBox::indicator { width: 11px; height: 11px; }"));
        c->setGeometry(where);
        return c;
    };
    auto commandButton = [this](const QString& name, const QString& caption, const QRect& where) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setGeometry(where);
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };

    Label3[0] = label(TrQ("連結元ﾌｧｲﾙ名(&R)"), TwipsRect(240, 240, 1380, 180), 0);
    txtKetugoFileName = textBox(QStringLiteral("txtKetugoFileName"), TwipsRect(240, 480, 4815, 270));
    cmdKetugoFileName = browseButton(QStringLiteral("cmdKetugoFileName"), TwipsRect(5040, 480, 405, 285));
    Label3[1] = label(TrQ("連結先ﾌｫﾙﾀﾞ名(&K)"), TwipsRect(240, 840, 1395, 180), 1);
    txtFromFolder = textBox(QStringLiteral("txtFromFolder"), TwipsRect(240, 1080, 4815, 270));
    cmdFromFolder = browseButton(QStringLiteral("cmdFromFolder"), TwipsRect(5040, 1080, 405, 285));
    Label3[2] = label(TrQ("連結後ﾌｧｲﾙ名"), TwipsRect(240, 1440, 1140, 180), 2);
    txtAfterFileName = textBox(QStringLiteral("txtAfterFileName"), TwipsRect(240, 1680, 4815, 270));
    // Only a preview: the program never reads it back.
    txtAfterFileName->setReadOnly(true);
    chkAfterDelete = checkBox(QStringLiteral("chkAfterDelete"), TrQ("連結後分割ﾌｧｲﾙを削除する(&D)"),
                              TwipsRect(240, 2040, 2775, 180));
    chkAfterOpen = checkBox(QStringLiteral("chkAfterOpen"), TrQ("連結後ﾌｫﾙﾀﾞを開く(&P)"),
                            TwipsRect(240, 2280, 2055, 180));
    cmdOk = commandButton(QStringLiteral("cmdOk"), TrQ("OK(&O)"), TwipsRect(5640, 120, 1215, 375));
    cmdCancel =
        commandButton(QStringLiteral("cmdCancel"), TrQ("閉じる(&C)"), TwipsRect(5640, 600, 1215, 375));

    // The status bar along the bottom edge; its first panel lies under picStatus.
    sbrStatus = new TwoPanelStatusBar(this);
    sbrStatus->setObjectName(QStringLiteral("sbrStatus"));
    const int barHeight = Px(255);
    sbrStatus->setGeometry(0, height() - barHeight, width(), barHeight);
    const QRect box = TwipsRect(10, 2610, 4485, 200);
    sbrStatus->SetFirstPanelWidth(box.right() + 1);

    picStatus = new QtProgressBox(this);
    picStatus->setObjectName(QStringLiteral("picStatus"));
    picStatus->setGeometry(box);
    picStatus->hide();
    picStatus->raise();

    // A label's access key moves the focus to the box that follows it.
    Label3[0]->setBuddy(txtKetugoFileName);
    Label3[1]->setBuddy(txtFromFolder);

    QWidget* order[] = {txtKetugoFileName, cmdKetugoFileName, txtFromFolder, cmdFromFolder, txtAfterFileName,
                        chkAfterDelete,    chkAfterOpen,      cmdOk,         cmdCancel};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    connect(cmdOk, &QPushButton::clicked, this, &frmMender::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmMender::cmdCancel_Click);
    connect(cmdKetugoFileName, &QPushButton::clicked, this, &frmMender::cmdKetugoFileName_Click);
    connect(cmdFromFolder, &QPushButton::clicked, this, &frmMender::cmdFromFolder_Click);
}

UiServices& frmMender::Ui() { return services_.ui ? *services_.ui : own_->ui; }
Shell& frmMender::TheShell() { return services_.shell ? *services_.shell : SystemShell(); }
Drives& frmMender::TheDrives() { return services_.drives ? *services_.drives : SystemDrives(); }

void frmMender::Form_Load()
{
    IsJoining = false;
    // "mender FILE.000" starts as if the file had been browsed for.
    const std::string file = modCarver::CommandLineFileName();
    if (!file.empty()) TakeJoinInfoFile(file);
}

void frmMender::cmdOk_Click()
{
    // OK is disabled during a join; a click already queued must not start a
    // second join inside the first.
    if (IsJoining) return;
    // Read once: the engine works on these copies, whatever is typed meanwhile.
    const std::string joinInfoPath = TrimmedText(*txtKetugoFileName);
    const std::string destination = TrimmedText(*txtFromFolder);
    if (joinInfoPath.empty() || destination.empty()) return;

    const bool okHadFocus = cmdOk->hasFocus();
    IsJoining = true;
    cmdOk->setEnabled(false);
    cmdCancel->setText(TrQ("ｷｬﾝｾﾙ(&C)"));

    rebuilt_.clear();
    sbrStatus->setToolTip({});
    // The desktop is told how a long join ended when the user was away,
    // naming the file the join rebuilds (or else the file chosen).
    const std::string rebuilt = modMender::RebuiltFileNameOf(joinInfoPath);
    runEndNotice_->Started(rebuilt.empty() ? FileNameOf(joinInfoPath) : rebuilt);
    modMender::JoinFiles(*this, *runEndNotice_, joinInfoPath, WithBackslash(destination), TheDrives());
    runEndNotice_->Finished();
    if (rebuilt_.size() > 1) SetStatusText(TrFormat(modMender::kPiecesRebuilt, {std::to_string(rebuilt_.size())}));
    else if (!rebuilt_.empty()) SetStatusText(TrFormat(modMender::kPieceRebuilt, {rebuilt_.front()}));

    IsJoining = false;
    cmdOk->setEnabled(true);
    cmdCancel->setText(TrQ("閉じる(&C)"));
    // Disabling OK moved the focus on to Close; an Enter or Space meant for
    // OK must not close the program. Asked of the window, not of the button:
    // after a message box the window may not be active again yet, and then
    // no button has the focus.
    if (okHadFocus && (focusWidget() == cmdCancel || focusWidget() == nullptr)) cmdOk->setFocus();

    // However the join ended; the folder as typed, which the file manager
    // takes with or without its trailing separator.
    if (chkAfterOpen->isChecked()) OpenFolderWindow(destination, TheShell());
}

void frmMender::cmdCancel_Click()
{
    if (IsJoining) {
        // The engine stops after the block in progress; the window stays.
        modMender::CancelRequested = true;
        return;
    }
    close();
}

bool frmMender::Form_KeyDown(int keyCode, Qt::KeyboardModifiers)
{
    if (keyCode != kEscapeKeyCode) return false;
    cmdCancel_Click();
    return true;
}

void frmMender::cmdKetugoFileName_Click()
{
    const std::string typed = TrimmedText(*txtKetugoFileName);
    const std::string initialFolder =
        typed.empty() ? QCoreApplication::applicationDirPath().toStdString() : InitialFolderFor(typed);
    FileDialog& dialogs = services_.fileDialog ? *services_.fileDialog : own_->fileDialog;
    // The second entry: the first piece of a numbered set that has no
    // join-info file (archive volumes x.7z.001, split -d … --numeric-suffixes=1).
    const std::string chosen = PickFile(dialogs, Ui(), Tr("連結情報ﾌｧｲﾙの指定"),
                                        Tr("連結情報ﾌｧｲﾙ (*.000)|*.000|分割ﾌｧｲﾙ (*.001)|*.001"), "", 1, initialFolder);
    if (!chosen.empty()) TakeJoinInfoFile(chosen);
}

void frmMender::TakeJoinInfoFile(const std::string& path)
{
    txtKetugoFileName->setText(QString::fromStdString(path));
    modMender::LoadAfterFileName(*this);
}

void frmMender::cmdFromFolder_Click()
{
    FolderBrowser& browser = services_.folderBrowser ? *services_.folderBrowser : own_->folderBrowser;
    QtTextBox box(*txtFromFolder);
    PickFolder(browser, box);
}

void frmMender::txtKetugoFileName_GotFocus()
{
    QtTextBox box(*txtKetugoFileName);
    SelectAllText(box);
}

void frmMender::txtFromFolder_GotFocus()
{
    QtTextBox box(*txtFromFolder);
    SelectAllText(box);
}

bool frmMender::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::FocusIn) return false;
    if (!watched->isWidgetType()) return false;

    if (type == QEvent::FocusIn) {
        if (watched == txtKetugoFileName) txtKetugoFileName_GotFocus();
        if (watched == txtFromFolder) txtFromFolder_GotFocus();
        return false;
    }

    // Keys of this window only, not of the message boxes and dialogs over it.
    if (static_cast<QWidget*>(watched)->window() != this) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (type == QEvent::KeyRelease) {
        heldEscape_.IsNewPress(event);  // a release is part of a held Esc too
        return false;
    }
    if (ClickFocusedButtonOnEnter(watched, event)) return true;
    // A held-down Esc repeats; only a new press counts, so holding it to stop
    // a join does not also close the program once the join has stopped.
    if (key->key() == Qt::Key_Escape) {
        if (!heldEscape_.IsNewPress(event)) return true;
        if (IsJoining) heldEscape_.StoppedARun();
    }
    const int keyCode = key->key() == Qt::Key_Escape ? kEscapeKeyCode : key->key();
    return Form_KeyDown(keyCode, key->modifiers());
}

void frmMender::changeEvent(QEvent* event)
{
    if (textFit_ && (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)) textFit_->Apply();
    QWidget::changeEvent(event);
}

void frmMender::closeEvent(QCloseEvent* event)
{
    // The title bar's close box during a join counts as Cancel: the join
    // stops after its current block and the window stays.
    if (IsJoining) {
        cmdCancel_Click();
        event->ignore();
        return;
    }
    event->accept();
}

ProgressBox& frmMender::StatusBox() { return *picStatus; }

void frmMender::SetStatusText(const std::string& text)
{
    sbrStatus->SetPanelText(2, text);
    if (!text.empty()) runEndNotice_->Copying();
}

void frmMender::JoinStopped(int32_t, int32_t, const std::string&) { runEndNotice_->Stopped(); }

void frmMender::PieceRebuilt(const std::string& name)
{
    rebuilt_.push_back(name);
    const std::string line = TrFormat(modMender::kPieceRebuilt, {name});
    SetStatusText(line);
    const QString tip = sbrStatus->toolTip();
    sbrStatus->setToolTip(tip.isEmpty() ? QString::fromStdString(line) : tip + "\n" + QString::fromStdString(line));
    Ui().Yield();
}

bool frmMender::AfterDeleteChecked() { return chkAfterDelete->isChecked(); }

std::string frmMender::KetugoFileNameText() { return txtKetugoFileName->text().toStdString(); }

void frmMender::SetAfterFileNameText(const std::string& text)
{
    txtAfterFileName->setText(QString::fromStdString(text));
}
