#pragma once

#include <optional>
#include <string>
#include <string_view>

class IniFile;

// A window rectangle as the settings file stores it: right and bottom lie one past the window.
struct PlacementRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const PlacementRect&) const = default;
};

// Show states with the numbers the file keeps under ShowCmd.
enum class WindowShowState { Normal = 1, Minimized = 2, Maximized = 3 };

// Where a window was and how: its normal (restored) rectangle, its state, the screen
// resolution it was measured at.
struct WindowPlacement {
    PlacementRect normal;
    WindowShowState state = WindowShowState::Normal;
    int pixelsPerInch = 96;
    bool visible = true;
    bool operator==(const WindowPlacement&) const = default;
};

// Writes FormVersion, Flags, ShowCmd, PixelsPerInch, MinMaxPos, NormPos and Visible.
void WriteWindowPlacement(IniFile& ini, std::string_view section, const WindowPlacement& placement);

// The stored record, or nothing when one of FormVersion (when present), ShowCmd, PixelsPerInch
// or NormPos is missing or not what this program writes, or the rectangle is empty.
std::optional<WindowPlacement> ReadWindowPlacement(const IniFile& ini, std::string_view section);

// What start-up applies: the stored rectangle only when it was measured at `pixelsPerInch`,
// moved and shrunk into `available` (the screen's work area; none when that is empty); a
// window stored minimised comes back normal.
struct RestoredPlacement {
    std::optional<PlacementRect> normal;
    WindowShowState state = WindowShowState::Normal;
};
std::optional<RestoredPlacement> PlacementToRestore(const IniFile& ini, std::string_view section,
                                                    int pixelsPerInch, const PlacementRect& available);

// The rectangle moved (and, when larger, shrunk) so that it lies inside `available`; an empty
// area leaves it as it is.
PlacementRect ClampToArea(const PlacementRect& rect, const PlacementRect& available);
