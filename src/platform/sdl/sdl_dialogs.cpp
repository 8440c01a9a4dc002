#include "platform/sdl/sdl_dialogs.h"

#include <SDL.h>
#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <ostream>

#include "platform/encoding.h"
#include "platform/sdl/imgui_renderer.h"
#include "platform/sdl/sdl_presenter.h"
#include "platform/sdl/sdl_window.h"
#include "platform/stop_signals.h"

namespace rs::platform::sdl {

namespace {

// The text of dialogs: seven dialog units high.
constexpr int32_t kFontUnits = 7;
// Frames drawn after a dialog opens before it takes pointer input: its windows have a place.
constexpr int32_t kSettleFrames = 2;
// How long an idle dialog waits for an event before drawing again.
constexpr int kIdleWaitMs = 100;

ImU32 rgba(uint32_t argb) {
    return IM_COL32((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, argb >> 24);
}

ImVec2 v2(float x, float y) { return ImVec2(x, y); }

// The code points of UTF-8 text (of the Basic Multilingual Plane, as the atlas holds them).
void addCodePoints(const std::string& utf8, std::set<uint32_t>& out) {
    size_t i = 0;
    while (i < utf8.size()) {
        auto b = static_cast<uint8_t>(utf8[i]);
        size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 4;
        uint32_t c = n == 1 ? b : b & (0x7F >> n);
        for (size_t k = 1; k < n && i + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
        i += n;
        if (c >= 0x20 && c <= 0xFFFF) out.insert(c);
    }
}

std::string boxButtonLabel(int id) {
    switch (id) {
        case kBoxOk: return "OK";
        case kBoxCancel: return cp932ToUtf8("キャンセル");
        case kBoxYes: return cp932ToUtf8("はい");
        case kBoxNo: return cp932ToUtf8("いいえ");
    }
    return "?";
}

std::vector<int> boxButtons(BoxButtons set) {
    switch (set) {
        case BoxButtons::Ok: return {kBoxOk};
        case BoxButtons::OkCancel: return {kBoxOk, kBoxCancel};
        case BoxButtons::YesNo: return {kBoxYes, kBoxNo};
    }
    return {kBoxOk};
}

}  // namespace

// What the modal loop shows: a dialog or a message box.
class SdlDialogs::Modal {
  public:
    virtual ~Modal() = default;
    // The texts it shows (UTF-8), for the font atlas.
    virtual std::vector<std::string> texts() const = 0;
    // Draws it inside an ImGui frame; `active` is false while a box above it is up.
    virtual void draw(SdlDialogs& owner, bool active) = 0;
    virtual void onKey(int32_t keycode) = 0;
    // Escape, the close box, a stop signal.
    virtual void cancel() = 0;
    // A file or folder dropped on the window (its host path).
    virtual void onDrop(const std::string& /*path*/) {}
    virtual bool finished() const = 0;
};

namespace {

class DialogModal final : public SdlDialogs::Modal {
  public:
    DialogModal(Dialog& dialog, DialogProcedure& procedure, int64_t serial)
        : dialog_(dialog),
          procedure_(procedure),
          serial_(serial),
          name_("###dialog" + std::to_string(serial)) {}

    std::vector<std::string> texts() const override {
        std::vector<std::string> out{dialog_.shown(dialog_.caption)};
        for (const DialogControl& c : dialog_.controls) {
            out.push_back(dialog_.shown(c.text));
            for (const std::string& item : c.items) out.push_back(dialog_.shown(item));
        }
        return out;
    }

    void draw(SdlDialogs& owner, bool active) override;

    void onKey(int32_t key) override {
        switch (key) {
            case SDLK_RETURN:
            case SDLK_KP_ENTER: finish(pressReturn(dialog_, procedure_)); break;
            case SDLK_ESCAPE: cancel(); break;
            case SDLK_UP: moveSelection(-1); break;
            case SDLK_DOWN: moveSelection(1); break;
            case SDLK_PAGEUP: moveSelection(-10); break;
            case SDLK_PAGEDOWN: moveSelection(10); break;
            case SDLK_HOME: moveSelection(-1000000); break;
            case SDLK_END: moveSelection(1000000); break;
            default: break;
        }
    }

    void cancel() override { finish(pressEscape(dialog_, procedure_)); }
    bool finished() const override { return result_.has_value(); }
    int32_t result() const { return result_.value_or(kDialogCancel); }

    // A path dropped on the window goes into the dialog's text field, when it has one.
    void onDrop(const std::string& path) override {
        for (DialogControl& c : dialog_.controls) {
            if (c.kind != ControlKind::Edit || !c.visible || !c.enabled) continue;
            c.text = dialog_.utf8 ? path : utf8ToCp932Lossy(path);
            return;
        }
    }

    // Pixel rectangles of the last frame.
    std::map<int32_t, PixelRect> controlRects;
    std::map<std::pair<int32_t, int32_t>, PixelRect> itemRects;

  private:
    void finish(std::optional<int32_t> result) {
        if (result) result_ = result;
    }
    // Arrow keys move the selection of the dialog's list box.
    void moveSelection(int32_t by) {
        for (DialogControl& c : dialog_.controls) {
            if (c.kind != ControlKind::ListBox || !c.visible || !c.enabled) continue;
            int32_t from = c.selected < 0 ? (by > 0 ? -1 : 0) : c.selected;
            int64_t to = int64_t{from} + by;
            to = std::clamp<int64_t>(to, 0, static_cast<int64_t>(c.items.size()) - 1);
            finish(selectItem(dialog_, procedure_, c.id, static_cast<int32_t>(to)));
            scrollTo_ = c.id;
            return;
        }
    }

    Dialog& dialog_;
    DialogProcedure& procedure_;
    int64_t serial_;
    std::string name_;
    std::optional<int32_t> result_;
    std::map<std::string, std::string> utf8_;
    int32_t scrollTo_ = -2;  // -2: the first frame scrolls every list to its selection
    // The text fields' buffers (UTF-8) and the control text each was last filled from.
    struct EditBuffer {
        std::vector<char> bytes;
        std::string from;
        int32_t generation = 0;
        bool active = false;       // it had the keyboard in the last frame
        bool cursorToEnd = false;  // given the keyboard again: the cursor goes after the text
    };
    std::map<int32_t, EditBuffer> edits_;
    bool firstFrame_ = true;

    const char* utf8(const std::string& text) {
        auto it = utf8_.find(text);
        if (it == utf8_.end()) it = utf8_.emplace(text, dialog_.shown(text)).first;
        return it->second.c_str();
    }
    void drawEdit(DialogControl& c, ImVec2 extent);
};

class BoxModal final : public SdlDialogs::Modal {
  public:
    BoxModal(const MessageBoxRequest& request, int64_t serial)
        : request_(request),
          caption_(cp932ToUtf8(request.caption)),
          text_(cp932ToUtf8(request.text)),
          name_("###box" + std::to_string(serial)) {}

    std::vector<std::string> texts() const override {
        std::vector<std::string> out{caption_, text_};
        for (int id : boxButtons(request_.buttons)) out.push_back(boxButtonLabel(id));
        return out;
    }

    void draw(SdlDialogs& owner, bool active) override;

    void onKey(int32_t key) override {
        if (key == SDLK_RETURN || key == SDLK_KP_ENTER)
            answer_ = defaultBoxButton(request_.buttons);
        if (key == SDLK_ESCAPE) cancel();
    }
    void cancel() override { answer_ = escapeBoxButton(request_.buttons); }
    bool finished() const override { return answer_ != 0; }
    int answer() const { return answer_; }

    std::map<int, PixelRect> buttonRects;

    // The size the box takes, from its texts in the current font.
    static ImVec2 measure(ImFont* font, float size, const std::string& caption,
                          const std::string& text, int buttons) {
        ImVec2 t = font->CalcTextSizeA(size, FLT_MAX, 0.0f, text.c_str());
        ImVec2 c = font->CalcTextSizeA(size, FLT_MAX, 0.0f, caption.c_str());
        float buttonRow = buttons * size * 6.5f;
        float width = std::max({t.x + size * 4, c.x + size * 3, buttonRow + size * 2});
        float height = t.y + size * 6;
        return ImVec2(width, height);
    }

  private:
    const MessageBoxRequest& request_;
    std::string caption_;
    std::string text_;
    std::string name_;
    int answer_ = 0;
};

// Where a dialog of this size lies in the client area: centred, never above or left of it.
ImVec2 dialogOrigin(SizeInPixels dialog, SizeInPixels client) {
    return v2(static_cast<float>(std::max(0, (client.width - dialog.width) / 2)),
              static_cast<float>(std::max(0, (client.height - dialog.height) / 2)));
}

void DialogModal::draw(SdlDialogs& owner, bool active) {
    int32_t scale = owner.interfaceScale();
    float unit = static_cast<float>(kDialogUnitPixels * scale);
    SizeInPixels size = dialogPixelSize(dialog_, scale);
    ImVec2 origin = dialogOrigin(size, {static_cast<int32_t>(ImGui::GetIO().DisplaySize.x),
                                        static_cast<int32_t>(ImGui::GetIO().DisplaySize.y)});
    float caption = kDialogCaptionUnits * unit;
    ImGui::SetNextWindowPos(origin);
    ImGui::SetNextWindowSize(v2(static_cast<float>(size.width), static_cast<float>(size.height)));
    if (active) ImGui::SetNextWindowFocus();
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, v2(0, 0));
    ImGuiWindowFlags flags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                             ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
                             ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse;
    std::string title = utf8(dialog_.caption) + name_;
    ImGui::Begin(title.c_str(), nullptr, flags);
    ImGui::PopStyleVar();
    ImGui::BeginDisabled(!active);
    ImDrawList* draw = ImGui::GetWindowDrawList();
    ImVec2 windowPos = ImGui::GetWindowPos();
    std::optional<int32_t> clicked;
    std::optional<std::pair<int32_t, int32_t>> picked;
    bool doubleClicked = false;
    for (size_t i = 0; i < dialog_.controls.size(); ++i) {
        DialogControl& c = dialog_.controls[i];
        if (!c.visible) continue;
        ImVec2 at = v2(c.rect.x * unit, caption + c.rect.y * unit);
        ImVec2 extent = v2(c.rect.width * unit, c.rect.height * unit);
        controlRects[c.id] = {static_cast<int32_t>(windowPos.x + at.x),
                              static_cast<int32_t>(windowPos.y + at.y),
                              static_cast<int32_t>(extent.x), static_cast<int32_t>(extent.y)};
        ImGui::PushID(static_cast<int>(i));
        ImGui::BeginDisabled(!c.enabled);
        ImGui::SetCursorPos(at);
        switch (c.kind) {
            case ControlKind::Picture:
            case ControlKind::Text:
                if (SDL_Texture* t =
                        owner.pictureTexture(serial_ * 4096 + static_cast<int64_t>(i), c.picture)) {
                    ImGui::Image(t, extent);
                } else if (c.kind == ControlKind::Text) {
                    ImGui::PushTextWrapPos(at.x + extent.x);
                    ImGui::TextUnformatted(utf8(c.text));
                    ImGui::PopTextWrapPos();
                }
                break;
            case ControlKind::GroupBox: {
                // A light panel keeps the choices readable over the background picture.
                ImVec2 a = v2(windowPos.x + at.x, windowPos.y + at.y + ImGui::GetFontSize() / 2);
                ImVec2 b = v2(windowPos.x + at.x + extent.x, windowPos.y + at.y + extent.y);
                draw->AddRectFilled(a, b, rgba(0xD8F0F0F0u), 3.0f);
                draw->AddRect(a, b, rgba(0xFF8090A8u), 3.0f);
                ImVec2 label = v2(windowPos.x + at.x + 3 * unit, windowPos.y + at.y);
                ImVec2 labelSize = ImGui::CalcTextSize(utf8(c.text));
                draw->AddRectFilled(v2(label.x - unit, label.y),
                                    v2(label.x + labelSize.x + unit, label.y + labelSize.y),
                                    rgba(0xFFF0F0F0u), 2.0f);
                draw->AddText(label, rgba(0xFF000000u), utf8(c.text));
                break;
            }
            case ControlKind::RadioButton:
                if (ImGui::RadioButton(utf8(c.text), c.checked)) clicked = c.id;
                break;
            case ControlKind::CheckBox: {
                bool value = c.checked;
                if (ImGui::Checkbox(utf8(c.text), &value)) clicked = c.id;
                break;
            }
            case ControlKind::DefaultButton:
            case ControlKind::PushButton: {
                bool isDefault = c.kind == ControlKind::DefaultButton;
                if (isDefault) {
                    ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 2.0f);
                    ImGui::PushStyleColor(ImGuiCol_Border, rgba(0xFF0060C0u));
                }
                if (ImGui::Button(utf8(c.text), extent)) clicked = c.id;
                if (isDefault) {
                    ImGui::PopStyleColor();
                    ImGui::PopStyleVar();
                }
                break;
            }
            case ControlKind::ListBox:
                if (ImGui::BeginListBox("##list", extent)) {
                    for (size_t n = 0; n < c.items.size(); ++n) {
                        bool selected = static_cast<int32_t>(n) == c.selected;
                        ImGui::PushID(static_cast<int>(n));
                        if (ImGui::Selectable(utf8(c.items[n]), selected,
                                              ImGuiSelectableFlags_AllowDoubleClick)) {
                            picked = std::make_pair(c.id, static_cast<int32_t>(n));
                            doubleClicked = ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left);
                        }
                        ImVec2 lo = ImGui::GetItemRectMin(), hi = ImGui::GetItemRectMax();
                        itemRects[{c.id, static_cast<int32_t>(n)}] = {
                            static_cast<int32_t>(lo.x), static_cast<int32_t>(lo.y),
                            static_cast<int32_t>(hi.x - lo.x), static_cast<int32_t>(hi.y - lo.y)};
                        if (selected && (scrollTo_ == -2 || scrollTo_ == c.id))
                            ImGui::SetScrollHereY(0.5f);
                        ImGui::PopID();
                    }
                    ImGui::EndListBox();
                }
                break;
            case ControlKind::Edit: drawEdit(c, extent); break;
        }
        ImGui::EndDisabled();
        ImGui::PopID();
    }
    scrollTo_ = -1;
    firstFrame_ = false;
    ImGui::EndDisabled();
    ImGui::End();
    // The procedure runs after the frame's controls: it may change them.
    if (clicked) finish(clickControl(dialog_, procedure_, *clicked));
    if (picked && doubleClicked) {
        finish(doubleClickItem(dialog_, procedure_, picked->first, picked->second));
    } else if (picked) {
        finish(selectItem(dialog_, procedure_, picked->first, picked->second));
    }
}

// Paths are the longest texts typed into a field.
constexpr size_t kEditBytes = 4096;

void DialogModal::drawEdit(DialogControl& c, ImVec2 extent) {
    EditBuffer& buffer = edits_[c.id];
    bool refocus = false;
    if (buffer.bytes.empty() || buffer.from != c.text) {
        // New, or changed by the procedure or a drop: the field shows it. A field being edited
        // keeps its own copy of the text, so the changed one is a new field (a new id), which
        // keeps the keyboard when the old one had it.
        std::string shown = dialog_.shown(c.text);
        buffer.bytes.assign(kEditBytes, '\0');
        std::copy_n(shown.begin(), std::min(shown.size(), kEditBytes - 1), buffer.bytes.begin());
        buffer.from = c.text;
        ++buffer.generation;
        refocus = buffer.active;
        buffer.cursorToEnd = refocus;
    }
    // An empty field takes the keyboard when the dialog opens: the player can type at once.
    if ((firstFrame_ && buffer.bytes[0] == '\0') || refocus) ImGui::SetKeyboardFocusHere();
    ImGui::SetNextItemWidth(extent.x);
    std::string id = "##edit" + std::to_string(buffer.generation);
    // A field given the keyboard selects its whole text; after a drop the player goes on at its
    // end instead.
    auto toEnd = [](ImGuiInputTextCallbackData* data) {
        auto* b = static_cast<EditBuffer*>(data->UserData);
        if (b->cursorToEnd) {
            data->CursorPos = data->SelectionStart = data->SelectionEnd = data->BufTextLen;
            b->cursorToEnd = false;
        }
        return 0;
    };
    ImGuiInputTextFlags flags = buffer.cursorToEnd ? ImGuiInputTextFlags_CallbackAlways : 0;
    if (ImGui::InputText(id.c_str(), buffer.bytes.data(), buffer.bytes.size(), flags, toEnd,
                         &buffer)) {
        std::string typed(buffer.bytes.data());
        c.text = dialog_.utf8 ? typed : utf8ToCp932Lossy(typed);
        buffer.from = c.text;
    }
    buffer.active = ImGui::IsItemActive();
}

void BoxModal::draw(SdlDialogs&, bool active) {
    ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(v2(io.DisplaySize.x / 2, io.DisplaySize.y / 2), ImGuiCond_Always,
                            v2(0.5f, 0.5f));
    if (active) ImGui::SetNextWindowFocus();
    ImGuiWindowFlags flags = ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove |
                             ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings;
    float em = ImGui::GetFontSize();
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, v2(em * 1.2f, em));
    ImGui::Begin((caption_ + name_).c_str(), nullptr, flags);
    ImGui::BeginDisabled(!active);
    ImGui::Dummy(v2(0, em * 0.3f));
    ImGui::TextUnformatted(text_.c_str());
    ImGui::Dummy(v2(0, em * 0.6f));
    std::vector<int> buttons = boxButtons(request_.buttons);
    float width = em * 5.5f;
    float row = buttons.size() * width + (buttons.size() - 1) * em * 0.5f;
    float right = ImGui::GetWindowContentRegionMax().x;
    ImGui::SetCursorPosX(std::max(ImGui::GetCursorPosX(), right - row));
    for (size_t i = 0; i < buttons.size(); ++i) {
        int id = buttons[i];
        if (i > 0) ImGui::SameLine(0, em * 0.5f);
        bool isDefault = id == defaultBoxButton(request_.buttons);
        if (isDefault) {
            ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 2.0f);
            ImGui::PushStyleColor(ImGuiCol_Border, rgba(0xFF0060C0u));
        }
        std::string label = boxButtonLabel(id) + "##" + std::to_string(id);
        if (ImGui::Button(label.c_str(), v2(width, em * 1.8f))) answer_ = id;
        if (isDefault) {
            ImGui::PopStyleColor();
            ImGui::PopStyleVar();
        }
        ImVec2 lo = ImGui::GetItemRectMin(), hi = ImGui::GetItemRectMax();
        buttonRects[id] = {static_cast<int32_t>(lo.x), static_cast<int32_t>(lo.y),
                           static_cast<int32_t>(hi.x - lo.x), static_cast<int32_t>(hi.y - lo.y)};
    }
    ImGui::EndDisabled();
    ImGui::End();
    ImGui::PopStyleVar();
}

}  // namespace

