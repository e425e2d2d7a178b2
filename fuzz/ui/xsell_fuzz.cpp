// Feeds arbitrary description files to the cross-sell window's "SetupXSell"
// over a screen with every window it fills, then asks for each link: no
// crash, no link outside the web addresses reaches the opener.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "core/Event.h"
#include "ui/WindowAppLink.h"
#include "ui/WindowManager.h"
#include "ui/WindowScriptLink.h"
#include "ui/XSellWindow.h"

namespace
{

// Opens nothing: a link that would be opened must be a web address.
class CheckingLink : public TWindowAppLink
{
public:
    void OpenUrl(const TString& url) override
    {
        if (!IsWebAddress(url)) std::abort();
    }
};

// The queues are emptied first: nobody waits on the messages the last
// input's dialog left.
const char* kScreen = R"(
gMessageQueue = {}
gCommandQueue = {}
PushModal('xsell')
local t = { name = 'x', config = gConfig, w = 800, h = 600 }
for i = 1, 8 do
    table.insert(t, Text{ name = 'descrip' .. i, x = 0, y = i * 40, w = 300, h = 30 })
    table.insert(t, Button{ name = 'xsellbutton' .. i, x = 400, y = i * 40, w = 40, h = 20 })
end
table.insert(t, Button{ name = 'gamesite', x = 600, y = 500, w = 60, h = 30 })
table.insert(t, Window{ name = 'sitelogo', x = 600, y = 100, w = 100, h = 50 })
table.insert(t, Window{ name = 'corvantislogo', x = 600, y = 200, w = 50, h = 20 })
table.insert(t, Text{ name = 'centertext1', x = 0, y = 450, w = 300, h = 30 })
table.insert(t, Text{ name = 'centertext2', x = 0, y = 490, w = 300, h = 30 })
MakeDialog{ XSellWindow(t) }
SetupXSell()
for n = -1, 9 do LaunchGameLink(n) end
)";

struct Setup
{
    CheckingLink link;
    TWindowManager wm;
    std::string path;
    Setup()
    {
        SetWindowAppLink(&link);
        wm.CreateRootScreen(800, 600);
        wm.CreateWindowScript();
        path = "/tmp/xsell_fuzz_" + std::to_string(getpid()) + ".xml";
        wm.GetScript()->RunText(TString("gConfig = '::") + path.c_str() + "'");
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup* setup = new Setup();
    if (FILE* f = std::fopen(setup->path.c_str(), "wb"))
    {
        if (size > 0) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    setup->wm.GetScript()->RunText(kScreen);
    std::remove(setup->path.c_str());
    setup->wm.PopModal("xsell");
    TEvent idle;
    idle.type = kEventIdle;
    setup->wm.HandleEvent(idle);
    return 0;
}
