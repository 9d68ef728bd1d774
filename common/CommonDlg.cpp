#include "CommonDlg.h"

#include <algorithm>

#include "CodePage.h"

using namespace std::string_literals;

namespace {

// A text as the dialog reads it from a plain text field: up to its first NUL.
std::string UpToFirstNul(const std::string& text) { return text.substr(0, text.find('\0')); }

// The first n characters of a UTF-8 text (all of it when shorter).
std::string FirstCharacters(const std::string& utf8, int64_t n)
{
    if (n <= 0) return {};
    size_t pos = 0;
    int64_t count = 0;
    while (pos < utf8.size()) {
        if ((static_cast<unsigned char>(utf8[pos]) & 0xC0) != 0x80) {
            if (count == n) break;
            ++count;
        }
        ++pos;
    }
    return utf8.substr(0, pos);
}

std::string WithoutTrailingSpaces(const std::string& text)
{
    const size_t last = text.find_last_not_of(' ');
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

}  // namespace

std::string ErrDescriptionOf(int32_t errNumber)
{
    switch (errNumber) {
    case 0: return {};
    case -32768: return "関数がﾀﾞｲｱﾛｸﾞ ﾎﾞｯｸｽをﾛｰﾄﾞできません。";
    case 20476: return "ﾒﾝﾊﾞ lpstrFile が指すﾊﾞｯﾌｧが小さすぎます。";
    case 20477: return "ﾌｧｲﾙ名が無効です。";
    case 20478: return "ﾒﾓﾘ不足のために、ﾘｽﾄ ﾎﾞｯｸｽをｻﾌﾞｸﾗｽ化できません。";
    case 24574: return "ﾌｫﾝﾄが存在しません。";
    case 28660: return "WIN.INI ﾌｧｲﾙ内の [devices] ｾｸｼｮﾝに、必要なﾌﾟﾘﾝﾀについてのｴﾝﾄﾘがありません。";
    case 28661: return "PrintDlg 関数が情報ｺﾝﾃｷｽﾄを作成できません。";
    case 28662: return "DevMode ﾃﾞｰﾀ構造と DevNames ﾃﾞｰﾀ構造のﾃﾞｰﾀが異なるﾌﾟﾘﾝﾀを指しています。";
    case 28663: return "通常使うﾌﾟﾘﾝﾀが設定されていません。";
    case 28664: return "ﾌﾟﾘﾝﾀ ﾄﾞﾗｲﾊﾞが見つかりません。";
    case 28665: return "PrintDlg 関数を初期化できません。";
    case 28666: return "ﾌﾟﾘﾝﾀ ﾄﾞﾗｲﾊﾞが DevMode ﾃﾞｰﾀ構造を初期化できません。";
    case 28667: return "PrintDlg 関数が、指定したﾌﾟﾘﾝﾀ ﾄﾞﾗｲﾊﾞをﾛｰﾄﾞできません。";
    case 28668:
    case 28671:
        return "PDReturnDefault ﾌﾗｸﾞが設定されていますが、hDevMode ﾌｨｰﾙﾄﾞまたは hDevNames ﾌｨｰﾙﾄﾞが 0 ではありません。";
    case 28669: return "CommonDialog 関数が WIN.INI の [devices] ｾｸｼｮﾝの文字列を解析できません。";
    case 28670: return "必要なﾘｿｰｽを読み込めません。";
    case 32751: return "Microsoft Windows のﾍﾙﾌﾟを呼び出せません。";
    case 32752: return "FileName ﾌﾟﾛﾊﾟﾃｨまたは Filter ﾌﾟﾛﾊﾟﾃｨにﾒﾓﾘを割り当てられません。";
    case 32755: return "[ｷｬﾝｾﾙ] ボタンが選択されました。";
    case 32757: return "関数が、ﾊﾝﾄﾞﾙに関連付けられたﾒﾓﾘをﾛｯｸできません。";
    case 32758: return "関数が、内部のﾃﾞｰﾀ構造にﾒﾓﾘを割り当てられません。";
    case 32759: return "関数が指定したﾘｿｰｽをﾛｯｸできません。";
    case 32760:
    case 32761:
        return "関数が指定したﾘｿｰｽをﾛｰﾄﾞできません。";
    case 32765: return "関数を初期化できません。";
    default: return "未知のｴﾗｰです。";
    }
}

CommonDlg::CommonDlg()
    : filter_("All Files (*.*)\0*.*\0"s), defaultExt_(1, '\0'), fileTitle_(49999, ' ')
{
}

void CommonDlg::SetFilter(const std::string& filter)
{
    std::string list = filter;
    std::replace(list.begin(), list.end(), '|', '\0');
    if (list.empty() || list.back() != '\0') list += '\0';
    filter_ = list;
}

void CommonDlg::SetFileName(const std::string& name) { fileName_ = WithoutTrailingSpaces(name); }

void CommonDlg::SetFileTitle(const std::string& title) { fileTitle_ = WithoutTrailingSpaces(title); }

void CommonDlg::SetAction(int16_t action)
{
    action_ = action;
    if (action == 1) ShowOpen();
    else if (action == 2) ShowSave();
}

FileDialogRecord CommonDlg::FilledRecord() const
{
    FileDialogRecord record;
    record.filter = filter_;
    record.filterIndex = filterIndex_;
    // The dialog gets room for MaxFileSize characters, its NUL included, so
    // a longer proposed name is cut.
    record.file = FirstCharacters(UpToFirstNul(fileName_), int64_t{maxFileSize_} - 1);
    record.fileBufferSize = maxFileSize_;
    record.fileTitle = UpToFirstNul(fileTitle_);
    record.fileTitleBufferSize = static_cast<int32_t>(CharacterCount(fileTitle_)) + 1;
    record.initialDir = UpToFirstNul(initDir_);
    record.title = UpToFirstNul(dialogTitle_);
    record.flags = flags_;
    record.defaultExt = UpToFirstNul(defaultExt_);
    return record;
}

void CommonDlg::ShowFileDialog(int16_t intDlgA)
{
    action_ = intDlgA;
    errNumber_ = 0;
    cancelButton_ = false;
    if (intDlgA != 1 && intDlgA != 2) return;
    if (form_ == nullptr) {
        // Without an owner there is no dialog to show; saying so keeps the
        // caller from taking the proposed name for a chosen one.
        errNumber_ = DialogNotLoadedErrNumber;
        return;
    }

    FileDialogRecord record = FilledRecord();
    const bool chosen = intDlgA == 1 ? form_->GetOpenFileName(record) : form_->GetSaveFileName(record);
    if (chosen) {
        fileName_ = record.file.substr(0, record.file.find("\0\0"s));
        fileTitle_ = UpToFirstNul(record.fileTitle);
    } else {
        SetExtendedError(form_->CommDlgExtendedError());
    }
}

void CommonDlg::SetExtendedError(uint32_t code)
{
    switch (code) {
    case 0:
        if (cancelError_) {
            errNumber_ = CancelledErrNumber;
            cancelButton_ = true;
        } else {
            errNumber_ = 0;
        }
        return;
    case 2: errNumber_ = 32765; return;
    case 5:
    case 7: errNumber_ = 32760; return;
    case 6: errNumber_ = 32761; return;
    case 8: errNumber_ = 32759; return;
    case 9: errNumber_ = 32758; return;
    case 10: errNumber_ = 32757; return;
    case 0x1000: errNumber_ = 28671; return;
    case 0x2001: errNumber_ = 24574; return;
    case 0x3001: errNumber_ = 20478; return;
    case 0x3002: errNumber_ = 20477; return;
    case 0x3003: errNumber_ = 20476; return;
    default: break;
    }
    if (code >= 0x1001 && code <= 0x100B) {
        // The printer codes run downwards: 0x1001 gives 28670, 0x100B gives 28660.
        errNumber_ = 28670 - static_cast<int32_t>(code - 0x1001);
        return;
    }
    errNumber_ = DialogNotLoadedErrNumber;
}