SdlDialogs::SdlDialogs(SdlWindow& window, SdlPresenter& presenter, std::ostream* echo,
                       BoxAnswerHook hook)
    : window_(window), presenter_(presenter), echo_(echo), hook_(hook) {}

SdlDialogs::~SdlDialogs() {
    if (!context_) return;
    ImGui::SetCurrentContext(context_);
    renderer_.reset();
    ImGui::DestroyContext(context_);
    if (clipboard_) SDL_free(clipboard_);
}

void SdlDialogs::setFontFile(std::optional<FontFile> file) {
    fontFile_ = std::move(file);
    fontLooked_ = true;
    atlasBuilt_ = false;
}

int32_t SdlDialogs::interfaceScale() const {
    return platform::interfaceScale(window_.usableArea());
}

double SdlDialogs::pixelsPerPoint() const { return window_.pixelsPerPoint(); }

bool SdlDialogs::ensureContext() {
    if (context_) {
        ImGui::SetCurrentContext(context_);
        return true;
    }
    context_ = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    // Text fields hear the editing keys by their scan codes.
    const std::pair<ImGuiKey, SDL_Scancode> keys[] = {
        {ImGuiKey_LeftArrow, SDL_SCANCODE_LEFT},
        {ImGuiKey_RightArrow, SDL_SCANCODE_RIGHT},
        {ImGuiKey_UpArrow, SDL_SCANCODE_UP},
        {ImGuiKey_DownArrow, SDL_SCANCODE_DOWN},
        {ImGuiKey_PageUp, SDL_SCANCODE_PAGEUP},
        {ImGuiKey_PageDown, SDL_SCANCODE_PAGEDOWN},
        {ImGuiKey_Home, SDL_SCANCODE_HOME},
        {ImGuiKey_End, SDL_SCANCODE_END},
        {ImGuiKey_Insert, SDL_SCANCODE_INSERT},
        {ImGuiKey_Delete, SDL_SCANCODE_DELETE},
        {ImGuiKey_Backspace, SDL_SCANCODE_BACKSPACE},
        {ImGuiKey_Space, SDL_SCANCODE_SPACE},
        {ImGuiKey_Enter, SDL_SCANCODE_RETURN},
        {ImGuiKey_Escape, SDL_SCANCODE_ESCAPE},
        {ImGuiKey_KeyPadEnter, SDL_SCANCODE_KP_ENTER},
        {ImGuiKey_A, SDL_SCANCODE_A},
        {ImGuiKey_C, SDL_SCANCODE_C},
        {ImGuiKey_V, SDL_SCANCODE_V},
        {ImGuiKey_X, SDL_SCANCODE_X},
        {ImGuiKey_Y, SDL_SCANCODE_Y},
        {ImGuiKey_Z, SDL_SCANCODE_Z},
    };
    for (const auto& [key, code] : keys) io.KeyMap[key] = code;
    // The desktop's clipboard: a path copied from the file manager can be pasted.
    io.ClipboardUserData = this;
    io.SetClipboardTextFn = [](void*, const char* text) { SDL_SetClipboardText(text); };
    io.GetClipboardTextFn = [](void* self) -> const char* {
        auto* dialogs = static_cast<SdlDialogs*>(self);
        if (dialogs->clipboard_) SDL_free(dialogs->clipboard_);
        dialogs->clipboard_ = SDL_GetClipboardText();
        return dialogs->clipboard_;
    };
    ImGui::StyleColorsLight();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = 4.0f;
    style.FrameRounding = 3.0f;
    style.WindowBorderSize = 1.0f;
    style.FrameBorderSize = 1.0f;
    style.Colors[ImGuiCol_WindowBg] = ImGui::ColorConvertU32ToFloat4(rgba(0xFFF0F0F0u));
    style.Colors[ImGuiCol_TitleBgActive] = ImGui::ColorConvertU32ToFloat4(rgba(0xFF2D4F86u));
    style.Colors[ImGuiCol_TitleBg] = ImGui::ColorConvertU32ToFloat4(rgba(0xFF6B7A94u));
    style.Colors[ImGuiCol_Text] = ImGui::ColorConvertU32ToFloat4(rgba(0xFF000000u));
    renderer_ = std::make_unique<ImGuiRenderer>(window_.renderer());
    return true;
}

