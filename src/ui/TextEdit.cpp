// The text edit: content, caret and its blink, the ring of edits, the edit
// filter, typing, caret keys, delete and paste.
#include "ui/TextEdit.h"

#include <algorithm>
#include <string>

#include "core/Event.h"
#include "graphics/FontRegistry.h"
#include "graphics/VecFont.h"
#include "ui/Message.h"
#include "ui/ModalWindow.h"
#include "ui/WindowAppLink.h"
#include "ui/WindowManager.h"
#include "ui/WindowStyle.h"

namespace
{

const char* kCaretTag = "<cursor>";
const char* kFallbackFont = "fonts/default.mvec";
const uint32_t kBlinkPeriod = 800;
const uint32_t kBlinkHalf = 400;
const int32_t kBlinkTimerMs = 200;
// Modifier bits that make a key a command rather than typing.
const int32_t kCommandModifiers = kModControl | kModAlt | kModExtended;

void Invalidate()
{
    if (TWindowManager* wm = GetWindowManager()) wm->Invalidate();
}

std::string ToStd(const TString& s)
{
    return std::string(s.CStr(), static_cast<size_t>(s.Length()));
}

TString FromStd(const std::string& s)
{
    return TString(s.data(), static_cast<int>(s.size()));
}

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The bytes of the character at i: its lead byte and the continuation
// bytes that follow, as many as the lead promises. A stray byte is a
// character of its own, so no step ever leaves the text or splits one.
size_t CharLengthAt(const std::string& s, size_t i)
{
    if (i >= s.size()) return 0;
    const unsigned char lead = static_cast<unsigned char>(s[i]);
    const size_t want = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    size_t n = 1;
    while (n < want && i + n < s.size() && IsContinuation(static_cast<unsigned char>(s[i + n]))) ++n;
    return n;
}

// The start of the character that ends at end (end > 0).
size_t CharStartBefore(const std::string& s, size_t end)
{
    size_t start = 0;
    for (size_t i = 0; i < end;)
    {
        start = i;
        i += CharLengthAt(s, i);
    }
    return start;
}

size_t CountChars(const std::string& s)
{
    size_t n = 0;
    for (size_t i = 0; i < s.size(); i += CharLengthAt(s, i)) ++n;
    return n;
}

uint32_t FirstCodePoint(const std::string& s)
{
    if (s.empty()) return 0;
    const size_t n = CharLengthAt(s, 0);
    const unsigned char lead = static_cast<unsigned char>(s[0]);
    if (n == 1) return lead;
    uint32_t cp = lead & (0xFFu >> (n + 1));
    for (size_t i = 1; i < n; ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3Fu);
    return cp;
}

bool HasGlyph(const TString& fontName, uint32_t codePoint)
{
    TVecFont* font = GetFontRegistry().GetFont(fontName);
    return font != nullptr && font->FindGlyph(codePoint) >= 0;
}

}  // namespace

ORVELLE_WINDOW_RECORD(TTextEdit)

TTextEdit::TTextEdit()
{
    AddRoleFlags(kWindowTakesFocus);
    clock_.Reset();
    clock_.Start();
}

TTextEdit::~TTextEdit()
{
    if (ring_) ring_->erase(std::remove(ring_->begin(), ring_->end(), this), ring_->end());
    ring_.reset();
}

bool TTextEdit::OnAttached()
{
    JoinRing();
    return true;
}

void TTextEdit::Init(TWindowStyle& style)
{
    JoinRing();
    const bool password = style.GetBool("password", false);
    const int32_t length = style.GetInt("length", 10);
    const TString ignore = style.GetString("ignore");
    SetUtf8(style.GetBool("utf8", false));

    // The label is the initial content: never a string-table key.
    TWindowManager* wm = GetWindowManager();
    const bool translate = wm != nullptr && wm->SetTranslateLabels(false);
    if (password) SetPassword(true);
    TText::Init(style);
    if (wm != nullptr && GetWindowManager() == wm) wm->SetTranslateLabels(translate);

    SetMaxLength(length);
    SetIgnore(ignore);
}

void TTextEdit::Draw()
{
    JoinRing();
    TText::Draw();
}

bool TTextEdit::OnTimer()
{
    Refresh();
    return true;
}

void TTextEdit::SetPassword(bool on)
{
    password_ = on;
    Refresh();
}

void TTextEdit::SetText(const TString& text)
{
    content_ = text;
    caret_ = static_cast<uint32_t>(text.Length());
    Refresh();
}

