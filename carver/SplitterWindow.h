#pragma once
// The elements of the splitter window that the split engine works on, and
// nothing more. The Qt window, the command-line front end and the tests each
// provide them.
#include <cstdint>
#include <optional>
#include <string>

#include "ProgressPicture.h"
#include "RecoveryData.h"

class SplitterWindow {
public:
    virtual ~SplitterWindow() = default;
    // lblAfter: the piece range, for example "*.001～*.003"; empty to clear it.
    virtual void SetPieceRange(const std::string& text) = 0;
    // picStatus: shown, painted and hidden by the engine.
    virtual ProgressBox& StatusBox() = 0;
    // The second panel of sbrStatus.
    virtual void SetStatusText(const std::string& text) = 0;
    // chkSetDate: give the written files the source's times.
    virtual bool SetDateChecked() = 0;
    // chkBatchMake: write the join batch file.
    virtual bool BatchMakeChecked() = 0;
    // Write NAME.sha256 beside the pieces of every disk.
    virtual bool ManifestWanted() = 0;
    // The text of txtToFolder as it reads now (read only when a disk is formatted).
    virtual std::string ToFolderText() = 0;

    // A split cancelled by the user with `written` whole pieces in `folder`;
    // a terminal says so, a window shows what is there anyway.
    virtual void SplitStopped(int64_t /*written*/, int64_t /*count*/, const std::string& /*folder*/) {}

    // PAR2 recovery data to write with the pieces; the window never asks for it.
    virtual std::optional<modCarver::RecoveryRequest> RecoveryWanted() { return std::nullopt; }
    // Every piece is written, but the recovery data was stopped short.
    virtual void RecoveryStopped() {}
};
