#include "testing/standins/raidcfg32/raid_state.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

namespace {

// A small JSON reader: objects, arrays, strings, numbers, true, false, null.
struct Value {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<Value> items;
    std::map<std::string, Value> members;

    const Value* Member(const char* name) const
    {
        auto it = members.find(name);
        return it == members.end() ? nullptr : &it->second;
    }
};

class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    bool ReadDocument(Value& value, std::string& error)
    {
        if (!ReadValue(value, 0) || (SkipBlanks(), pos_ != text_.size())) {
            error = "invalid JSON near offset " + std::to_string(pos_);
            return false;
        }
        return true;
    }

private:
    void SkipBlanks()
    {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r' || text_[pos_] == '\n'))
            ++pos_;
    }
    bool Take(char c)
    {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool Word(const char* word)
    {
        const std::string w = word;
        if (text_.compare(pos_, w.size(), w) != 0)
            return false;
        pos_ += w.size();
        return true;
    }
    bool ReadString(std::string& out)
    {
        if (!Take('"'))
            return false;
        while (pos_ < text_.size() && text_[pos_] != '"') {
            char c = text_[pos_++];
            if (c == '\\') {
                if (pos_ >= text_.size())
                    return false;
                char e = text_[pos_++];
                switch (e) {
                case 'n': c = '\n'; break;
                case 'r': c = '\r'; break;
                case 't': c = '\t'; break;
                case 'b': c = '\b'; break;
                case 'f': c = '\f'; break;
                case 'u': {
                    if (pos_ + 4 > text_.size())
                        return false;
                    const long code = std::strtol(text_.substr(pos_, 4).c_str(), nullptr, 16);
                    pos_ += 4;
                    c = static_cast<char>(code & 0xFF);  // 8-bit text only
                    break;
                }
                default: c = e; break;  // \" \\ \/
                }
            }
            out += c;
        }
        return Take('"');
    }
    bool ReadValue(Value& value, int depth)
    {
        if (depth > 32)
            return false;
        SkipBlanks();
        if (pos_ >= text_.size())
            return false;
        const char c = text_[pos_];
        if (c == '{') {
            ++pos_;
            value.kind = Value::Object;
            if (Take('}'))
                return true;
            do {
                std::string name;
                if (!ReadString(name) || !Take(':') || !ReadValue(value.members[name], depth + 1))
                    return false;
            } while (Take(','));
            return Take('}');
        }
        if (c == '[') {
            ++pos_;
            value.kind = Value::Array;
            if (Take(']'))
                return true;
            do {
                value.items.emplace_back();
                if (!ReadValue(value.items.back(), depth + 1))
                    return false;
            } while (Take(','));
            return Take(']');
        }
        if (c == '"') {
            value.kind = Value::String;
            return ReadString(value.text);
        }
        if (Word("true")) { value.kind = Value::Bool; value.boolean = true; return true; }
        if (Word("false")) { value.kind = Value::Bool; return true; }
        if (Word("null")) return true;
        const char* start = text_.c_str() + pos_;
        char* end = nullptr;
        value.number = std::strtod(start, &end);
        if (end == start)
            return false;
        value.kind = Value::Number;
        pos_ += static_cast<size_t>(end - start);
        return true;
    }

    const std::string& text_;
    size_t pos_ = 0;
};

std::string Text(const Value* v, const std::string& fallback)
{
    if (v == nullptr || v->kind == Value::Null)
        return fallback;
    if (v->kind == Value::String)
        return v->text;
    if (v->kind == Value::Number)
        return std::to_string(static_cast<long long>(v->number));
    return fallback;
}

std::string HexText(const Value* v, const std::string& fallback)
{
    if (v != nullptr && v->kind == Value::Number) {
        char hex[32];
        std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(v->number));
        return hex;
    }
    return Text(v, fallback);
}

double Number(const Value* v, double fallback)
{
    if (v != nullptr && v->kind == Value::Number)
        return v->number;
    if (v != nullptr && v->kind == Value::String)
        return std::strtod(v->text.c_str(), nullptr);
    return fallback;
}

const std::vector<Value>& Items(const Value& root, const char* name)
{
    static const std::vector<Value> none;
    const Value* v = root.Member(name);
    return v != nullptr && v->kind == Value::Array ? v->items : none;
}

void Line(std::string& out, const std::string& text) { out += text + "\r\n"; }

}  // namespace

