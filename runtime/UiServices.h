#pragma once
// What the engines and windows expect of their user interface: a modal
// message box, a yield to pending window events and the warning beep.
#include <string>

// YesNo: はい and いいえ, with いいえ the default.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { Warning, Stop };
enum class MsgAnswer { Ok, Cancel, Yes, No };

class UiServices {
public:
    virtual ~UiServices() = default;
    // The text may hold CR LF line breaks. An empty caption means the
    // program's own title (Carver or Mender).
    virtual MsgAnswer MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                 const std::string& caption = {}) = 0;
    // Lets pending window events run once; the window's handlers run nested.
    virtual void Yield() = 0;
    virtual void Beep() = 0;
};

// Line breaks inside message texts.
inline constexpr const char* kCrLf = "\r\n";