bool SdlDialogs::ensureGlyphs(const std::vector<std::string>& texts) {
    ensureContext();
    if (!fontLooked_) {
        fontFile_ = dialogFontFile();
        fontLooked_ = true;
    }
    if (!fontFile_) return false;
    std::set<uint32_t> wanted = glyphs_;
    for (uint32_t c = 0x20; c < 0x7F; ++c) wanted.insert(c);
    for (const std::string& t : texts) addCodePoints(t, wanted);
    if (atlasBuilt_ && wanted == glyphs_) return true;
    glyphs_ = std::move(wanted);
    // The atlas holds just the characters shown: building it is quick, and it grows when a later
    // dialog shows new ones.
    ranges_.clear();
    for (uint32_t c : glyphs_) {
        if (!ranges_.empty() && uint32_t{ranges_.back()} + 1 == c) {
            ranges_.back() = static_cast<uint16_t>(c);
        } else {
            ranges_.push_back(static_cast<uint16_t>(c));
            ranges_.push_back(static_cast<uint16_t>(c));
        }
    }
    ranges_.push_back(0);
    ImGuiIO& io = ImGui::GetIO();
    io.Fonts->Clear();
    ImFontConfig config;
    config.FontNo = fontFile_->index;
    config.OversampleH = 2;
    float size = static_cast<float>(kFontUnits * kDialogUnitPixels * interfaceScale());
    ImFont* font = io.Fonts->AddFontFromFileTTF(fontFile_->path.c_str(), size, &config,
                                                reinterpret_cast<const ImWchar*>(ranges_.data()));
    if (!font || !io.Fonts->Build() || !renderer_->uploadFontAtlas()) {
        // A face that cannot be used: dialogs are left to the callers' fall-backs.
        io.Fonts->Clear();
        fontFile_.reset();
        atlasBuilt_ = false;
        return false;
    }
    ImGuiStyle& style = ImGui::GetStyle();
    float captionPixels =
        static_cast<float>(kDialogCaptionUnits * kDialogUnitPixels * interfaceScale());
    style.FramePadding.y = std::max(1.0f, (captionPixels - size) / 2);
    atlasBuilt_ = true;
    return true;
}

