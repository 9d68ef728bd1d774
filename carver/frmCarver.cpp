#include "frmCarver.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <vector>

#include "BoxText.h"
#include "CommandLine.h"
#include "EnterOnButton.h"
#include "FileDrops.h"
#include "NumberFormat.h"
#include "Paths.h"
#include "PickFile.h"
#include "PickFolder.h"
#include "PiecePreview.h"
#include "QtFileDialog.h"
#include "QtFolderBrowser.h"
#include "QtProgressBox.h"
#include "QtTextBox.h"
#include "QtTranslation.h"
#include "QtUiServices.h"
#include "Shell.h"
#include "SizeConfirm.h"
#include "SizeTable.h"
#include "TwoPanelStatusBar.h"
#include "WindowReset.h"
#include "WindowRunEndNotice.h"
#include "modCarver.h"

namespace {

constexpr int kEscapeKeyCode = 27;
constexpr int kEnterKeyAscii = 13;

const char* const kCloseCaption = N_("閉じる(&C)");
const char* const kCancelCaption = N_("ｷｬﾝｾﾙ(&C)");

// The window is laid out in twips, 15 to a pixel.
int Pixels(int twips) { return (twips * 2 + 15) / 30; }
QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(Pixels(left), Pixels(top), Pixels(width), Pixels(height));
}

// Where the size options sit in their frame (left, top in twips); all 855
// twips wide except the custom one.
struct OptionPlace {
    int left, top, width;
};
constexpr std::array<OptionPlace, modCarver::kSizeOptionCount> kOptionPlaces{{
    {120, 240, 855}, {120, 480, 855}, {1080, 240, 855}, {1080, 480, 855}, {2040, 240, 855},
    {2040, 480, 855}, {3000, 240, 855}, {3960, 240, 855}, {3000, 480, 735},
}};

// The user switching to another window, or a popup opening, moves no focus
// inside this window: the boxes' focus handlers ignore it.
bool IsWindowSwitch(const QEvent* event)
{
    const auto reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The desktop notification after a long split, named like the menu entry.
constexpr RunEndTexts kRunEndTexts{"Carver", "io.github.carvermender.Carver", N_("「{1}」の分割が完了しました"),
                                   N_("「{1}」の分割がキャンセルされました"), N_("「{1}」の分割に失敗しました")};

// The window's texts are Japanese; these faces hold every character they use.
QFont WindowFont(int pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), font.family()});
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace

frmCarver::frmCarver(const CarverServices& services, QWidget* parent) : QWidget(parent)
{
    if (services.ui == nullptr) ownUi_ = std::make_unique<QtUiServices>(QStringLiteral("Carver"), this);
    if (services.fileDialog == nullptr) ownFileDialog_ = std::make_unique<QtFileDialog>(this);
    if (services.folderBrowser == nullptr) ownFolderBrowser_ = std::make_unique<QtFolderBrowser>(this);
    ui_ = services.ui != nullptr ? services.ui : ownUi_.get();
    shell_ = services.shell != nullptr ? services.shell : &SystemShell();
    fileDialog_ = services.fileDialog != nullptr ? services.fileDialog : ownFileDialog_.get();
    folderBrowser_ = services.folderBrowser != nullptr ? services.folderBrowser : ownFolderBrowser_.get();
    runEndNotice_ = WindowRunEndNotice(*this, *ui_, services.notifier, services.clock, kRunEndTexts);

    setObjectName(QStringLiteral("frmCarver"));
    setWindowTitle(QStringLiteral("Carver"));
    setFont(WindowFont(12));
    setFixedSize(Pixels(7005), Pixels(3270));

    CreateControls();
    // Texts that need more room than their places give get it, before the
    // window is centred.
    textFit_ = std::make_unique<TextFit>(*this);
    textFit_->Apply();
    SetTabOrder();
    ConnectHandlers();

    // A file dropped on the window is taken as if chosen with the browse button.
    AcceptFileDrops(*this, [this](const std::string& path) { TakeFileToSplit(path); });

    // Key preview: the window sees every key before the control with the focus.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Form_Load();
}

