#include "tools/orbinv/inventory_view.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include <nlohmann/json.hpp>

namespace orbinv {

namespace {

using nlohmann::ordered_json;

bool ToInteger(const std::string& text, long long& value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && end != nullptr && *end == '\0';
}

// A number when the answer is one, else the answer as text.
ordered_json Number(const std::string& text)
{
    long long value = 0;
    if (ToInteger(text, value))
        return value;
    return Utf8(text);
}

// A text as the table shows it: control bytes (which a hostile drive could use to drive the
// terminal) become '.'.
std::string Shown(const std::string& text)
{
    std::string shown = text;
    for (char& c : shown) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F)
            c = '.';
    }
    return shown;
}

std::string BlankText(const std::string& emptyFlag)
{
    if (emptyFlag == "1")
        return "blank";
    if (emptyFlag == "0")
        return "in use";
    if (emptyFlag == "-1")
        return "unreadable";
    return emptyFlag;
}

std::string VolumeStateText(const std::string& state)
{
    if (state == "1")
        return "one volume, normal";
    if (state == "0")
        return "no volume";
    if (state == "-1")
        return "not normal or unknown";
    return state;
}

void Append(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string& out, const char* format, ...)
{
    char line[2048];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n > 0)
        out.append(line, static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n) : sizeof line - 1);
}

}  // namespace

std::string Utf8(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

int RowsFor(const std::string& countAnswer, int capacity)
{
    long long value = 0;
    if (!ToInteger(countAnswer, value) || value < 0)
        return 0;
    return value > capacity ? capacity : static_cast<int>(value);
}

std::string GigabyteText(const std::string& sizeBytes)
{
    long long value = 0;
    if (!ToInteger(sizeBytes, value))
        return "";
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(value) / 1e9);
    return text;
}

std::string TableText(const Snapshot& s)
{
    std::string out;
    Append(out, "Physical disks: %s\n", Shown(s.diskCount).c_str());
    if (!s.disks.empty()) {
        Append(out, "  %-5s %-40s %-20s %-8s %-9s %15s %8s %-6s %-5s %s\n", "Drive", "Model", "Serial number",
               "Firmware", "Media", "Size (bytes)", "Size GB", "Status", "Order", "Blank disk");
        for (const PhysicalDisk& d : s.disks) {
            Append(out, "  %-5s %-40s %-20s %-8s %-9s %15s %8s %-6s %-5s %s (%s)\n", Shown(d.driveNumber).c_str(),
                   Shown(d.model).c_str(), Shown(d.serialNumber).c_str(), Shown(d.firmware).c_str(),
                   Shown(d.mediaType).c_str(), Shown(d.sizeBytes).c_str(), GigabyteText(d.sizeBytes).c_str(),
                   Shown(d.status).c_str(), Shown(d.reportOrder).c_str(), BlankText(Shown(d.emptyFlag)).c_str(),
                   Shown(d.emptyFlag).c_str());
        }
    }
    Append(out, "\nDrive letters: %d\n", static_cast<int>(s.letters.size()));
    for (const LetterRow& l : s.letters) {
        Append(out, "  %c:  %s\n", l.letter,
               l.diskNumber == "-1" ? "not on a physical disk (-1)" : ("physical disk " + Shown(l.diskNumber)).c_str());
    }
    Append(out, "\nRAID disks: %s\n", Shown(s.raidDiskCount).c_str());
    if (!s.raidDisks.empty()) {
        Append(out, "  %-5s %-30s %-14s %-12s %-6s %s\n", "Entry", "Serial number", "Size", "Array member",
               "Bus id", "Blank disk");
        for (const RaidDisk& r : s.raidDisks) {
            Append(out, "  %-5s %-30s %-14s %-12s %-6s %s (%s)\n", Shown(r.entryIndex).c_str(),
                   Shown(r.serialNumber).c_str(), Shown(r.sizeText).c_str(), Shown(r.arrayMember).c_str(),
                   Shown(r.busId).c_str(), BlankText(Shown(r.emptyFlag)).c_str(), Shown(r.emptyFlag).c_str());
        }
    }
    Append(out, "\nRAID summary\n");
    Append(out, "  Volume state:    %s (%s)\n", Shown(s.volumeState).c_str(),
           Shown(VolumeStateText(s.volumeState)).c_str());
    Append(out, "  Array total:     %s\n", Shown(s.arrayTotalMbText).c_str());
    Append(out, "  Migration:       %s\n", Shown(s.migrationText).c_str());
    return out;
}

std::string JsonText(const Snapshot& s)
{
    ordered_json root;
    root["disk_count"] = Number(s.diskCount);
    ordered_json disks = ordered_json::array();
    for (const PhysicalDisk& d : s.disks) {
        ordered_json row;
        row["drive_number"] = Number(d.driveNumber);
        row["model"] = Utf8(d.model);
        row["serial_number"] = Utf8(d.serialNumber);
        row["firmware_revision"] = Utf8(d.firmware);
        row["media_type"] = Utf8(d.mediaType);
        row["size_bytes"] = Number(d.sizeBytes);
        row["size_gb"] = GigabyteText(d.sizeBytes);
        row["status"] = Utf8(d.status);
        row["report_order"] = Number(d.reportOrder);
        row["empty_flag"] = Number(d.emptyFlag);
        disks.push_back(row);
    }
    root["physical_disks"] = disks;
    ordered_json letters = ordered_json::array();
    for (const LetterRow& l : s.letters)
        letters.push_back({{"letter", std::string(1, l.letter)}, {"disk_number", Number(l.diskNumber)}});
    root["drive_letters"] = letters;
    root["raid_disk_count"] = Number(s.raidDiskCount);
    ordered_json raid = ordered_json::array();
    for (const RaidDisk& r : s.raidDisks) {
        ordered_json row;
        row["entry_index"] = Number(r.entryIndex);
        row["serial_number"] = Utf8(r.serialNumber);
        row["size"] = Utf8(r.sizeText);
        row["array_member"] = Utf8(r.arrayMember);
        row["bus_id"] = Utf8(r.busId);
        row["empty_flag"] = Number(r.emptyFlag);
        raid.push_back(row);
    }
    root["raid_disks"] = raid;
    root["raid_summary"] = {{"volume_state", Number(s.volumeState)},
                            {"array_total_mb", Utf8(s.arrayTotalMbText)},
                            {"migration", Utf8(s.migrationText)}};
    return root.dump(2) + "\n";
}

}  // namespace orbinv
