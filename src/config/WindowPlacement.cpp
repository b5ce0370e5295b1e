#include "config/WindowPlacement.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <vector>

#include "config/IniFile.h"

namespace {

constexpr int kFormVersion = 0;

// A whole decimal number and nothing else (blanks around it allowed).
std::optional<int> ParseInt(std::string_view text) {
    const std::string trimmed = TrimBlanks(text);
    if (trimmed.empty()) return std::nullopt;
    int value = 0;
    const char* first = trimmed.data();
    const char* last = first + trimmed.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) return std::nullopt;
    return value;
}

std::optional<PlacementRect> ParseRect(std::string_view text) {
    int parts[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = i < 3 ? text.find(',') : text.size();
        if (comma == std::string_view::npos) return std::nullopt;
        const auto value = ParseInt(text.substr(0, comma));
        if (!value) return std::nullopt;
        parts[i] = *value;
        text.remove_prefix(i < 3 ? comma + 1 : comma);
    }
    return PlacementRect{parts[0], parts[1], parts[2], parts[3]};
}

bool IsEmpty(const PlacementRect& r) {
    return static_cast<long long>(r.right) - r.left <= 0 || static_cast<long long>(r.bottom) - r.top <= 0;
}

std::string FormatFour(int a, int b, int c, int d) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d,%d,%d,%d", a, b, c, d);
    return buffer;
}

}  // namespace

void WriteWindowPlacement(IniFile& ini, std::string_view section, const WindowPlacement& placement) {
    const PlacementRect& r = placement.normal;
    ini.SetValue(section, "FormVersion", std::to_string(kFormVersion));
    ini.SetValue(section, "Flags", "0");
    ini.SetValue(section, "ShowCmd", std::to_string(static_cast<int>(placement.state)));
    ini.SetValue(section, "PixelsPerInch", std::to_string(placement.pixelsPerInch));
    // No separate minimised or maximised positions: the system chooses them.
    ini.SetValue(section, "MinMaxPos", FormatFour(-1, -1, -1, -1));
    ini.SetValue(section, "NormPos", FormatFour(r.left, r.top, r.right, r.bottom));
    ini.SetValue(section, "Visible", placement.visible ? "1" : "0");
}

std::optional<WindowPlacement> ReadWindowPlacement(const IniFile& ini, std::string_view section) {
    if (const auto version = ini.Value(section, "FormVersion")) {
        if (ParseInt(*version) != kFormVersion) return std::nullopt;
    }
    const auto showCmd = ParseInt(ini.ReadString(section, "ShowCmd", ""));
    const auto pixelsPerInch = ParseInt(ini.ReadString(section, "PixelsPerInch", ""));
    const auto normal = ParseRect(ini.ReadString(section, "NormPos", ""));
    if (!showCmd || *showCmd < 1 || *showCmd > 3) return std::nullopt;
    if (!pixelsPerInch || *pixelsPerInch <= 0) return std::nullopt;
    if (!normal || IsEmpty(*normal)) return std::nullopt;

    WindowPlacement placement;
    placement.normal = *normal;
    placement.state = static_cast<WindowShowState>(*showCmd);
    placement.pixelsPerInch = *pixelsPerInch;
    placement.visible = ini.ReadString(section, "Visible", "1") != "0";
    return placement;
}

PlacementRect ClampToArea(const PlacementRect& rect, const PlacementRect& available) {
    if (IsEmpty(available)) return rect;
    // Widths in 64 bits: a stored rectangle may span nearly the whole int range.
    const long long areaWidth = std::max(0LL, static_cast<long long>(available.right) - available.left);
    const long long areaHeight = std::max(0LL, static_cast<long long>(available.bottom) - available.top);
    const int width = static_cast<int>(std::min(static_cast<long long>(rect.right) - rect.left, areaWidth));
    const int height = static_cast<int>(std::min(static_cast<long long>(rect.bottom) - rect.top, areaHeight));
    const int left = std::clamp(rect.left, available.left, available.right - width);
    const int top = std::clamp(rect.top, available.top, available.bottom - height);
    return PlacementRect{left, top, left + width, top + height};
}

std::optional<RestoredPlacement> PlacementToRestore(const IniFile& ini, std::string_view section,
                                                    int pixelsPerInch, const PlacementRect& available) {
    const auto stored = ReadWindowPlacement(ini, section);
    if (!stored) return std::nullopt;
    RestoredPlacement restored;
    restored.state =
        stored->state == WindowShowState::Maximized ? WindowShowState::Maximized : WindowShowState::Normal;
    if (stored->pixelsPerInch == pixelsPerInch && !IsEmpty(available))
        restored.normal = ClampToArea(stored->normal, available);
    return restored;
}