frmCarver::~frmCarver()
{
    // The controls go after this object; their last focus changes are no
    // business of the handlers any more.
    for (QWidget* child : findChildren<QWidget*>()) child->removeEventFilter(this);
}

void frmCarver::CreateControls()
{
    auto label = [this](const char* name, const char* caption, QRect place) {
        auto* l = new QLabel(TrQ(caption), this);
        l->setObjectName(QString::fromUtf8(name));
        l->setGeometry(place);
        return l;
    };
    auto textBox = [this](QWidget* parent, const char* name, QRect place) {
        auto* box = new QLineEdit(parent);
        box->setObjectName(QString::fromUtf8(name));
        box->setGeometry(place);
        return box;
    };
    auto iconButton = [this](const char* name, const QIcon& icon, QRect place) {
        auto* button = new QPushButton(this);
        button->setObjectName(QString::fromUtf8(name));
        button->setIcon(icon);
        button->setGeometry(place);
        return button;
    };
    auto checkBox = [this](const char* name, const char* caption, QRect place) {
        auto* box = new QCheckBox(TrQ(caption), this);
        box->setObjectName(QString::fromUtf8(name));
        box->setGeometry(place);
        return box;
    };
    auto button = [this](const char* name, const char* caption, QRect place) {
        auto* b = new QPushButton(TrQ(caption), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setGeometry(place);
        // Neither button is the window's default: Enter clicks nothing by itself.
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };

    Label2[1] = label("Label2", N_("分割ﾌｧｲﾙ名(&L)"), TwipsRect(240, 120, 1170, 180));
    txtCarverFileName = textBox(this, "txtCarverFileName", TwipsRect(240, 360, 4815, 270));
    cmdCarverFileName = iconButton(
        "cmdCarverFileName",
        QIcon::fromTheme(QStringLiteral("document-open"), style()->standardIcon(QStyle::SP_FileIcon)),
        TwipsRect(5040, 360, 405, 285));
    Label2[0] = label("Label2", N_("分割先ﾌｫﾙﾀﾞ名(&S)"), TwipsRect(240, 720, 1395, 180));
    txtToFolder = textBox(this, "txtToFolder", TwipsRect(240, 960, 4815, 270));
    cmdToFolder = iconButton(
        "cmdToFolder", QIcon::fromTheme(QStringLiteral("folder-open"), style()->standardIcon(QStyle::SP_DirOpenIcon)),
        TwipsRect(5040, 960, 405, 285));
    Label2[1]->setBuddy(txtCarverFileName);
    Label2[0]->setBuddy(txtToFolder);

    CreateSizeFrame();

    chkBatchMake = checkBox("chkBatchMake", N_("連結用ﾊﾞｯﾁﾌｧｲﾙ作成(&B)"), TwipsRect(240, 2280, 2295, 180));
    chkSetDate = checkBox("chkSetDate", N_("日付をあわせる(&M)"), TwipsRect(240, 2520, 1815, 180));
    chkAfterOpen = checkBox("chkAfterOpen", N_("分割後ﾌｫﾙﾀﾞを開く(&P)"), TwipsRect(240, 2760, 2055, 180));
    Label2[2] = label("Label2", N_("分割後ﾌｧｲﾙ数"), TwipsRect(3360, 2280, 1140, 180));
    lblAfter = label("lblAfter", "", TwipsRect(5475, 2280, 0, 180));
    for (int i = 0; i < 3; ++i) Label2[static_cast<size_t>(i)]->setProperty("index", i);

    cmdOk = button("cmdOk", N_("OK(&O)"), TwipsRect(5640, 120, 1215, 375));
    cmdCancel = button("cmdCancel", kCloseCaption, TwipsRect(5640, 600, 1215, 375));

    CreateStatusBar();
}

void frmCarver::CreateSizeFrame()
{
    fraCarverSu = new QGroupBox(TrQ("分割ｻｲｽﾞ(&Z)"), this);
    fraCarverSu->setObjectName(QStringLiteral("fraCarverSu"));
    fraCarverSu->setGeometry(TwipsRect(240, 1320, 5295, 855));
    // The option cells are narrow: the caption sits close to its indicator,
    // so that "1.25MB" and "100MB" show whole.
    fraCarverSu->setStyleSheet(QStringLiteral("QRadioButton { spacing: 1px; } QRadioButton::indicator { width: 12px; height: 12px; }"));

    for (int i = 0; i < modCarver::kSizeOptionCount; ++i) {
        const OptionPlace& place = kOptionPlaces[static_cast<size_t>(i)];
        auto* option = new QRadioButton(TrQ(modCarver::SizeOptionCaption(i).c_str()), fraCarverSu);
        option->setObjectName(QStringLiteral("optCarver"));
        option->setProperty("index", i);
        option->setGeometry(TwipsRect(place.left, place.top, place.width, 255));
        optCarver[static_cast<size_t>(i)] = option;
    }

    txtNini = new QLineEdit(fraCarverSu);
    txtNini->setObjectName(QStringLiteral("txtNini"));
    txtNini->setGeometry(TwipsRect(3840, 490, 735, 270));

    // The bar runs from 32767 at its top to 7 at its bottom. A Qt scroll bar
    // has its minimum at the top, so it holds the value negated: the up arrow
    // then raises the size by one and the down arrow lowers it.
    vscNini = new QScrollBar(Qt::Vertical, fraCarverSu);
    vscNini->setObjectName(QStringLiteral("vscNini"));
    vscNini->setGeometry(TwipsRect(4560, 480, 255, 255));
    vscNini->setRange(-modCarver::kLargestSizeKB, -modCarver::kSmallestSizeKB);
    vscNini->setSingleStep(1);
    vscNini->setPageStep(1);
    vscNini->setValue(-modCarver::kSmallestSizeKB);
    vscNini->setFocusPolicy(Qt::StrongFocus);

    lblSize = new QLabel(QStringLiteral("KB"), fraCarverSu);
    lblSize->setObjectName(QStringLiteral("lblSize"));
    lblSize->setGeometry(TwipsRect(4920, 510, 225, 180));
}

void frmCarver::CreateStatusBar()
{
    sbrStatus = new TwoPanelStatusBar(this);
    sbrStatus->setObjectName(QStringLiteral("sbrStatus"));
    sbrStatus->setGeometry(TwipsRect(0, 3015, 7005, 255));
    // The first panel lies under the progress box; the second takes the rest.
    sbrStatus->SetFirstPanelWidth(Pixels(10 + 4485) + 1);

    picStatus = new QtProgressBox(this);
    picStatus->setObjectName(QStringLiteral("picStatus"));
    picStatus->setGeometry(TwipsRect(10, 3060, 4485, 200));
    picStatus->setFont(WindowFont(11));
    picStatus->hide();
}

void frmCarver::SetTabOrder()
{
    std::vector<QWidget*> order{txtCarverFileName, cmdCarverFileName, txtToFolder, cmdToFolder};
    order.insert(order.end(), optCarver.begin(), optCarver.end());
    order.insert(order.end(), {txtNini, vscNini, chkBatchMake, chkSetDate, chkAfterOpen, cmdOk, cmdCancel});
    for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void frmCarver::ConnectHandlers()
{
    for (int i = 0; i < modCarver::kSizeOptionCount; ++i) {
        // An option's click is its turning on, by the user or by the code.
        connect(optCarver[static_cast<size_t>(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) optCarver_Click(i);
        });
    }
    connect(vscNini, &QScrollBar::valueChanged, this, [this] { vscNini_Change(); });
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdCarverFileName, &QPushButton::clicked, this, [this] { cmdCarverFileName_Click(); });
    connect(cmdToFolder, &QPushButton::clicked, this, [this] { cmdToFolder_Click(); });
}

bool frmCarver::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyRelease:
        heldEscape_.IsNewPress(event);  // a release is part of a held Esc too
        break;
    case QEvent::KeyPress: {
        if (ClickFocusedButtonOnEnter(watched, event)) return true;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            // Esc held down to stop a split repeats; only a new press counts,
            // so the repeats do not close the program once the split stopped.
            if (heldEscape_.IsNewPress(event)) {
                if (isSplitting_) heldEscape_.StoppedARun();
                Form_KeyDown(kEscapeKeyCode);
            }
            return true;
        }
        if (watched == txtNini && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            int keyAscii = kEnterKeyAscii;
            txtNini_KeyPress(keyAscii);
            if (keyAscii == 0) return true;
        }
        break;
    }
    case QEvent::FocusIn:
        if (IsWindowSwitch(event)) break;
        if (watched == txtCarverFileName || watched == txtNini || watched == txtToFolder)
            TextBox_GotFocus(*static_cast<QLineEdit*>(watched));
        break;
    case QEvent::FocusOut:
        if (watched == txtNini && !IsWindowSwitch(event)) txtNini_LostFocus();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void frmCarver::changeEvent(QEvent* event)
{
    if (textFit_ && (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)) textFit_->Apply();
    QWidget::changeEvent(event);
}

