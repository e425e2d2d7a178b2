// The game's window-type table: every library's rows registered in the
// game's fixed order whatever order they are offered in, names no library
// offers yet skipped; and the start-up settings in their fixed order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Settings.h"
#include "game/app/StartupSettings.h"
#include "game/app/WindowTypes.h"
#include "game/app/screens/LoadScreen.h"
#include "game/app/screens/MainMenuScreen.h"
#include "ui/WindowScriptLink.h"
#include "ui/support/UiTestSupport.h"

namespace
{

// Records the registrations the manager hands on.
class RecordingScript : public TWindowScriptLink
{
public:
    std::vector<std::string>* names;
    explicit RecordingScript(std::vector<std::string>* out) : names(out) {}
    bool PostToScript(std::unique_ptr<TMessage>, std::unique_ptr<TLuaFunction>) override
    {
        return false;
    }
    void SetTopModal(TWindow*) override {}
    void PushWindow(TWindow*) override {}
    void PopWindow() override {}
    void ForgetWindow(TWindow*) override {}
    void WakeOnClose() override {}
    bool RunText(const TString&) override { return false; }
    void RegisterWindowType(const TString& typeName, TWindowClassId) override
    {
        names->push_back(typeName.CStr());
    }
    bool SetTranslateLabels(bool) override { return false; }
    bool GetTranslateLabels() const override { return false; }
};

const TWindowClassInfo kOther{"Other", nullptr};

class WindowTypesTest : public uitest::UiTest
{
};

TEST_F(WindowTypesTest, RowsAreRegisteredInTheGamesOrder)
{
    std::vector<std::string> names;
    wm->SetScript(new RecordingScript(&names));
    names.clear();  // the manager's own types
    // Offered out of order, as the program entry gathers them.
    RegisterWindowTypes({{"CustomButton", &kOther},
                         {"HelpScreen", &kOther},
                         {"ExtraScreen", &kOther},
                         {"GameLogicScreen", &kOther},
                         {"MainMenuScreen", &kOther}});
    EXPECT_EQ(names, (std::vector<std::string>{"MainMenuScreen", "GameLogicScreen", "HelpScreen",
                                               "CustomButton", "ExtraScreen"}));
    EXPECT_EQ(GetWindowTypeOrder().size(), 21u);
}

// Each library adds its own rows: whatever rows the app offers, each is a
// name of the order that scripts can make, registered once.
TEST_F(WindowTypesTest, AppRowsAreCreatableNamesOfTheOrder)
{
    std::vector<std::string> names;
    wm->SetScript(new RecordingScript(&names));
    names.clear();  // the manager's own types
    const std::vector<TWindowTypeRow> rows = GetAppWindowTypes();
    RegisterWindowTypes(rows);
    ASSERT_EQ(names.size(), rows.size());
    const std::vector<const char*>& order = GetWindowTypeOrder();
    size_t at = 0;
    for (const std::string& name : names)
    {
        size_t i = at;
        while (i < order.size() && name != order[i]) ++i;
        ASSERT_LT(i, order.size()) << name << " out of the order or twice";
        at = i + 1;
    }
    for (const TWindowTypeRow& row : rows)
        EXPECT_NE(GetClassFactory(row.classId), nullptr) << row.typeName;
}

TEST(StartupSettings, StoredInTheirOrderWithTheFilesKey)
{
    static std::vector<std::string> seen;
    seen.clear();
    SetSettingChangeHook(
        [](const TString& key, const TString& value)
        {
            seen.push_back(std::string(key.CStr()) + "=" + value.CStr());
            return true;
        });
    ApplyStartupSettings();
    SetSettingChangeHook(nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "publisher=Hollvane-Plomet", "gamename=Orvelle", "utf8mode=1",
                        "automergemask=1", "flashmajorversion=8", "fixbuttonmask=1",
                        "hittestchildren=1", "animatedparticles=1", "encryptionkey=mirtovexQQQQ"}));
    ClearSettings();
}

}  // namespace
