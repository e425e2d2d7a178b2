// TXSellWindow: a window whose script shows other games with descriptions
// and links, a site link and two centred texts, all read from an XML file
// ("xsell/xsell.xml" unless "config" names another). It publishes the
// script functions "SetupXSell" (fill the script's windows from the file)
// and "LaunchGameLink" (open link n in the browser). Made under the type
// name "XSellWindow".
#pragma once

#include <cstdint>

#include "script/ScriptFunctions.h"
#include "ui/Window.h"

class TXmlNode;

// Main thread only. The last window made owns the two script functions;
// its destruction removes them.
class TXSellWindow : public TWindow
{
public:
    static constexpr int kGameLinks = 7;
    static constexpr int kEntryWindows = 8;

    // Publishes the script functions over this window.
    TXSellWindow();
    ORVELLE_WINDOW_CLASS(TWindow);
    // Unpublishes them while they are still this window's.
    ~TXSellWindow() override;
    // Keys "config" and "autoexpand" only: no name from the table.
    void Init(TWindowStyle& style) override;

    // Fills "descrip1".."descrip8", "centertext1", "centertext2", hides the
    // unused entries and "gamesite" without a site link, and centres the
    // buttons and logos on where the script placed them. A missing or
    // damaged file leaves every entry hidden (logged once).
    void SetupXSell();
    // 0 the site link, 1 to 7 a game's link; only http:// and https://
    // addresses are opened, anything else is logged.
    void LaunchGameLink(int32_t n);

    const TString& GetConfigPath() const { return config_; }
    const TString& GetGameLink(int n) const { return links_[n - 1]; }
    const TString& GetSiteLink() const { return siteLink_; }

private:
    void Fill(const TXmlNode* xsell);
    void Hide(const TString& name);
    void Centre(const TString& name);

    TString links_[kGameLinks];
    TString siteLink_;
    TString config_ = "xsell/xsell.xml";
    bool autoexpand_ = false;
    TScriptFunctions functions_;
};

// The colour used in the link mark-up: exactly six hex digits, else
// "003cff".
TString XSellLinkColour(const TString& colour);
// True for addresses starting "http://" or "https://" (any case).
bool IsWebAddress(const TString& url);
