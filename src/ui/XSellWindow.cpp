// The cross-sell window: its script functions, the description file, the
// link mark-up, hiding and centring.
#include "ui/XSellWindow.h"

#include <cctype>
#include <cstring>

#include "core/Log.h"
#include "core/Xml.h"
#include "ui/Button.h"
#include "ui/Text.h"
#include "ui/WindowAppLink.h"
#include "ui/WindowManager.h"
#include "ui/WindowStyle.h"

namespace
{

const char* kDefaultColour = "003cff";

bool StartsWithNoCase(const char* text, const char* prefix)
{
    for (; *prefix != '\0'; ++text, ++prefix)
        if (std::tolower(static_cast<unsigned char>(*text)) != *prefix) return false;
    return true;
}

}  // namespace

ORVELLE_WINDOW_RECORD(TXSellWindow)

TString XSellLinkColour(const TString& colour)
{
    const char* s = colour.CStr();
    if (colour.Length() != 6 || std::strspn(s, "0123456789abcdefABCDEF") != 6) return kDefaultColour;
    return colour;
}

bool IsWebAddress(const TString& url)
{
    return StartsWithNoCase(url.CStr(), "http://") || StartsWithNoCase(url.CStr(), "https://");
}

// Scripts test the names to see whether a cross-sell window is there, so a
// window that goes takes its functions away rather than leaving stubs.
TXSellWindow::TXSellWindow()
    : functions_(GetWindowManagerScript(), TScriptFunctions::kRemoveOnTakeBack)
{
    functions_.Member("SetupXSell", this, &TXSellWindow::SetupXSell);
    functions_.Member("LaunchGameLink", this, &TXSellWindow::LaunchGameLink);
}

TXSellWindow::~TXSellWindow() = default;

void TXSellWindow::Init(TWindowStyle& style)
{
    config_ = style.GetString("config", "xsell/xsell.xml");
    autoexpand_ = style.GetBool("autoexpand", false);
}

// ---------------------------------------------------------------------------
// Setting up

void TXSellWindow::Hide(const TString& name)
{
    if (TWindow* w = FindChild(name, -1)) w->SetFlags(w->GetFlags() & ~uint32_t(kWindowVisible));
}

void TXSellWindow::Centre(const TString& name)
{
    TWindow* w = FindChild(name, -1);
    if (w == nullptr) return;
    TRect r = w->GetScreenRect();
    if (autoexpand_ && w->GetParent() != nullptr)
    {
        const TPoint topLeft = w->GetParent()->FromScreen(TPoint(r.left, r.top));
        const TPoint bottomRight = w->GetParent()->FromScreen(TPoint(r.right, r.bottom));
        r = TRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    }
    w->SetPosition(r.left - (r.right - r.left) / 2, r.top - (r.bottom - r.top) / 2);
}

void TXSellWindow::Fill(const TXmlNode* xsell)
{
    int n = 0;
    if (xsell != nullptr)
    {
        for (const TXmlNode* entry : xsell->Children())
        {
            if (!(entry->name == "gameinfo")) continue;
            ++n;
            TWindow* w = FindChild(TString::Format("descrip%d", n), -1);
            if (w != nullptr && w->IsKindOf(TText::ClassId()))
            {
                TString text = entry->GetAttribute("description");
                const TString colour = XSellLinkColour(entry->GetAttribute("color"));
                const TString linkText = entry->GetAttribute("linktext");
                if (!linkText.IsEmpty())
                    text += TString(" <u><font color=\"") + colour + "\"><a id='" +
                            TString::Format("xsellbutton%d", n) + "'>" + linkText + "</a></font></u>";
                static_cast<TText*>(w)->SetText(text);
            }
            // Seven link slots: later entries show their text but open nothing.
            if (n <= kGameLinks) links_[n - 1] = entry->GetAttribute("link");
        }

        if (const TXmlNode* site = xsell->FindChild("sitelink"))
            siteLink_ = site->GetAttribute("link");
        else
            Hide("gamesite");

        if (const TXmlNode* centre = xsell->FindChild("centertext"))
        {
            const char* keys[2] = {"text1", "text2"};
            for (int i = 0; i < 2; ++i)
            {
                TWindow* w = FindChild(TString::Format("centertext%d", i + 1), -1);
                if (w != nullptr && w->IsKindOf(TText::ClassId()))
                    static_cast<TText*>(w)->SetText(centre->GetAttribute(keys[i]));
            }
        }
    }

    for (int i = n + 1; i <= kEntryWindows; ++i)
    {
        Hide(TString::Format("descrip%d", i));
        Hide(TString::Format("xsellbutton%d", i));
    }
    for (int i = 1; i <= kGameLinks; ++i) Centre(TString::Format("xsellbutton%d", i));
    for (const char* name : {"sitelogo", "corvantislogo", "gamesite"}) Centre(name);
}

void TXSellWindow::SetupXSell()
{
    TXmlNode doc;
    bool whole = false;
    const TXmlNode* xsell = nullptr;
    if (!doc.LoadFile(config_.CStr(), &whole))
        LogPrintf("ERROR: Cross-sell file %s could not be read", config_.CStr());
    else if (!whole)
        LogPrintf("ERROR: Cross-sell file %s is damaged", config_.CStr());
    else if ((xsell = doc.FindChild("xsell")) == nullptr)
        LogPrintf("ERROR: Cross-sell file %s has no xsell element", config_.CStr());
    Fill(xsell);
}

void TXSellWindow::LaunchGameLink(int32_t n)
{
    if (n < 0 || n > kGameLinks) return;
    const TString& url = n == 0 ? siteLink_ : links_[n - 1];
    if (!IsWebAddress(url))
    {
        LogPrintf("ERROR: Cross-sell link %d is not a web address: '%s'", n, url.CStr());
        return;
    }
    GetWindowAppLink().OpenUrl(url);
}
