// The walk grid: cell access, pixel conversion, loading the "Pass" script,
// and the path search (a wave from the destination, traced back from the
// start).
#include "game/level/WalkGrid.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/FileNames.h"
#include "core/Log.h"
#include "script/LuaTable.h"
#include "script/Script.h"

namespace
{

constexpr char kBadValue[] = "Какое-то левое значение.";

constexpr int kStride = WalkGrid::kColumns + 2;

// The wave looks at a cell's neighbours in this order ...
constexpr int kWaveOrder[8] = {
    +1 - kStride,  // (c+1, r-1)
    -1 + kStride,  // (c-1, r+1)
    -1 - kStride,  // (c-1, r-1)
    +1 + kStride,  // (c+1, r+1)
    -kStride,      // (c, r-1)
    +kStride,      // (c, r+1)
    -1,            // (c-1, r)
    +1,            // (c+1, r)
};
// ... and the back-trace in this one; among equal wave numbers the first
// wins, which is what makes a path zig-zag on an open grid.
constexpr int kTraceOrder[8] = {
    -1 + kStride,  // (-1, +1)
    +1 - kStride,  // (+1, -1)
    -1 - kStride,  // (-1, -1)
    +1 + kStride,  // (+1, +1)
    +kStride,      // (0, +1)
    -kStride,      // (0, -1)
    -1,            // (-1, 0)
    +1,            // (+1, 0)
};

}  // namespace

const char* PathErrorMessage(TPathError error)
{
    switch (error)
    {
        case TPathError::kNone:
            return "";
        case TPathError::kDestinationOutside:
            return "Точка назначения за пределами карты.";
        case TPathError::kDestinationBlocked:
            return "Точка назначения не проходима.";
        case TPathError::kUnreachable:
            return "Не удалось попасть в точку назначения.";
        case TPathError::kTraceFailed:
            return "Что-то Ты намудрил.";
    }
    return "";
}

WalkGrid::WalkGrid()
{
    std::fill(std::begin(base_), std::end(base_), int16_t{-1});
    for (int row = 0; row < kRows; ++row)
        std::fill_n(base_ + IndexOf(0, row), kColumns, int16_t{0});
    std::memcpy(working_, base_, sizeof working_);
}

int WalkGrid::GetCell(int column, int row) const
{
    return IsInside(column, row) ? working_[IndexOf(column, row)] : -1;
}

bool WalkGrid::SetCell(int column, int row, int value)
{
    if (!IsInside(column, row)) return true;
    if (value != 0 && value != -1 && value != -2)
    {
        LogPrintf("WalkGrid::SetCell(%d, %d, %d): %s", column, row, value, kBadValue);
        return false;
    }
    working_[IndexOf(column, row)] = static_cast<int16_t>(value);
    return true;
}

TGridCell WalkGrid::PixelToCell(int x, int y)
{
    return {x / kCellWidth, y / kCellHeight};
}

TGridPixel WalkGrid::CellToPixel(int column, int row, bool centre)
{
    // Cells far off the grid (read from a damaged file) wrap rather than overflow.
    const int64_t half = centre ? 1 : 0;
    return {static_cast<int>(int64_t{column} * kCellWidth + half * (kCellWidth / 2)),
            static_cast<int>(int64_t{row} * kCellHeight + half * (kCellHeight / 2))};
}

void WalkGrid::ReadPass(const TLuaTable& pass)
{
    // The count may be any number a script put in "n"; the grid's size bounds it.
    const int rows = std::min(pass.GetCount(), rows_);
    for (int r = 1; r <= rows; ++r)
    {
        const std::unique_ptr<TLuaTable> line(pass.GetTableAt(r));
        if (!line) continue;
        const int columns = std::min(line->GetCount(), columns_);
        for (int c = 1; c <= columns; ++c)
        {
            if (line->GetNumberAt(c, 0) == 1.0) base_[IndexOf(c - 1, r - 1)] = -1;
        }
    }
}

