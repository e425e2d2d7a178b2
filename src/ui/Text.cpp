// The static text window.
#include "ui/Text.h"

#include <algorithm>
#include <cstring>

#include "core/Log.h"
#include "core/Saturate.h"
#include "core/StringTable.h"
#include "graphics/DrawContext.h"
#include "script/LuaTable.h"
#include "ui/Button.h"
#include "ui/ModalWindow.h"
#include "ui/WindowAppLink.h"
#include "ui/WindowManager.h"
#include "ui/WindowPlacement.h"
#include "ui/WindowScriptLink.h"
#include "ui/WindowStyle.h"

namespace
{

void Invalidate()
{
    if (TWindowManager* wm = GetWindowManager()) wm->Invalidate();
}

bool IsNumberText(const char* s)
{
    return std::strspn(s, "0123456789.") == std::strlen(s);
}

int32_t ResolveOrigin(int32_t v, int32_t size, bool centre, bool farEdge)
{
    int64_t value = v, own = 0;
    ResolvePlacementAxis(value, own, size, centre, farEdge, false, true);
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

ORVELLE_WINDOW_RECORD(TText)

TText::TText() = default;

TText::~TText() = default;

TString TText::TranslateLabel(const TString& label, bool translate)
{
    if (label.IsEmpty() || !translate) return label;
    if (label.CStr()[0] == '#') return TString(label.CStr() + 1);
    if (IsNumberText(label.CStr())) return label;
    TStringTable* table = GetWindowAppLink().GetStringTable();
    if (table == nullptr) return label;
    const TString args[5];
    return table->Lookup(label, 5, args);
}

void TText::Init(TWindowStyle& style)
{
    TString face = "__DEFAULT";
    int32_t size = 16;
    TFloatVector4 colour(0.0f, 1.0f, 0.0f, 1.0f);
    if (std::unique_ptr<TLuaTable> font{style.GetTable("font")})
    {
        face = font->GetStringAt(1, face);
        size = SaturateTo<int32_t>(font->GetNumberAt(2, 16.0));
        if (std::unique_ptr<TLuaTable> c{font->GetTableAt(3)})
            colour = TFloatVector4(float(c->GetNumberAt(1, 0.0)), float(c->GetNumberAt(2, 0.0)),
                                   float(c->GetNumberAt(3, 0.0)), float(c->GetNumberAt(4, 0.0)));
        if (size == 0) size = 12;
    }
    const TString name = style.GetString("name");
    TString label = style.GetString("label");
    TWindowManager* wm = GetWindowManager();
    label = TranslateLabel(label, wm != nullptr && wm->GetTranslateLabels());

    const int32_t defFlags = style.GetInt("defflags", 0);
    const int32_t flags = style.GetInt("flags", defFlags);
    const int32_t padding = style.GetInt("padding", 0);
    const float rotation = static_cast<float>(style.GetNumber("rotation", 0.0));
    const int32_t originX = style.GetInt("rotationOriginX", 0);
    const int32_t originY = style.GetInt("rotationOriginY", 0);
    const int32_t rotationAlign = style.GetInt("rotationAlign", 0);

    TWindow::Init(style);
    if (GetWidth() == 0 || GetHeight() == 0)
    {
        LogPrintf("ERROR: Attempting to create text window of size(0,0): named '%s', label '%s'",
                  name.CStr(), label.CStr());
        return;
    }
    padding_ = padding;
    graphic_ = TTextGraphic::Create(label, GetWidth(), GetHeight(), flags, face, size, colour);
    SetSize(GetWidth(), GetHeight());
    SetText(label);
    if (rotation != 0.0f)
        SetRotation(rotation,
                    ResolveOrigin(originX, GetWidth(), (rotationAlign & kAlignCentreX) != 0,
                                  (rotationAlign & kAlignRight) != 0),
                    ResolveOrigin(originY, GetHeight(), (rotationAlign & kAlignCentreY) != 0,
                                  (rotationAlign & kAlignBottom) != 0));
}

void TText::SetRotation(float degrees, int32_t originX, int32_t originY)
{
    if (graphic_) graphic_->SetRotation(degrees, originX, originY);
}

void TText::Draw()
{
    if (!graphic_) return;
    TDrawContext* dc = TDrawContext::GetIfMade();
    if (dc == nullptr) return;
    TScoped2d block(false);
    if (!dc->Is2d()) block.began = dc->Begin2d();
    graphic_->Draw(TFloatPoint(0.0f, 0.0f), GetHeight(), scale_, float(padding_), alpha_);
}

void TText::Rescale(float fraction, int32_t unused)
{
    (void)unused;
    if (!graphic_) return;
    const int hidden = graphic_->CountLinesFitting(scale_, float(padding_));
    const float position = (halfLine_ + float(hidden)) * fraction;
    if (position != float(graphic_->GetLineCount()))
    {
        graphic_->SetFirstLine(position);
        Invalidate();
    }
}

TString TText::LinkAt(TPoint point) const
{
    return graphic_->GetLinkAt(TFloatPoint(float(point.x), float(point.y)), float(padding_), scale_);
}

bool TText::OnMouseDown(TPoint point)
{
    if (!graphic_) return false;
    commandWindow_ = LinkAt(point);
    return !commandWindow_.IsEmpty();
}

bool TText::OnMouseUp(TPoint point)
{
    if (commandWindow_.IsEmpty() || !graphic_) return false;
    const TString pressed = commandWindow_;
    commandWindow_ = TString();
    if (LinkAt(point) != pressed) return true;
    TModalWindow* modal = GetModalParent();
    TWindow* target = modal != nullptr ? modal->FindChild(pressed, -1) : nullptr;
    if (target == nullptr)
        LogPrintf("ERROR: Command window %s not found", pressed.CStr());
    else if (!target->IsKindOf(TButton::ClassId()))
        LogPrintf("ERROR: Command window %s not a derived class of TButton", pressed.CStr());
    else
        static_cast<TButton*>(target)->RunCommand();
    return true;
}

bool TText::OnMouseMove(TPoint point)
{
    if (!graphic_) return false;
    if (!graphic_->UpdateHoverLink(TFloatPoint(float(point.x), float(point.y)), float(padding_), scale_))
        return false;
    Invalidate();
    if (TWindowManager* wm = GetWindowManager()) wm->AddHover(this);
    return true;
}

bool TText::OnMouseLeave()
{
    if (graphic_)
    {
        graphic_->ClearHoverLink();
        Invalidate();
    }
    if (TWindowManager* wm = GetWindowManager()) wm->RemoveHover(this);
    return true;
}

void TText::SetText(const TString& text)
{
    if (!graphic_) return;
    const TString current = graphic_->GetText();
    if (text == current) return;
    if (!current.IsEmpty()) Invalidate();
    graphic_->SetText(text);
}

TString TText::GetText() const
{
    return graphic_ ? graphic_->GetText() : TString();
}

void SetLabelText(TWindow* window, const TString& text)
{
    TWindow* label = window != nullptr ? window->FindChild("label", -1) : nullptr;
    if (label != nullptr && label->IsKindOf(TText::ClassId())) static_cast<TText*>(label)->SetText(text);
}

TString GetLabelText(TWindow* window)
{
    TWindow* label = window != nullptr ? window->FindChild("label", -1) : nullptr;
    if (label != nullptr && label->IsKindOf(TText::ClassId())) return static_cast<TText*>(label)->GetText();
    return TString();
}
