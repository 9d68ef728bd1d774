#pragma once
// What modCarver's window routines (ResetWindow, CountPieces,
// UpdatePieceRange) read and write of the splitter window. frmCarver provides
// it over its widgets; tests fake it.
#include <string>

namespace modCarver {

class CarverForm {
public:
    virtual ~CarverForm() = default;

    // txtCarverFileName, txtNini and txtToFolder as they read now.
    virtual std::string FileBoxText() const = 0;
    virtual std::string SizeBoxText() const = 0;
    // Whether optCarver(index), 0 to 8, is on.
    virtual bool SizeOptionOn(int index) const = 0;

    // lblAfter: the piece range.
    virtual void SetPieceRange(const std::string& text) = 0;

    // Turns optCarver(index) on; the option's click runs as it would for the user.
    virtual void TurnSizeOptionOn(int index) = 0;
    virtual void SetFileBoxText(const std::string& text) = 0;
    virtual void SetSizeBoxText(const std::string& text) = 0;
    virtual void SetFolderBoxText(const std::string& text) = 0;
    // chkBatchMake, chkSetDate and chkAfterOpen.
    virtual void SetOptionChecks(bool batchMake, bool setDate, bool afterOpen) = 0;
};

}  // namespace modCarver
