// The profile list's script functions.
#include "game/app/screens/ProfileScreen.h"

void TProfileScreen::PublishBindings()
{
    Bindings().Member("ProfileButtonDepress", this, &TProfileScreen::OnButton);
    Bindings().Member("AskToDelete", this, &TProfileScreen::AskToDelete);
    Bindings().Member("GetSelectPlayerName", this, &TProfileScreen::GetSelectPlayerName);
    Bindings().Member("AddPlayerToVector", this, &TProfileScreen::AddRow);
    Bindings().Member("RenamePlayerOfVector", this, &TProfileScreen::RenameSelected);
}