bool SdlDialogs::canShowBox(const MessageBoxRequest& request) {
    if (!window_.shown() || window_.minimised()) return false;
    BoxModal probe(request, 0);
    if (!ensureGlyphs(probe.texts())) return false;
    ImFont* font = ImGui::GetIO().Fonts->Fonts.empty() ? nullptr : ImGui::GetIO().Fonts->Fonts[0];
    if (!font) return false;
    ImVec2 need = BoxModal::measure(font, font->FontSize, cp932ToUtf8(request.caption),
                                    cp932ToUtf8(request.text),
                                    static_cast<int>(boxButtons(request.buttons).size()));
    SizeInPixels client = window_.clientSize();
    return need.x <= client.width && need.y <= client.height;
}

int SdlDialogs::showBox(const MessageBoxRequest& request) {
    BoxModal modal(request, modalsShown_ + 1);
    runModal(modal);
    return modal.answer();
}

int32_t SdlDialogs::run(Dialog& dialog, DialogProcedure& procedure) {
    int32_t result;
    if (hook_ != BoxAnswerHook::None) {
        std::optional<int32_t> answer;
        if (hook_ == BoxAnswerHook::Cancel) answer = kDialogCancel;
        result = answerUnattended(dialog, procedure, answer);
    } else {
        DialogModal modal(dialog, procedure, modalsShown_ + 1);
        if (!ensureGlyphs(modal.texts())) {
            // No face to draw it with: the dialog is taken as it stands.
            std::fputs("runestage: no Japanese font for the dialog; its choices are taken\n",
                       stderr);
            result = answerUnattended(dialog, procedure, std::nullopt);
        } else {
            runModal(modal);
            result = modal.result();
        }
    }
    if (echo_) *echo_ << dialogConsoleLine(dialog, result) << std::endl;
    return result;
}

