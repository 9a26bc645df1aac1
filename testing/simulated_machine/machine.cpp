// Reading a machine description (JSON, nlohmann-json) and the drivers' answers it implies.
#include "testing/simulated_machine/machine.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace simulated_machine {

namespace {

using nlohmann::json;

std::vector<uint8_t> HexBytes(const std::string& hex)
{
    std::vector<uint8_t> bytes;
    int high = -1;
    for (char c : hex) {
        if (std::isspace(static_cast<unsigned char>(c)))
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            throw std::runtime_error("not a hexadecimal digit in \"" + hex + "\"");
        int value = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<uint8_t>(high << 4 | value));
            high = -1;
        }
    }
    if (high >= 0)
        throw std::runtime_error("odd number of hexadecimal digits in \"" + hex + "\"");
    return bytes;
}

// "text" | {"hex": "..."} | {"text": "...", "repeat": n} (+ "terminated": false) | {"offset": n} | null
DescriptorString ReadDescriptorString(const json& value)
{
    DescriptorString s;
    if (value.is_null())
        return s;
    s.kind = DescriptorString::Kind::Bytes;
    if (value.is_string()) {
        std::string text = value.get<std::string>();
        s.bytes.assign(text.begin(), text.end());
    } else if (value.is_object()) {
        if (value.contains("offset")) {
            s.kind = DescriptorString::Kind::RawOffset;
            s.offset = value.at("offset").get<int32_t>();
            return s;
        }
        if (value.contains("hex")) {
            s.bytes = HexBytes(value.at("hex").get<std::string>());
        } else {
            std::string text = value.at("text").get<std::string>();
            int repeat = value.value("repeat", 1);
            for (int i = 0; i < repeat; ++i)
                s.bytes.insert(s.bytes.end(), text.begin(), text.end());
        }
        s.terminated = value.value("terminated", true);
    } else {
        throw std::runtime_error("a descriptor string is text, an object or null");
    }
    if (s.terminated)
        s.bytes.push_back(0);
    return s;
}

void ReadIdentify(const json& value, PhysicalDrive& drive)
{
    drive.smartVersion = true;
    if (value.is_string()) {
        if (value.get<std::string>() != "no answer")
            throw std::runtime_error("\"identify\" is an object or \"no answer\"");
        return;
    }
    drive.identifyAnswers = true;
    auto& w = drive.identify;
    w[0] = value.value("general_configuration", 0x0040);
    PutIdentifyText(w, 10, 19, value.value("serial", std::string()));
    PutIdentifyText(w, 23, 26, value.value("firmware", std::string()));
    PutIdentifyText(w, 27, 46, value.value("model", std::string()));
    uint64_t sectors = value.value("sectors", uint64_t{0});
    if (value.value("lba48", sectors > 0x0FFFFFFF)) {
        w[83] |= 0x0400;  // word 83 bit 10: 48-bit address feature set
        for (int i = 0; i < 4; ++i)
            w[100 + i] = static_cast<uint16_t>(sectors >> (16 * i));
        uint64_t capped = sectors > 0x0FFFFFFF ? 0x0FFFFFFF : sectors;
        w[60] = static_cast<uint16_t>(capped);
        w[61] = static_cast<uint16_t>(capped >> 16);
    } else {
        w[60] = static_cast<uint16_t>(sectors);
        w[61] = static_cast<uint16_t>(sectors >> 16);
    }
    if (value.contains("words")) {
        for (auto& [number, word] : value.at("words").items()) {
            int n = std::stoi(number);
            if (n < 0 || n > 255)
                throw std::runtime_error("IDENTIFY word " + number + " outside 0-255");
            w[static_cast<size_t>(n)] = word.get<uint16_t>();
        }
    }
}

