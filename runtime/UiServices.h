#pragma once
// What the engines and windows expect of their user interface: a modal
// message box, the failure message, a yield to pending window events and the
// warning beep.
#include <string>

#include "Files.h"
#include "Translation.h"

// YesNo: はい/いいえ with いいえ the default (and the answer to Esc).
enum class MsgButtons { Ok, OkCancel, YesNoCancel, YesNo };
enum class MsgIcon { Warning, Stop };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// Line breaks inside message texts.
inline constexpr const char* kCrLf = "\r\n";

class UiServices {
public:
    virtual ~UiServices() = default;
    // The text may hold CR LF line breaks. An empty caption means the
    // program's own title (Carver or Mender).
    virtual MsgAnswer MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                 const std::string& caption = {}) = 0;
    // The failure message of a run: firstLine, then the system's description
    // of the cause, with OK only and the stop icon. A terminal prints it as one
    // line that names the program and the cause's file instead. Texts reach
    // these two as the engines hold them (Japanese); a user interface shows
    // them translated (Tr), the composed ones already are.
    virtual void ShowFailure(const std::string& firstLine, const IoStatus& cause)
    {
        MessageBox(Tr(firstLine) + kCrLf + Tr(cause.Description()), MsgButtons::Ok, MsgIcon::Stop);
    }
    // Lets pending window events run once; the window's handlers run nested.
    virtual void Yield() = 0;
    virtual void Beep() = 0;

    // Disk by disk on a removable drive. A window has nothing to add to what
    // the desktop shows; a terminal says how to unmount the disk before the
    // question for the next one, and where the next one was found.
    // Everything written on the volume of this block device is on the device.
    virtual void DiskCanBeRemoved(const std::string& /*device*/) {}
    // The folder on the disk that the last disk question was answered with.
    virtual void DiskFoundAt(const std::string& /*folder*/) {}
    // Before the disk-space question: the bytes free on the disk and the bytes
    // the piece needs (the question itself says neither).
    virtual void DiskRoomShort(double /*freeBytes*/, double /*neededBytes*/) {}
};
