#include "platform/sdl/sdl_message_boxes.h"

#include <SDL.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "platform/encoding.h"
#include "platform/sdl/sdl_window.h"

namespace rs::platform::sdl {

namespace {

Uint32 iconFlags(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Exclamation: return SDL_MESSAGEBOX_WARNING;
        case BoxIcon::Information:
        case BoxIcon::Question: return SDL_MESSAGEBOX_INFORMATION;
        case BoxIcon::None: return 0;
    }
    return 0;
}

struct ButtonSet {
    std::vector<std::string> labels;  // UTF-8
    std::vector<SDL_MessageBoxButtonData> buttons;
};

ButtonSet buttonsFor(BoxButtons set) {
    ButtonSet out;
    auto add = [&out](int id, const char* cp932Label) {
        out.labels.push_back(cp932ToUtf8(cp932Label));
        out.buttons.push_back({0, id, nullptr});
    };
    switch (set) {
        case BoxButtons::Ok: add(kBoxOk, "OK"); break;
        case BoxButtons::OkCancel:
            add(kBoxOk, "OK");
            add(kBoxCancel, "キャンセル");
            break;
        case BoxButtons::YesNo:
            add(kBoxYes, "はい");
            add(kBoxNo, "いいえ");
            break;
    }
    for (size_t i = 0; i < out.buttons.size(); ++i) {
        SDL_MessageBoxButtonData& b = out.buttons[i];
        b.text = out.labels[i].c_str();
        if (b.buttonid == defaultBoxButton(set)) b.flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (b.buttonid == escapeBoxButton(set)) b.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    }
    return out;
}

}  // namespace

BoxAnswerHook boxAnswerHookFrom(const char* value) {
    if (!value) return BoxAnswerHook::None;
    if (std::strcmp(value, "default") == 0) return BoxAnswerHook::Default;
    if (std::strcmp(value, "cancel") == 0) return BoxAnswerHook::Cancel;
    return BoxAnswerHook::None;
}

uint32_t boxWakeEventType() {
    static const Uint32 type = SDL_RegisterEvents(1);
    return type;
}

SdlMessageBoxes::SdlMessageBoxes(std::ostream* echo, BoxAnswerHook hook)
    : echo_(echo), hook_(hook), mainThread_(std::this_thread::get_id()) {}

SdlMessageBoxes::~SdlMessageBoxes() {
    // Threads still waiting get the default answer: nobody will show their boxes any more.
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    for (Pending* p : pending_) {
        p->answer = defaultBoxButton(p->request->buttons);
        p->done = true;
    }
    pending_.clear();
    answeredCv_.notify_all();
}

int SdlMessageBoxes::show(const MessageBoxRequest& request) {
    if (std::this_thread::get_id() == mainThread_) return showHere(request);
    Pending p{&request};
    std::unique_lock<std::mutex> lock(mutex_);
    if (closing_) return defaultBoxButton(request.buttons);
    pending_.push_back(&p);
    SDL_Event wake{};
    wake.type = boxWakeEventType();
    SDL_PushEvent(&wake);
    answeredCv_.wait(lock, [&p] { return p.done; });
    return p.answer;
}

void SdlMessageBoxes::showPending() {
    for (;;) {
        Pending* p = nullptr;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (pending_.empty()) return;
            p = pending_.front();
            pending_.pop_front();
        }
        int answer = showHere(*p->request);
        std::lock_guard<std::mutex> lock(mutex_);
        p->answer = answer;
        p->done = true;
        answeredCv_.notify_all();
    }
}

int SdlMessageBoxes::showHere(const MessageBoxRequest& request) {
    ++answered_;
    if (echo_) *echo_ << boxConsoleLine(request) << std::endl;
    if (hook_ == BoxAnswerHook::Default) return defaultBoxButton(request.buttons);
    if (hook_ == BoxAnswerHook::Cancel) return escapeBoxButton(request.buttons);

    std::string title = cp932ToUtf8(request.caption);
    std::string text = cp932ToUtf8(request.text);
    ButtonSet set = buttonsFor(request.buttons);
    SDL_MessageBoxData data{};
    data.flags = iconFlags(request.icon);
    data.window = (request.ownedByWindow && owner_) ? owner_->handle() : nullptr;
    data.title = title.c_str();
    data.message = text.c_str();
    data.numbuttons = static_cast<int>(set.buttons.size());
    data.buttons = set.buttons.data();
    int cursorWas = SDL_ShowCursor(SDL_QUERY);
    SDL_ShowCursor(SDL_ENABLE);
    int chosen = -1;
    int rc = SDL_ShowMessageBox(&data, &chosen);
    if (rc != 0 && data.window) {
        // SDL's X11 box needs the X server's core fonts; without an owner SDL may also use the
        // desktop's own dialog program (zenity), which draws Japanese text with the desktop fonts.
        data.window = nullptr;
        rc = SDL_ShowMessageBox(&data, &chosen);
    }
    SDL_ShowCursor(cursorWas);
    if (rc != 0) {
        if (echo_)
            *echo_ << "runestage: the message box could not be shown: " << SDL_GetError()
                   << std::endl;
        return defaultBoxButton(request.buttons);
    }
    // Closing the box without a button (the window manager's close) counts as Escape.
    return chosen < 0 ? escapeBoxButton(request.buttons) : chosen;
}

}  // namespace rs::platform::sdl