void ReadSector0(const json& value, PhysicalDrive& drive)
{
    auto& sector = drive.sector0;
    sector.fill(0);
    if (value.is_string()) {
        std::string kind = value.get<std::string>();
        if (kind == "unreadable") {
            drive.sectorReadable = false;
        } else if (kind == "partitioned") {
            // Boot code, one active NTFS partition entry, the boot signature.
            for (size_t i = 0; i < 446; ++i)
                sector[i] = static_cast<uint8_t>(0x33 + i * 13);
            const uint8_t entry[16] = {0x80, 0x20, 0x21, 0x00, 0x07, 0xFE, 0xFF, 0xFF,
                                       0x00, 0x08, 0x00, 0x00, 0x00, 0x60, 0x38, 0x3A};
            for (size_t i = 0; i < 16; ++i)
                sector[446 + i] = entry[i];
            sector[510] = 0x55;
            sector[511] = 0xAA;
        } else if (kind != "blank") {
            throw std::runtime_error("\"sector0\" is \"blank\", \"partitioned\", \"unreadable\" or an object");
        }
        return;
    }
    sector.fill(static_cast<uint8_t>(value.value("fill", 0)));
    if (value.contains("bytes")) {
        for (auto& [position, hex] : value.at("bytes").items()) {
            size_t at = static_cast<size_t>(std::stoul(position));
            std::vector<uint8_t> bytes = HexBytes(hex.get<std::string>());
            if (at > sector.size() || bytes.size() > sector.size() - at)
                throw std::runtime_error("sector 0 bytes at " + position + " run past byte 511");
            for (size_t i = 0; i < bytes.size(); ++i)
                sector[at + i] = bytes[i];
        }
    }
}

PhysicalDrive ReadDrive(const json& value)
{
    PhysicalDrive drive;
    drive.slot = value.at("slot").get<int>();
    std::string opens = value.value("opens", std::string("read-write"));
    if (opens == "read-only")
        drive.opensReadWrite = false;
    else if (opens == "none")
        drive.opensReadWrite = drive.opensReadOnly = false;
    else if (opens != "read-write")
        throw std::runtime_error("\"opens\" is \"read-write\", \"read-only\" or \"none\"");
    if (value.contains("identify"))
        ReadIdentify(value.at("identify"), drive);
    if (value.contains("descriptor") && !value.at("descriptor").is_null()) {
        const json& d = value.at("descriptor");
        drive.hasDescriptor = true;
        drive.vendor = ReadDescriptorString(d.value("vendor", json()));
        drive.product = ReadDescriptorString(d.value("product", json()));
        drive.revision = ReadDescriptorString(d.value("revision", json()));
        drive.serial = ReadDescriptorString(d.value("serial", json()));
        drive.returnedBytes = d.value("returned_bytes", int64_t{-1});
    }
    drive.diskSize = value.value("size", int64_t{0});
    std::string geometry = value.value("geometry", std::string("answers"));
    if (geometry == "fails")
        drive.geometry = PhysicalDrive::Geometry::Fails;
    else if (geometry == "short")
        drive.geometry = PhysicalDrive::Geometry::Short;
    else if (geometry != "answers")
        throw std::runtime_error("\"geometry\" is \"answers\", \"fails\" or \"short\"");
    if (value.contains("sector0"))
        ReadSector0(value.at("sector0"), drive);
    return drive;
}

DriveLetter ReadLetter(const json& value)
{
    DriveLetter letter;
    std::string text = value.at("letter").get<std::string>();
    if (text.size() != 1 || !std::isalpha(static_cast<unsigned char>(text[0])))
        throw std::runtime_error("\"letter\" is one letter A-Z");
    letter.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    letter.inMask = value.value("in_mask", true);
    letter.opens = value.value("opens", true);
    letter.answers = value.value("answers", true);
    letter.deviceType = value.value("device_type", 7u);
    letter.deviceNumber = value.value("device_number", 0u);
    letter.partitionNumber = value.value("partition_number", 1u);
    return letter;
}

}  // namespace

const PhysicalDrive* Machine::Drive(int slot) const
{
    for (const PhysicalDrive& drive : drives) {
        if (drive.slot == slot)
            return &drive;
    }
    return nullptr;
}

const DriveLetter* Machine::Letter(char letter) const
{
    char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    for (const DriveLetter& entry : letters) {
        if (entry.letter == upper)
            return &entry;
    }
    return nullptr;
}

uint32_t Machine::LogicalDriveMask() const
{
    uint32_t mask = 0;
    for (const DriveLetter& entry : letters) {
        if (entry.inMask)
            mask |= 1u << (entry.letter - 'A');
    }
    return mask;
}

