// Level layout and walk-grid files: reading a layout into its record, and
// writing both files in their exact text as one pair.
#include "game/level/LevelFiles.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <initializer_list>
#include <memory>

#include "core/FileNames.h"
#include "core/FileReplace.h"
#include "core/Log.h"
#include "game/level/LevelScript.h"
#include "script/LuaTable.h"
#include "script/Script.h"

namespace
{

constexpr const char* kLayoutName = "level layout";

// Rows that are not tables are skipped (counted into skipped).
template <typename Row, typename Reader>
std::vector<Row> ReadRows(const TLuaTable& table, Reader read, int& skipped)
{
    std::vector<Row> rows;
    for (const TLuaRow& row : TLuaRows(table, kLayoutName))
    {
        if (row.table)
            rows.push_back(read(*row.table));
        else
            ++skipped;
    }
    return rows;
}

// --- Text building ---------------------------------------------------------

void AppendInt(std::string& text, int value)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, end);
}

// Each value with a comma before it.
void AppendValues(std::string& text, std::initializer_list<int> values)
{
    for (const int value : values)
    {
        text += ',';
        AppendInt(text, value);
    }
}

void AppendQuoted(std::string& text, const TString& name)
{
    text += '"';
    text.append(name.CStr(), static_cast<size_t>(name.Length()));
    text += '"';
}

void AppendEntries(std::string& text, const char* name, const std::vector<TGridCell>& cells)
{
    text += "\t[\"";
    text += name;
    text += "\"]=\n\t{\n";
    for (const TGridCell& cell : cells)
    {
        const TGridPixel centre = WalkGrid::CellToPixel(cell.column, cell.row, true);
        text += "\t\t";
        AppendInt(text, centre.x);
        text += ',';
        AppendInt(text, centre.y);
        text += ",\n";
    }
    text += "\t},\n";
}

// The resource group of a picture: its name up to the first ':'.
void OfferGroup(std::vector<TString>& groups, const TString& image)
{
    const int colon = image.FindChar(':');
    const TString group = colon < 0 ? image : image.Substring(0, colon);
    for (const TString& known : groups)
        if (known == group) return;
    groups.push_back(group);
}

// The name as a log line can show it: line breaks written as \r and \n.
std::string Printable(const TString& name)
{
    std::string out;
    for (const char* p = name.CStr(); *p != '\0'; ++p)
    {
        if (*p == '\r')
            out += "\\r";
        else if (*p == '\n')
            out += "\\n";
        else
            out += *p;
    }
    return out;
}

bool CheckName(const TString& name)
{
    if (IsWritableLevelName(name)) return true;
    LogPrintf("level files: the picture name \"%s\" cannot be written; nothing saved",
              Printable(name).c_str());
    return false;
}

}  // namespace

TString LevelLayoutFileName(const char* folder, int level)
{
    return TString::Format("%slevel_%d_gr.lua", folder, level);
}

TString LevelPassFileName(const char* folder, int level)
{
    return TString::Format("%slevel_%d_pass.lua", folder, level);
}

// --- Reading -----------------------------------------------------------------

TLevelLayout::SLandRow ReadLandRow(const TLuaTable& row)
{
    TLevelLayout::SLandRow land;
    land.type = row.GetIntAt(1);
    land.image = row.GetStringAt(2, TString());
    land.x = row.GetIntAt(3);
    land.y = row.GetIntAt(4);
    land.originX = row.GetIntAt(5);
    land.originY = row.GetIntAt(6);
    land.locked = row.GetIntAt(7) != 0;
    return land;
}

TLevelLayout::SSlotRow ReadSlotRow(const TLuaTable& row)
{
    TLevelLayout::SSlotRow slot;
    slot.x = row.GetIntAt(1);
    slot.y = row.GetIntAt(2);
    slot.firstImage = row.GetStringAt(3, TString());
    slot.secondImage = row.GetStringAt(4, TString());
    slot.access = row.GetIntAt(5) != 0;
    const int values = row.GetCount();
    if (values > 5)
    {
        slot.hasStall = true;
        slot.stallKind = row.GetIntAt(6);
        slot.stallNumber = row.GetIntAt(7);
        slot.stallLevel = row.GetIntAt(8);
        slot.broken = row.GetIntAt(9) != 0;
        // Only the row's length counts, never the value.
        slot.enemy = values > 9;
    }
    return slot;
}

std::vector<TGridCell> ReadEntryCells(const TLuaTable& pairs)
{
    std::vector<TGridCell> cells;
    for (const TPoint& pixel : levelscript::FlatPoints(pairs, kLayoutName))
        cells.push_back(WalkGrid::PixelToCell(pixel.x, pixel.y));
    return cells;
}

bool ReadLevelLayout(TScript& script, const TString& fileName, TLevelLayout& out)
{
    out = TLevelLayout();
    const char* const kTables[] = {"Entry", "LandElement", "Slot", "Resources"};
    std::unique_ptr<TLuaTable> tables[4];
    for (int i = 0; i < 4; ++i)
    {
        tables[i] = script.GetGlobalTable(kTables[i]);
        if (!tables[i])
        {
            LogPrintf("level layout %s: no table %s; not read", fileName.CStr(), kTables[i]);
            return false;
        }
    }
    const std::unique_ptr<TLuaTable> customer(tables[0]->GetTable("customer"));
    const std::unique_ptr<TLuaTable> monster(tables[0]->GetTable("monster"));
    if (!customer || !monster)
    {
        LogPrintf("level layout %s: Entry lacks its %s list; not read", fileName.CStr(),
                  customer ? "monster" : "customer");
        return false;
    }

    TLevelLayout layout;
    layout.customerEntries = ReadEntryCells(*customer);
    layout.monsterEntries = ReadEntryCells(*monster);
    int skipped = 0;
    layout.landElements = ReadRows<TLevelLayout::SLandRow>(*tables[1], ReadLandRow, skipped);
    layout.slots = ReadRows<TLevelLayout::SSlotRow>(*tables[2], ReadSlotRow, skipped);
    if (skipped > 0)
        LogPrintf("level layout %s: %d rows that are not tables skipped", fileName.CStr(), skipped);
    for (const TLuaRow& row : TLuaRows(*tables[3], kLayoutName))
        layout.resources.push_back(tables[3]->GetStringAt(row.index));
    out = std::move(layout);
    return true;
}

