// WalkGrid: a level's passability map of 40 x 60 cells of 20 x 10 pixels,
// loaded from the level's "Pass" script, and the path search over it.
#pragma once

#include <cstdint>
#include <vector>

#include "core/String.h"

class TLuaTable;

struct TGridCell
{
    int column = 0;
    int row = 0;

    bool operator==(const TGridCell&) const = default;
};

struct TGridPixel
{
    int x = 0;
    int y = 0;

    bool operator==(const TGridPixel&) const = default;
};

enum class TPathError : uint8_t
{
    kNone,
    kDestinationOutside,  // the destination lies outside the grid
    kDestinationBlocked,  // the destination is -1
    kUnreachable,         // the wave never reached the start
    kTraceFailed,         // the back-trace found no lower neighbour
};

// The message of each failure, as walkers and logs show it (UTF-8); "" for kNone.
const char* PathErrorMessage(TPathError error);

struct TPathResult
{
    TPathError error = TPathError::kNone;
    // From the first cell after the start up to and including the
    // destination; empty on failure.
    std::vector<TGridCell> cells;

    bool Ok() const { return error == TPathError::kNone; }
    const char* Message() const { return PathErrorMessage(error); }
};

// Cell values: 0 free, -1 blocked, -2 not passed through but accepted as a
// destination. Main thread only: the path search reuses scratch space of the
// grid object, so one grid serves one search at a time.
class WalkGrid
{
public:
    static constexpr int kColumns = 40;
    static constexpr int kRows = 60;
    static constexpr int kCellWidth = 20;
    static constexpr int kCellHeight = 10;

    // Both grids 40 x 60, every cell 0.
    WalkGrid();

    int GetColumns() const { return columns_; }
    int GetRows() const { return rows_; }

    // The working grid's value; -1 for any cell outside the grid.
    int GetCell(int column, int row) const;
    // Stores 0, -1 or -2 in the working grid. Outside the grid nothing
    // happens (true). Any other value leaves the cell, logs "Какое-то левое
    // значение." and returns false.
    bool SetCell(int column, int row, int value);

    // (x / 20, y / 10), truncating towards zero.
    static TGridCell PixelToCell(int x, int y);
    // (column x 20, row x 10), plus (10, 5) with centre: the cell's centre.
    static TGridPixel CellToPixel(int column, int row, bool centre);

    // Runs the script file in a fresh script environment and blocks (-1) in
    // the base grid every cell whose "Pass"[row + 1][column + 1] is exactly
    // 1; other values leave the cell. Entries beyond the grid are ignored and
    // rows that are not tables skipped. Then copies the base grid over the
    // working grid. A missing file, a script that fails or a missing "Pass"
    // table blocks nothing (one log line). Always true.
    bool LoadPass(const TString& fileName);
    // The blocking step of LoadPass over a "Pass" table already at hand
    // (base grid only).
    void ReadPass(const TLuaTable& pass);

    // Releases both grids: afterwards every cell answers as outside the grid
    // (GetCell -1, SetCell ignored, every path search kDestinationOutside).
    void Clear();

    // The wave grid of a search toward destination, column-first
    // (index column x rows + row): the working grid with the destination
    // 1 and every cell the wave reached numbered by its distance + 1, up to
    // and including the wave that met start. Empty when the destination is
    // outside the grid; start outside is never met.
    std::vector<int> FindPath(TGridCell start, TGridCell destination) const;
    // The path from start to destination by the wave from the destination
    // and the back-trace from the start. A start equal to the destination
    // gives the one-cell path [destination]; a start outside the grid is
    // unreachable.
    TPathResult GetPath(TGridCell start, TGridCell destination) const;

private:
    // One-cell blocked border around the cells, so that neighbours need no
    // bounds checks.
    static constexpr int kStride = kColumns + 2;
    static constexpr int kPadded = kStride * (kRows + 2);

    static int IndexOf(int column, int row) { return (row + 1) * kStride + column + 1; }
    static TGridCell CellOf(int index) { return {index % kStride - 1, index / kStride - 1}; }
    bool IsInside(int column, int row) const
    {
        return column >= 0 && column < columns_ && row >= 0 && row < rows_;
    }
    // Numbers wave_ from destination until start is met or nothing changes;
    // with wholeLastWave the wave that meets start is completed.
    void RunWave(int start, int destination, bool wholeLastWave) const;

    int columns_ = kColumns;
    int rows_ = kRows;
    int16_t base_[kPadded];
    int16_t working_[kPadded];
    // Search scratch, reused by every search.
    mutable int16_t wave_[kPadded];
    mutable uint16_t front_[kColumns * kRows];
    mutable uint16_t next_[kColumns * kRows];
};