TString TTextEdit::GetText() const
{
    return content_;
}

void TTextEdit::Refresh()
{
    TWindowManager* wm = GetWindowManager();
    const bool focused = wm != nullptr && wm->GetFocusWindow() == this;
    std::string shown = password_ ? std::string(static_cast<size_t>(content_.Length()), '*') : ToStd(content_);
    if (focused)
    {
        const uint32_t t = static_cast<uint32_t>(clock_.GetTime());
        if (t % kBlinkPeriod > kBlinkHalf)
        {
            if (!caretShown_) Invalidate();
            caretShown_ = true;
            shown.insert(std::min<size_t>(caret_, shown.size()), kCaretTag);
        }
        else
        {
            if (caretShown_) Invalidate();
            caretShown_ = false;
        }
    }
    TText::SetText(FromStd(shown));
}

// ---------------------------------------------------------------------------
// The ring

bool TextSpider::Visit(TWindow* window)
{
    if (window->IsKindOf(TTextEdit::ClassId()))
    {
        if (window == edit_) return true;
        const std::shared_ptr<TTextEdit::Ring>& ring = static_cast<TTextEdit*>(window)->GetRing();
        // An edit that has not joined yet has no ring to share.
        if (!ring || std::find(ring->begin(), ring->end(), edit_) != ring->end()) return true;
        found = ring;
        return false;
    }
    if (window->IsModalLayer()) return true;
    window->VisitChildren(*this);
    return !found;
}

void TTextEdit::JoinRing()
{
    if (ring_) return;
    if (TModalWindow* modal = GetModalParent())
    {
        SetTimer(kBlinkTimerMs, true, true, false);
        TextSpider spider(this);
        modal->VisitChildren(spider);
        if (spider.found)
        {
            ring_ = spider.found;
            ring_->push_back(this);
        }
    }
    if (!ring_) ring_ = std::make_shared<Ring>(1, this);
}

void TTextEdit::FocusNextInRing()
{
    const Ring ring = *ring_;
    auto it = std::find(ring.begin(), ring.end(), this);
    if (it == ring.end()) return;
    size_t i = static_cast<size_t>(it - ring.begin());
    TTextEdit* next = this;
    for (size_t steps = 0; steps < ring.size(); ++steps)
    {
        i = (i + 1) % ring.size();
        if (ring[i]->IsVisible())
        {
            next = ring[i];
            break;
        }
    }
    if (TWindowManager* wm = GetWindowManager()) wm->SetFocusWindow(next);
}

// ---------------------------------------------------------------------------
// Filtering

bool TTextEdit::CanEdit(int32_t kind, int32_t c)
{
    (void)c;
    switch (kind)
    {
        case kEditInsert: return utf8_ || content_.Length() + 1 < maxLength_;
        case kEditMove:
        case kEditPaste: return true;
        default: return false;
    }
}

bool TTextEdit::FilterEdit(int32_t kind, uint32_t codePoint)
{
    const int32_t c = codePoint < 128 ? static_cast<int32_t>(codePoint) : ' ';
    if (kind != kEditInsert) return CanEdit(kind, c);

    bool refuse = utf8_ && CountChars(ToStd(content_)) >= static_cast<size_t>(std::max(maxLength_, 0));
    if (!refuse)
        if (const TTextGraphic* graphic = GetTextGraphic())
            refuse = !HasGlyph(graphic->GetFontName(), codePoint) && !HasGlyph(kFallbackFont, codePoint);
    if (!refuse) return CanEdit(kEditInsert, c);
    if (codePoint < 128)
        CanEdit(kEditRefused, static_cast<int32_t>(codePoint));
    else
        FilterEdit(kEditRefused, codePoint);
    return false;
}

// ---------------------------------------------------------------------------
// Typing

bool TTextEdit::OnChar(char c)
{
    const unsigned char byte = static_cast<unsigned char>(c);
    // A narrow character event in utf8 mode: the byte is a Latin-1
    // character, never a lone byte inside UTF-8 content.
    if (utf8_ && byte >= 0x80) return OnText(TString::FromCodePoint(byte));
    const char one[2] = {c, '\0'};
    return OnText(TString(one, 1));
}

bool TTextEdit::OnText(TString text)
{
    if (text.IsEmpty()) return false;
    if (!Edit(text)) return false;
    NotifyChanged();
    return true;
}