int SdlDialogs::runModal(Modal& modal) {
    ensureContext();
    ensureGlyphs(modal.texts());
    ++modalsShown_;
    stack_.push_back(&modal);
    settleFrames_ = kSettleFrames;
    int redraw = 2;
    int cursorWas = SDL_ShowCursor(SDL_QUERY);
    SDL_ShowCursor(SDL_ENABLE);
    while (!modal.finished()) {
        SDL_Event event;
        bool any = false;
        while (!modal.finished() && SDL_PollEvent(&event)) {
            handleEvent(event, modal);
            any = true;
        }
        if (stopSignalPending()) modal.cancel();
        if (background_) background_();
        if (modal.finished()) break;
        if (any || !input_.empty()) redraw = 2;
        drawFrame();
        if (redraw > 0) {
            --redraw;
        } else if (input_.empty()) {
            SDL_WaitEventTimeout(nullptr, kIdleWaitMs);
        }
    }
    stack_.pop_back();
    SDL_ShowCursor(cursorWas);
    input_.clear();
    if (stack_.empty()) {
        // What the engine's window procedure must still see, in the order it came.
        for (SDL_Event& e : deferred_) SDL_PushEvent(&e);
        deferred_.clear();
        renderer_->dropPictures();
        presenter_.drawScene();
        SDL_RenderPresent(window_.renderer());
    }
    return 0;
}