void PutIdentifyText(std::array<uint16_t, 256>& words, int first, int last, const std::string& text)
{
    std::string padded = text;
    padded.resize(static_cast<size_t>(2 * (last - first + 1)), ' ');
    for (int w = first; w <= last; ++w) {
        size_t k = static_cast<size_t>(2 * (w - first));
        words[static_cast<size_t>(w)] = static_cast<uint16_t>(static_cast<uint8_t>(padded[k]) << 8 | static_cast<uint8_t>(padded[k + 1]));
    }
}

namespace {

std::string HexText(const uint8_t* bytes, size_t size)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < size; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 15];
    }
    return hex;
}

json DescriptorStringJson(const DescriptorString& s)
{
    switch (s.kind) {
    case DescriptorString::Kind::Absent:
        return nullptr;
    case DescriptorString::Kind::RawOffset:
        return {{"offset", s.offset}};
    case DescriptorString::Kind::Bytes:
        break;
    }
    size_t size = s.bytes.size();
    if (s.terminated && size > 0)
        --size;  // the NUL the reader appends again
    return {{"hex", HexText(s.bytes.data(), size)}, {"terminated", s.terminated}};
}

}  // namespace

std::string VerbatimReportState(const std::string& report)
{
    std::string utf8;  // each byte as the code point of the same number; dumped as \u00XX
    for (unsigned char c : report) {
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return json{{"report_text", utf8}}.dump(-1, ' ', true);
}

std::string WriteMachine(const Machine& machine)
{
    json root;
    json drives = json::array();
    for (const PhysicalDrive& d : machine.drives) {
        json drive;
        drive["slot"] = d.slot;
        drive["opens"] = d.opensReadWrite ? "read-write" : d.opensReadOnly ? "read-only" : "none";
        if (d.smartVersion) {
            if (d.identifyAnswers) {
                json words;
                for (size_t w = 0; w < d.identify.size(); ++w)
                    words[std::to_string(w)] = d.identify[w];
                drive["identify"] = {{"words", words}};
            } else {
                drive["identify"] = "no answer";
            }
        }
        if (d.hasDescriptor) {
            drive["descriptor"] = {{"vendor", DescriptorStringJson(d.vendor)},
                                   {"product", DescriptorStringJson(d.product)},
                                   {"revision", DescriptorStringJson(d.revision)},
                                   {"serial", DescriptorStringJson(d.serial)},
                                   {"returned_bytes", d.returnedBytes}};
        }
        drive["size"] = d.diskSize;
        drive["geometry"] = d.geometry == PhysicalDrive::Geometry::Fails   ? "fails"
                            : d.geometry == PhysicalDrive::Geometry::Short ? "short"
                                                                           : "answers";
        if (d.sectorReadable)
            drive["sector0"] = {{"bytes", {{"0", HexText(d.sector0.data(), d.sector0.size())}}}};
        else
            drive["sector0"] = "unreadable";
        drives.push_back(drive);
    }
    root["physical_drives"] = drives;
    json letters = json::array();
    for (const DriveLetter& l : machine.letters) {
        letters.push_back({{"letter", std::string(1, l.letter)},
                           {"in_mask", l.inMask},
                           {"opens", l.opens},
                           {"answers", l.answers},
                           {"device_type", l.deviceType},
                           {"device_number", l.deviceNumber},
                           {"partition_number", l.partitionNumber}});
    }
    root["drive_letters"] = letters;
    if (machine.hasRaidState)
        root["raid_state"] = json::parse(machine.raidStateJson);
    return root.dump(2, ' ', true) + "\n";
}

bool ParseMachine(const std::string& text, Machine& machine, std::string& error)
{
    try {
        json root = json::parse(text);
        Machine parsed;
        for (const json& drive : root.value("physical_drives", json::array())) {
            parsed.drives.push_back(ReadDrive(drive));
            if (parsed.drives.back().slot < 0)
                throw std::runtime_error("a slot is 0 or above");
        }
        for (const json& letter : root.value("drive_letters", json::array()))
            parsed.letters.push_back(ReadLetter(letter));
        if (root.contains("raid_state")) {
            parsed.hasRaidState = true;
            parsed.raidStateJson = root.at("raid_state").dump();
        }
        machine = std::move(parsed);
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

bool LoadMachineFile(const std::string& path, Machine& machine, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::stringstream text;
    text << file.rdbuf();
    if (!ParseMachine(text.str(), machine, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace simulated_machine
