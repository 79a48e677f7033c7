#include "host/hidden_form.h"

#include <map>
#include <string>

#include "platform/user.h"

namespace velmo::host {

namespace {
thread_local std::map<std::string, std::shared_ptr<Form>, std::less<>> forms;

bool alive(const std::shared_ptr<Form>& form) { return form && platform::IsWindow(form->window()); }
}  // namespace

std::shared_ptr<Form> hidden_form(std::string_view kind)
{
    auto it = forms.find(kind);
    if (it != forms.end() && alive(it->second))
        return it->second;
    auto form = Form::create(0, 0);
    form->let_Caption(std::string(kind));
    forms[std::string(kind)] = form;
    return form;
}

bool hidden_form_exists(std::string_view kind)
{
    auto it = forms.find(kind);
    return it != forms.end() && alive(it->second);
}

}  // namespace velmo::host
