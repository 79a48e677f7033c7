#include "runtime/msgbox.h"

#include <cstdio>

namespace velmo::host {

namespace {
thread_local MsgBoxPresenter presenter;

int32_t present_on_stderr(const MessageBox& box)
{
    std::fprintf(stderr, "[%s] %s\n", box.title.c_str(), box.text.c_str());
    return vbOK;
}
}  // namespace

int32_t MsgBox(std::string text, int32_t style, std::string title)
{
    MessageBox box { std::move(text), std::move(title), style };
    return presenter ? presenter(box) : present_on_stderr(box);
}

MsgBoxPresenter set_msgbox_presenter(MsgBoxPresenter next)
{
    auto previous = std::move(presenter);
    presenter = std::move(next);
    return previous;
}

MsgBoxRecorder::MsgBoxRecorder()
{
    previous_ = set_msgbox_presenter([this](const MessageBox& box) {
        boxes_.push_back(box);
        return int32_t(vbOK);
    });
}

MsgBoxRecorder::~MsgBoxRecorder() { set_msgbox_presenter(std::move(previous_)); }

}  // namespace velmo::host
