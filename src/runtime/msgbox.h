// MsgBox: the host's modal message box, through a replaceable presenter. By default it writes the
// box to standard error and answers OK; tests install a recorder.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace velmo::host {

// The style word: buttons + icon, as the host combines them.
enum MsgBoxStyle : int32_t {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};
enum MsgBoxResult : int32_t { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

struct MessageBox {
    std::string text;
    std::string title;
    int32_t style = vbOKOnly;

    int32_t icon() const { return style & 0x70; }
    int32_t buttons() const { return style & 0x0F; }
};

using MsgBoxPresenter = std::function<int32_t(const MessageBox&)>;

// Shows the box through the calling thread's presenter and returns the button chosen.
int32_t MsgBox(std::string text, int32_t style = vbOKOnly, std::string title = "Velmo10");

// Installs a presenter for the calling thread; returns the previous one (empty = the default).
MsgBoxPresenter set_msgbox_presenter(MsgBoxPresenter presenter);

// Records every box shown on this thread while it lives, answering OK.
class MsgBoxRecorder {
public:
    MsgBoxRecorder();
    ~MsgBoxRecorder();
    MsgBoxRecorder(const MsgBoxRecorder&) = delete;
    MsgBoxRecorder& operator=(const MsgBoxRecorder&) = delete;

    const std::vector<MessageBox>& boxes() const { return boxes_; }
    void clear() { boxes_.clear(); }

private:
    std::vector<MessageBox> boxes_;
    MsgBoxPresenter previous_;
};

}  // namespace velmo::host
