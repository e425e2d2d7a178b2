// The game-state services as the platform host drives them: the board, the
// metrics handlers and module handlers behind THostGameState. Register with
//   GetFrameworkServices().makeGameState = &MakeHostGameState;
#pragma once

class THostGameState;

// A new host face of the board (owned by the host). The board itself is
// made on first use once the facade exists; deleting the face destroys the
// board and every listed handler (TGameState::Destroy). The web-portal
// switches are refused with a log line: no portal channel exists here.
THostGameState* MakeHostGameState();