void SdlDialogs::handleEvent(const SDL_Event& event, Modal& top) {
    uint32_t id = window_.id();
    switch (event.type) {
        case SDL_QUIT:
            top.cancel();
            deferred_.push_back(event);
            return;
        case SDL_WINDOWEVENT:
            if (event.window.windowID == id && event.window.event == SDL_WINDOWEVENT_CLOSE) {
                top.cancel();
                return;
            }
            deferred_.push_back(event);
            return;
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            presenter_.restoreTextures();
            renderer_->restore();
            deferred_.push_back(event);
            return;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            // The game hears of a release too: a key held before the dialog is let go.
            if (event.type == SDL_KEYUP) deferred_.push_back(event);
            if (event.key.windowID != id) return;
            // Escape ends the dialog at once. While a text field has the keyboard the other keys
            // edit it, and Return waits until what was typed before it is in the field.
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) {
                top.onKey(SDLK_ESCAPE);
            } else if (ImGui::GetIO().WantTextInput || !input_.empty()) {
                input_.push_back(event);
            } else if (event.type == SDL_KEYDOWN) {
                top.onKey(event.key.keysym.sym);
            }
            return;
        case SDL_TEXTINPUT:
            if (event.text.windowID == id && ImGui::GetIO().WantTextInput) input_.push_back(event);
            return;
        case SDL_TEXTEDITING: return;
        case SDL_DROPFILE:
        case SDL_DROPTEXT:
            if (event.drop.file) {
                top.onDrop(event.drop.file);
                SDL_free(event.drop.file);
            }
            return;
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEWHEEL:
            if (event.motion.windowID == id) input_.push_back(event);
            return;
        case SDL_MOUSEBUTTONUP:
            if (event.button.windowID == id) input_.push_back(event);
            // The game hears of the release too: a button held before the dialog is let go.
            deferred_.push_back(event);
            return;
        default:
            if (event.type == boxWakeEventType()) {
                // Boxes of other threads are shown by the background work.
                return;
            }
            deferred_.push_back(event);
            return;
    }
}