bool ReadRaidState(const std::string& json, RaidState& state, std::string& error)
{
    Value root;
    if (!Reader(json).ReadDocument(root, error))
        return false;
    if (root.kind != Value::Object) {
        error = "the state is not a JSON object";
        return false;
    }
    state = RaidState();
    for (const Value& d : Items(root, "disks")) {
        StandInDisk disk;
        disk.serial = Text(d.Member("serial"), "");
        disk.busId = HexText(d.Member("bus_id"), "0");
        disk.summary = Text(d.Member("summary"), disk.summary);
        disk.model = Text(d.Member("model"), "");
        state.disks.push_back(disk);
    }
    for (const Value& v : Items(root, "volumes")) {
        StandInVolume volume;
        volume.name = Text(v.Member("name"), "Volume_000" + std::to_string(state.volumes.size()));
        volume.serial = Text(v.Member("serial"), "");
        volume.state = Text(v.Member("state"), volume.state);
        volume.migrationPercent = static_cast<int>(Number(v.Member("migration_percent"), -1));
        state.volumes.push_back(volume);
    }
    for (const Value& a : Items(root, "arrays")) {
        StandInArray array;
        array.name = Text(a.Member("name"), "Array_000" + std::to_string(state.arrays.size()));
        array.totalMb = static_cast<unsigned long long>(Number(a.Member("total_mb"), 0));
        state.arrays.push_back(array);
    }
    const std::string behaviour = Text(root.Member("behaviour"), "normal");
    if (behaviour == "normal")
        state.behaviour = Behaviour::Normal;
    else if (behaviour == "slow")
        state.behaviour = Behaviour::Slow;
    else if (behaviour == "silent")
        state.behaviour = Behaviour::Silent;
    else if (behaviour == "fail")
        state.behaviour = Behaviour::Fail;
    else if (behaviour == "hang")
        state.behaviour = Behaviour::Hang;
    else if (behaviour == "crash")
        state.behaviour = Behaviour::Crash;
    else {
        error = "unknown behaviour \"" + behaviour + "\"";
        return false;
    }
    state.delayMs = static_cast<int>(Number(root.Member("delay_ms"), state.delayMs));
    state.exitCode = static_cast<int>(Number(root.Member("exit_code"), state.exitCode));
    if (const Value* report = root.Member("report_text"); report != nullptr && report->kind == Value::String) {
        state.hasReportText = true;
        state.reportText = report->text;
    }
    return true;
}

RaidReport WriteRaidReport(const RaidState& state)
{
    RaidReport report;
    if (state.hasReportText) {
        report.disks = state.reportText;
        return report;
    }
    std::string& out = report.disks;
    Line(out, "Intel(R) RAID Configuration Utility (stand-in)");
    Line(out, "");
    Line(out, "Physical Disks:");
    for (size_t i = 0; i < state.disks.size(); ++i) {
        const StandInDisk& disk = state.disks[i];
        Line(out, "");
        Line(out, "Disk " + std::to_string(i));
        Line(out, "    SerialNo:" + disk.serial);
        if (!disk.model.empty())
            Line(out, "    Model:" + disk.model);
        Line(out, "    BusId:0x" + disk.busId);
        Line(out, "    Summary:" + disk.summary);
    }
    Line(out, "");
    Line(out, "Total Physical Disks = " + std::to_string(state.disks.size()));

    std::string& rest = report.rest;
    Line(rest, "");
    Line(rest, "RAID Volumes:");
    for (size_t i = 0; i < state.volumes.size(); ++i) {
        const StandInVolume& volume = state.volumes[i];
        const std::string summary = volume.migrationPercent >= 0
                                        ? "Migration: " + std::to_string(volume.migrationPercent) + "%"
                                        : volume.state;
        Line(rest, "Volume " + std::to_string(i) + ": Name:" + volume.name + "\tSerialNo:" + volume.serial
                       + "\tSummary:" + summary);
    }
    Line(rest, "Total Volumes = " + std::to_string(state.volumes.size()));
    Line(rest, "");
    Line(rest, "RAID Arrays:");
    for (size_t i = 0; i < state.arrays.size(); ++i) {
        const StandInArray& array = state.arrays[i];
        Line(rest, "Array " + std::to_string(i) + ": Name:" + array.name + "\tTotalMB:" + std::to_string(array.totalMb));
    }
    Line(rest, "Total Arrays = " + std::to_string(state.arrays.size()));
    return report;
}
