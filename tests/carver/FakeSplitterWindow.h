#pragma once
// A splitter window for tests: records what the engine shows and answers the
// option boxes as the test sets them.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "SplitterWindow.h"

class FakeProgressBox : public ProgressBox {
public:
    bool visible = false;
    int shows = 0;
    int hides = 0;
    std::vector<ProgressPicture> paints;

    void Show() override
    {
        visible = true;
        ++shows;
    }
    void Hide() override
    {
        visible = false;
        ++hides;
    }
    double Width() const override { return 300; }
    double Height() const override { return 13; }
    double TextWidth(const std::string& text) const override { return 7.0 * static_cast<double>(text.size()); }
    double TextHeight(const std::string&) const override { return 12; }
    void Paint(const ProgressPicture& picture) override { paints.push_back(picture); }
};

class FakeSplitterWindow : public SplitterWindow {
public:
    bool setDate = false;
    bool batchMake = false;
    // Off unless a test asks, so the other tests see the sets they describe.
    bool manifest = false;
    std::string toFolderText;
    std::function<bool()> setDateNow;  // overrides setDate when set

    std::string pieceRange = "(untouched)";
    std::string statusText = "(untouched)";
    std::vector<std::string> pieceRanges;  // every caption given to lblAfter
    std::vector<std::string> statusTexts;  // every text given to the status panel
    FakeProgressBox box;

    void SetPieceRange(const std::string& text) override
    {
        pieceRange = text;
        pieceRanges.push_back(text);
    }
    ProgressBox& StatusBox() override { return box; }
    void SetStatusText(const std::string& text) override
    {
        statusText = text;
        statusTexts.push_back(text);
    }
    bool SetDateChecked() override { return setDateNow ? setDateNow() : setDate; }
    bool BatchMakeChecked() override { return batchMake; }
    bool ManifestWanted() override { return manifest; }
    std::string ToFolderText() override { return toFolderText; }

    std::optional<modCarver::RecoveryRequest> recovery;
    int recoveryStops = 0;
    std::optional<modCarver::RecoveryRequest> RecoveryWanted() override { return recovery; }
    void RecoveryStopped() override { ++recoveryStops; }
};