void SdlDialogs::applyInput() {
    ImGuiIO& io = ImGui::GetIO();
    if (settleFrames_ > 0) {
        --settleFrames_;
        return;
    }
    double k = pixelsPerPoint();
    // One button or key change a frame: a press and its release in the same frame would be lost.
    size_t used = 0;
    for (; used < input_.size(); ++used) {
        const SDL_Event& e = input_[used];
        if (e.type == SDL_TEXTINPUT) {
            io.AddInputCharactersUTF8(e.text.text);
        } else if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) {
            SDL_Keycode sym = e.key.keysym.sym;
            bool down = e.type == SDL_KEYDOWN;
            if (sym == SDLK_RETURN || sym == SDLK_KP_ENTER) {
                // The dialog's own key, heard once the frames before it took their input.
                if (used > 0) break;
                if (down && !stack_.empty()) stack_.back()->onKey(sym);
                ++used;
                break;
            }
            if (!io.WantTextInput && down) {
                // No field has the keyboard: the key is the dialog's (arrows move a list).
                if (used > 0) break;
                if (!stack_.empty()) stack_.back()->onKey(sym);
                ++used;
                break;
            }
            SDL_Keymod mod = static_cast<SDL_Keymod>(e.key.keysym.mod);
            io.KeyCtrl = (mod & KMOD_CTRL) != 0;
            io.KeyShift = (mod & KMOD_SHIFT) != 0;
            io.KeyAlt = (mod & KMOD_ALT) != 0;
            int code = e.key.keysym.scancode;
            if (code >= 0 && code < static_cast<int>(IM_ARRAYSIZE(io.KeysDown)))
                io.KeysDown[code] = down;
            ++used;
            break;
        } else if (e.type == SDL_MOUSEMOTION) {
            io.MousePos =
                v2(static_cast<float>(e.motion.x * k), static_cast<float>(e.motion.y * k));
        } else if (e.type == SDL_MOUSEWHEEL) {
            io.MouseWheel += static_cast<float>(e.wheel.y);
        } else {
            io.MousePos =
                v2(static_cast<float>(e.button.x * k), static_cast<float>(e.button.y * k));
            int b = e.button.button == SDL_BUTTON_LEFT     ? 0
                    : e.button.button == SDL_BUTTON_RIGHT  ? 1
                    : e.button.button == SDL_BUTTON_MIDDLE ? 2
                                                           : -1;
            if (b >= 0) {
                io.MouseDown[b] = e.type == SDL_MOUSEBUTTONDOWN;
                ++used;
                break;
            }
        }
    }
    input_.erase(input_.begin(), input_.begin() + static_cast<ptrdiff_t>(used));
}