bool WalkGrid::LoadPass(const TString& fileName)
{
    if (!FileExists(fileName))
    {
        LogPrintf("WalkGrid::LoadPass: %s not found; no cell blocked", fileName.CStr());
    }
    else
    {
        TScript script;
        if (!script.RunScript(fileName))
        {
            LogPrintf("WalkGrid::LoadPass: %s did not run; no cell blocked", fileName.CStr());
        }
        else
        {
            const std::unique_ptr<TLuaTable> pass(script.GetGlobalTable("Pass"));
            if (pass)
                ReadPass(*pass);
            else
                LogPrintf("WalkGrid::LoadPass: %s has no table Pass; no cell blocked",
                          fileName.CStr());
        }
    }
    std::memcpy(working_, base_, sizeof working_);
    return true;
}

void WalkGrid::Clear()
{
    columns_ = 0;
    rows_ = 0;
    std::fill(std::begin(base_), std::end(base_), int16_t{-1});
    std::fill(std::begin(working_), std::end(working_), int16_t{-1});
}

void WalkGrid::RunWave(int start, int destination, bool wholeLastWave) const
{
    std::memcpy(wave_, working_, sizeof wave_);
    wave_[destination] = 1;
    uint16_t* front = front_;
    uint16_t* next = next_;
    front[0] = static_cast<uint16_t>(destination);
    int count = 1;
    int16_t n = 1;
    for (;;)
    {
        ++n;
        bool found = false;
        int added = 0;
        for (int i = 0; i < count; ++i)
        {
            const int cell = front[i];
            for (const int step : kWaveOrder)
            {
                const int neighbour = cell + step;
                if (neighbour == start)
                {
                    // Whatever the start held, even a blocked value: a walker
                    // standing in a footprint still finds its way out. The
                    // back-trace only reads numbers below this one, so the
                    // rest of this wave cannot change the path.
                    wave_[neighbour] = n;
                    found = true;
                    if (!wholeLastWave) return;
                }
                else if (wave_[neighbour] == 0)
                {
                    wave_[neighbour] = n;
                    next[added++] = static_cast<uint16_t>(neighbour);
                }
            }
        }
        if (found || added == 0) return;
        std::swap(front, next);
        count = added;
    }
}

std::vector<int> WalkGrid::FindPath(TGridCell start, TGridCell destination) const
{
    std::vector<int> out;
    if (!IsInside(destination.column, destination.row)) return out;
    const int startIndex =
        IsInside(start.column, start.row) ? IndexOf(start.column, start.row) : -1;
    RunWave(startIndex, IndexOf(destination.column, destination.row), true);
    out.resize(static_cast<size_t>(columns_) * static_cast<size_t>(rows_));
    for (int c = 0; c < columns_; ++c)
        for (int r = 0; r < rows_; ++r)
            out[static_cast<size_t>(c * rows_ + r)] = wave_[IndexOf(c, r)];
    return out;
}

TPathResult WalkGrid::GetPath(TGridCell start, TGridCell destination) const
{
    TPathResult result;
    if (!IsInside(destination.column, destination.row))
    {
        result.error = TPathError::kDestinationOutside;
        return result;
    }
    const int target = IndexOf(destination.column, destination.row);
    if (working_[target] == -1)
    {
        result.error = TPathError::kDestinationBlocked;
        return result;
    }
    // The wave would meet the start only through its own neighbours and
    // overwrite the destination's 1; standing on the target is arriving.
    if (start == destination)
    {
        result.cells.push_back(destination);
        return result;
    }
    if (!IsInside(start.column, start.row))
    {
        result.error = TPathError::kUnreachable;
        return result;
    }
    int current = IndexOf(start.column, start.row);
    RunWave(current, target, false);
    int number = wave_[current];
    if (number <= 0)
    {
        result.error = TPathError::kUnreachable;
        return result;
    }
    result.cells.reserve(static_cast<size_t>(number - 1));
    while (number != 1)
    {
        int best = -1;
        int bestNumber = number;
        for (const int step : kTraceOrder)
        {
            const int value = wave_[current + step];
            if (value > 0 && value < bestNumber)
            {
                bestNumber = value;
                best = current + step;
            }
        }
        if (best < 0)
        {
            result.cells.clear();
            result.error = TPathError::kTraceFailed;
            return result;
        }
        result.cells.push_back(CellOf(best));
        current = best;
        number = bestNumber;
    }
    return result;
}
