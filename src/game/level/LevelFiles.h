// A level's two script files: the layout ("level_%d_gr.lua": tables Entry,
// LandElement, Slot, Resources) and the walk grid ("level_%d_pass.lua":
// table Pass). The record of a layout, its reader and the writer of both.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/String.h"
#include "game/level/WalkGrid.h"

class TLuaTable;
class TScript;

// The game reads its levels from here; the editor saves into the user folder.
inline constexpr char kShippedLevelFolder[] = "scripts/levels/";
inline constexpr char kUserLevelFolder[] = "user:levels/";

// "<folder>level_<level>_gr.lua" and "<folder>level_<level>_pass.lua".
TString LevelLayoutFileName(const char* folder, int level);
TString LevelPassFileName(const char* folder, int level);

// A layout as the file holds it: entries as cells, every other value as
// read (flags: any non-zero value is set).
struct TLevelLayout
{
    struct SLandRow
    {
        int type = 0;  // 0 background, 1 ground element, 2 land element
        TString image;
        int x = 0;
        int y = 0;
        int originX = 0;
        int originY = 0;
        bool locked = false;
    };
    struct SSlotRow
    {
        int x = 0;
        int y = 0;
        TString firstImage;
        TString secondImage;
        bool access = false;
        // The rest only when a stall stands on the slot from the start.
        bool hasStall = false;
        int stallKind = 0;  // 0 attraction, 1 trade, 2 bonus
        int stallNumber = 0;
        int stallLevel = 0;
        bool broken = false;
        bool enemy = false;
    };

    std::vector<TGridCell> customerEntries;
    std::vector<TGridCell> monsterEntries;
    std::vector<SLandRow> landElements;  // in file order (the editor keeps them by depth)
    std::vector<SSlotRow> slots;
    // As read; the writer lists the groups of the elements' and slots'
    // pictures instead.
    std::vector<TString> resources;
};

// --- Reading -------------------------------------------------------------

// Runs the layout file in a fresh script environment and reads its four
// tables into out (replaced whole). False, with one log line and out left
// empty, when the file is missing, does not run, or lacks a table (or
// Entry one of its arrays). Rows that are not tables are skipped, and a
// table is read up to its 10,000th entry (both logged once).
bool ReadLevelLayout(const TString& fileName, TLevelLayout& out);
// The same over a script that has already run the file.
bool ReadLevelLayout(TScript& script, const TString& fileName, TLevelLayout& out);

// The row readers, for loaders that walk the tables themselves. Values
// missing from a row read as 0 or "".
TLevelLayout::SLandRow ReadLandRow(const TLuaTable& row);
TLevelLayout::SSlotRow ReadSlotRow(const TLuaTable& row);
// Pixel pairs (1 and 2, 3 and 4, ...; an odd last value pairs with 0)
// turned into cells.
std::vector<TGridCell> ReadEntryCells(const TLuaTable& pairs);

// --- Writing -------------------------------------------------------------

enum class TLevelSaveResult : uint8_t
{
    kDone,
    kLayoutFailed,  // the layout file could not be written; nothing replaced
    kPassFailed,    // the walk-grid file could not be written; nothing replaced
    kNameRefused,   // a picture name the file cannot hold; nothing written
};

// A picture name that can stand between double quotes as it is: no double
// quote, backslash, carriage return or line feed.
bool IsWritableLevelName(const TString& name);

// The file texts, byte for byte. BuildLayoutText fails (false, logged, text
// empty) for a name that IsWritableLevelName refuses.
bool BuildLayoutText(const TLevelLayout& layout, std::string& text);
std::string BuildPassText(const WalkGrid& grid);

// Writes "user:levels/level_<level>_gr.lua" and its "_pass.lua" as a pair
// (the "levels" folder is created when missing): both are written in full
// beside their targets first and replace the old files only together, so on
// any failure the earlier pair stays as it was.
TLevelSaveResult SaveLevelFiles(int level, const TLevelLayout& layout, const WalkGrid& grid);
// The same for any two file names.
TLevelSaveResult SaveLevelFiles(const TString& layoutName, const TString& passName,
                                const TLevelLayout& layout, const WalkGrid& grid);