bool ReadLevelLayout(const TString& fileName, TLevelLayout& out)
{
    out = TLevelLayout();
    if (!FileExists(fileName))
    {
        LogPrintf("level layout %s: not found", fileName.CStr());
        return false;
    }
    TScript script;
    if (!script.RunScript(fileName))
    {
        LogPrintf("level layout %s: did not run; not read", fileName.CStr());
        return false;
    }
    return ReadLevelLayout(script, fileName, out);
}

// --- Writing -----------------------------------------------------------------

bool IsWritableLevelName(const TString& name)
{
    for (const char* p = name.CStr(); *p != '\0'; ++p)
    {
        if (*p == '"' || *p == '\\' || *p == '\r' || *p == '\n') return false;
    }
    return true;
}

bool BuildLayoutText(const TLevelLayout& layout, std::string& text)
{
    text.clear();
    for (const TLevelLayout::SLandRow& land : layout.landElements)
        if (!CheckName(land.image)) return false;
    for (const TLevelLayout::SSlotRow& slot : layout.slots)
        if (!CheckName(slot.firstImage) || !CheckName(slot.secondImage)) return false;

    std::vector<TString> groups;
    text += "Entry=\n{\n";
    AppendEntries(text, "customer", layout.customerEntries);
    AppendEntries(text, "monster", layout.monsterEntries);
    text += "}\n";

    text += "LandElement=\n{\n";
    for (const TLevelLayout::SLandRow& land : layout.landElements)
    {
        text += "\t{";
        AppendInt(text, land.type);
        text += ',';
        AppendQuoted(text, land.image);
        AppendValues(text, {land.x, land.y, land.originX, land.originY, land.locked ? 1 : 0});
        text += "},\n";
        OfferGroup(groups, land.image);
    }
    text += "}\n";

    text += "Slot=\n{\n";
    for (const TLevelLayout::SSlotRow& slot : layout.slots)
    {
        text += "\t{";
        AppendInt(text, slot.x);
        AppendValues(text, {slot.y});
        text += ',';
        AppendQuoted(text, slot.firstImage);
        text += ',';
        AppendQuoted(text, slot.secondImage);
        AppendValues(text, {slot.access ? 1 : 0});
        OfferGroup(groups, slot.firstImage);
        OfferGroup(groups, slot.secondImage);
        if (slot.hasStall)
        {
            AppendValues(text,
                         {slot.stallKind, slot.stallNumber, slot.stallLevel, slot.broken ? 1 : 0});
            if (slot.enemy) AppendValues(text, {1});
        }
        text += "},\n";
    }
    text += "}\n";

    text += "Resources=\n{\n";
    for (const TString& group : groups)
    {
        text += '\t';
        AppendQuoted(text, group);
        text += ",\n";
    }
    text += "}\n";
    return true;
}

std::string BuildPassText(const WalkGrid& grid)
{
    std::string text = "Pass=\n{\n";
    text.reserve(static_cast<size_t>(WalkGrid::kRows) * (WalkGrid::kColumns * 3 + 5) + 16);
    for (int row = 0; row < WalkGrid::kRows; ++row)
    {
        text += "\t{";
        for (int column = 0; column < WalkGrid::kColumns; ++column)
        {
            AppendInt(text, -grid.GetCell(column, row));
            text += ',';
        }
        text += "},\n";
    }
    text += "}\n";
    return text;
}

TLevelSaveResult SaveLevelFiles(const TString& layoutName, const TString& passName,
                                const TLevelLayout& layout, const WalkGrid& grid)
{
    std::string layoutText;
    if (!BuildLayoutText(layout, layoutText)) return TLevelSaveResult::kNameRefused;
    const std::string passText = BuildPassText(grid);

    static constexpr char kWho[] = "level files";
    std::vector<TPreparedFile> files(2);
    if (!PrepareFileReplace(kWho, layoutName, layoutText.data(), layoutText.size(), files[0]))
        return TLevelSaveResult::kLayoutFailed;
    if (!PrepareFileReplace(kWho, passName, passText.data(), passText.size(), files[1]))
    {
        DiscardFileReplace(files[0]);
        return TLevelSaveResult::kPassFailed;
    }
    switch (CommitFileReplace(kWho, files))
    {
        case -1:
            return TLevelSaveResult::kDone;
        case 0:
            return TLevelSaveResult::kLayoutFailed;
        default:
            return TLevelSaveResult::kPassFailed;
    }
}

TLevelSaveResult SaveLevelFiles(int level, const TLevelLayout& layout, const WalkGrid& grid)
{
    return SaveLevelFiles(LevelLayoutFileName(kUserLevelFolder, level),
                          LevelPassFileName(kUserLevelFolder, level), layout, grid);
}