void frmCarver::closeEvent(QCloseEvent* event)
{
    // The title bar's close while a split runs is a Cancel; the window stays.
    if (isSplitting_) {
        modCarver::CancelRequested = true;
        event->ignore();
        return;
    }
    event->accept();
}

// ---- What the split engine works on ----

void frmCarver::SetPieceRange(const std::string& text)
{
    lblAfter->setText(Q(text));
    // The label sizes itself to its text, to the right only.
    lblAfter->resize(lblAfter->sizeHint().width(), lblAfter->height());
}

ProgressBox& frmCarver::StatusBox() { return *picStatus; }

void frmCarver::SetStatusText(const std::string& text)
{
    sbrStatus->SetPanelText(2, text);
    if (!text.empty()) runEndNotice_->Copying();
}

void frmCarver::SplitStopped(int64_t, int64_t, const std::string&) { runEndNotice_->Stopped(); }

bool frmCarver::SetDateChecked() { return chkSetDate->isChecked(); }

bool frmCarver::BatchMakeChecked() { return chkBatchMake->isChecked(); }

std::string frmCarver::ToFolderText() { return txtToFolder->text().toStdString(); }

// ---- What ResetWindow and the piece preview work on ----

std::string frmCarver::FileBoxText() const { return txtCarverFileName->text().toStdString(); }

