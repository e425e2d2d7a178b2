// TTextEdit: a one-line text entry field. A text window whose shown text is
// the edited content (or one "*" per byte of it for passwords) with a
// blinking "<cursor>" tag while it has the focus. Takes characters and UTF-8
// text, moves the caret, deletes, pastes from the clipboard, refuses
// characters its font cannot draw, and tells the dialog about changes with
// kTextEditChanged. The edits of one modal window form a ring that Tab walks.
// Made from Lua tables under the type name "TextEdit".
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/Clock.h"
#include "ui/Text.h"
#include "ui/WindowSpider.h"

// Main thread only.
class TTextEdit : public TText
{
public:
    // Kinds of edit that CanEdit and FilterEdit judge.
    enum : int32_t
    {
        kEditInsert = 0,
        kEditMove = 1,  // a caret move or a deletion
        kEditEnter = 2,
        kEditTab = 3,
        kEditPaste = 4,
        kEditRefused = 5,  // a notification: the edit was refused
    };
    using Ring = std::vector<TTextEdit*>;

    TTextEdit();
    ORVELLE_WINDOW_CLASS(TText);
    // Leaves its ring.
    ~TTextEdit() override;
    // Joins the ring of its modal.
    bool OnAttached() override;
    // Keys "password", "length" (10), "ignore", "utf8", then the text's; the
    // label is the initial content and is never translated.
    void Init(TWindowStyle& style) override;
    void Draw() override;
    // Blinks the caret.
    bool OnTimer() override;
    // A byte of 0x80 or more in utf8 mode is the character U+0080..U+00FF.
    bool OnChar(char c) override;
    // Backspace, Tab (to the next visible edit of the ring), Enter (left to
    // the dialog unless CanEdit takes it), or text to insert at the caret.
    // kTextEditChanged follows every handled text.
    bool OnText(TString text) override;
    // Caret left and right, delete, paste (control-V or Shift+Insert).
    // Other keys without control or alt are taken so that hot keys do not
    // fire while typing.
    bool OnKeyDown(int8_t key, int32_t modifiers) override;
    // Content = text, the caret at its end.
    void SetText(const TString& text) override;
    // The content, not the shown text.
    TString GetText() const override;

    // Whether an edit of kind may happen; c is the character (a blank for
    // code points of 128 and more). Derived edits hear kEditRefused here.
    virtual bool CanEdit(int32_t kind, int32_t c);
    // The length, glyph and CanEdit checks of an edit; a refusal is told as
    // kEditRefused and returns false.
    virtual bool FilterEdit(int32_t kind, uint32_t codePoint);

    void SetMaxLength(int32_t length) { maxLength_ = length; }
    int32_t GetMaxLength() const { return maxLength_; }
    void SetIgnore(const TString& ignore) { ignore_ = ignore; }
    void SetUtf8(bool on) { utf8_ = on; }
    void SetPassword(bool on);
    // The shown text from content, caret and blink phase.
    void Refresh();
    // Shares the ring of another edit of the same modal, or starts one.
    void JoinRing();
    const std::shared_ptr<Ring>& GetRing() const { return ring_; }
    uint32_t GetCaret() const { return caret_; }
    TClock& GetCaretClock() { return clock_; }

private:
    bool Edit(const TString& text);
    void NotifyChanged();
    void FocusNextInRing();
    bool Paste(const TString& clip, int32_t modifiers);

    int32_t maxLength_ = 10;
    TString content_;
    uint32_t caret_ = 0;
    bool utf8_ = false;
    bool password_ = false;
    bool caretShown_ = false;
    TString ignore_;
    TClock clock_;
    std::shared_ptr<Ring> ring_;
};

// Finds a ring to join below a modal: the first other text edit that has a
// ring not holding edit. Does not descend into text edits or into modals
// pushed above (Tab stays inside its own dialog).
class TextSpider : public TWindowSpider
{
public:
    explicit TextSpider(TTextEdit* edit) : edit_(edit) {}
    bool Visit(TWindow* window) override;
    std::shared_ptr<TTextEdit::Ring> found;

private:
    TTextEdit* edit_;
};
