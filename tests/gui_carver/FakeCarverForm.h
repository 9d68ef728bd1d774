#pragma once
// The splitter window's boxes and options as plain values, for the window
// routines that need no Qt.
#include <array>
#include <string>
#include <vector>

#include "CarverForm.h"
#include "SizeTable.h"

class FakeCarverForm : public modCarver::CarverForm {
public:
    std::string fileBox;
    std::string sizeBox;
    std::string folderBox;
    std::array<bool, modCarver::kSizeOptionCount> options{};
    std::string pieceRange = "(untouched)";
    bool batchMake = true, setDate = true, afterOpen = true;
    // What the routines did, in order.
    std::vector<std::string> calls;

    std::string FileBoxText() const override { return fileBox; }
    std::string SizeBoxText() const override { return sizeBox; }
    bool SizeOptionOn(int index) const override { return options.at(static_cast<size_t>(index)); }
    void SetPieceRange(const std::string& text) override { pieceRange = text; }

    void TurnSizeOptionOn(int index) override
    {
        options = {};
        options.at(static_cast<size_t>(index)) = true;
        // The option's click writes its size, as the window does.
        sizeBox = modCarver::PresetSizeBoxText(index);
        calls.push_back("option " + std::to_string(index));
    }
    void SetFileBoxText(const std::string& text) override
    {
        fileBox = text;
        calls.push_back("file '" + text + "'");
    }
    void SetSizeBoxText(const std::string& text) override
    {
        sizeBox = text;
        calls.push_back("size '" + text + "'");
    }
    void SetFolderBoxText(const std::string& text) override
    {
        folderBox = text;
        calls.push_back("folder '" + text + "'");
    }
    void SetOptionChecks(bool b, bool d, bool a) override
    {
        batchMake = b;
        setDate = d;
        afterOpen = a;
        calls.push_back("checks");
    }

    void Choose(int index)
    {
        options = {};
        options.at(static_cast<size_t>(index)) = true;
    }
};