std::string frmCarver::SizeBoxText() const { return txtNini->text().toStdString(); }

bool frmCarver::SizeOptionOn(int index) const
{
    return index >= 0 && index < modCarver::kSizeOptionCount && optCarver[static_cast<size_t>(index)]->isChecked();
}

void frmCarver::TurnSizeOptionOn(int index)
{
    if (index >= 0 && index < modCarver::kSizeOptionCount) optCarver[static_cast<size_t>(index)]->setChecked(true);
}

void frmCarver::SetFileBoxText(const std::string& text) { txtCarverFileName->setText(Q(text)); }

void frmCarver::SetSizeBoxText(const std::string& text) { txtNini->setText(Q(text)); }

void frmCarver::SetFolderBoxText(const std::string& text) { txtToFolder->setText(Q(text)); }

void frmCarver::SetOptionChecks(bool batchMake, bool setDate, bool afterOpen)
{
    chkBatchMake->setChecked(batchMake);
    chkSetDate->setChecked(setDate);
    chkAfterOpen->setChecked(afterOpen);
}

int frmCarver::NiniValue() const { return -vscNini->value(); }

void frmCarver::SetNiniValue(int value) { vscNini->setValue(-value); }

// ---- Handlers ----

void frmCarver::Form_Load()
{
    modCarver::ResetWindow(*this);
    isSplitting_ = false;
    // The range is not computed here: lblAfter stays empty until the first
    // option click, size change or file browse.
    const std::string fileName = modCarver::CommandLineFileName();
    if (!fileName.empty()) txtCarverFileName->setText(Q(fileName));
}

void frmCarver::Form_KeyDown(int keyCode)
{
    if (keyCode == kEscapeKeyCode) cmdCancel_Click();
}

