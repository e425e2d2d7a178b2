// The main menu's first form.
#include "game/app/MainMenuScreen.h"

#include "core/host/App.h"
#include "game/app/Player.h"
#include "graphics/DrawContext.h"
#include "ui/WindowManager.h"

namespace
{

const TWindowClassInfo kMainMenuClass{"TMainMenuScreen", &MakeWindowOf<TMainMenuScreen>};

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

}  // namespace

TWindowClassId TMainMenuScreen::ClassId()
{
    return &kMainMenuClass;
}

TMainMenuScreen::TMainMenuScreen() : TGameScreen(16)
{
    Bindings().Member("MainMenuButtonDepress", this, &TMainMenuScreen::MainMenuButtonDepress);
}

void TMainMenuScreen::MainMenuButtonDepress(int32_t) {}

std::vector<TString> TMainMenuScreen::GroupsFor(int users, int comicDue)
{
    std::vector<TString> groups = {"helper", "main_menu", "map", "core_audio", "window_audio"};
    if (users == 0)
    {
        groups.push_back("comics_1");
    }
    else if (comicDue != -1)
    {
        groups.push_back("comics");
        groups.push_back(TString::Format("comics_%d", comicDue));
        groups.push_back(TString::Format("comics_%d_audio", comicDue));
    }
    return groups;
}

std::vector<TString> TMainMenuScreen::WantedGroups()
{
    TPlayer* player = TPlayer::GetInstance();
    if (player == nullptr) return GroupsFor(0, -1);
    const int users = player->GetNumUsers();
    return GroupsFor(users, users != 0 ? player->GetComicDue() : -1);
}

void TMainMenuScreen::OnGroupsLoaded()
{
    firstFrame_ = false;
    if (TApp* app = GetApp()) app->ShowSystemCursor(true);
    // The manager tells this screen of the change itself.
    if (TWindowManager* wm = GetWindowManager()) wm->SetFocusWindow(this);
    if (TWindow* parent = GetParent())
    {
        parent->SetPosition(0, 0);
        parent->SetSize(kScreenWidth, kScreenHeight);
    }
    if (TWindowManager* wm = GetWindowManager()) wm->Invalidate();
}

void TMainMenuScreen::Draw()
{
    if (firstFrame_) return;
    TDrawContext* dc = TDrawContext::Instance();
    if (dc == nullptr) return;
    TScoped2d block(false);
    if (!dc->Is2d()) block.began = dc->Begin2d();
    dc->FillRect(TRect(0, 0, kScreenWidth, kScreenHeight), TFloatVector4(0, 0, 0, 1),
                 TTextureRef());
}

bool TMainMenuScreen::OnMessage(TMessage*)
{
    return true;
}

bool TMainMenuScreen::OnMouseDown(TPoint)
{
    return firstFrame_;
}

bool TMainMenuScreen::OnMouseMove(TPoint)
{
    return false;
}

bool TMainMenuScreen::OnKeyDown(int8_t, int32_t)
{
    return firstFrame_;
}
