#include "process/DriveTable.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>

namespace fs = std::filesystem;

namespace {

enum class DriveKind { None, Fixed, Removable, Optical };

// Mount table fields escape blanks, tabs, line breaks and backslashes as \ooo.
std::string DecodeMountField(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string_view::npos) {
                out += static_cast<char>(((digits[0] - '0') << 6) | ((digits[1] - '0') << 3) |
                                         (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

// udev writes the label's blanks and other unsafe bytes as \xHH in by-label names.
std::string DecodeLabelName(std::string_view name) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && hex(name[i + 2]) >= 0 &&
            hex(name[i + 3]) >= 0) {
            out += static_cast<char>(hex(name[i + 2]) * 16 + hex(name[i + 3]));
            i += 3;
            continue;
        }
        out += name[i];
    }
    return out;
}

std::string FirstLineOf(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Kernel name of the block device behind a mount source such as /dev/sda1 or /dev/mapper/x.
std::string DeviceName(const std::string& source) {
    std::error_code ec;
    const fs::path resolved = fs::canonical(source, ec);
    return (ec ? fs::path(source) : resolved).filename().string();
}

bool IsNonLocalFileSystem(std::string_view type) {
    static const std::set<std::string_view> kTypes = {
        "nfs",  "nfs4",      "cifs",   "smb3",       "smbfs",       "ncpfs", "afs",  "9p",
        "ceph", "glusterfs", "lustre", "fuse.sshfs", "fuse.davfs2", "tmpfs", "ramfs"};
    return kTypes.count(type) > 0;
}

DriveKind KindOf(const std::string& device, const DriveSources& sources) {
    if (device.empty() || StartsWith(device, "loop") || StartsWith(device, "ram") ||
        StartsWith(device, "zram") || StartsWith(device, "nbd") || StartsWith(device, "rbd")) {
        return DriveKind::None;
    }
    const fs::path entry = fs::path(sources.sysBlock) / device;
    std::error_code ec;
    if (!fs::exists(entry, ec)) return DriveKind::None;
    // SCSI type 5 is a CD/DVD drive; sr devices are optical whatever their flags say.
    if (StartsWith(device, "sr") || FirstLineOf(entry / "device" / "type") == "5") return DriveKind::Optical;
    fs::path removable = entry / "removable";
    if (!fs::exists(removable, ec)) {
        // A partition carries no flag of its own: its disk is the folder above it.
        const fs::path real = fs::canonical(entry, ec);
        if (ec) return DriveKind::None;
        removable = real.parent_path() / "removable";
    }
    const std::string flag = FirstLineOf(removable);
    if (flag == "1") return DriveKind::Removable;
    if (flag == "0") return DriveKind::Fixed;
    return DriveKind::None;
}

std::string LabelOf(const std::string& device, const DriveSources& sources) {
    std::error_code ec;
    for (fs::directory_iterator it(sources.byLabel, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkError;
        const fs::path target = fs::read_symlink(it->path(), linkError);
        if (!linkError && target.filename().string() == device)
            return DecodeLabelName(it->path().filename().string());
    }
    return {};
}

}  // namespace

std::vector<std::string> ListDrives(const DriveSources& sources) {
    std::vector<std::string> drives;
    std::ifstream table(sources.mountTable);
    if (!table) return drives;

    int fixed = 0, removable = 0, optical = 0;
    std::set<std::string> seenDevices;
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string source, mountPoint, type;
        if (!(fields >> source >> mountPoint >> type)) continue;
        if (!StartsWith(source, "/dev/") || IsNonLocalFileSystem(type)) continue;
        mountPoint = DecodeMountField(mountPoint);
        // The list is one line per drive: a mount point with a line break cannot be written.
        if (mountPoint.empty() || mountPoint.find_first_of("\r\n") != std::string::npos) continue;

        const std::string device = DeviceName(DecodeMountField(source));
        const DriveKind kind = KindOf(device, sources);
        if (kind == DriveKind::None || !seenDevices.insert(device).second) continue;

        std::string constant;
        switch (kind) {
            case DriveKind::Fixed:
                constant = "{hd" + std::to_string(++fixed) + "}";
                break;
            case DriveKind::Removable:
                constant = "{removable" + std::to_string(++removable) + "}";
                break;
            case DriveKind::Optical:
                constant = "{cdrom" + std::to_string(++optical) + "}";
                break;
            case DriveKind::None:
                break;
        }
        std::string entry = constant + " => " + mountPoint;
        if (kind != DriveKind::Removable) entry += "    [" + LabelOf(device, sources) + "]";
        drives.push_back(std::move(entry));
    }
    return drives;
}