void frmCarver::optCarver_Click(int index)
{
    if (index != modCarver::kCustomSizeOption) {
        txtNini->setText(Q(modCarver::PresetSizeBoxText(index)));
        txtNini->setEnabled(false);
        SetNiniValue(modCarver::PresetScrollValue(index));
        vscNini->setEnabled(false);
    } else {
        txtNini->setEnabled(true);
        vscNini->setEnabled(true);
    }
    UpdatePieceRangeWhenFileNamed();
}

void frmCarver::txtNini_KeyPress(int& keyAscii)
{
    if (keyAscii != kEnterKeyAscii) return;
    ConfirmSizeBox();
    keyAscii = 0;
}

void frmCarver::txtNini_LostFocus()
{
    ConfirmSizeBox();
    UpdatePieceRangeWhenFileNamed();
}

void frmCarver::ConfirmSizeBox()
{
    const modCarver::ConfirmedSize size = modCarver::ConfirmSizeText(SizeBoxText());
    if (size.beep) ui_->Beep();
    SetNiniValue(size.value);
    txtNini->setText(Q(size.text));
}

void frmCarver::vscNini_Change()
{
    txtNini->setText(Q(FormatNumber(NiniValue(), "###,###")));
    UpdatePieceRangeWhenFileNamed();
}

void frmCarver::TextBox_GotFocus(QLineEdit& box)
{
    QtTextBox text(box);
    SelectAllText(text);
}

void frmCarver::cmdOk_Click()
{
    const std::string folder = TrimSpaces(ToFolderText());
    const std::string file = TrimSpaces(FileBoxText());
    if (folder.empty() || file.empty()) return;

    int index = modCarver::kDefaultSizeOption;
    for (int i = 0; i < modCarver::kSizeOptionCount; ++i) {
        if (SizeOptionOn(i)) {
            index = i;
            break;
        }
    }
    const double splitSize = modCarver::SplitSizeFor(index, SizeBoxText());

    const bool okHadFocus = cmdOk->hasFocus();
    isSplitting_ = true;
    cmdOk->setEnabled(false);
    cmdCancel->setText(TrQ(kCancelCaption));

    // Completed, declined, cancelled or failed: the engine has told the user,
    // and the desktop too when the user was away from a long run.
    runEndNotice_->Started(FileNameOf(file));
    modCarver::SplitFile(*this, *runEndNotice_, file, WithBackslash(folder), splitSize);
    runEndNotice_->Finished();

    isSplitting_ = false;
    cmdOk->setEnabled(true);
    cmdCancel->setText(TrQ(kCloseCaption));
    // Disabling OK moved the focus on to Close; an Enter or Space meant for
    // OK must not close the program. Asked of the window, not of the button:
    // after a message box the window may not be active again yet, and then
    // no button has the focus.
    if (okHadFocus && (focusWidget() == cmdCancel || focusWidget() == nullptr)) cmdOk->setFocus();

    if (chkAfterOpen->isChecked()) OpenFolderWindow(TrimSpaces(ToFolderText()), *shell_);
}

void frmCarver::cmdCancel_Click()
{
    if (isSplitting_) {
        // The engine notices it after the block it is writing.
        modCarver::CancelRequested = true;
        return;
    }
    close();
}

void frmCarver::cmdCarverFileName_Click()
{
    const std::string path = PickFile(*fileDialog_, *ui_, Tr("分割ﾌｧｲﾙの指定"), Tr("すべてのﾌｧｲﾙ (*.*)|*.*"), "", 1,
                                      QCoreApplication::applicationDirPath().toStdString());
    if (!path.empty()) TakeFileToSplit(path);
}

void frmCarver::TakeFileToSplit(const std::string& path)
{
    txtCarverFileName->setText(Q(path));
    modCarver::UpdatePieceRange(*this);
}

void frmCarver::cmdToFolder_Click()
{
    QtTextBox box(*txtToFolder);
    PickFolder(*folderBrowser_, box);
}

void frmCarver::UpdatePieceRangeWhenFileNamed()
{
    if (!TrimSpaces(FileBoxText()).empty()) modCarver::UpdatePieceRange(*this);
}