bool TTextEdit::Edit(const TString& text)
{
    const unsigned char b = static_cast<unsigned char>(text.CStr()[0]);
    // The content is read only after the filter has judged the edit: a
    // derived edit may change it there (a hint cleared at the first key).
    std::string content;
    switch (b)
    {
        case 8:
            if (caret_ == 0) return FilterEdit(kEditRefused, b);
            if (!CanEdit(kEditMove, b)) return false;
            content = ToStd(content_);
            {
                const size_t start = CharStartBefore(content, std::min<size_t>(caret_, content.size()));
                content.erase(start, caret_ - start);
                content_ = FromStd(content);
                caret_ = static_cast<uint32_t>(start);
            }
            Refresh();
            return true;
        case 9:
            if (!FilterEdit(kEditTab, b) && ring_) FocusNextInRing();
            return false;
        case kKeyEnter:
            return FilterEdit(kEditEnter, b);
        default:
            break;
    }
    if (b < 32) return false;
    if (b >= 128 && !utf8_ && !password_) return false;
    if (!ignore_.IsEmpty() && ignore_.Find(text) >= 0) return true;
    const std::string piece = ToStd(text);
    if (!FilterEdit(kEditInsert, FirstCodePoint(piece))) return false;
    content = ToStd(content_);
    const size_t at = std::min<size_t>(caret_, content.size());
    content.insert(at, piece);
    content_ = FromStd(content);
    caret_ = static_cast<uint32_t>(at + piece.size());
    Refresh();
    return true;
}

void TTextEdit::NotifyChanged()
{
    if (TWindowManager* wm = GetWindowManager())
        wm->QueueMessage(std::make_unique<TMessage>(kTextEditChanged, GetName()));
}

// ---------------------------------------------------------------------------
// Keys

bool TTextEdit::OnKeyDown(int8_t key, int32_t modifiers)
{
    JoinRing();
    const std::string content = ToStd(content_);
    const size_t caret = std::min<size_t>(caret_, content.size());
    switch (key)
    {
        case kKeyLeft:
            if (caret == 0)
                CanEdit(kEditRefused, key);
            else if (CanEdit(kEditMove, key))
            {
                caret_ = static_cast<uint32_t>(CharStartBefore(content, caret));
                Refresh();
            }
            return true;
        case kKeyRight:
            if (caret >= content.size())
                CanEdit(kEditRefused, key);
            else if (CanEdit(kEditMove, key))
            {
                caret_ = static_cast<uint32_t>(caret + CharLengthAt(content, caret));
                Refresh();
            }
            return true;
        case kKeyDelete:
            if (caret >= content.size())
            {
                CanEdit(kEditRefused, key);
                return true;
            }
            {
                std::string rest = content;
                rest.erase(caret, CharLengthAt(content, caret));
                content_ = FromStd(rest);
                caret_ = static_cast<uint32_t>(caret);
            }
            Refresh();
            NotifyChanged();
            return true;
        default:
            break;
    }
    if (key > 'Z') return false;
    if ((key == 'V' && (modifiers & kModControl) != 0) || key == kKeyInsert)
    {
        if (FilterEdit(kEditPaste, 0))
        {
            const TString clip = GetWindowAppLink().GetClipboardText();
            if (!clip.IsEmpty()) return Paste(clip, modifiers);
        }
    }
    return (modifiers & kCommandModifiers) == 0;
}

bool TTextEdit::Paste(const TString& clip, int32_t modifiers)
{
    std::string text = ToStd(clip);
    if (!utf8_ && std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xC0; }))
        return (modifiers & kCommandModifiers) == 0;

    // Cut after max length characters.
    size_t end = 0;
    for (int32_t n = 0; n < maxLength_ && end < text.size(); ++n) end += CharLengthAt(text, end);
    text.resize(end);

    const std::string ignore = ToStd(ignore_);
    std::string kept;
    for (size_t i = 0; i < text.size();)
    {
        const size_t n = CharLengthAt(text, i);
        const std::string ch = text.substr(i, n);
        i += n;
        if (!ignore.empty() && ignore.find(ch) != std::string::npos) continue;
        if (n == 1 && static_cast<unsigned char>(ch[0]) <= 31) continue;
        kept += ch;
    }

    const TString before = content_;
    SetText(TString());
    if (!kept.empty())
    {
        FilterEdit(kEditInsert, ' ');
        SetText(FromStd(kept));
    }
    if (!(content_ == before)) NotifyChanged();
    return true;
}