SDL_Texture* SdlDialogs::pictureTexture(int64_t key, const Picture& picture) {
    return renderer_->pictureTexture(key, picture);
}

void SdlDialogs::drawFrame() {
    ImGuiIO& io = ImGui::GetIO();
    SizeInPixels client = window_.clientSize();
    io.DisplaySize = v2(static_cast<float>(std::max(client.width, 1)),
                        static_cast<float>(std::max(client.height, 1)));
    io.DisplayFramebufferScale = v2(1, 1);
    uint64_t now = SDL_GetTicks64();
    io.DeltaTime = lastFrameTicks_ && now > lastFrameTicks_
                       ? std::min(0.25f, static_cast<float>(now - lastFrameTicks_) / 1000.0f)
                       : 1.0f / 60.0f;
    lastFrameTicks_ = now;
    applyInput();
    ImGui::NewFrame();
    for (size_t i = 0; i < stack_.size(); ++i) stack_[i]->draw(*this, i + 1 == stack_.size());
    ImGui::Render();
    presenter_.drawScene();
    renderer_->render(ImGui::GetDrawData());
    SDL_RenderPresent(window_.renderer());
    ++frames_;
    if (frameHook_) frameHook_(frames_);
}

PixelRect SdlDialogs::controlRect(const Dialog& dialog, int32_t id) const {
    const DialogControl* c = dialog.find(id);
    if (!c) return {};
    int32_t scale = interfaceScale();
    int32_t unit = kDialogUnitPixels * scale;
    SizeInPixels size = dialogPixelSize(dialog, scale);
    ImVec2 origin = dialogOrigin(size, window_.clientSize());
    return {static_cast<int32_t>(origin.x) + c->rect.x * unit,
            static_cast<int32_t>(origin.y) + (kDialogCaptionUnits + c->rect.y) * unit,
            c->rect.width * unit, c->rect.height * unit};
}

PixelRect SdlDialogs::boxButtonRect(int button) const {
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
        if (auto* box = dynamic_cast<BoxModal*>(*it)) {
            auto found = box->buttonRects.find(button);
            return found == box->buttonRects.end() ? PixelRect{} : found->second;
        }
    }
    return {};
}

PixelRect SdlDialogs::listItemRect(int32_t listId, int32_t item) const {
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
        if (auto* dialog = dynamic_cast<DialogModal*>(*it)) {
            auto found = dialog->itemRects.find({listId, item});
            return found == dialog->itemRects.end() ? PixelRect{} : found->second;
        }
    }
    return {};
}

}  // namespace rs::platform::sdl
